#include "cli/commands/TableCommands.h"

#include "caldata/CellTable.h"
#include "caldata/TableDiff.h"
#include "cli/ChangeRecording.h"
#include "cli/CliPrompts.h"
#include "cli/JsonOutput.h"
#include "cli/OperationExit.h"
#include "cli/ProgressLine.h"
#include "cli/RunContext.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

#include <optional>
#include <vector>

const QString TableCommands::kYes = QStringLiteral("yes");
const QString TableCommands::kNoVerify = QStringLiteral("no-verify");
const QString TableCommands::kForce = QStringLiteral("force");

namespace {

/// One command's prompts, table and operations on the run's instrument, wired together. The
/// first awaited exchange that gets no usable answer is reported on the spot.
struct Session
{
    Session(RunContext &run, const TableCommands::Family &family)
        : run(run),
          prompts(run.isSet(TableCommands::kYes)),
          parts(family.open(run.channel(), prompts)),
          progressLine(run.err(), run.errIsTerminal())
    {
        run.reportFirstFailure();
        TableOperation::Hooks &hooks = operations().hooks();
        hooks.status = [this, &run](const QString &text) {
            progressLine.clear();
            run.out() << text << Qt::endl;
            statusLines << text;
        };
        // The counter the windows' progress bars show: each read exchange or line taken in, each
        // written cell. Outside a counted stretch (the rows read before a write) it stays quiet.
        hooks.progress = [this] {
            if (counted.total > 0)
                progressLine.show(counted.unit, qMin(++counted.done, counted.total), counted.total);
        };
        hooks.readStarting = [this](int expectedLines) {
            if (counted.unit.isEmpty())
                return;
            counted.total = expectedLines;
            counted.done = 0;
        };
        // The first failed exchange has been reported; going on would cost a time-out each.
        hooks.rangeRead = [this](int, const QString &) { return !failed(); };
        hooks.cellWritten = [this](const TableOperation::CellWrite &) { return !failed(); };
    }

    TableOperation &operations() { return *parts.operations; }
    bool failed() const { return run.failureReported(); }

    /// Counts what follows as `unit`s, `total` of them (0: as the reading announces it).
    void count(const QString &unit, int total) { counted = {unit, total, 0}; }
    /// Ends the counted stretch and blanks the counter's line.
    void countDone()
    {
        counted = {};
        progressLine.clear();
    }

    RunContext &run;
    CliPrompts prompts;
    TableCommands::Parts parts;
    ProgressLine progressLine;
    struct
    {
        QString unit;
        int total = 0;
        int done = 0;
    } counted;
    QStringList statusLines; ///< the status box's lines, for --json
};

int filledCells(const CellTable &table)
{
    int filled = 0;
    for (int row = 1; row < table.rowCount(); ++row) {
        for (int column = 1; column < table.columnCount(); ++column)
            filled += table.text(row, column).isEmpty() ? 0 : 1;
    }
    return filled;
}

QString resultName(TableOperation::WriteResult result)
{
    using WriteResult = TableOperation::WriteResult;
    switch (result) {
    case WriteResult::Accepted:
        return QStringLiteral("accepted");
    case WriteResult::Rejected:
        return QStringLiteral("rejected");
    case WriteResult::Unconfirmed:
        return QStringLiteral("unconfirmed");
    case WriteResult::PasswordNeeded:
        return QStringLiteral("passwordNeeded");
    case WriteResult::NotANumber:
        return QStringLiteral("notANumber");
    case WriteResult::NotSent:
        return QStringLiteral("notSent");
    case WriteResult::NoAnswer:
        break;
    }
    return QStringLiteral("noAnswer");
}

QJsonObject cellJson(const TableOperation::CellWrite &write)
{
    QJsonObject cell = JsonOutput::figure(write.text);
    cell.insert(QStringLiteral("row"), write.row);
    cell.insert(QStringLiteral("column"), write.column);
    cell.insert(QStringLiteral("index"), write.index);
    cell.insert(QStringLiteral("result"), resultName(write.result));
    return cell;
}

/// "read FILE" and "write FILE" take the one file.
CliCommand fileCommand(const TableCommands::Family &family, const QString &word, const QString &summary,
                       const QString &json, int (*run)(RunContext &, const TableCommands::Family &))
{
    return {.words = {family.word, word},
            .argumentUsage = family.fileUsage,
            .summary = summary,
            .json = json,
            .minArguments = 1,
            .maxArguments = 1,
            .run = [&family, run](RunContext &context) { return run(context, family); }};
}

} // namespace

