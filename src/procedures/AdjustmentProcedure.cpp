#include "procedures/AdjustmentProcedure.h"

#include "procedures/AnswerStatus.h"

AdjustmentProcedure::AdjustmentProcedure(InstrumentChannel &channel, Prompts &prompts, const QString &title,
                                         int factorBoxes, QObject *parent)
    : QObject(parent), m_channel(channel), m_prompts(prompts), m_input(prompts, title), m_factors(size_t(factorBoxes))
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

void AdjustmentProcedure::setStatus(const QString &status)
{
    m_status = status;
    emit statusChanged(m_status);
}

void AdjustmentProcedure::reportAnswer(const QString &action, const QString &done, const QString &reply)
{
    setStatus(AnswerStatus::text(action, done, reply));
}

std::optional<double> AdjustmentProcedure::factorNumber(int index) const
{
    return m_input.number(factorCaption(index), m_factors.at(size_t(index)));
}

std::optional<double> AdjustmentProcedure::measuredNumber(const QString &caption) const
{
    return m_input.number(caption, m_measured);
}
