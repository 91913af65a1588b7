// journal: the record this computer keeps of what was done to instruments, listed, located and
// checked. None of them talks to an instrument.

#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
#include "records/JournalWording.h"

#include <QJsonObject>
#include <QTextStream>

#include <algorithm>

namespace {

const QString kSerial = QStringLiteral("serial");

int list(RunContext &run)
{
    const ChangeJournal journal(DataFolders::journalPath());
    const ChangeJournal::Contents contents = journal.records();
    if (!contents.readable)
        return run.fail(ExitLocalFile, contents.error);

    QList<ChangeJournal::Entry> chosen;
    for (const ChangeJournal::Entry &entry : contents.entries) {
        if (!run.isSet(kSerial) || entry.record.instrument.serial == run.value(kSerial))
            chosen << entry;
    }
    if (run.json()) {
        // The lines as they are stored and in their order, so the output can be checked again:
        // the one command whose --json is a document a line rather than one document.
        QList<QByteArray> lines;
        for (const ChangeJournal::Entry &entry : std::as_const(chosen))
            lines << entry.text;
        run.printJsonLines(lines);
    } else {
        for (auto it = chosen.crbegin(); it != chosen.crend(); ++it)
            run.out() << JournalWording::summary(it->record).join(QStringLiteral("  ")) << '\n';
    }
    run.out().flush();
    if (chosen.isEmpty() && contents.problems.isEmpty()) {
        run.warn(run.isSet(kSerial)
                     ? QStringLiteral("no records of serial number %1 in %2").arg(run.value(kSerial), journal.path())
                     : QStringLiteral("no records in %1").arg(journal.path()));
    }
    for (const ChangeJournal::Problem &problem : contents.problems)
        run.warn(QStringLiteral("%1 %2").arg(journal.path(), JournalWording::notARecord(problem)));
    return contents.problems.isEmpty() ? ExitSuccess : ExitRefused;
}

int path(RunContext &run)
{
    if (run.json()) {
        run.printJson({{QStringLiteral("journal"), DataFolders::journalPath()},
                       {QStringLiteral("snapshots"), DataFolders::snapshotFolder()}});
        return ExitSuccess;
    }
    run.out() << "journal    " << DataFolders::journalPath() << '\n'
              << "snapshots  " << DataFolders::snapshotFolder() << '\n';
    return ExitSuccess;
}

int verify(RunContext &run)
{
    const ChangeJournal journal(DataFolders::journalPath());
    const ChangeJournal::Verification check = journal.verify();
    const QString text = JournalWording::verification(check, journal.path());
    if (!check.readable)
        return run.fail(ExitLocalFile, text);
    if (!check.intact)
        return run.fail(ExitRefused, text);
    if (run.json())
        run.printJson({{QStringLiteral("intact"), true}, {QStringLiteral("message"), text}});
    else
        run.out() << text << '\n';
    return ExitSuccess;
}

} // namespace

QList<CliCommand> journalCommands()
{
    return {
        {.words = {QStringLiteral("journal")},
         .summary = QStringLiteral("list the change journal's records, newest first, one a line: time (UTC), user, "
                                   "operation, serial number, number of changes, outcome"),
         .json = QStringLiteral("the records as stored, one JSON object a line, oldest first"),
         .options = {{kSerial, QStringLiteral("S"),
                      QStringLiteral("only the records of the instrument with this "
                                     "serial number")}},
         .run = list,
         .needsInstrument = false},
        {.words = {QStringLiteral("journal"), QStringLiteral("path")},
         .summary = QStringLiteral("print where the change journal and the table snapshots are kept"),
         .json = QStringLiteral("{\"journal\": PATH, \"snapshots\": FOLDER}"),
         .run = path,
         .needsInstrument = false},
        {.words = {QStringLiteral("journal"), QStringLiteral("verify")},
         .summary = QStringLiteral("check the journal's chain of digests: exit 0 when every line follows the one "
                                   "before it, 3 naming the first line that does not"),
         .json = QStringLiteral("{\"intact\": true, \"message\"}"),
         .run = verify,
         .needsInstrument = false},
    };
}
