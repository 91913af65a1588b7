#include "locate/UsbDeviceSelection.h"

#include "instrument/usb/UsbIdentificationPass.h"
#include "instrument/usb/UsbTransport.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <QScopeGuard>

namespace {

const QString kMakerUpper = QStringLiteral("QUORVADINE");

/// The meter the window's "Autolocate" looks for: the maker's 6481, or any 6471.
bool isWantedMeter(const QString &reply)
{
    return (reply.toUpper().contains(kMakerUpper) && reply.contains(QLatin1String("6481")))
        || reply.contains(QLatin1String("6471"));
}

/// An adapter of ours: its description names the maker or is one of the "232" cables.
bool isOurAdapter(const QString &name)
{
    const QString upper = name.toUpper();
    return upper.contains(kMakerUpper) || upper.contains(QLatin1String("232"));
}

} // namespace

UsbDeviceSelection::UsbDeviceSelection(InstrumentSession &session, Prompts &prompts, QObject *parent)
    : QObject(parent), m_session(session), m_prompts(prompts)
{
}

void UsbDeviceSelection::load()
{
    const Endpoint saved = m_session.savedEndpoint(InterfaceUSB);
    m_session.usbDevice = UsbDeviceRecord();
    m_session.usbDevice.Name = saved.name;
    m_session.usbDevice.SerialNumber = saved.address;
    emit activeDeviceChanged(saved.name, saved.address);
}

const UsbDeviceRecord &UsbDeviceSelection::activeDevice() const
{
    return m_session.usbDevice;
}

void UsbDeviceSelection::say(const QString &text, const QString &title)
{
    m_prompts.message(text, title.isEmpty() ? Settings::applicationTitle() : title, Prompts::Icon::None);
}

bool UsbDeviceSelection::fillList(bool trimSerialNumbers)
{
    UsbBridgeAccess &usb = m_session.context().usb();
    m_count = usb.countDevices();
    m_accessProblem = usb.noUsbAccess() ? usb.listingError() : QString();
    m_rows.clear();
    if (m_count == 0) {
        m_rows.append({kNoDevicesRow, QString(), QString()});
    } else {
        for (int i = 0; i < m_count; ++i) {
            const UsbDeviceRecord &device = usb.devices.at(i);
            m_rows.append({device.Name, trimSerialNumbers ? device.SerialNumber.trimmed() : device.SerialNumber,
                           UsbIdentificationPass::kNotOpened});
        }
    }
    emit rowsChanged(m_rows, m_accessProblem);
    return m_count > 0;
}

void UsbDeviceSelection::queryReplies(bool removeLineEnds)
{
    if (m_count == 0)
        return;
    const QStringList column = UsbIdentificationPass::run(m_session.context().usb(), m_count, removeLineEnds);
    for (int i = 0; i < column.size() && i < m_rows.size(); ++i)
        m_rows[i].reply = column.at(i);
    emit rowsChanged(m_rows, m_accessProblem);
}

void UsbDeviceSelection::take(const UsbDeviceRecord &device, bool switchDvm)
{
    UsbDeviceRecord chosen = device;
    chosen.Handle = 0;
    m_session.usbDevice = chosen;
    emit activeDeviceChanged(chosen.Name, chosen.SerialNumber);
    const Endpoint bridge = Endpoint::usb(chosen.SerialNumber, chosen.Name);
    const bool saved = m_session.saveConnection(bridge);
    if (switchDvm && m_session.dvm())
        m_session.connect(bridge);
    if (!saved)
        say(QStringLiteral("Error setting USB Device"));
}

bool UsbDeviceSelection::begin()
{
    if (m_busy)
        return false;
    m_busy = true;
    return true;
}

void UsbDeviceSelection::end()
{
    m_busy = false;
}

void UsbDeviceSelection::listAndQuery()
{
    if (fillList(true))
        queryReplies(true);
}

void UsbDeviceSelection::listDevices()
{
    if (!begin())
        return;
    auto done = qScopeGuard([this] { end(); });
    listAndQuery();
}

