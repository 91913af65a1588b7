#include "procedures/OutputCorrection.h"

#include "instrument/CommandHelpers.h"
#include "instrument/Reply.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "procedures/AnswerStatus.h"
#include "procedures/DiagnosticCommands.h"
#include "procedures/LeadingNumber.h"

OutputCorrection::OutputCorrection(InstrumentChannel &channel, Prompts &prompts)
    : m_channel(channel),
      m_prompts(prompts),
      m_input(prompts, Title),
      m_recording(QStringLiteral("Set (%1)").arg(Title))
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

RefusedBox OutputCorrection::writeFactors(const std::array<QString, 3> &texts)
{
    // All three are read before the first goes, so a bad one leaves the instrument as it was.
    for (size_t i = 0; i < texts.size(); ++i) {
        if (!m_input.number(FactorCaptions[i], texts[i]))
            return InputBox{InputBox::Kind::Factor, int(i)};
    }
    QString journalError;
    if (!AdjustmentRecording::canRecord(&journalError)) {
        m_prompts.message(journalError, Title, Prompts::Icon::Warning);
        m_status = QStringLiteral("Factors not set: the change journal cannot be written");
        return {};
    }
    // The instrument keeps each factor as it takes it; what it held goes into the journal.
    m_recording.noteListing(kNoRange, listFactors());
    QStringList refused;
    for (size_t i = 0; i < texts.size(); ++i) {
        const QString sent = commandText(texts[i]).trimmed();
        const ExchangeReply reply =
            m_channel.exchange({FactorCommands[i] + QLatin1Char(' ') + sent, true, kFactorTimeoutSeconds, 1});
        if (reportMissingInstrument(reply)) {
            m_status = QStringLiteral("Factors not set: no instrument is connected");
            return {};
        }
        const QString text = reply.conventionalText().remove(QLatin1Char('\n'));
        if (Reply::isSuccess(text.trimmed()))
            m_recording.noteAccepted(kNoRange, int(i), sent);
        else
            refused << AnswerStatus::text(FactorCaptions[i], {}, text);
    }
    if (!refused.isEmpty())
        m_recording.noteRefused();
    m_status = refused.isEmpty() ? QStringLiteral("Correction factors set") : refused.join(QStringLiteral("; "));
    if (!m_recording.hasChanges())
        return {};
    int unverified = 0;
    QString error;
    const bool recorded = m_recording.stored(m_channel, true, kNoRange, listFactors(), &unverified, &error);
    if (unverified > 0)
        m_status += QStringLiteral("; %1 read back otherwise than sent").arg(unverified);
    if (!recorded)
        m_prompts.message(
            QStringLiteral("The factors were set, but the change journal could not record it: %1").arg(error), Title,
            Prompts::Icon::Warning);
    return {};
}

QStringList OutputCorrection::listFactors()
{
    QStringList factors;
    for (const QString &command : FactorCommands) {
        const QStringList lines = SplitLines(
            m_channel.exchange({command + QStringLiteral(" ?"), true, kFactorTimeoutSeconds, 1}).conventionalText());
        // A value is a line followed by the status; anything else says nothing of the factor.
        const bool value = lines.size() >= 2 && Reply::isStatus(lines.last().trimmed());
        factors << (value ? lines.first().trimmed() : QString());
    }
    return factors;
}

RefusedBox OutputCorrection::sendDiagnostic(int row, const QString &text)
{
    if (row < 0 || row >= int(DiagnosticCommands::kRows.size()))
        return {};
    const std::optional<double> value =
        m_input.number(QString::fromLatin1(DiagnosticCommands::kRows[size_t(row)].caption), text);
    if (!value)
        return InputBox{InputBox::Kind::Diagnostic, row};
    const QString command = DiagnosticCommands::command(row, *value);
    m_channel.SendString(command, false, kDiagnosticTimeoutSeconds, 1);
    m_status = QStringLiteral("Sent %1 (the calibrator does not confirm diagnostic settings)").arg(command);
    return {};
}

bool OutputCorrection::enableLatchWrite()
{
    if (m_prompts.confirm(QStringLiteral("Incorrect latch settings may damage the calibrator. Continue?"),
                          QStringLiteral("Warning")))
        m_latchEnabled = true;
    return m_latchEnabled;
}

RefusedBox OutputCorrection::setLatch(const QString &numberText, const QString &dataText)
{
    if (!m_latchEnabled)
        return {};
    const LatchControl::Request request = LatchControl::request(m_kind, numberText, dataText);
    if (!request.ok()) {
        m_prompts.message(request.error, Settings::applicationTitle());
        return request.box ? RefusedBox(InputBox{*request.box}) : RefusedBox();
    }
    m_channel.SendString(request.command, false, kDiagnosticTimeoutSeconds, 1);
    m_status = QStringLiteral("Sent %1 (the calibrator does not confirm latch writes)").arg(request.command);
    return {};
}
