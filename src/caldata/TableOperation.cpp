#include "caldata/TableOperation.h"

#include "caldata/FileText.h"
#include "caldata/TableDiff.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/StatusMeaning.h"
#include "platform/Clock.h"
#include "records/DurableFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

TableOperation::TableOperation(CellTable &table, InstrumentChannel &dvm, Prompts &prompts,
                               const Declaration &declaration, Hooks hooks)
    : m_table(table), m_dvm(dvm), m_prompts(prompts), m_declaration(declaration), m_hooks(std::move(hooks))
{
}

TableOperation::Hooks TableOperation::counting(const QString &step, int total, Progress progress)
{
    Hooks hooks;
    if (!progress || total <= 0)
        return hooks;
    hooks.progress = [step, total, progress = std::move(progress), done = 0]() mutable {
        progress(step, qMin(++done, total), total);
    };
    return hooks;
}

int TableOperation::readLength() const
{
    return m_declaration.expectedReadLines > 0 ? m_declaration.expectedReadLines : m_declaration.readExchanges;
}

ExchangeReply TableOperation::exchange(const QString &command, int timeoutSeconds)
{
    return m_dvm.exchange({command, true, timeoutSeconds, 1});
}

QString TableOperation::send(const QString &command, int timeoutSeconds)
{
    return replyText(exchange(command, timeoutSeconds));
}

QString TableOperation::replyText(const ExchangeReply &reply)
{
    QString text = reply.conventionalText();
    text.remove(QLatin1Char('\n'));
    return text;
}

bool TableOperation::enterSetupMode(SetupPassword password)
{
    if (EnterSetupMode(m_dvm, password))
        return true;
    m_prompts.message(QStringLiteral("Error entering setup mode"));
    return false;
}

void TableOperation::setStatus(const QString &text)
{
    if (m_hooks.status)
        m_hooks.status(text);
}

void TableOperation::reportOutcome(const QString &text)
{
    if (m_hooks.outcome)
        m_hooks.outcome(text);
}

void TableOperation::setBusy(bool on)
{
    if (m_hooks.busy)
        m_hooks.busy(on);
}

namespace {

/// ": " and the reason, or nothing when none was given.
QString reasonText(const QString &error)
{
    return error.isEmpty() ? QString() : QStringLiteral(": ") + error;
}

} // namespace

// --- reading ------------------------------------------------------------------------------------

TableOperation::Outcome TableOperation::load()
{
    QString report;
    const Outcome outcome = read(&report);
    reportOutcome(report);
    return outcome;
}

TableOperation::Outcome TableOperation::read(QString *report)
{
    const Declaration &d = m_declaration;
    auto readSoFar = [this] { return QStringLiteral("%1 ranges read").arg(m_rowsLoaded); };
    setBusy(true);
    auto idle = qScopeGuard([this] { setBusy(false); });

    m_rowsLoaded = 0;
    prepareForRead();
    for (int range = 1; range <= d.readExchanges; ++range) {
        beforeRead(range);
        const bool announced = d.expectedReadLines > 0;
        if (announced && m_hooks.readStarting)
            m_hooks.readStarting(d.expectedReadLines);
        const ExchangeReply exchanged = exchange(readCommand(range), d.readTimeoutSeconds);
        const QString reply = replyText(exchanged);
        if (announced && m_hooks.readFinished)
            m_hooks.readFinished();
        if (exchanged.failed()) {
            // A dead or silent line answers every later exchange the same way, a time-out each:
            // stop. What was placed so far is the instrument's; the rest stays visibly empty.
            const QString unread = unreadText(range);
            if (!unread.isEmpty())
                setStatus(unread);
            *report = QStringLiteral("No answer from the %1 after %2: check the connection, then load again")
                          .arg(d.instrumentName, readSoFar());
            return Outcome::Failed;
        }
        const Outcome placed = takeReply(range, reply, &m_rowsLoaded);
        if (placed != Outcome::Done) {
            *report =
                QStringLiteral("The %1's answer could not be read (%2): load again").arg(d.instrumentName, readSoFar());
            return placed;
        }
        if (m_hooks.progress)
            m_hooks.progress();
        if (m_hooks.rangeRead && !m_hooks.rangeRead(range, reply)) {
            *report = QStringLiteral("Reading stopped: ") + readSoFar();
            return Outcome::Stopped;
        }
    }
    *report = readSoFar();
    return Outcome::Done;
}

// --- writing ------------------------------------------------------------------------------------

