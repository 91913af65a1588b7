#include "caldata/PromptedChangeRecording.h"

#include "platform/Prompts.h"

PromptedChangeRecording::PromptedChangeRecording(const QString &operation, TableKind kind, InstrumentChannel &channel,
                                                 const QString &connection, Prompts &prompts)
    : m_recorder(operation, kind), m_channel(channel), m_connection(connection), m_prompts(prompts)
{
}

void PromptedChangeRecording::setFile(const std::optional<FileReference> &file)
{
    if (file)
        m_recorder.setFile(*file);
}

QString PromptedChangeRecording::refusedByEngineerText()
{
    return QStringLiteral("Not written: the file's factors belong to another unit");
}

bool PromptedChangeRecording::refuse(const QString &text, QString *outcome)
{
    m_prompts.message(text, m_recorder.record().operation, Prompts::Icon::Critical);
    *outcome = text;
    return false;
}

bool PromptedChangeRecording::prepare(QString *outcome)
{
    QString error;
    if (!TableChangeRecorder::journalWritable(&error))
        return refuse(TableChangeRecorder::journalRefusal(error), outcome);
    m_recorder.identify(m_channel, m_connection);
    return true;
}

bool PromptedChangeRecording::beforeSave(TableOperation &ops, QString *outcome)
{
    if (!prepare(outcome))
        return false;
    if (m_recorder.kind() == TableKind::Factors) {
        using Kind = TableChangeRecorder::Origin::Kind;
        const TableChangeRecorder::Origin origin = m_recorder.fileOrigin();
        if (origin.kind == Kind::AnotherUnit) {
            const QString question = m_recorder.anotherUnitText(origin)
                + QStringLiteral(".\n\nWriting them replaces this unit's calibration with the other unit's. Write them "
                                 "all the same? The change journal will say so.");
            if (m_prompts.message(question, m_recorder.record().operation, Prompts::Icon::Warning,
                                  Prompts::Buttons::YesNo, Prompts::Answer::No)
                != Prompts::Answer::Yes) {
                *outcome = refusedByEngineerText();
                finish(JournalOutcome::Refused);
                return false;
            }
            m_recorder.record().forced = true;
        } else if (origin.kind == Kind::Unknown && m_recorder.record().file && m_warn) {
            m_warn(m_recorder.unknownOriginText());
        }
    }
    QString error;
    const TableChangeRecorder::Failure failure = m_recorder.readBefore(ops, ops.hooks(), &error);
    if (failure != TableChangeRecorder::Failure::None) {
        const QString values =
            m_recorder.kind() == TableKind::Factors ? QStringLiteral("factors") : QStringLiteral("figures");
        return refuse(TableChangeRecorder::readingRefusal(failure, error, values), outcome);
    }
    m_recorder.watchSave(ops);
    return true;
}

bool PromptedChangeRecording::beforeCommand(TableOperation &ops, QString *outcome)
{
    if (!prepare(outcome))
        return false;
    QString error;
    const TableChangeRecorder::Failure failure = m_recorder.snapshot(ops, ops.hooks(), &error);
    if (failure != TableChangeRecorder::Failure::None)
        return refuse(TableChangeRecorder::readingRefusal(failure, error, QStringLiteral("table")), outcome);
    return true;
}

void PromptedChangeRecording::finish(JournalOutcome outcome)
{
    QString error;
    if (!m_recorder.finish(outcome, &error)) {
        m_prompts.message(
            QStringLiteral("The change was made, but its record could not be written to the change journal: %1")
                .arg(error),
            m_recorder.record().operation, Prompts::Icon::Warning);
    }
}
