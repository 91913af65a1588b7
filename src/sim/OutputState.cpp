#include "sim/OutputState.h"

OutputState::OutputState()
{
    // Plausible trims that differ from range to range, the same on every run.
    for (int i = 0; i < 2 * kPowerRanges; ++i) {
        power[size_t(i)] = {20000 + (i * 37) % 300 - 150, (i * 13) % 60 - 30, (i * 29) % 200 - 100,
                            (i * 17) % 160 - 80};
    }
    kvDc = {500123456, -499876543, 12345, 0};
    kvAc = {498765432, -498700000, -23456, 0};
}

OutputState::FactorSet *OutputState::selectedFactors()
{
    switch (function) {
    case Function::PowerAc:
        return &power[size_t(powerRange)];
    case Function::PowerDc:
        return &power[size_t(kPowerRanges + powerRange)];
    case Function::KvDc:
        return &kvDc;
    case Function::KvAc:
        return &kvAc;
    case Function::None:
        break;
    }
    return nullptr;
}

std::optional<int> OutputState::slotFor(const QByteArray &command) const
{
    if (isPower()) {
        if (command == "P")
            return 0;
        if (command == "Z")
            return 1;
        if (command == "N")
            return 2;
        if (command == "MISCCAL")
            return 3;
    } else if (isKv()) {
        if (command == "P")
            return 0;
        if (command == "Z")
            return 2;
    }
    return std::nullopt;
}

OutputState::Limits OutputState::limits(int slot) const
{
    if (isPower()) {
        switch (slot) {
        case 0:
            return {10000, 30000};
        case 1:
            return {-2000, 2000};
        default:
            return {-5000, 5000};
        }
    }
    switch (slot) {
    case 0:
        return {100000000, 900000000};
    case 1:
        return {-900000000, -100000000};
    case 2:
        return {-10000000, 10000000};
    default:
        return {-1000000, 1000000};
    }
}

int OutputState::historyRange() const
{
    // The history names the power ranges 120-125 (AC) and 126-131 (DC).
    switch (function) {
    case Function::PowerAc:
        return 120 + powerRange;
    case Function::PowerDc:
        return 126 + powerRange;
    default:
        return 0;
    }
}

void OutputState::beginAdjustSession()
{
    if (!m_saved)
        m_saved = Saved{power, kvDc, kvAc};
}

void OutputState::revertAdjustSession()
{
    if (m_saved) {
        power = m_saved->power;
        kvDc = m_saved->kvDc;
        kvAc = m_saved->kvAc;
    }
    endAdjustSession();
}