QList<CliCommand> TableCommands::commands(const Family &family)
{
    QList<CliCommand> commands{
        fileCommand(family, QStringLiteral("read"), family.readSummary,
                    QStringLiteral("{\"file\", \"rows\": rows read, \"values\": %1 in the file}").arg(family.values),
                    read),
        fileCommand(family, QStringLiteral("write"), family.writeSummary,
                    QStringLiteral("{\"file\", \"sent\", \"accepted\", \"refused\", \"notSent\", \"notVerified\", "
                                   "\"versionRecord\", \"versionAccepted\", \"complete\", \"cells\": [{\"row\", "
                                   "\"column\", \"index\", \"text\", \"value\", \"result\"}], \"notVerifiedCells\": "
                                   "[... \"kept\"]}, also when some were refused"),
                    write)};
    commands.last().options.append(ChangeRecording::option());
    if (family.word == QLatin1String("cal")) {
        commands.last().options.append(
            {kForce, QString(),
             QStringLiteral("write a file the change journal says was read from another instrument (the journal "
                            "records that it was forced)")});
    }
    if (family.reportNotVerified) {
        commands.last().options.append(
            {kNoVerify, QString(),
             QStringLiteral("do not read each written range back to check it (faster; a value the instrument "
                            "keeps wrong goes unseen)")});
    }
    commands.append({.words = {family.word, QStringLiteral("diff")},
                     .argumentUsage = QStringLiteral("%1 [%1]").arg(family.fileUsage),
                     .summary = QStringLiteral("compare the instrument's %1 with a file's, or two files'; one line per "
                                               "differing figure, exit 0 when none differs, 3 when some do")
                                    .arg(family.values),
                     .json = QStringLiteral("{\"left\", \"right\", \"differences\": [{\"place\", \"row\", \"column\", "
                                            "\"left\", \"right\": {\"text\", \"value\"} or null}]}"),
                     .minArguments = 1,
                     .maxArguments = 2,
                     .run = [&family](RunContext &context) { return diff(context, family); },
                     .filesAloneFrom = 2});
    for (const Confirmed &command : family.confirmed) {
        commands.append({.words = {family.word, command.word},
                         .summary = command.summary,
                         .json = QStringLiteral("{\"command\", \"status\": [the status lines]}"),
                         .options = {{kYes, QString(), command.yesHelp}, ChangeRecording::option()},
                         .run = [&family, command](RunContext &run) { return confirmed(run, family, command); }});
    }
    return commands;
}

int TableCommands::read(RunContext &run, const Family &family)
{
    const QString path = run.arguments().constFirst();
    Session session(run, family);
    // A read changes nothing, but its record says where the file came from.
    ChangeRecording recording(run, family.word + QStringLiteral(" read"));
    int exitCode = ExitSuccess;
    recording.begin(&exitCode, false);
    session.count(family.readUnit, family.readExchanges);
    const Outcome outcome = session.operations().load();
    session.countDone();
    // A table with holes where an exchange failed would pass for the instrument's memory: no
    // file is written, and an existing one is left as it was.
    if (session.failed())
        return ExitUnreachable;
    const int rows = session.operations().rowsLoaded();
    if (outcome != Outcome::Done)
        return run.fail(ExitRefused, family.readIncomplete(rows, path));
    QString error;
    if (!session.operations().saveFile(path, &error))
        return run.fail(ExitLocalFile, QStringLiteral("Backup not saved: cannot write %1: %2").arg(path, error));
    recording.setFile(path);
    if (!recording.finish(JournalOutcome::Done))
        return ExitLocalFile;
    run.out() << family.readDone(*session.parts.table, rows, path) << Qt::endl;
    if (run.json()) {
        run.printJson({{QStringLiteral("file"), path},
                       {QStringLiteral("rows"), rows},
                       {QStringLiteral("values"), filledCells(*session.parts.table)}});
    }
    return ExitSuccess;
}

