#include "instrument/InterfaceType.h"

QString interfaceSettingText(int type)
{
    switch (type) {
    case InterfaceGPIB:
        return QStringLiteral("GPIB");
    case InterfaceUSB:
        return QStringLiteral("USB");
    case InterfaceEthernet:
        return QStringLiteral("Ethernet");
    default:
        return QStringLiteral("RS232");
    }
}

int interfaceFromSettingText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("GPIB"), Qt::CaseInsensitive) == 0)
        return InterfaceGPIB;
    if (t.compare(QLatin1String("USB"), Qt::CaseInsensitive) == 0)
        return InterfaceUSB;
    if (t.compare(QLatin1String("Ethernet"), Qt::CaseInsensitive) == 0)
        return InterfaceEthernet;
    return InterfaceRS232;
}
