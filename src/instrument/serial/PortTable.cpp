#include "instrument/serial/PortTable.h"

#include "platform/Settings.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace {

// USB adapters are where a calibrator is usually found; built-in ports follow.
int kindRank(const QString &path)
{
    if (path.contains(QLatin1String("ttyUSB")))
        return 0;
    if (path.contains(QLatin1String("ttyACM")))
        return 1;
    return 2;
}

} // namespace

QStringList PortTable::systemPorts()
{
    QStringList paths;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        paths << info.systemLocation();
    std::sort(paths.begin(), paths.end(), [](const QString &a, const QString &b) {
        if (kindRank(a) != kindRank(b))
            return kindRank(a) < kindRank(b);
        if (a.size() != b.size())
            return a.size() < b.size(); // ttyUSB2 before ttyUSB10
        return a < b;
    });
    return paths;
}

void PortTable::refresh()
{
    m_loaded = false;
    ensureLoaded();
}

void PortTable::setDeviceSource(const SerialDeviceNames &names, std::function<QStringList()> systemPortLister)
{
    m_names = names;
    m_systemPorts = std::move(systemPortLister);
    m_automatic.clear();
    refresh();
}

bool PortTable::isBound(const QString &path) const
{
    for (auto it = m_bindings.cbegin(); it != m_bindings.cend(); ++it) {
        if (SerialDeviceNames::sameDevice(it.value(), path))
            return true;
    }
    return false;
}

void PortTable::ensureLoaded() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_bindings = m_explicit;
    if (m_explicitOnly)
        return;
#ifdef Q_OS_WIN
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        if (!m_bindings.contains(n))
            m_bindings.insert(n, QStringLiteral("COM%1").arg(n));
    }
#else
    const auto takeIfPresent = [this](int n, const QString &path) {
        if (!m_bindings.contains(n) && SerialDeviceNames::exists(path) && !isBound(path))
            m_bindings.insert(n, path);
    };
    for (int n = kFirstPort; n <= kLastPort; ++n)
        takeIfPresent(n, Settings::value(SettingsKey::serialPortDevice(n), QString()).trimmed());
    for (auto it = m_automatic.cbegin(); it != m_automatic.cend(); ++it)
        takeIfPresent(it.key(), it.value());

    const QStringList ports = m_systemPorts ? m_systemPorts() : systemPorts();
    int next = kFirstPort;
    for (const QString &path : ports) {
        if (isBound(path))
            continue;
        while (next <= kLastPort && m_bindings.contains(next))
            ++next;
        if (next > kLastPort)
            break;
        m_bindings.insert(next, m_names.stableName(path));
    }
    m_automatic = m_bindings;
    for (auto it = m_explicit.cbegin(); it != m_explicit.cend(); ++it)
        m_automatic.remove(it.key());
#endif
}

QString PortTable::devicePath(int portNumber) const
{
    ensureLoaded();
    return m_bindings.value(portNumber);
}

int PortTable::numberOf(const QString &devicePath) const
{
    ensureLoaded();
    for (auto it = m_bindings.cbegin(); it != m_bindings.cend(); ++it) {
        if (it.value() == devicePath)
            return it.key();
    }
    // Asked by another of the device's names (its kernel name, say).
    for (auto it = m_bindings.cbegin(); it != m_bindings.cend(); ++it) {
        if (SerialDeviceNames::sameDevice(it.value(), devicePath))
            return it.key();
    }
    return 0;
}

QString PortTable::kernelName(int portNumber) const
{
    const QString path = devicePath(portNumber);
    return path.isEmpty() ? QString() : SerialDeviceNames::kernelName(path);
}

QList<int> PortTable::numbers() const
{
    ensureLoaded();
    return m_bindings.keys();
}

void PortTable::bind(int portNumber, const QString &devicePath)
{
    for (auto it = m_explicit.begin(); it != m_explicit.end();) {
        if (it.value() == devicePath)
            it = m_explicit.erase(it);
        else
            ++it;
    }
    m_explicit.insert(portNumber, devicePath);
    refresh();
}

void PortTable::setExplicitOnly(bool only)
{
    m_explicitOnly = only;
    refresh();
}

int PortTable::bindDevice(const QString &devicePath)
{
    if (const int existing = numberOf(devicePath))
        return existing;
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        if (!m_explicit.contains(n) && !m_bindings.contains(n)) {
            bind(n, devicePath);
            return n;
        }
    }
    // Every number is taken: the device displaces the last automatic binding.
    for (int n = kLastPort; n >= kFirstPort; --n) {
        if (!m_explicit.contains(n)) {
            bind(n, devicePath);
            return n;
        }
    }
    return 0;
}

bool PortTable::remember(int portNumber) const
{
#ifdef Q_OS_WIN
    Q_UNUSED(portNumber);
    return true;
#else
    const QString bound = devicePath(portNumber);
    if (bound.isEmpty())
        return false;
    // Stored by its stable name, so the number follows the adapter, not the order it was plugged in.
    const QString path = m_names.stableName(bound);
    // A device lives under one number only.
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const QString stored = Settings::value(SettingsKey::serialPortDevice(n), QString());
        if (n != portNumber && !stored.isEmpty() && SerialDeviceNames::sameDevice(stored, path))
            Settings::remove(SettingsKey::serialPortDevice(n));
    }
    return Settings::setValue(SettingsKey::serialPortDevice(portNumber), path);
#endif
}
