#include "instrument/Endpoint.h"

Endpoint Endpoint::serialPort(int portNumber)
{
    return {InterfaceRS232, QString::number(portNumber), {}};
}

Endpoint Endpoint::gpib(int address)
{
    return {InterfaceGPIB, QString::number(address), {}};
}

Endpoint Endpoint::usb(const QString &serialNumber, const QString &description)
{
    return {InterfaceUSB, serialNumber, description};
}

Endpoint Endpoint::ethernet(const QString &ip, int port, const QString &mac)
{
    return {InterfaceEthernet, ip + QLatin1Char(':') + QString::number(port), mac};
}

int Endpoint::number() const
{
    // Digits only: a sign or a blank makes it no number, as the settings and options read it.
    if (address.isEmpty())
        return -1;
    for (const QChar ch : address) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return -1;
    }
    bool ok = false;
    const int value = address.toInt(&ok);
    return ok ? value : -1;
}

int Endpoint::numberWithin(int first, int last, const QString &what, QString *error) const
{
    const int value = number();
    if (value >= first && value <= last)
        return value;
    if (error)
        *error = QStringLiteral("%1 run from %2 to %3, not \"%4\"").arg(what).arg(first).arg(last).arg(address);
    return -1;
}

QString Endpoint::host() const
{
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : address.left(colon);
}

int Endpoint::port() const
{
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return 0;
    bool ok = false;
    const int value = address.mid(colon + 1).toInt(&ok);
    return ok ? value : 0;
}