TableOperation::SaveSummary TableOperation::save()
{
    SaveSummary summary;
    summary.toWrite = m_table.pendingCount();
    // Said once the save has ended, whichever way.
    auto report = qScopeGuard([this, &summary] { reportOutcome(saveReport(summary)); });
    if (!enterSetupMode(m_declaration.writePassword)) {
        summary.outcome = Outcome::NoSetupMode;
        return summary;
    }
    setBusy(true);
    auto tail = qScopeGuard([this] {
        // Setup mode is left however the save ended.
        SendCalPassword(m_dvm);
        setBusy(false);
    });

    for (int row = 1; row < m_table.rowCount(); ++row) {
        // The row's accepted cells are read back once the row is done, or when the save ends in it.
        QList<CellWrite> accepted;
        auto verify = qScopeGuard([&] { verifyRow(row, accepted, summary); });
        for (int column = 1; column < m_table.columnCount(); ++column) {
            const QString text = m_table.text(row, column);
            if (text.isEmpty() || !CellTable::isToWrite(m_table.state(row, column)))
                continue;
            CellWrite write{row, column, indexOfColumn(column), text, WriteResult::NotSent, {}};
            const bool goOn = writeCell(write, summary);
            if (write.result == WriteResult::Accepted)
                accepted.append(write);
            if (!goOn) {
                if (m_hooks.cellWritten)
                    m_hooks.cellWritten(write);
                return summary;
            }
            if (m_hooks.progress)
                m_hooks.progress();
            if (m_hooks.cellWritten && !m_hooks.cellWritten(write)) {
                summary.outcome = Outcome::Stopped;
                return summary;
            }
        }
    }
    sendClosingRecord(summary);
    return summary;
}

TableOperation::WriteResult TableOperation::writeResult(const QString &reply) const
{
    switch (TableReply::classify(reply, m_declaration.codes)) {
    case TableReply::Kind::Success:
        return WriteResult::Accepted;
    case TableReply::Kind::Refused:
        return WriteResult::Rejected;
    case TableReply::Kind::PasswordNeeded:
        return WriteResult::PasswordNeeded;
    case TableReply::Kind::OtherStatus:
        return m_declaration.otherStatus;
    case TableReply::Kind::NoAnswer:
        break;
    }
    return WriteResult::NoAnswer;
}

bool TableOperation::writeCell(CellWrite &write, SaveSummary &summary)
{
    using State = CellTable::CellState;
    const Declaration &d = m_declaration;
    QString command;
    if (write.row < d.firstWritableRow || write.row > d.lastWritableRow || write.index < 0) {
        // The instrument holds no such cell; it stays pending so the engineer sees that it never
        // went out.
        ++summary.notSent;
        return true;
    }
    if (!writeCommand(write.row, write.index, write.text, &command)) {
        // A text the instrument could not take is refused here, before it could be sent as some
        // other value.
        m_table.setState(write.row, write.column, State::Invalid, d.notAValueText);
        write.result = WriteResult::NotANumber;
        ++(d.notANumberIsRejected ? summary.rejected : summary.notANumber);
        ++summary.invalid;
        return true;
    }
    m_table.setState(write.row, write.column, d.writingState);
    write.reply = send(command, d.writeTimeoutSeconds);
    ++summary.sent;
    write.result = writeResult(write.reply);
    switch (write.result) {
    case WriteResult::Accepted:
        m_table.setState(write.row, write.column, State::InStep);
        ++summary.accepted;
        return true;
    case WriteResult::Rejected:
        m_table.setState(write.row, write.column, State::Rejected,
                         QStringLiteral("Refused by the %1: %2")
                             .arg(d.instrumentName, StatusMeaning::describe(write.reply, d.instrumentName)));
        ++summary.rejected;
        return true;
    case WriteResult::Unconfirmed:
        m_table.setState(
            write.row, write.column, State::Unconfirmed,
            QStringLiteral("Not taken as sent: %1").arg(StatusMeaning::describe(write.reply, d.instrumentName)));
        ++summary.unconfirmed;
        return true;
    case WriteResult::PasswordNeeded:
        // Not written: the cell goes back to pending with the rest, and the save ends without a
        // closing record.
        m_table.setState(write.row, write.column, State::Pending);
        summary.outcome = Outcome::PasswordNeeded;
        m_prompts.message(d.passwordNeededText);
        return false;
    case WriteResult::NotANumber:
    case WriteResult::NotSent:
    case WriteResult::NoAnswer:
        break;
    }
    // Not an answer about the cell: the line or the instrument has gone quiet (a restart, a
    // pulled cable), or noise ate the status. The cell and every later one stay pending for the
    // next save (writing a value twice does no harm); sending on would cost a time-out per cell,
    // and a half-written table gets no closing record.
    m_table.setState(write.row, write.column, State::Pending);
    summary.outcome = Outcome::Failed;
    m_prompts.message(d.noClearAnswerText.arg(m_table.pendingCountInRows(d.firstWritableRow, d.lastWritableRow)));
    return false;
}

