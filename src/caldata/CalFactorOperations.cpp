#include "caldata/CalFactorOperations.h"

#include "caldata/CalFile.h"
#include "caldata/TableFileDialog.h"
#include "instrument/CommandHelpers.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/Reply.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"

#include <QScopeGuard>

#include <limits>

namespace {

const QString kStatusLineOk = QStringLiteral("*0");
const QString kNoSetupMode = QStringLiteral("Error entering setup mode");

QString printCommand(int range)
{
    // The instrument wants the range as exactly three digits: range 1 is "CAL:PRINT 001".
    return QStringLiteral("CAL:PRINT %1").arg(range, 3, 10, QLatin1Char('0'));
}

} // namespace

struct CalFactorOperations::CopyTexts
{
    QString question;
    QString title;
    QString command;
    QString done;
    QString failed;
};

CalFactorOperations::CalFactorOperations(CalFactorTable &table, InstrumentChannel &dvm, Prompts &prompts, Hooks hooks)
    : m_table(table), m_dvm(dvm), m_prompts(prompts), m_hooks(std::move(hooks))
{
}

void CalFactorOperations::setStatus(const QString &text)
{
    if (m_hooks.status)
        m_hooks.status(text);
}

bool CalFactorOperations::enterSetupMode(SetupPassword password)
{
    if (EnterSetupMode(m_dvm, password))
        return true;
    m_prompts.message(kNoSetupMode);
    return false;
}

void CalFactorOperations::setBusy(bool on)
{
    if (m_hooks.busy)
        m_hooks.busy(on);
}

CalFactorOperations::Outcome CalFactorOperations::loadFromCalibrator()
{
    setBusy(true);
    auto idle = qScopeGuard([this] { setBusy(false); });

    m_table.reshapeForFactors();
    for (int range = CalFactorTable::kFirstRange; range <= CalFactorTable::kLastRange; ++range) {
        m_table.setText(range, 0, CalFactorTable::rangeLabel(range));
        const ExchangeReply exchanged = m_dvm.exchange({printCommand(range), true, kPrintTimeoutSeconds, 1});
        QString reply = exchanged.conventionalText();
        reply.remove(QLatin1Char('\n'));
        if (exchanged.failed()) {
            // A dead or silent line answers every later range the same way, a time-out each: stop
            // and say so. The rows read so far are the instrument's; the rest stay visibly empty.
            setStatus(QStringLiteral("Calibrator not responding: ranges %1 to %2 not read")
                          .arg(range, 3, 10, QLatin1Char('0'))
                          .arg(CalFactorTable::kLastRange));
            return Outcome::Failed;
        }
        // One factor per line from index 0, then the status line, which is never placed. A "*0"
        // among the factors leaves its column as it is.
        const QStringList lines = SplitLines(reply);
        for (int column = 1; column < lines.size(); ++column) {
            const QString &line = lines.at(column - 1);
            if (line == kStatusLineOk)
                continue;
            if (column >= m_table.columnCount()) {
                // More factors than the grid has columns: the reply cannot be trusted, and
                // a half-filled grid would pass for the instrument's memory.
                m_table.clearAll();
                return Outcome::Failed;
            }
            m_table.setText(range, column, line);
        }
        if (m_hooks.progress)
            m_hooks.progress();
        if (m_hooks.rangeRead && !m_hooks.rangeRead(range, reply))
            return Outcome::Stopped;
    }
    return Outcome::Done;
}

