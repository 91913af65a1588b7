#pragma once

/// How one of the table windows' operations (factors or specifications) ended.
enum class OperationOutcome {
    Done,          ///< ran to its end (individual cells may still have been refused)
    Cancelled,     ///< the user said No, or chose no file
    NoSetupMode,   ///< the password was not accepted; nothing was written
    Failed,        ///< the instrument did not answer, or it or the file gave something unusable
    Stopped,       ///< a hook asked to stop
    PasswordNeeded ///< a write was refused for lack of a password ("*7" for factors, "*6" for figures)
};
