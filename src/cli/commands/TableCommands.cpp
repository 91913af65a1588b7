#include "cli/commands/TableCommands.h"

#include "caldata/CellTable.h"
#include "caldata/TableDiff.h"
#include "cli/ChangeRecording.h"
#include "cli/CliPrompts.h"
#include "cli/OperationExit.h"
#include "cli/RunContext.h"

#include <QFileInfo>
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
        : run(run), prompts(run.isSet(TableCommands::kYes)), parts(family.open(run.channel(), prompts))
    {
        run.reportFirstFailure();
        TableOperation::Hooks &hooks = operations().hooks();
        hooks.status = [&run](const QString &text) { run.out() << text << Qt::endl; };
        // The first failed exchange has been reported; going on would cost a time-out each.
        hooks.rangeRead = [this](int, const QString &) { return !failed(); };
        hooks.cellWritten = [this](const TableOperation::CellWrite &) { return !failed(); };
    }

    TableOperation &operations() { return *parts.operations; }
    bool failed() const { return run.failureReported(); }

    RunContext &run;
    CliPrompts prompts;
    TableCommands::Parts parts;
};

/// "read FILE" and "write FILE" take the one file.
CliCommand fileCommand(const TableCommands::Family &family, const QString &word, const QString &summary,
                       int (*run)(RunContext &, const TableCommands::Family &))
{
    return {.words = {family.word, word},
            .argumentUsage = family.fileUsage,
            .summary = summary,
            .minArguments = 1,
            .maxArguments = 1,
            .run = [&family, run](RunContext &context) { return run(context, family); }};
}

} // namespace

QList<CliCommand> TableCommands::commands(const Family &family)
{
    QList<CliCommand> commands{fileCommand(family, QStringLiteral("read"), family.readSummary, read),
                               fileCommand(family, QStringLiteral("write"), family.writeSummary, write)};
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
                     .minArguments = 1,
                     .maxArguments = 2,
                     .run = [&family](RunContext &context) { return diff(context, family); },
                     .filesAloneFrom = 2});
    for (const Confirmed &command : family.confirmed) {
        commands.append({.words = {family.word, command.word},
                         .summary = command.summary,
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
    const Outcome outcome = session.operations().load();
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
    operations.hooks().cellWritten = [&](const CellWrite &w) {
        family.reportCell(run, w);
        return !session.failed();
    };
    operations.setVerifyWrites(verify);
    if (family.reportNotVerified) {
        operations.hooks().notVerified = [&](const CellWrite &w, const QString &kept) {
            family.reportNotVerified(run, w, kept);
        };
    }
    if (!recording.prepareSave(operations, family.values, &exitCode))
        return exitCode;
    const SaveSummary summary = operations.save();
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
    return operationExit(run, outcome);
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
        const Outcome outcome = instrument->operations().load();
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
    for (const TableDiff::Difference &d : differences) {
        run.out() << QStringLiteral("%1: %2 %3, %4 %5")
                         .arg(TableDiff::place(*tables.at(0), d), names.at(0), shown(d.left), names.at(1),
                              shown(d.right))
                  << Qt::endl;
    }
    if (differences.isEmpty()) {
        run.out() << QStringLiteral("no figure differs") << Qt::endl;
        return ExitSuccess;
    }
    run.out() << QStringLiteral("%1 of the %2 differ").arg(differences.size()).arg(family.values) << Qt::endl;
    return ExitRefused;
}
