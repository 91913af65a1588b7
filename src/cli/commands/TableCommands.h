#pragma once

#include "caldata/TableOperation.h"
#include "cli/CliCommand.h"

#include <QList>
#include <QString>

#include <memory>

class CellTable;
class InstrumentChannel;
class Prompts;
class RunContext;

/**
 * @brief The table commands of the command-line tool, written once for both tables: read the
 * table and save it as "Save to File" does, write a file's values to the instrument, and run the
 * confirmed commands (backup, restore, clear). A family ("cal", "spec") gives its table and
 * operations and declares its texts; everything else, the commands' shape in the usage text, the
 * watch on the instrument object and the exit statuses included, is the same for both.
 */
class TableCommands
{
public:
    using Outcome = TableOperation::Outcome;
    using SaveSummary = TableOperation::SaveSummary;
    using CellWrite = TableOperation::CellWrite;

    /// A command's table and the operations on it; the operations go first when they are freed.
    struct Parts
    {
        std::unique_ptr<CellTable> table;
        std::unique_ptr<TableOperation> operations;
    };

    /// A command that changes data in the instrument; it runs only with --yes.
    struct Confirmed
    {
        QString word;    ///< after the family's word: "backup"
        QString summary; ///< for the usage text
        QString yesHelp; ///< what --yes agrees to, for the usage text
        QString what;    ///< what it does, said when --yes is missing ("cal clear sets ...")
        TableOperation::Command command;
    };

    /// What one family declares.
    struct Family
    {
        /// The first word of the family's commands ("cal"), and the file read and write take ("FILE.cal").
        QString word;
        QString fileUsage;
        /// The table and its operations on the command's instrument object and prompts.
        Parts (*open)(InstrumentChannel &dvm, Prompts &prompts);

        /// read: what one read exchange brings, for the progress counter ("range"), and how many
        /// there are; 0 when the table comes in one exchange and says its length as it starts.
        QString readUnit;
        int readExchanges;
        /// read: its line in the usage text.
        QString readSummary;
        /// read: why no file was written after a reading that ended early (no exchange failed).
        QString (*readIncomplete)(int rowsLoaded, const QString &path);
        /// read: the line that says what was written.
        QString (*readDone)(const CellTable &table, int rowsLoaded, const QString &path);

        /// write: its line in the usage text.
        QString writeSummary;
        /// write: the start of the message when the file cannot be loaded.
        QString notLoaded;
        /// write: what the values are called ("factors", "figures").
        QString values;
        /// write: the lines for one dealt-with cell.
        void (*reportCell)(RunContext &run, const CellWrite &write);
        /// write: the message when the instrument wanted its setup password.
        QString (*passwordNeeded)(const SaveSummary &summary);
        /// write: lines after a save that ran to its end; may be left empty.
        void (*reportSave)(RunContext &run, const SaveSummary &summary);
        /// write: the message when the record after the cells was refused.
        QString closingRefused;
        /// write: the message when values were not accepted; "" when every one was.
        QString (*notAccepted)(const SaveSummary &summary);
        /// write: the line for a value that, read back, is not what was written; null for a
        /// family whose rows are not read back.
        void (*reportNotVerified)(RunContext &run, const CellWrite &write, const QString &kept);

        /// The commands that change data in the instrument, in the order the usage text lists them.
        QList<Confirmed> confirmed;
    };

    /// `open` for a family whose operations are built as Operations(table, dvm, prompts).
    template <typename Table, typename Operations>
    static Parts partsOf(InstrumentChannel &dvm, Prompts &prompts)
    {
        auto table = std::make_unique<Table>();
        auto operations = std::make_unique<Operations>(*table, dvm, prompts);
        return {std::move(table), std::move(operations)};
    }

    /// The family's commands: "read FILE" (no file is written when an exchange fails or the table
    /// is incomplete), "write FILE" (every value of the file, reported as the family says), "diff
    /// FILE [FILE_B]" (the instrument against a file, or two files), then the confirmed ones. The
    /// family must outlive them.
    static QList<CliCommand> commands(const Family &family);

    /// The option that answers the command's question.
    static const QString kYes;
    /// The option that skips reading written rows back.
    static const QString kNoVerify;
    /// The option that writes a factor file read from another instrument.
    static const QString kForce;

private:
    static int read(RunContext &run, const Family &family);
    static int write(RunContext &run, const Family &family);
    static int confirmed(RunContext &run, const Family &family, const Confirmed &confirmed);
    static int diff(RunContext &run, const Family &family);
};
