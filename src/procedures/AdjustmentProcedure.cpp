#include "procedures/AdjustmentProcedure.h"

#include "instrument/CommandHelpers.h"
#include "instrument/Reply.h"
#include "platform/Prompts.h"
#include "procedures/AnswerStatus.h"

AdjustmentProcedure::AdjustmentProcedure(InstrumentChannel &channel, Prompts &prompts, const QString &title,
                                         int factorBoxes, QObject *parent)
    : QObject(parent),
      m_channel(channel),
      m_prompts(prompts),
      m_input(prompts, title),
      m_factors(size_t(factorBoxes)),
      m_title(title),
      m_recording(QStringLiteral("Store (%1)").arg(title))
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

bool AdjustmentProcedure::journalReady() const
{
    QString error;
    if (AdjustmentRecording::canRecord(&error))
        return true;
    m_prompts.message(error, m_title, Prompts::Icon::Warning);
    return false;
}

QStringList AdjustmentProcedure::factorListing(const QString &reply)
{
    QStringList lines = SplitLines(reply);
    if (lines.isEmpty() || !Reply::isStatus(lines.last().trimmed()))
        return {};
    lines.removeLast();
    return lines;
}

void AdjustmentProcedure::noteFactorListing(int range, const QString &reply)
{
    const QStringList factors = factorListing(reply);
    if (!factors.isEmpty())
        m_recording.noteListing(range, factors);
}

void AdjustmentProcedure::storeFactors(int range, int storeTimeout, int readTimeout)
{
    const QString reply = send(QStringLiteral("a2"), storeTimeout);
    reportAnswer(QStringLiteral("Store"), QStringLiteral("Factors stored"), reply);
    if (!m_recording.hasChanges())
        return;
    const bool taken = Reply::isSuccess(reply.trimmed());
    const QStringList readBack = factorListing(send(QStringLiteral("CAL:PRINT"), readTimeout));
    int unverified = 0;
    QString error;
    const bool recorded = m_recording.stored(m_channel, taken, range, readBack, &unverified, &error);
    if (taken && unverified > 0)
        setStatus(QStringLiteral("Factors stored, but %1 of those set read back otherwise than sent").arg(unverified));
    if (!recorded)
        m_prompts.message(
            QStringLiteral("The factors were stored, but the change journal could not record it: %1").arg(error),
            m_title, Prompts::Icon::Warning);
}