int TableCommands::write(RunContext &run, const Family &family)
{
    const QString path = run.arguments().constFirst();
    Session session(run, family);
    TableOperation &operations = session.operations();
    QString error;
    if (!operations.loadFile(path, &error))
        return run.fail(ExitLocalFile,
                        QStringLiteral("%1: %2: %3; nothing was sent").arg(family.notLoaded, path, error));

    // Every value the write changes is recorded with what it was and what it became; the record
    // is made sure of before anything is sent. A table whose rows are read one at a time has the
    // rows about to change read; the specification table, read whole, is kept as a snapshot.
    TableKind kind = TableKind::Factors;
    tableKindFromWord(family.word, &kind);
    ChangeRecording recording(run, family.word + QStringLiteral(" write"), kind);
    int exitCode = ExitSuccess;
    if (!recording.begin(&exitCode))
        return exitCode;
    recording.setFile(path);
    // One unit's factors on another would void its calibration without a word; the
    // specification table belongs to the model and is loaded onto new units as it is.
    if (kind == TableKind::Factors && !recording.guardOrigin(run.isSet(kForce), &exitCode))
        return exitCode;
    const bool verify = family.reportNotVerified && !run.isSet(kNoVerify);
    QJsonArray cells;
    operations.hooks().cellWritten = [&](const CellWrite &w) {
        session.progressLine.clear();
        family.reportCell(run, w);
        cells.append(cellJson(w));
        return !session.failed();
    };
    operations.setVerifyWrites(verify);
    QJsonArray notVerified;
    if (family.reportNotVerified) {
        operations.hooks().notVerified = [&](const CellWrite &w, const QString &kept) {
            session.progressLine.clear();
            family.reportNotVerified(run, w, kept);
            QJsonObject cell = cellJson(w);
            cell.insert(QStringLiteral("kept"), kept.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(kept));
            notVerified.append(cell);
        };
    }
    if (!recording.prepareSave(operations, family.values, &exitCode))
        return exitCode;
    session.count(family.values, session.parts.table->pendingCount());
    const SaveSummary summary = operations.save();
    session.countDone();
    if (!recording.finish(TableChangeRecorder::outcomeOf(summary)))
        return ExitLocalFile;
    if (session.failed())
        return ExitUnreachable;
    switch (summary.outcome) {
    case Outcome::NoSetupMode:
        return run.noSetupModeExit();
    case Outcome::PasswordNeeded:
        return run.fail(ExitRefused, family.passwordNeeded(summary));
    case Outcome::Failed:
        // An answer without a status: whether the instrument took the value is unknown, and the
        // save stopped there.
        return run.fail(ExitUnreachable,
                        QStringLiteral("No clear answer from the instrument: %1 %2 accepted, the rest not written")
                            .arg(summary.accepted)
                            .arg(family.values));
    default:
        break;
    }
    if (family.reportSave)
        family.reportSave(run, summary);
    // The save ran to its end: what each value came to is the result, refused ones included.
    if (run.json()) {
        run.printJson({{QStringLiteral("file"), path},
                       {QStringLiteral("sent"), summary.sent},
                       {QStringLiteral("accepted"), summary.accepted},
                       {QStringLiteral("refused"), summary.refused()},
                       {QStringLiteral("notSent"), summary.notSent},
                       {QStringLiteral("notVerified"), summary.notVerified},
                       {QStringLiteral("versionRecord"),
                        summary.versionRecord.isEmpty() ? QJsonValue(QJsonValue::Null)
                                                        : QJsonValue(summary.versionRecord.mid(3))},
                       {QStringLiteral("versionAccepted"), summary.versionAccepted},
                       {QStringLiteral("complete"), summary.complete()},
                       {QStringLiteral("cells"), cells},
                       {QStringLiteral("notVerifiedCells"), notVerified}});
    }
    if (!summary.versionAccepted)
        return run.fail(ExitRefused, family.closingRefused);
    const QString notAccepted = family.notAccepted(summary);
    if (!notAccepted.isEmpty())
        return run.fail(ExitRefused, notAccepted);
    if (summary.notVerified > 0) {
        return run.fail(ExitRefused,
                        QStringLiteral("%1 %2 not kept as written when read back; write them again, and "
                                       "if they stay so, the instrument's memory may be failing")
                            .arg(summary.notVerified)
                            .arg(family.values));
    }
    return ExitSuccess;
}

