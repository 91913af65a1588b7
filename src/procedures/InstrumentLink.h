#pragma once

#include <QString>

class IDVM;
class InstrumentContext;

/**
 * @brief How the procedures reach the instrument: through whatever instrument object the
 * context holds at the moment of each command, since the location windows may replace it while
 * a procedure window stays open.
 */
class InstrumentLink
{
public:
    explicit InstrumentLink(InstrumentContext &context) : m_context(context) {}

    /// The instrument object now; null when none has been made.
    IDVM *dvm() const;
    /// SendString on the current instrument object; "" when there is none.
    QString send(const QString &command, bool waitForAck, int timeout, int packetEndCondition = 1) const;

    InstrumentContext &context() const { return m_context; }

private:
    InstrumentContext &m_context;
};
