#include "cli/WatchedDVM.h"

#include "cli/RunContext.h"

WatchedDVM::WatchedDVM(RunContext &run) : m_run(run), m_dvm(run.dvm()) {}

QString WatchedDVM::SendString(const QString &Commandstring, bool WaitForAck, int timeout, int PacketEndCondition)
{
    const QString reply = m_dvm.SendString(Commandstring, WaitForAck, timeout, PacketEndCondition);
    if (WaitForAck && !m_failed && m_run.exchangeFailed(reply)) {
        m_failed = true;
        m_run.unreachable(Commandstring);
    }
    return reply;
}

int WatchedDVM::noSetupModeExit() const
{
    if (m_failed)
        return ExitUnreachable;
    return m_run.fail(ExitRefused, QStringLiteral("Error entering setup mode: %1 did not accept the password")
                                       .arg(m_run.connectionDescription()));
}
