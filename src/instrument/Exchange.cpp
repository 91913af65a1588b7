#include "instrument/Exchange.h"

#include "instrument/Reply.h"

QString ExchangeReply::conventionalText() const
{
    switch (outcome) {
    case ExchangeOutcome::Answered:
        return text;
    case ExchangeOutcome::NotAwaited:
    case ExchangeOutcome::NotConnected:
        return {};
    case ExchangeOutcome::TimedOut:
        return spelling.timedOut;
    case ExchangeOutcome::Busy:
        return Reply::Busy;
    case ExchangeOutcome::Overflow:
        return Reply::Overflow;
    case ExchangeOutcome::NoBoard:
        return Reply::NoBoard;
    case ExchangeOutcome::OpenFailed:
        return spelling.openFailed;
    case ExchangeOutcome::LinkFailed:
        return spelling.linkFailed;
    }
    return {};
}
