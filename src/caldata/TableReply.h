#pragma once

#include <QString>

/**
 * @brief What the instrument's answer to a table command says, decided in one place for the
 * factor and the specification table: taken, refused, refused for want of the setup password,
 * some other status, or no clear answer at all. The tables differ only in the codes they give
 * for a refusal and for a missing password.
 */
class TableReply
{
public:
    enum class Kind {
        Success,        ///< "*0"
        Refused,        ///< the table's refusal code
        PasswordNeeded, ///< the table's "password needed" code
        OtherStatus,    ///< any other status ("*" and a digit)
        NoAnswer,       ///< no answer, or no status in front: whether the command was carried
                        ///< out is unknown
    };

    /// A table's status codes; an empty code is never matched.
    struct Codes
    {
        QString refused;
        QString passwordNeeded;
    };

    static Kind classify(const QString &reply, const Codes &codes);

    /// How a one-command step judges its answer.
    enum class SuccessTest {
        Prefix,    ///< the answer starts with "*0", as every other command is judged
        WholeLine, ///< the answer is the status line "*0" and nothing more, CR and LF aside
    };
    static bool isSuccess(const QString &reply, SuccessTest test);
};