bool UsbDeviceSelection::selectDevice(int selectedRow)
{
    if (!begin())
        return false;
    auto done = qScopeGuard([this] { end(); });
    // The single row "No USB Devices Detected" stands for no device at all.
    if (m_count == 0) {
        say(QStringLiteral("Error setting USB Device"));
        return false;
    }
    int index = 0;
    if (m_rows.size() != 1) {
        if (selectedRow < 0) {
            say(QStringLiteral("No Device Selected"));
            return false;
        }
        index = selectedRow;
    }
    if (index >= m_count || index >= m_session.context().usb().devices.size()) {
        say(QStringLiteral("Error setting USB Device"));
        return false;
    }
    const UsbDeviceRecord device = m_session.context().usb().devices.at(index);
    say(device.SerialNumber + QStringLiteral(" selected"));
    take(device, true);
    return true;
}

bool UsbDeviceSelection::autolocate()
{
    if (!begin())
        return false;
    auto done = qScopeGuard([this] { end(); });
    listAndQuery();
    // Asked a second time: a bridge opened for the first time may have dropped the first question.
    queryReplies(false);
    for (int i = 0; i < m_count; ++i) {
        const UsbDeviceRecord device = m_session.context().usb().devices.at(i);
        if (!isWantedMeter(device.Reply))
            continue;
        say(device.Reply + QStringLiteral(" selected\r\n(") + device.SerialNumber + QLatin1Char(')'),
            kAutolocationTitle);
        take(device, true);
        return true;
    }
    say(QStringLiteral("No device detected"), kAutolocationTitle);
    return false;
}

bool UsbDeviceSelection::automaticByAdapterId()
{
    if (!begin())
        return false;
    auto done = qScopeGuard([this] { end(); });
    if (!fillList(false)) {
        say(kNoDevicesFound);
        return false;
    }
    const QList<UsbDeviceRecord> devices = m_session.context().usb().devices.mid(0, m_count);
    for (const UsbDeviceRecord &device : devices) {
        if (!isOurAdapter(device.Name))
            continue;
        say(QStringLiteral("Using %1 (%2)").arg(device.Name, device.SerialNumber));
        take(device, true);
        return true;
    }
    // No adapter of ours: the first one is stored as the device, but the instrument object is
    // left on its interface.
    take(devices.first(), false);
    say(QStringLiteral("No Quorvadine USB Devices Found\rUsing ") + devices.first().Name);
    return false;
}

QString UsbDeviceSelection::testExchange(const QString &command, int endCondition, bool reportStatus)
{
    if (m_session.usbDevice.SerialNumber.isEmpty())
        return QStringLiteral("No Device Selected\r");
    if (!begin())
        return {};
    auto done = qScopeGuard([this] { end(); });
    // The box talks to the device in use through a transport of its own, as it always has: the
    // answer is shown as it came, and a failure said in words.
    UsbTransport usb(m_session.context());
    usb.open(Endpoint::usb(m_session.usbDevice.SerialNumber));
    const ExchangeReply reply = usb.exchange({command, true, kTestTimeoutSeconds, endCondition});
    // What came in is shown even when the answer was not complete; a flood is cut off.
    QString text = reply.outcome == ExchangeOutcome::Overflow ? reply.conventionalText() : reply.text;
    if (reportStatus && reply.outcome == ExchangeOutcome::OpenFailed)
        text += QStringLiteral("Error Opening Device\r")
            + (reply.detail.isEmpty() ? QString() : reply.detail + QLatin1Char('\r'));
    if (reportStatus && (reply.outcome == ExchangeOutcome::TimedOut || reply.outcome == ExchangeOutcome::LinkFailed))
        text += QStringLiteral("Read Timeout\r");
    return text;
}

QString UsbDeviceSelection::sendTestCommand(const QString &text)
{
    // A line break typed or pasted into the box would put a second command on the wire.
    QString command = text;
    command.remove(QLatin1Char('\r'));
    command.remove(QLatin1Char('\n'));
    const int end = command == QLatin1String("pa") ? 1 : 0;
    return testExchange(command + QLatin1Char('\r'), end, true);
}

QString UsbDeviceSelection::testIdentify()
{
    return testExchange(QStringLiteral("*IDN?\r"), 0, false);
}

QString UsbDeviceSelection::testDate()
{
    return testExchange(QStringLiteral("a\r"), 1, false);
}
