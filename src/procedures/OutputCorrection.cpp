#include "procedures/OutputCorrection.h"

#include "instrument/CommandHelpers.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "procedures/DiagnosticCommands.h"
#include "procedures/LeadingNumber.h"

OutputCorrection::OutputCorrection(InstrumentChannel &channel, Prompts &prompts)
    : m_channel(channel), m_prompts(prompts)
{
}

bool OutputCorrection::reportMissingInstrument(const ExchangeReply &reply) const
{
    // Nothing was sent: there is no instrument to send to.
    if (reply.outcome != ExchangeOutcome::NotConnected)
        return false;
    m_prompts.message(QStringLiteral("Error reading ") + QStringLiteral("no instrument is connected"),
                      Settings::applicationTitle());
    return true;
}

std::array<QString, 3> OutputCorrection::readFactors(const std::array<QString, 3> &current)
{
    std::array<QString, 3> texts = current;
    for (size_t i = 0; i < texts.size(); ++i) {
        const ExchangeReply reply =
            m_channel.exchange({FactorCommands[i] + QStringLiteral(" ?"), true, kFactorTimeoutSeconds, 1});
        if (reportMissingInstrument(reply))
            return texts;
        texts[i] = SplitLines(reply.conventionalText().remove(QLatin1Char('\n'))).constFirst();
    }
    return texts;
}

void OutputCorrection::writeFactors(const std::array<QString, 3> &texts)
{
    for (size_t i = 0; i < texts.size(); ++i) {
        const ExchangeReply reply = m_channel.exchange(
            {FactorCommands[i] + QLatin1Char(' ') + commandText(texts[i]), true, kFactorTimeoutSeconds, 1});
        if (reportMissingInstrument(reply))
            return;
    }
}

void OutputCorrection::sendDiagnostic(int row, const QString &text)
{
    const QString command = DiagnosticCommands::command(row, text);
    if (!command.isEmpty())
        m_channel.SendString(command, false, kDiagnosticTimeoutSeconds, 1);
}

bool OutputCorrection::enableLatchWrite()
{
    if (m_prompts.confirm(QStringLiteral("Incorrect latch settings may damage the calibrator. Continue?"),
                          QStringLiteral("Warning")))
        m_latchEnabled = true;
    return m_latchEnabled;
}

void OutputCorrection::setLatch(const QString &numberText, const QString &dataText)
{
    if (!m_latchEnabled)
        return;
    const LatchControl::Request request = LatchControl::request(m_kind, numberText, dataText);
    if (!request.ok()) {
        m_prompts.message(request.error, Settings::applicationTitle());
        return;
    }
    m_channel.SendString(request.command, false, kDiagnosticTimeoutSeconds, 1);
}