QList<int> TableOperation::rowsToWrite() const
{
    QList<int> rows;
    for (int row = 1; row < m_table.rowCount(); ++row) {
        if (m_table.pendingCountInRows(row, row) > 0)
            rows << row;
    }
    return rows;
}

bool TableOperation::readRows(const QList<int> &rows, QHash<int, QStringList> *values)
{
    if (!m_declaration.rowsReadBack)
        return false;
    for (int row : rows) {
        QStringList held;
        if (!rowFromReply(send(readCommand(row), m_declaration.readTimeoutSeconds), &held))
            return false;
        values->insert(row, held);
    }
    return true;
}

void TableOperation::verifyRow(int row, const QList<CellWrite> &accepted, SaveSummary &summary)
{
    // After a write that got no answer the line is dead: a read would only wait out its time.
    if (!m_verifyWrites || !m_declaration.rowsReadBack || accepted.isEmpty() || summary.outcome == Outcome::Failed)
        return;
    // "*0" says the instrument took the command, not what it keeps: a failing memory cell, a
    // value clipped or rounded, is only seen by reading the row again.
    const QString reply = send(readCommand(row), m_declaration.readTimeoutSeconds);
    QStringList values;
    const bool read = rowFromReply(reply, &values);
    for (const CellWrite &write : accepted) {
        const QString kept = read ? values.value(write.index) : QString();
        if (read && TableDiff::sameFigure(kept, write.text))
            continue;
        const QString note = read
            ? QStringLiteral("Not kept as written: the %1 holds %2 here, %3 was written. Write it again; if it "
                             "stays, the %1's memory may be failing")
                  .arg(m_declaration.instrumentName, kept.isEmpty() ? QStringLiteral("nothing") : kept, write.text)
            : QStringLiteral("Written, but the row could not be read back to check it (%1)").arg(reply);
        m_table.setState(row, write.column, CellTable::CellState::NotVerified, note);
        ++summary.notVerified;
        if (m_hooks.notVerified)
            m_hooks.notVerified(write, kept);
    }
}

void TableOperation::sendClosingRecord(SaveSummary &summary)
{
    summary.versionRecord = closingRecord(summary);
    if (summary.versionRecord.isEmpty())
        return;
    const QString reply = send(summary.versionRecord, m_declaration.closingTimeoutSeconds);
    summary.versionAccepted = TableReply::isSuccess(reply, TableReply::SuccessTest::Prefix);
    if (!summary.versionAccepted)
        m_prompts.message(m_declaration.closingRefusedText);
}

QString TableOperation::saveReport(const SaveSummary &summary) const
{
    const Declaration &d = m_declaration;
    if (summary.outcome == Outcome::NoSetupMode)
        return QStringLiteral("Nothing written: the %1 did not accept the setup password. Check the connection and "
                              "save again")
            .arg(d.instrumentName);
    if (summary.toWrite == 0)
        return QStringLiteral("Nothing to write: no changed cells");
    const QString written =
        QStringLiteral("%1 of %2 %3 written").arg(summary.accepted).arg(summary.toWrite).arg(d.cellsName);
    switch (summary.outcome) {
    case Outcome::PasswordNeeded:
        return written
            + QStringLiteral(", then the %1 asked for its password: the rest stay pending").arg(d.instrumentName);
    case Outcome::Failed:
        return written
            + QStringLiteral(", then no clear answer from the %1: the rest stay pending. Check the connection and "
                             "save again")
                  .arg(d.instrumentName);
    case Outcome::Stopped:
    case Outcome::Cancelled:
        return QStringLiteral("Save stopped: ") + written;
    case Outcome::Done:
    case Outcome::NoSetupMode:
        break;
    }
    QStringList problems;
    const int refused = summary.rejected - (d.notANumberIsRejected ? summary.invalid : 0);
    if (refused > 0)
        problems << QStringLiteral("%1 refused by the %2 (red)").arg(refused).arg(d.instrumentName);
    if (summary.unconfirmed > 0)
        problems << QStringLiteral("%1 not taken as sent (blue)").arg(summary.unconfirmed);
    if (summary.notVerified > 0)
        problems << QStringLiteral("%1 not kept as written when read back (purple)").arg(summary.notVerified);
    if (summary.invalid > 0)
        problems << QStringLiteral("%1 not numbers, never sent (orange)").arg(summary.invalid);
    if (summary.notSent > 0)
        problems << QStringLiteral("%1 in rows or columns the %2 does not hold, still pending")
                        .arg(summary.notSent)
                        .arg(d.instrumentName);
    if (!summary.versionAccepted)
        problems << QStringLiteral("the version record was not accepted");
    if (problems.isEmpty())
        return written;
    return written + QStringLiteral("; ") + problems.join(QStringLiteral("; "))
        + QStringLiteral(". Point at a coloured cell to see why, correct it and save again");
}

// --- one command --------------------------------------------------------------------------------

