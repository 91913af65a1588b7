#pragma once

#include "caldata/TableChangeRecorder.h"

#include <QString>

#include <functional>

class InstrumentChannel;
class Prompts;

/**
 * @brief A window's change of an instrument's table, recorded in the change journal, with the
 * window's questions and messages: TableChangeRecorder's steps, each failure said in a message
 * box titled as the operation, and the guard against one unit's factors on another asked as a
 * second confirmation.
 *
 * Made on the windows' thread when the button is pressed (the connection is named there), used
 * by the operation on the instrument's thread; the prompts carry their boxes across.
 */
class PromptedChangeRecording
{
public:
    PromptedChangeRecording(const QString &operation, TableKind kind, InstrumentChannel &channel,
                            const QString &connection, Prompts &prompts);

    /// The file the grid was loaded from, when its values came from one.
    void setFile(const std::optional<FileReference> &file);
    /// Where the unknown-origin warning goes (the main window's status box).
    void setWarningSink(std::function<void(const QString &)> sink) { m_warn = std::move(sink); }

    /// Before a save of ops's pending cells: the journal can be written, the instrument is named,
    /// a factor file read from another unit is confirmed a second time, and what is about to
    /// change is read. False, after the message, when nothing may be sent; *outcome then says why
    /// for the window's status line.
    bool beforeSave(TableOperation &ops, QString *outcome);
    /// Before a whole-table command: the journal, the instrument, and the table as a snapshot.
    bool beforeCommand(TableOperation &ops, QString *outcome);
    /// Writes the record; a record that cannot be written is said (the change itself happened).
    void finish(JournalOutcome outcome);

    /// Who the instrument said it was, once beforeSave/beforeCommand have run.
    const InstrumentIdentity &instrument() { return m_recorder.record().instrument; }

    static QString refusedByEngineerText();

private:
    bool prepare(QString *outcome);
    bool refuse(const QString &text, QString *outcome);

    TableChangeRecorder m_recorder;
    InstrumentChannel &m_channel;
    QString m_connection;
    Prompts &m_prompts;
    std::function<void(const QString &)> m_warn;
};
