#pragma once

#include <QByteArray>

/**
 * @brief Status digits the instrument closes its answers with ("*" and one digit on a line).
 */
enum class SimStatus {
    Ok = 0,
    OptionNotFitted = 2,
    OutOfRange = 5,
    SetupPasswordNeeded = 6,
    CalPasswordNeeded = 7,
    Rejected = 9,
};

/// One reply line as the instrument sends it: the text, CR and LF.
inline QByteArray replyLine(const QByteArray &text)
{
    return text + "\r\n";
}

/// The status line that ends a multi-line answer, e.g. "*0" CR LF.
inline QByteArray statusReply(SimStatus status)
{
    return replyLine('*' + QByteArray::number(int(status)));
}
