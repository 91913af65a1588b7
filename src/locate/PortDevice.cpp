#include "locate/PortDevice.h"

#include "instrument/serial/SerialDeviceNames.h"

#include <QSerialPortInfo>
#include <QStringList>

PortDevice PortDevice::describe(const QString &devicePath)
{
    PortDevice device;
    device.stableName = devicePath;
    device.kernelName = SerialDeviceNames::kernelName(devicePath);
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        if (info.systemLocation() != device.kernelName)
            continue;
        device.description = info.description().trimmed();
        device.manufacturer = info.manufacturer().trimmed();
        device.serialNumber = info.serialNumber().trimmed();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            device.vendorId = info.vendorIdentifier();
            device.productId = info.productIdentifier();
        }
        break;
    }
    return device;
}

QString PortDevice::summary() const
{
    QStringList parts{kernelName};
    // Makers often repeat their name in the description; it is said once.
    QString about = description;
    if (!manufacturer.isEmpty() && !description.startsWith(manufacturer, Qt::CaseInsensitive))
        about = QStringList{manufacturer, description}.join(QLatin1Char(' ')).trimmed();
    if (!about.isEmpty())
        parts << about;
    if (!serialNumber.isEmpty())
        parts << QStringLiteral("serial number ") + serialNumber;
    return parts.join(QStringLiteral(" - "));
}

QString PortDevice::details() const
{
    QStringList lines{stableName};
    if (kernelName != stableName)
        lines << QStringLiteral("Now ") + kernelName;
    if (vendorId || productId)
        lines << QStringLiteral("USB %1:%2")
                     .arg(vendorId, 4, 16, QLatin1Char('0'))
                     .arg(productId, 4, 16, QLatin1Char('0'));
    if (!serialNumber.isEmpty())
        lines << QStringLiteral("Serial number ") + serialNumber;
    const QString about = QStringList{manufacturer, description}.join(QLatin1Char(' ')).trimmed();
    if (!about.isEmpty())
        lines << about;
    return lines.join(QLatin1Char('\n'));
}
