#include "instrument/InstrumentDriver.h"

#include "instrument/InstrumentContext.h"
#include "instrument/NumberFormat.h"
#include "instrument/Reply.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Clock.h"

#include <QScopeGuard>

namespace {

constexpr int kReadTimeoutSeconds = 20;
constexpr int kGpibReadTimeoutSeconds = 35;
constexpr int kSetRangeTimeoutSeconds = 10;
constexpr int kSetRangeSettleMs = 100;
constexpr int kInitialiseMs = 250;
// A USB command sent without waiting still takes up to a second for an answer line to discard.
constexpr int kUsbUnacknowledgedSeconds = 1;

} // namespace

InstrumentDriver::InstrumentDriver(const DriverFamily &family, InstrumentContext &context)
    : m_family(family), m_context(context)
{
}

QString InstrumentDriver::SendString(const QString &Commandstring, bool WaitForAck, int timeout,
                                     int PacketEndCondition)
{
    // A line break inside a command would smuggle a second command onto the line.
    QString command = Commandstring;
    command.remove(QLatin1Char('\r'));
    command.remove(QLatin1Char('\n'));
    QString reply = SendToInterface(command, WaitForAck, timeout, PacketEndCondition);
    reply.remove(QLatin1Char('\n'));
    return reply;
}

QString InstrumentDriver::SendToInterface(const QString &Commandstring, bool WaitForAck, int timeout,
                                          int PacketEndCondition)
{
    // A second exchange while one waits would share the transport's receive buffer: refuse it on
    // every interface, not only USB.
    if (m_busy) {
        m_context.state().lastOutcome = ExchangeOutcome::Busy;
        return Reply::Busy;
    }
    m_busy = true;
    auto release = qScopeGuard([this] { m_busy = false; });

    switch (m_interfaceType) {
    case InterfaceRS232:
        return m_context.serial().sendString(m_commControl, Commandstring, WaitForAck, timeout,
                                             PacketEndCondition);
    case InterfaceGPIB:
        return m_context.gpib().sendString(m_gpibAddress, Commandstring, WaitForAck, timeout,
                                           PacketEndCondition);
    case InterfaceUSB: {
        UsbTransport &usb = m_context.usb();
        usb.device = m_usbDevice;
        int status = UsbTransport::Complete;
        QString reply;
        if (WaitForAck) {
            reply = usb.sendString(Commandstring, status, timeout, PacketEndCondition);
        } else {
            usb.sendString(Commandstring, status, kUsbUnacknowledgedSeconds, 0);
            reply.clear();
        }
        if (status == UsbTransport::TimedOut
            || (status == UsbTransport::OpenFailed && m_family.usbOpenFailureIsTimeout))
            reply = Reply::Timeout;
        return reply;
    }
    case InterfaceEthernet: {
        EthernetTransport &ethernet = m_context.ethernet();
        ethernet.device = m_ethernetDevice;
        return ethernet.sendString(Commandstring, WaitForAck, timeout, PacketEndCondition);
    }
    default:
        m_context.state().lastOutcome = ExchangeOutcome::NoInterface;
        return {};
    }
}

void InstrumentDriver::Initialise()
{
    systemClock().pause(kInitialiseMs);
}

QString InstrumentDriver::GetDescription()
{
    QString text = m_family.description + QLatin1String("\r\n");
    switch (m_interfaceType) {
    case InterfaceRS232:
        text += QStringLiteral("RS232 Port %1").arg(m_commControl ? m_commControl->portNumber() : 0);
        break;
    case InterfaceGPIB:
        text += QStringLiteral("GPIB Address %1").arg(m_gpibAddress);
        break;
    case InterfaceUSB:
        text += QLatin1String("USB \r\n");
        break;
    case InterfaceEthernet:
        text += QLatin1String("Ethernet \r\n")
                + EthernetModuleRecord::fixedLength(m_ethernetDevice.IP, EthernetModuleRecord::kIpLength);
        break;
    default:
        break;
    }
    return text;
}

bool InstrumentDriver::CheckIdentity(const QString &id)
{
    if (!id.contains(kMakerName))
        return false;
    for (const QString &model : m_family.identityModels) {
        if (id.contains(model))
            return true;
    }
    return false;
}

QString InstrumentDriver::Identify()
{
    return identificationFrom(SendToInterface(kIdentifyCommand, true, kIdentifyTimeoutSeconds, 0));
}

QString InstrumentDriver::identificationFrom(const QString &reply)
{
    // An echo of the question is no answer.
    if (reply.contains(kIdentifyCommand))
        return {};
    return reply;
}

QString InstrumentDriver::Read()
{
    switch (m_interfaceType) {
    case InterfaceRS232:
    case InterfaceUSB:
    case InterfaceEthernet:
        return SendToInterface(QStringLiteral("READ?"), true, kReadTimeoutSeconds, 0);
    case InterfaceGPIB:
        // A reading is one line without a status line: gathering up to a status line would
        // wait out the library's time-out after every reading.
        return SendToInterface(QStringLiteral("READ?"), true, kGpibReadTimeoutSeconds, 0);
    default:
        return {};
    }
}

QString InstrumentDriver::rangeCommand(const QString &Fn, double Value)
{
    const QString fn = Fn.toUpper();
    const QString general = formatGeneralNumber(Value);
    if (fn == QLatin1String("DCV"))
        return QStringLiteral("CONF:VOLTAGE:DC ") + general;
    if (fn == QLatin1String("DCI"))
        return QStringLiteral("CONF:CURRENT:DC ")
               + (Value <= 1E-6 ? formatScientificNumber(Value) : general);
    if (fn == QLatin1String("ACV"))
        return QStringLiteral("CONF:VOLTAGE:AC ") + general;
    if (fn == QLatin1String("ACI"))
        return QStringLiteral("CONF:CURRENT:AC ") + general;
    if (fn == QLatin1String("RES"))
        return QStringLiteral("CONF:RES ") + general;
    if (fn == QLatin1String("FRES"))
        return QStringLiteral("CONF:FRES ") + general;
    if (fn == QLatin1String("FREQ"))
        return QStringLiteral("CONF:FREQ ") + general;
    if (fn == QLatin1String("PRT")) {
        if (Value <= 500)
            return QStringLiteral("R60");
        if (Value < 5000)
            return QStringLiteral("R61");
        return QStringLiteral("R62");
    }
    if (fn == QLatin1String("THERMOCOUPLE"))
        return QStringLiteral("R64");
    return {};
}

QVariant InstrumentDriver::SetRange(const QString &Fn, double Value)
{
    Clock &clock = systemClock();
    clock.pause(kSetRangeSettleMs);
    const QString command = rangeCommand(Fn, Value);
    if (!command.isEmpty())
        SendToInterface(command, false, kSetRangeTimeoutSeconds, 1);
    clock.pause(kSetRangeSettleMs);
    return {};
}

void InstrumentDriver::SetUSBDevice()
{
    m_usbDevice = m_context.usbDevice;
}

void InstrumentDriver::SetEthernetDevice()
{
    m_ethernetDevice = m_context.ethernetDevice;
}

std::unique_ptr<IDVM> CreateDVM(const QString &model, InstrumentContext &context)
{
    if (model.contains(QLatin1String("6400")))
        return std::make_unique<InstrumentDriver>(DVM_6481, context);
    if (model.contains(QLatin1String("5600")))
        return std::make_unique<InstrumentDriver>(DVM_CAL_5600, context);
    if (model.contains(QLatin1String("5200")))
        return std::make_unique<InstrumentDriver>(DVM_CAL_5200, context);
    return std::make_unique<InstrumentDriver>(DVM_6481, context);
}