int TableCommands::confirmed(RunContext &run, const Family &family, const Confirmed &confirmed)
{
    if (!run.isSet(kYes))
        return run.usageError(QStringLiteral("%1; add --yes to go ahead").arg(confirmed.what));
    Session session(run, family);
    TableKind kind = TableKind::Factors;
    tableKindFromWord(family.word, &kind);
    ChangeRecording recording(run, family.word + QLatin1Char(' ') + confirmed.word, kind);
    int exitCode = ExitSuccess;
    if (!recording.begin(&exitCode) || !recording.snapshot(session.operations(), &exitCode))
        return exitCode;
    // The command-line tool shows no table, so it does not read one back afterwards.
    const OperationOutcome outcome = session.operations().run(confirmed.command, false);
    if (!recording.finish(TableChangeRecorder::outcomeOf(outcome)))
        return ExitLocalFile;
    const int status = operationExit(run, outcome);
    if (run.json() && status == ExitSuccess)
        run.printJson({{QStringLiteral("command"), family.word + QLatin1Char(' ') + confirmed.word},
                       {QStringLiteral("status"), QJsonArray::fromStringList(session.statusLines)}});
    return status;
}

int TableCommands::diff(RunContext &run, const Family &family)
{
    const QStringList files = run.arguments();
    // The two sides: the instrument's table (when one file is named) and the files' tables.
    std::optional<Session> instrument;
    CliPrompts prompts(false);
    std::vector<Parts> loaded;
    QStringList names;
    QList<const CellTable *> tables;
    if (files.size() == 1) {
        instrument.emplace(run, family);
        instrument->count(family.readUnit, family.readExchanges);
        const Outcome outcome = instrument->operations().load();
        instrument->countDone();
        if (instrument->failed())
            return ExitUnreachable;
        if (outcome != Outcome::Done)
            return run.fail(
                ExitRefused,
                QStringLiteral("the instrument's %1 could not be read whole; nothing compared").arg(family.values));
        names << QStringLiteral("instrument");
        tables << instrument->parts.table.get();
    }
    for (const QString &path : files) {
        loaded.push_back(family.open(run.channel(), prompts));
        QString error;
        if (!loaded.back().operations->loadFile(path, &error))
            return run.fail(ExitLocalFile, QStringLiteral("%1: %2; nothing compared").arg(path, error));
        names << QFileInfo(path).fileName();
        tables << loaded.back().table.get();
    }
    auto shown = [](const QString &figure) { return figure.isEmpty() ? QStringLiteral("(empty)") : figure; };
    const QList<TableDiff::Difference> differences = TableDiff::between(*tables.at(0), *tables.at(1));
    QJsonArray listed;
    for (const TableDiff::Difference &d : differences) {
        const QString place = TableDiff::place(*tables.at(0), d);
        run.out()
            << QStringLiteral("%1: %2 %3, %4 %5").arg(place, names.at(0), shown(d.left), names.at(1), shown(d.right))
            << Qt::endl;
        // An empty side is a figure one table lacks: null rather than a figure.
        auto side = [](const QString &figure) {
            return figure.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(JsonOutput::figure(figure));
        };
        listed.append(QJsonObject{{QStringLiteral("place"), place},
                                  {QStringLiteral("row"), d.row},
                                  {QStringLiteral("column"), d.column},
                                  {QStringLiteral("left"), side(d.left)},
                                  {QStringLiteral("right"), side(d.right)}});
    }
    // Differences are the answer, not a failure: the document comes with exit 0 and with 3.
    if (run.json())
        run.printJson({{QStringLiteral("left"), names.at(0)},
                       {QStringLiteral("right"), names.at(1)},
                       {QStringLiteral("differences"), listed}});
    if (differences.isEmpty()) {
        run.out() << QStringLiteral("no figure differs") << Qt::endl;
        return ExitSuccess;
    }
    run.out() << QStringLiteral("%1 of the %2 differ").arg(differences.size()).arg(family.values) << Qt::endl;
    return ExitRefused;
}