TableOperation::Outcome TableOperation::run(const Command &command, bool reread)
{
    if (!confirm(m_prompts, command)) {
        reportOutcome(cancelledText(command));
        return Outcome::Cancelled;
    }
    return runConfirmed(command, reread);
}

bool TableOperation::confirm(Prompts &prompts, const Command &command)
{
    return prompts.confirm(command.question, command.title);
}

QString TableOperation::cancelledText(const Command &command)
{
    return command.title + QStringLiteral(" cancelled");
}

TableOperation::Outcome TableOperation::runConfirmed(const Command &command, bool reread)
{
    if (!enterSetupMode(command.password)) {
        reportOutcome(QStringLiteral("%1 not done: the %2 did not accept the password. Check the connection and try "
                                     "again")
                          .arg(command.title, m_declaration.instrumentName));
        return Outcome::NoSetupMode;
    }
    bool done = false;
    {
        // The reading afterwards is a busy stretch of its own.
        setBusy(true);
        auto idle = qScopeGuard([this] { setBusy(false); });
        done = TableReply::isSuccess(send(command.command, command.timeoutSeconds), command.successTest);
        setStatus(done ? command.done : command.failed);
        SendCalPassword(m_dvm);
        if (command.settleMs > 0)
            systemClock().pause(command.settleMs);
    }
    QString report = done ? command.done : command.failed + QStringLiteral(": check the connection and try again");
    Outcome outcome = done ? Outcome::Done : Outcome::Failed;
    if (reread) {
        QString readReport;
        const Outcome readOutcome = read(&readReport);
        report += QStringLiteral("; ") + readReport;
        if (readOutcome != Outcome::Done)
            outcome = readOutcome;
    }
    reportOutcome(report);
    return outcome;
}

// --- files --------------------------------------------------------------------------------------

TableOperation::Outcome TableOperation::saveToFile()
{
    const QString notSaved = QStringLiteral("Backup not saved");
    QString uncarried;
    if (!FileText::carriesEveryCell(m_table, &uncarried)) {
        m_prompts.critical(notSaved + QStringLiteral("\n\n") + uncarried);
        reportOutcome(QStringLiteral("Not saved: ") + uncarried);
        return Outcome::Failed;
    }
    const TableFile::Kind &file = *m_declaration.file;
    const QString suggested = file.defaultFileName(systemClock().currentDateTime().date());
    const QString path = m_prompts.saveFileName(QStringLiteral("Save to File"), file.filter, suggested, file.suffix);
    if (path.isEmpty()) {
        m_prompts.critical(notSaved);
        reportOutcome(QStringLiteral("Save to file cancelled: nothing saved"));
        return Outcome::Cancelled;
    }
    QString error;
    if (!writeFile(path, &error)) {
        m_prompts.critical(notSaved);
        reportOutcome(QStringLiteral("Not saved: %1 could not be written%2. Choose another folder and save again")
                          .arg(path, reasonText(error)));
        return Outcome::Failed;
    }
    QFile written(path);
    if (written.open(QIODevice::ReadOnly))
        m_lastFile = FileReference{QFileInfo(path).absoluteFilePath(), DurableFiles::sha256Hex(written.readAll())};
    reportOutcome(QStringLiteral("Saved to ") + path);
    return Outcome::Done;
}

TableOperation::Outcome TableOperation::loadFromFile()
{
    const QString path = m_prompts.openFileName(QStringLiteral("Load from File"), m_declaration.file->filter);
    if (path.isEmpty()) {
        // Choosing no file is no error: the grid stays as it was.
        reportOutcome(QStringLiteral("Load cancelled"));
        return Outcome::Cancelled;
    }
    return fileLoad(path);
}

TableOperation::Outcome TableOperation::fileLoad(const QString &path)
{
    QString error;
    if (loadFile(path, &error)) {
        reportOutcome(QStringLiteral("Loaded %1: %2 changed cells to write").arg(path).arg(m_table.pendingCount()));
        return Outcome::Done;
    }
    const Declaration &d = m_declaration;
    m_prompts.message(d.loadFailedGivesReason ? d.loadFailedText + error : d.loadFailedText, {}, d.loadFailedIcon);
    reportOutcome(QStringLiteral("Not loaded: %1 could not be read%2").arg(path, reasonText(error)));
    return Outcome::Failed;
}

bool TableOperation::loadFile(const QString &path, QString *error)
{
    QByteArray contents;
    if (!TableFile::read(path, &contents, error))
        return false;
    // Only a file that could be read replaces the table.
    const TableFile::ReadResult result = fillFromFile(contents);
    if (!result.complete && error)
        *error = result.error;
    if (result.complete)
        m_lastFile = FileReference{QFileInfo(path).absoluteFilePath(), DurableFiles::sha256Hex(contents)};
    return result.complete;
}
