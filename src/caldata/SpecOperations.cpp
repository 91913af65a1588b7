#include "caldata/SpecOperations.h"

#include "caldata/SpecFile.h"
#include "instrument/NumberFormat.h"
#include "instrument/Reply.h"
#include "instrument/TypedNumber.h"
#include "platform/Clock.h"

namespace {

// The instrument's own character set has single characters for the ohm and micro signs; they
// arrive as codes 244 and 228.
constexpr char16_t kInstrumentOhm = 244;
constexpr char16_t kInstrumentMicro = 228;

bool isThreeDigits(const QString &text)
{
    if (text.size() != 3)
        return false;
    for (QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    return true;
}

/// A plain decimal field ("005.00", "-.25") of at most 15 significant digits as the grid writes
/// its value ("5", "-0.25"), straight from its digits; empty when the field is not of that shape.
/// formatGeneralNumber writes such a value back digit for digit, so this is the same text
/// without two conversions per figure: a whole table has some eight hundred.
QString plainDecimalText(QStringView text)
{
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text = text.mid(1);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    QStringView whole = point < 0 ? text : text.left(point);
    QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return {};
    for (QStringView part : {whole, fraction}) {
        for (QChar ch : part) {
            if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
                return {};
        }
    }
    while (!whole.isEmpty() && whole.front() == QLatin1Char('0'))
        whole = whole.mid(1);
    while (!fraction.isEmpty() && fraction.back() == QLatin1Char('0'))
        fraction.chop(1);
    // Significant digits: from the first that is not a zero to the last.
    qsizetype significant = whole.size() + fraction.size();
    if (whole.isEmpty()) {
        qsizetype leading = 0;
        while (leading < fraction.size() && fraction.at(leading) == QLatin1Char('0'))
            ++leading;
        significant -= leading;
    }
    if (significant > 15)
        return {};
    if (significant == 0)
        return QStringLiteral("0");
    QString result;
    result.reserve(whole.size() + fraction.size() + 3);
    if (negative)
        result += QLatin1Char('-');
    result += whole.isEmpty() ? QStringView(u"0") : whole;
    if (!fraction.isEmpty()) {
        result += QLatin1Char('.');
        result += fraction;
    }
    return result;
}

const TableOperation::Declaration &specTable()
{
    using State = CellTable::CellState;
    static const TableOperation::Declaration declaration{
        .instrumentName = QStringLiteral("meter"),
        .cellsName = QStringLiteral("figures"),
        // The whole table comes in one long exchange.
        .readExchanges = 1,
        .rowsReadBack = false, // the table is read whole, in one exchange
        .readTimeoutSeconds = 10,
        .expectedReadLines = 60,
        .writePassword = SetupPassword::Calibrate,
        .firstWritableRow = SpecTable::kFirstWritableRow,
        .lastWritableRow = SpecTable::kLastWritableRow,
        .writeTimeoutSeconds = 10,
        .codes = {.refused = QStringLiteral("*9"), .passwordNeeded = QStringLiteral("*6")},
        // "*5", "*2", ...: the instrument did not take the figure as it was sent, nor refuse it.
        .otherStatus = TableOperation::WriteResult::Unconfirmed,
        .notANumberIsRejected = false,
        .notAValueText = QStringLiteral("Not a number: never sent to the meter"),
        .writingState = State::Writing,
        .passwordNeededText = QStringLiteral("Setup Password Needed"),
        .noClearAnswerText =
            QStringLiteral("No clear answer from the meter: %1 changed cells not written, they stay pending"),
        .closingTimeoutSeconds = 5,
        .closingRefusedText = QStringLiteral("Set Information Failed "),
        .file = &SpecFile::kind(),
        .loadFailedText = QStringLiteral("Error loading specifications: "),
        .loadFailedGivesReason = true,
        .loadFailedIcon = Prompts::Icon::None,
        .clear = SpecOperations::clearCommand(),
    };
    return declaration;
}

} // namespace

SpecOperations::SpecOperations(SpecTable &table, InstrumentChannel &dvm, Prompts &prompts, Hooks hooks)
    : TableOperation(table, dvm, prompts, specTable(), std::move(hooks)), m_table(table)
{
}

// --- reading ------------------------------------------------------------------------------------

SpecOperations::Outcome SpecOperations::loadFromMeter(int *rowsLoaded)
{
    const Outcome outcome = load();
    if (rowsLoaded)
        *rowsLoaded = this->rowsLoaded();
    return outcome;
}

SpecOperations::Outcome SpecOperations::takeReply(int, const QString &reply, int *rows)
{
    *rows += takeTable(m_table, reply, hooks().progress);
    // The table ends with the status line; without one the reply was cut off.
    for (const QString &line : SplitLines(reply)) {
        if (Reply::isSuccess(trimBlanks(line)))
            return Outcome::Done;
    }
    return Outcome::Failed;
}

int SpecOperations::takeTable(SpecTable &table, const QString &reply, const std::function<void()> &progress)
{
    int expected = 1;
    bool gap = false;
    for (const QString &raw : SplitLines(reply)) {
        if (progress)
            progress();
        const QString line = trimBlanks(raw);
        if (gap || !line.startsWith(QLatin1Char('R')) || !isThreeDigits(line.mid(1, 3)))
            continue;
        // Rows come numbered from R001 without a gap; from the first gap (or a row out of order)
        // on nothing is taken, so a row is never shown under another row's number.
        if (line.mid(1, 3).toInt() != expected) {
            gap = true;
            continue;
        }
        if (!table.ensureRow(expected))
            break;
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        table.setCell(expected, 0, labelText(trimBlanks(comma < 0 ? line : line.left(comma))),
                      SpecTable::CellState::InStep);
        QString rest = comma < 0 ? QString() : line.mid(comma + 1);
        // The last field may lack its comma. Fields beyond the fourteenth figure have no column
        // and are left out.
        for (int column = 1; !rest.isEmpty() && column < table.columnCount(); ++column) {
            const qsizetype end = rest.indexOf(QLatin1Char(','));
            const QString field = end < 0 ? rest : rest.left(end);
            rest = end < 0 ? QString() : rest.mid(end + 1);
            table.setCell(expected, column, figureText(field), SpecTable::CellState::InStep);
        }
        ++expected;
    }
    return expected - 1;
}

QString SpecOperations::labelText(const QString &label)
{
    QString text = label;
    text.replace(QChar(kInstrumentOhm), QLatin1String("Ohm"));
    text.replace(QChar(kInstrumentMicro), QLatin1String("u"));
    return text;
}

QString SpecOperations::figureText(const QString &field)
{
    const QString text = trimBlanks(field);
    if (QString plain = plainDecimalText(text); !plain.isEmpty())
        return plain;
    double value = 0.0;
    // A field that is no number is shown as it came rather than as a made-up 0.
    return parseFigure(text, &value) ? formatGeneralNumber(value) : text;
}

bool SpecOperations::parseFigure(const QString &text, double *value)
{
    const std::optional<double> figure = TypedNumber::parseNumber(text);
    if (figure)
        *value = *figure;
    return figure.has_value();
}

// --- writing ------------------------------------------------------------------------------------

bool SpecOperations::writeCommand(int row, int index, const QString &text, QString *command) const
{
    double value = 0.0;
    if (!parseFigure(text, &value))
        return false;
    *command = writeCommand(row, index, value);
    return true;
}

QString SpecOperations::writeCommand(int row, int figureIndex, double value)
{
    return QStringLiteral("Ws%1,%2,%3").arg(row).arg(figureIndex).arg(formatGeneralNumber(value));
}

QString SpecOperations::versionRecord(const QString &version, int written, const QDate &date)
{
    // dd/mm/yy with "/" whatever the user's locale writes between the parts.
    const QString day = QStringLiteral("%1/%2/%3")
                            .arg(date.day(), 2, 10, QLatin1Char('0'))
                            .arg(date.month(), 2, 10, QLatin1Char('0'))
                            .arg(date.year() % 100, 2, 10, QLatin1Char('0'));
    QString name = trimBlanks(version);
    name.remove(QLatin1Char('\r'));
    name.remove(QLatin1Char('\n'));
    if (written > kWholeTableCells && !name.isEmpty())
        return QStringLiteral("&05Spec ") + name.left(3) + QLatin1Char(' ') + day;
    if (written >= 1)
        return QStringLiteral("&05Spec ___ ") + day;
    return {};
}

QString SpecOperations::closingRecord(const SaveSummary &summary) const
{
    return versionRecord(m_table.version(), summary.sent, systemClock().currentDateTime().date());
}

// --- clearing -----------------------------------------------------------------------------------

TableOperation::Command SpecOperations::clearCommand()
{
    return {QStringLiteral("This will clear specifications for all ranges - please confirm"),
            QStringLiteral("Clear Specifications"), SetupPassword::System, QStringLiteral("WS"),
            // Clearing the whole table takes the instrument up to two minutes.
            120, TableReply::SuccessTest::Prefix, QStringLiteral("Specifications cleared ok"),
            QStringLiteral("Error - Specifications not cleared"), 0};
}

// --- files --------------------------------------------------------------------------------------

TableFile::ReadResult SpecOperations::fillFromFile(const QByteArray &contents)
{
    m_table.setVersion(QString());
    m_table.initGrid();
    return SpecFile::fill(m_table, contents);
}

QByteArray SpecOperations::fileBytes() const
{
    return SpecFile::toBytes(m_table);
}

bool SpecOperations::writeFile(const QString &path, QString *error) const
{
    return SpecFile::save(m_table, path, error);
}
