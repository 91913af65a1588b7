#pragma once

#include "instrument/IDVM.h"

class RunContext;

/**
 * @brief A command's instrument object, watched: the first awaited exchange that gets no usable
 * answer (time-out, failed port, missing interface) is reported on the spot, and the command can
 * ask afterwards whether that happened, to stop its work and exit with "unreachable".
 */
class WatchedDVM : public IDVM
{
public:
    explicit WatchedDVM(RunContext &run);

    bool failed() const { return m_failed; }
    /// The exit status of a command whose password was not accepted: unreachable when the line
    /// failed (already reported), else refused, saying so.
    int noSetupModeExit() const;

    QString SendString(const QString &Commandstring, bool WaitForAck, int timeout, int PacketEndCondition) override;
    void SetGPIBAddress(int Value) override { m_dvm.SetGPIBAddress(Value); }
    void Initialise() override { m_dvm.Initialise(); }
    QString GetDescription() override { return m_dvm.GetDescription(); }
    bool CheckIdentity(const QString &id) override { return m_dvm.CheckIdentity(id); }
    QString Identify() override { return m_dvm.Identify(); }
    void SetCommControl(SerialPortControl *control) override { m_dvm.SetCommControl(control); }
    QString Read() override { return m_dvm.Read(); }
    void SetInterfaceType(int type) override { m_dvm.SetInterfaceType(type); }
    int GetInterfaceType() override { return m_dvm.GetInterfaceType(); }
    QVariant SetRange(const QString &Fn, double Value) override { return m_dvm.SetRange(Fn, Value); }
    void SetUSBDevice() override { m_dvm.SetUSBDevice(); }
    void SetEthernetDevice() override { m_dvm.SetEthernetDevice(); }

private:
    RunContext &m_run;
    IDVM &m_dvm;
    bool m_failed = false;
};
