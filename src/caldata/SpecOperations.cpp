#include "caldata/SpecOperations.h"

#include "caldata/SpecFile.h"
#include "caldata/TableFileDialog.h"
#include "instrument/CommandHelpers.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/NumberFormat.h"
#include "instrument/Reply.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"

#include <QScopeGuard>

#include <cmath>

namespace {

const QString kNoSetupMode = QStringLiteral("Error entering setup mode");
// The instrument's own character set has single characters for the ohm and micro signs; they
// arrive as codes 244 and 228.
constexpr char16_t kInstrumentOhm = 244;
constexpr char16_t kInstrumentMicro = 228;

bool isAnswer(const QString &reply, const char *status)
{
    return reply.startsWith(QLatin1String(status));
}

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

} // namespace

SpecOperations::SpecOperations(SpecTable &table, InstrumentChannel &dvm, Prompts &prompts, Hooks hooks)
    : m_table(table), m_dvm(dvm), m_prompts(prompts), m_hooks(std::move(hooks))
{
}

void SpecOperations::setStatus(const QString &text)
{
    if (m_hooks.status)
        m_hooks.status(text);
}

void SpecOperations::setBusy(bool on)
{
    if (m_hooks.busy)
        m_hooks.busy(on);
}

bool SpecOperations::enterSetupMode(SetupPassword password)
{
    if (EnterSetupMode(m_dvm, password))
        return true;
    m_prompts.message(kNoSetupMode);
    return false;
}

int SpecOperations::writablePendingCount() const
{
    int count = 0;
    const int lastRow = qMin(m_table.rowCount() - 1, int(SpecTable::kLastWritableRow));
    for (int row = SpecTable::kFirstWritableRow; row <= lastRow; ++row) {
        for (int column = 1; column < m_table.columnCount(); ++column) {
            if (m_table.state(row, column) == SpecTable::CellState::Pending && !m_table.text(row, column).isEmpty())
                ++count;
        }
    }
    return count;
}

// --- reading ------------------------------------------------------------------------------------

SpecOperations::Outcome SpecOperations::loadFromMeter(int *rowsLoaded)
{
    setBusy(true);
    auto idle = qScopeGuard([this] { setBusy(false); });

    m_table.initGrid();
    if (m_hooks.readStarting)
        m_hooks.readStarting(kExpectedTableLines);
    const QString reply = m_dvm.SendString(QStringLiteral("ps"), true, kReadTimeoutSeconds, 1);
    if (m_hooks.readFinished)
        m_hooks.readFinished();
    const int rows = takeTable(m_table, reply, m_hooks.progress);
    if (rowsLoaded)
        *rowsLoaded = rows;
    // The table ends with the status line; without one the reply is a time-out or was cut off.
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
    double value = 0.0;
    // A field that is no number is shown as it came rather than as a made-up 0.
    return parseFigure(text, &value) ? formatGeneralNumber(value) : text;
}

bool SpecOperations::parseFigure(const QString &text, double *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok); // always "." as decimal point
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

// --- writing ------------------------------------------------------------------------------------

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

