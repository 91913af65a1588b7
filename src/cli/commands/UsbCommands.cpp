// usb list, usb select: the USB bridges attached to this computer.

#include "cli/CommandGroups.h"
#include "cli/JsonOutput.h"
#include "cli/RunContext.h"
#include "instrument/usb/UsbIdentificationPass.h"
#include "session/InstrumentSession.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

namespace {

/// Lists the bridges (retrying as the USB window does); 0, after saying why on stderr, when
/// there are none or USB cannot be used here.
int listedDevices(RunContext &run, int *exitCode)
{
    UsbBridgeAccess &usb = run.session().context().usb();
    const int count = usb.countDevices();
    if (count > 0)
        return count;
    if (usb.noUsbAccess())
        *exitCode = run.fail(ExitRefused, QStringLiteral("no USB access: %1").arg(usb.listingError()));
    else if (!usb.listingError().isEmpty())
        *exitCode = run.fail(ExitRefused, QStringLiteral("no USB devices found: %1").arg(usb.listingError()));
    else
        *exitCode = run.fail(ExitRefused, QStringLiteral("no USB devices found"));
    return 0;
}

int usbList(RunContext &run)
{
    int exitCode = ExitSuccess;
    const int count = listedDevices(run, &exitCode);
    if (count == 0)
        return exitCode;
    UsbBridgeAccess &usb = run.session().context().usb();
    // Every bridge is asked at once, as the window does; the answers come as one line each.
    const QStringList replies = UsbIdentificationPass::run(usb, count, true);
    QJsonArray listed;
    for (int i = 0; i < count; ++i) {
        const UsbDeviceRecord &device = usb.devices.at(i);
        run.out() << device.Name << '\t' << device.SerialNumber.trimmed() << '\t' << replies.at(i) << '\n';
        listed.append(QJsonObject{{QStringLiteral("name"), device.Name},
                                  {QStringLiteral("bridgeSerial"), device.SerialNumber.trimmed()},
                                  {QStringLiteral("instrument"), JsonOutput::identity(replies.at(i))}});
    }
    if (run.json())
        run.printJson({{QStringLiteral("devices"), listed}});
    return ExitSuccess;
}

int usbSelect(RunContext &run)
{
    const QString wanted = run.arguments().constFirst();
    int exitCode = ExitSuccess;
    const int count = listedDevices(run, &exitCode);
    if (count == 0)
        return exitCode;
    InstrumentSession &session = run.session();
    UsbBridgeAccess &usb = session.context().usb();
    QStringList attached;
    for (int i = 0; i < count; ++i) {
        const UsbDeviceRecord &device = usb.devices.at(i);
        if (device.SerialNumber != wanted && device.SerialNumber.trimmed() != wanted) {
            attached << device.SerialNumber.trimmed();
            continue;
        }
        session.usbDevice = device;
        session.usbDevice.Handle = 0;
        if (!session.saveConnection(Endpoint::usb(device.SerialNumber, device.Name)))
            return run.fail(ExitUnreachable, QStringLiteral("the settings could not be written"));
        run.out() << device.SerialNumber << " selected (" << device.Name << ")\n";
        if (run.json())
            run.printJson(
                {{QStringLiteral("selected"), device.SerialNumber.trimmed()}, {QStringLiteral("name"), device.Name}});
        return ExitSuccess;
    }
    return run.fail(ExitRefused,
                    QStringLiteral("no USB device with serial number \"%1\" is attached (attached: %2)")
                        .arg(wanted, attached.join(QStringLiteral(", "))));
}

} // namespace

QList<CliCommand> usbCommands()
{
    return {
        {.words = {QStringLiteral("usb"), QStringLiteral("list")},
         .summary = QStringLiteral("list the USB bridges: name, serial number and answer to *IDN?, tab-separated; "
                                   "exit 3 when there are none"),
         .json = QStringLiteral("{\"devices\": [{\"name\", \"bridgeSerial\", \"instrument\": {\"identity\", "
                                "\"model\", \"serial\", \"firmware\"}}]}"),
         .run = usbList},
        {.words = {QStringLiteral("usb"), QStringLiteral("select")},
         .argumentUsage = QStringLiteral("SERIAL"),
         .summary = QStringLiteral("make the attached USB bridge with this serial number the saved connection"),
         .json = QStringLiteral("{\"selected\": SERIAL, \"name\"}"),
         .minArguments = 1,
         .maxArguments = 1,
         .run = usbSelect},
    };
}
