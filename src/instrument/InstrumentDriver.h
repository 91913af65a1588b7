#pragma once

#include "instrument/DriverFamily.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/ethernet/EthernetModuleRecord.h"
#include "instrument/usb/UsbDeviceRecord.h"

class InstrumentContext;

/**
 * @brief The one driver implementation shared by the three families; the family data decides the
 * identity test, the description and the USB open-failure rule.
 */
class InstrumentDriver : public IDVM
{
public:
    InstrumentDriver(const DriverFamily &family, InstrumentContext &context);

    const DriverFamily &family() const { return m_family; }

    QString SendString(const QString &Commandstring, bool WaitForAck = false, int timeout = 0,
                       int PacketEndCondition = 0) override;
    void SetGPIBAddress(int Value) override { m_gpibAddress = Value; }
    void Initialise() override;
    QString GetDescription() override;
    bool CheckIdentity(const QString &id) override;
    QString Identify() override;
    void SetCommControl(SerialPortControl *NewCommControl) override { m_commControl = NewCommControl; }
    QString Read() override;
    void SetInterfaceType(int NewInterfaceType) override { m_interfaceType = NewInterfaceType; }
    int GetInterfaceType() override { return m_interfaceType; }
    QVariant SetRange(const QString &Fn, double Value) override;
    void SetUSBDevice() override;
    void SetEthernetDevice() override;

    int gpibAddress() const { return m_gpibAddress; }
    SerialPortControl *commControl() const { return m_commControl; }
    const UsbDeviceRecord &usbDevice() const { return m_usbDevice; }
    const EthernetModuleRecord &ethernetDevice() const { return m_ethernetDevice; }

    /// The command SetRange sends for a function and value ("" when it sends none).
    static QString rangeCommand(const QString &Fn, double Value);

    /// The identification query and the time Identify waits for its answer.
    static inline const QString kIdentifyCommand = QStringLiteral("*IDN?");
    static constexpr int kIdentifyTimeoutSeconds = 2;
    /// What Identify makes of a reply: an echo of the question is no answer ("").
    static QString identificationFrom(const QString &reply);

private:
    QString SendToInterface(const QString &Commandstring, bool WaitForAck, int timeout,
                            int PacketEndCondition);

    const DriverFamily &m_family;
    InstrumentContext &m_context;
    int m_interfaceType = InterfaceRS232;
    SerialPortControl *m_commControl = nullptr;
    int m_gpibAddress = 0;
    UsbDeviceRecord m_usbDevice;
    EthernetModuleRecord m_ethernetDevice;
    bool m_busy = false;
};