SpecOperations::SaveSummary SpecOperations::saveToMeter()
{
    SaveSummary summary;
    if (!enterSetupMode(SetupPassword::Calibrate)) {
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
        for (int column = 1; column < m_table.columnCount(); ++column) {
            const QString text = m_table.text(row, column);
            if (text.isEmpty() || m_table.state(row, column) != SpecTable::CellState::Pending)
                continue;
            CellWrite write{row, column, SpecTable::figureIndexOfColumn(column), text, WriteResult::NotSent, {}};
            double value = 0.0;
            if (row < SpecTable::kFirstWritableRow || row > SpecTable::kLastWritableRow || write.figureIndex < 0) {
                // The instrument holds no such row; the cell stays pending so the engineer sees
                // that it never went out.
                ++summary.notSent;
            } else if (!parseFigure(text, &value)) {
                // Sent, it would arrive as some other number.
                m_table.setState(row, column, SpecTable::CellState::Rejected);
                write.result = WriteResult::NotANumber;
                ++summary.notANumber;
            } else {
                m_table.setState(row, column, SpecTable::CellState::Writing);
                write.reply = m_dvm.SendString(writeCommand(row, write.figureIndex, value), true,
                                               kWriteTimeoutSeconds, 1);
                ++summary.sent;
                if (Reply::isSuccess(write.reply)) {
                    m_table.setState(row, column, SpecTable::CellState::InStep);
                    write.result = WriteResult::Accepted;
                    ++summary.accepted;
                } else if (!Reply::isStatus(write.reply)) {
                    // Not an answer about the figure: the line or the instrument has gone quiet (a
                    // restart, a pulled cable), or noise ate the status. The cell and every later
                    // one stay pending for the next save (writing a figure twice does no harm);
                    // sending on would cost a time-out per cell, and a half-written table gets no
                    // version record.
                    m_table.setState(row, column, SpecTable::CellState::Pending);
                    write.result = WriteResult::NoAnswer;
                    summary.outcome = Outcome::Failed;
                    m_prompts.message(QStringLiteral("No clear answer from the meter: %1 changed cells not written, "
                                                     "they stay pending")
                                          .arg(writablePendingCount()));
                    if (m_hooks.cellWritten)
                        m_hooks.cellWritten(write);
                    return summary;
                } else if (isAnswer(write.reply, "*9")) {
                    m_table.setState(row, column, SpecTable::CellState::Rejected);
                    write.result = WriteResult::Rejected;
                    ++summary.rejected;
                } else if (isAnswer(write.reply, "*6")) {
                    // Not written: the cell goes back to pending with the rest, and the save ends
                    // without a version record.
                    m_table.setState(row, column, SpecTable::CellState::Pending);
                    write.result = WriteResult::PasswordNeeded;
                    summary.outcome = Outcome::PasswordNeeded;
                    m_prompts.message(QStringLiteral("Setup Password Needed"));
                    if (m_hooks.cellWritten)
                        m_hooks.cellWritten(write);
                    return summary;
                } else {
                    m_table.setState(row, column, SpecTable::CellState::Unconfirmed);
                    write.result = WriteResult::Unconfirmed;
                    ++summary.unconfirmed;
                }
            }
            if (m_hooks.progress)
                m_hooks.progress();
            if (m_hooks.cellWritten && !m_hooks.cellWritten(write)) {
                summary.outcome = Outcome::Stopped;
                return summary;
            }
        }
    }

    summary.versionRecord = versionRecord(m_table.version(), summary.sent, systemClock().currentDateTime().date());
    if (!summary.versionRecord.isEmpty()) {
        const QString reply = m_dvm.SendString(summary.versionRecord, true, kVersionTimeoutSeconds, 1);
        summary.versionAccepted = Reply::isSuccess(reply);
        if (!summary.versionAccepted)
            m_prompts.message(QStringLiteral("Set Information Failed "));
    }
    return summary;
}

// --- clearing -----------------------------------------------------------------------------------

SpecOperations::Outcome SpecOperations::clearMeter(bool reload)
{
    if (!m_prompts.confirm(QStringLiteral("This will clear specifications for all ranges - please confirm"),
                           QStringLiteral("Clear Specifications")))
        return Outcome::Cancelled;
    if (!enterSetupMode(SetupPassword::System))
        return Outcome::NoSetupMode;
    bool cleared = false;
    {
        setBusy(true);
        auto idle = qScopeGuard([this] { setBusy(false); });
        cleared = Reply::isSuccess(m_dvm.SendString(QStringLiteral("WS"), true, kClearTimeoutSeconds, 1));
        setStatus(cleared ? QStringLiteral("Specifications cleared ok")
                          : QStringLiteral("Error - Specifications not cleared"));
        SendCalPassword(m_dvm);
    }
    if (reload) {
        const Outcome read = loadFromMeter();
        if (read != Outcome::Done)
            return read;
    }
    return cleared ? Outcome::Done : Outcome::Failed;
}

// --- files --------------------------------------------------------------------------------------

SpecOperations::Outcome SpecOperations::saveToFile()
{
    return TableFileDialog::save<SpecFile>(m_table, m_prompts);
}

SpecOperations::Outcome SpecOperations::loadFromFile()
{
    const QString path = m_prompts.openFileName(QStringLiteral("Load from File"), SpecFile::fileFilter());
    if (path.isEmpty())
        return Outcome::Cancelled;
    return fileLoad(path);
}

SpecOperations::Outcome SpecOperations::fileLoad(const QString &path)
{
    QString error;
    if (!loadFile(path, &error)) {
        m_prompts.message(QStringLiteral("Error loading specifications: ") + error);
        return Outcome::Failed;
    }
    return Outcome::Done;
}

bool SpecOperations::loadFile(const QString &path, QString *error)
{
    QByteArray contents;
    if (!SpecFile::read(path, &contents, error))
        return false;
    m_table.setVersion(QString());
    m_table.initGrid();
    const SpecFile::ReadResult result = SpecFile::fill(m_table, contents);
    if (!result.complete && error)
        *error = result.error;
    return result.complete;
}
