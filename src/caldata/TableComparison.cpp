#include "caldata/TableComparison.h"

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFile.h"
#include "caldata/SpecFile.h"
#include "caldata/SpecOperations.h"
#include "caldata/TableDiff.h"
#include "instrument/InstrumentChannel.h"
#include "platform/Prompts.h"

#include <QFileInfo>
#include <QStringList>

namespace {

/// The channel a compared file is read over. Reading a file needs no instrument; should anything
/// ask for one all the same, it is told "not connected" and nothing goes out.
class NothingSent final : public InstrumentChannel
{
public:
    ExchangeReply exchange(const ExchangeRequest &) override { return {}; }
};

/// The file read by the table's own operations, so it is taken exactly as "Load from File" takes
/// it (the same shape, the same limits, the same reasons for refusing it).
template <typename Table, typename Operations>
std::unique_ptr<CellTable> readAs(const QString &path, Prompts &prompts, QString *error)
{
    auto table = std::make_unique<Table>();
    NothingSent channel;
    Operations operations(*table, channel, prompts);
    if (!operations.loadFile(path, error))
        return nullptr;
    return table;
}

} // namespace

const TableComparison::Kind &TableComparison::factors()
{
    static const Kind kind{CalFile::fileFilter(), QStringLiteral("factor"), QStringLiteral("factors"),
                           &readAs<CalFactorTable, CalFactorOperations>};
    return kind;
}

const TableComparison::Kind &TableComparison::figures()
{
    static const Kind kind{SpecFile::fileFilter(), QStringLiteral("figure"), QStringLiteral("figures"),
                           &readAs<SpecTable, SpecOperations>};
    return kind;
}

TableComparison::Result TableComparison::compareWith(const QString &path, Prompts &prompts)
{
    Result result;
    const QString fileName = QFileInfo(path).fileName();
    QString error;
    const std::unique_ptr<CellTable> file = m_kind.read(path, prompts, &error);
    if (!file) {
        const QString reason = error.isEmpty() ? QString() : QStringLiteral(": ") + error;
        prompts.message(QStringLiteral("%1 could not be read%2.\n\nNothing was compared.").arg(path, reason),
                        dialogTitle(), Prompts::Icon::Warning);
        result.report = QStringLiteral("Not compared: %1 could not be read%2").arg(fileName, reason);
        return result;
    }

    QList<CellTable::Mark> marks;
    const QList<TableDiff::Difference> differences = TableDiff::between(m_table, *file);
    for (const TableDiff::Difference &difference : differences) {
        // A figure in a row or column the grid has not (a file of another shape) is counted but
        // cannot be shown; the grid is not reshaped for it.
        if (m_table.contains(difference.row, difference.column))
            marks.append({difference.row, difference.column, difference.right});
        else
            ++result.unshown;
    }
    m_table.replaceMarks(marks);

    result.outcome = OperationOutcome::Done;
    result.differing = int(differences.size());
    result.report = differText(result.differing, fileName);
    if (result.unshown > 0)
        result.report += QStringLiteral(", %1 of them in rows or columns the grid does not have").arg(result.unshown);
    return result;
}

QString TableComparison::differText(int differing, const QString &fileName) const
{
    if (differing == 0)
        return QStringLiteral("No %1 differs from %2").arg(m_kind.cellName, fileName);
    if (differing == 1)
        return QStringLiteral("1 %1 differs from %2").arg(m_kind.cellName, fileName);
    return QStringLiteral("%1 %2 differ from %3").arg(differing).arg(m_kind.cellsName, fileName);
}

QString TableComparison::markNote(const CellTable &table, int row, int column)
{
    const std::optional<QString> mark = table.mark(row, column);
    if (!mark)
        return {};
    QStringList lines{QStringLiteral("File: ") + (mark->isEmpty() ? QStringLiteral("(empty)") : *mark)};
    // The mark's colour hides the state's, so its words stay in the tooltip: a pending cell has no
    // note of its own to say it is still to be written.
    const QString note = table.note(row, column);
    if (!note.isEmpty())
        lines << note;
    else if (table.state(row, column) == CellTable::CellState::Pending)
        lines << QStringLiteral("Changed here and not written yet");
    return lines.join(QLatin1Char('\n'));
}
