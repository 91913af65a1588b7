#include "procedures/AdjustmentProcedure.h"

AdjustmentProcedure::AdjustmentProcedure(InstrumentChannel &channel, Prompts &prompts, int factorBoxes, QObject *parent)
    : QObject(parent), m_channel(channel), m_prompts(prompts), m_factors(size_t(factorBoxes))
{
}

void AdjustmentProcedure::setFactorText(int index, const QString &text)
{
    if (index >= 0 && index < int(m_factors.size()))
        m_factors[size_t(index)] = text;
}

QString AdjustmentProcedure::send(const QString &command, int timeout) const
{
    return m_channel.SendString(command, true, timeout, 1);
}