CalFactorOperations::SaveSummary CalFactorOperations::saveToCalibrator()
{
    SaveSummary summary;
    if (!enterSetupMode(SetupPassword::System)) {
        summary.outcome = Outcome::NoSetupMode;
        return summary;
    }
    setBusy(true);
    auto tail = qScopeGuard([this] {
        // Setup mode is left however the loop ended.
        SendCalPassword(m_dvm);
        setBusy(false);
    });

    for (int row = 1; row < m_table.rowCount(); ++row) {
        for (int column = 1; column < m_table.columnCount(); ++column) {
            const QString text = m_table.text(row, column);
            if (text.isEmpty() || m_table.state(row, column) != CalFactorTable::CellState::Pending)
                continue;
            CellWrite write{row, column, row, CalFactorTable::factorIndexOfColumn(column), text,
                            WriteResult::NotSent, {}};
            qint32 value = 0;
            if (row < CalFactorTable::kFirstRange || row > CalFactorTable::kLastRange || write.factorIndex < 0) {
                // The instrument has no such factor; the cell stays pending so the engineer sees
                // that it never went out.
                ++summary.notSent;
            } else if (!parseFactor(text, &value)) {
                // A text the instrument could not take as a factor is refused here, before it
                // could be sent as some other number.
                m_table.setState(row, column, CalFactorTable::CellState::Rejected);
                write.result = WriteResult::NotANumber;
                ++summary.rejected;
            } else {
                write.reply = m_dvm.SendString(setCalCommand(write.factorIndex, row, value), true,
                                               kSetCalTimeoutSeconds, 1);
                if (Reply::isSuccess(write.reply)) {
                    m_table.setState(row, column, CalFactorTable::CellState::InStep);
                    write.result = WriteResult::Accepted;
                    ++summary.accepted;
                } else if (!Reply::isStatus(write.reply)) {
                    // Not a refusal: the line or the instrument has gone quiet, or noise ate the
                    // status. The cell and every later one stay pending for the next save (writing
                    // a value twice does no harm); sending on would cost a time-out per cell.
                    write.result = WriteResult::NoAnswer;
                    summary.outcome = Outcome::Failed;
                    m_prompts.message(QStringLiteral("No clear answer from the calibrator: %1 changed cells not "
                                                     "written, they stay pending")
                                          .arg(m_table.pendingCount()));
                    if (m_hooks.cellWritten)
                        m_hooks.cellWritten(write);
                    return summary;
                } else if (Reply::isPasswordNeeded(write.reply)) {
                    write.result = WriteResult::PasswordNeeded;
                    summary.outcome = Outcome::PasswordNeeded;
                    m_prompts.message(QStringLiteral("Password Needed"));
                    if (m_hooks.cellWritten)
                        m_hooks.cellWritten(write);
                    return summary;
                } else {
                    m_table.setState(row, column, CalFactorTable::CellState::Rejected);
                    write.result = WriteResult::Rejected;
                    ++summary.rejected;
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
    return summary;
}

CalFactorOperations::Outcome CalFactorOperations::backupToSecondary(bool reread)
{
    return copyBetweenSets(
        {QStringLiteral("This will copy the active calibration factors for all ranges to EEPROM backup - please confirm"),
         QStringLiteral("Backup Calibration"), QStringLiteral("CB"), QStringLiteral("Cal Factors backed up ok"),
         QStringLiteral("Error - Cal not backed up")},
        reread);
}

CalFactorOperations::Outcome CalFactorOperations::restoreFromSecondary(bool reread)
{
    return copyBetweenSets(
        {QStringLiteral("This will copy the EEPROM backup calibration factors over the current active calibration "
                        "factors - please confirm"),
         QStringLiteral("Restore Calibration"), QStringLiteral("CR"), QStringLiteral("Cal Factors restored"),
         QStringLiteral("Error - Cal not restored")},
        reread);
}

CalFactorOperations::Outcome CalFactorOperations::copyBetweenSets(const CopyTexts &texts, bool reread)
{
    if (!m_prompts.confirm(texts.question, texts.title))
        return Outcome::Cancelled;
    if (!enterSetupMode(SetupPassword::Calibrate))
        return Outcome::NoSetupMode;
    setBusy(true);
    auto idle = qScopeGuard([this] { setBusy(false); });

    QString reply = m_dvm.SendString(texts.command, true, kCopyTimeoutSeconds, 1);
    // The answer is one status line; the transport ends every line with CR, which is not part of
    // the status.
    reply.remove(QLatin1Char('\r'));
    reply.remove(QLatin1Char('\n'));
    const bool copied = reply == kStatusLineOk;
    setStatus(copied ? texts.done : texts.failed);

    SendCalPassword(m_dvm);
    systemClock().pause(kSettleAfterCopyMs);
    if (reread) {
        const Outcome read = loadFromCalibrator();
        if (read != Outcome::Done)
            return read;
    }
    return copied ? Outcome::Done : Outcome::Failed;
}

CalFactorOperations::Outcome CalFactorOperations::clearInstrument(bool reread)
{
    if (!m_prompts.confirm(QStringLiteral("This will clear calibration factors for all ranges - please confirm"),
                           QStringLiteral("Clear Calibration")))
        return Outcome::Cancelled;
    if (!enterSetupMode(SetupPassword::System))
        return Outcome::NoSetupMode;
    setBusy(true);
    auto idle = qScopeGuard([this] { setBusy(false); });

    const bool cleared = Reply::isSuccess(m_dvm.SendString(QStringLiteral("CC"), true, kClearTimeoutSeconds, 1));
    setStatus(cleared ? QStringLiteral("Calibration factors cleared ok")
                      : QStringLiteral("Error - Calibration factors not cleared"));
    SendCalPassword(m_dvm);
    if (reread) {
        const Outcome read = loadFromCalibrator();
        if (read != Outcome::Done)
            return read;
    }
    return cleared ? Outcome::Done : Outcome::Failed;
}

CalFactorOperations::Outcome CalFactorOperations::saveToFile()
{
    return TableFileDialog::save<CalFile>(m_table, m_prompts);
}

CalFactorOperations::Outcome CalFactorOperations::loadFromFile()
{
    const QString path = m_prompts.openFileName(QStringLiteral("Load from File"), CalFile::fileFilter());
    if (path.isEmpty()) {
        m_prompts.critical(QStringLiteral("Calibration Settings Not Loaded"));
        return Outcome::Cancelled;
    }
    if (!loadFromFile(path, nullptr)) {
        m_prompts.critical(QStringLiteral("Calibration Settings Not Loaded"));
        return Outcome::Failed;
    }
    return Outcome::Done;
}

bool CalFactorOperations::loadFromFile(const QString &path, QString *error)
{
    QByteArray contents;
    if (!CalFile::read(path, &contents, error))
        return false;
    m_table.reshapeForFactors();
    const CalFile::ReadResult result = CalFile::fill(m_table, contents);
    if (!result.complete && error)
        *error = result.error;
    return result.complete;
}

bool CalFactorOperations::parseFactor(const QString &text, qint32 *value)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')))
        ++i;
    if (i == t.size())
        return false;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (t.at(j) < QLatin1Char('0') || t.at(j) > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    const qlonglong wide = t.toLongLong(&ok);
    if (!ok || wide < std::numeric_limits<qint32>::min() || wide > std::numeric_limits<qint32>::max())
        return false;
    *value = qint32(wide);
    return true;
}

QString CalFactorOperations::setCalCommand(int factorIndex, int range, qint32 value)
{
    return QStringLiteral("CALIBRATION:SETCAL %1,%2,%3").arg(factorIndex).arg(range).arg(value);
}
