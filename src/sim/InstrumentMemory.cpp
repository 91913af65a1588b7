#include "sim/InstrumentMemory.h"

#include "platform/Clock.h"
#include "sim/RangeLayout.h"

QStringList InstrumentMemory::knownModels()
{
    return {QStringLiteral("5241"), QStringLiteral("5210"), QStringLiteral("5250"),
            QStringLiteral("5600"), QStringLiteral("6481")};
}

bool InstrumentMemory::isKnownModel(const QString &model)
{
    return knownModels().contains(model);
}

InstrumentMemory::InstrumentMemory(const QString &model)
    : m_model(model.toLatin1()), m_serialNumber(model.toLatin1() + "0123")
{
    for (int range = RangeLayout::kFirstRange; range <= RangeLayout::kLastRange; ++range)
        m_active[range] = initialFactors(range);
    m_backup = m_active;
}

void InstrumentMemory::leaveSetupMode()
{
    m_systemUnlocked = false;
    m_calibrationUnlocked = false;
    closeCalibrationSession();
}

void InstrumentMemory::closeCalibrationSession()
{
    m_calibrationLog.closeSession(clockAt(systemClock().currentDateTime()).date());
}

QList<qint32> InstrumentMemory::factors(int range) const
{
    if (range < RangeLayout::kFirstRange || range > RangeLayout::kLastRange)
        return {};
    return m_active[range];
}

QList<qint32> InstrumentMemory::backupFactors(int range) const
{
    if (range < RangeLayout::kFirstRange || range > RangeLayout::kLastRange)
        return {};
    return m_backup[range];
}

bool InstrumentMemory::setFactor(int range, int index, qint32 value)
{
    if (range < RangeLayout::kFirstRange || range > RangeLayout::kLastRange)
        return false;
    QList<qint32> &set = m_active[range];
    if (index < 0 || index >= set.size())
        return false;
    set[index] = value;
    return true;
}

void InstrumentMemory::clearFactors()
{
    for (QList<qint32> &set : m_active)
        set.fill(0);
}

QList<qint32> InstrumentMemory::initialFactors(int range)
{
    // A freshly adjusted instrument: gain trims of a few thousand counts either way, small zero
    // offsets, and frequency-point corrections that differ from point to point. Derived from the
    // range and index alone so every run (and every test) sees the same memory.
    const int count = RangeLayout::factorCount(range);
    QList<qint32> set;
    set.reserve(count);
    for (int index = 0; index < count; ++index) {
        quint32 h = quint32(range) * 2654435761u ^ quint32(index + 1) * 40503u;
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        h ^= h >> 15;
        qint32 value;
        switch (index) {
        case 0:
        case 1:
            value = qint32(h % 6001) - 3000;
            break;
        case 2:
            value = qint32(h % 401) - 200;
            break;
        case 3:
            value = qint32(h % 100);
            break;
        default:
            value = qint32(h % 3001) - 1500;
            break;
        }
        set.append(value);
    }
    return set;
}
