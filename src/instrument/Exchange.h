#pragma once

#include <QString>

/// What one exchange asks of a transport: a command and how to wait for its answer.
struct ExchangeRequest
{
    QString command;         ///< as it goes on the line, without the CR the transport adds
    bool awaitReply = false; ///< false: the command is written and nothing is gathered
    int timeoutSeconds = 0;  ///< silence allowed after the last data before the exchange gives up
    /// 0: the first line is the whole reply; 1: lines are gathered up to the status line ("*" and a
    /// digit); any other value never ends early.
    int endCondition = 0;
};

/// How an exchange ended.
enum class ExchangeOutcome {
    Answered,     ///< a reply arrived (whatever it says)
    NotAwaited,   ///< written without waiting for an answer
    TimedOut,     ///< no complete reply in time
    Busy,         ///< refused: another exchange was still running on this instrument
    Overflow,     ///< the peer sent more than a reply may hold without ending it
    NotConnected, ///< no usable endpoint: nothing was sent
    NoBoard,      ///< the GPIB route has no board (or no library, or a locked board)
    OpenFailed,   ///< the device would not open
    LinkFailed,   ///< the device failed during the exchange (unplugged, nobody listening)
};

/**
 * @brief How one route spells its failures in the reply texts the windows show and compare.
 *
 * The windows and procedures have always judged a reply by its text: "TIMEOUT" for no reply in
 * time, "BUSY" for a re-entry, "" for a port that could not be used. The routes differ: a GPIB read
 * that runs out of time gives what it read (nothing), the USB route reports every failure of its
 * bridge as a time-out, and the reference DMM reports a bridge that will not open as "".
 */
struct FailureTexts
{
    QString timedOut = QStringLiteral("TIMEOUT");
    QString openFailed;
    QString linkFailed;
};

/**
 * @brief The value an exchange returns: what came back and how the exchange ended.
 *
 * `text` is the instrument's answer as gathered, lines joined by CR (the GPIB route keeps the LF
 * each message ends with); after a failure it may hold a partial answer. conventionalText() is the
 * one place that turns an outcome into the texts the windows compare.
 */
struct ExchangeReply
{
    QString text;
    ExchangeOutcome outcome = ExchangeOutcome::NotConnected;
    QString detail;        ///< why a failure happened, in words a user can act on; often empty
    FailureTexts spelling; ///< the route's words for its failures (the driver fills it in)

    static ExchangeReply answered(const QString &text) { return {text, ExchangeOutcome::Answered, {}, {}}; }
    static ExchangeReply ended(ExchangeOutcome outcome, const QString &detail = {})
    {
        return {QString(), outcome, detail, {}};
    }

    bool isAnswered() const { return outcome == ExchangeOutcome::Answered; }
    /// True when the exchange gave no usable answer: anything but an answer or a command that was
    /// not meant to be answered.
    bool failed() const { return outcome != ExchangeOutcome::Answered && outcome != ExchangeOutcome::NotAwaited; }

    /// The reply as the windows and procedures compare it: the answer; "" when none was awaited;
    /// "BUSY", "OVERFLOW" and "False" (no GPIB board); otherwise the route's word for the failure.
    QString conventionalText() const;
};
