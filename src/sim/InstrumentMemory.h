#pragma once

#include "sim/CalibrationLog.h"
#include "sim/OutputState.h"
#include "sim/SpecificationTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QStringList>

#include <array>

/**
 * @brief Everything one virtual instrument remembers: identity, clock, setup mode, calibration
 * factors (active and backup set), specification table, information records, user password and
 * the measurement state of its meter side.
 *
 * A plain value class with no knowledge of commands or transports; the command groups read and
 * change it. It lives as long as the virtual calibrator that owns it.
 */
class InstrumentMemory
{
public:
    /// The model numbers the virtual calibrator can pose as; the first is the default.
    static QStringList knownModels();
    static bool isKnownModel(const QString &model);

    explicit InstrumentMemory(const QString &model = QStringLiteral("5241"));

    // --- identity ---
    QByteArray maker() const { return "Quorvadine"; }
    QByteArray model() const { return m_model; }
    QByteArray serialNumber() const { return m_serialNumber; }
    void setSerialNumber(const QByteArray &serial) { m_serialNumber = serial; }
    QByteArray firmwareVersion() const { return m_firmwareVersion; }
    void setFirmwareVersion(const QByteArray &version) { m_firmwareVersion = version; }

    // --- real-time clock, kept as an offset from the computer's clock ---
    QDateTime clockAt(const QDateTime &computerNow) const { return computerNow.addMSecs(m_clockOffsetMs); }
    void setClock(const QDateTime &instrumentNow, const QDateTime &computerNow)
    {
        m_clockOffsetMs = computerNow.msecsTo(instrumentNow);
    }

    // --- passwords and setup mode ---
    QByteArray systemPassword() const { return m_systemPassword; }
    void setSystemPassword(const QByteArray &password) { m_systemPassword = password; }
    QByteArray calibratePassword() const { return m_calibratePassword; }
    void setCalibratePassword(const QByteArray &password) { m_calibratePassword = password; }

    /// Setup mode entered with the system password: setup data may be written.
    bool systemUnlocked() const { return m_systemUnlocked; }
    void setSystemUnlocked(bool on) { m_systemUnlocked = on; }
    /// Calibration data may be written (calibrate password given).
    bool calibrationUnlocked() const { return m_calibrationUnlocked; }
    void setCalibrationUnlocked(bool on) { m_calibrationUnlocked = on; }
    bool inSetupMode() const { return m_systemUnlocked || m_calibrationUnlocked; }
    void leaveSetupMode();

    /// True while a remote command was the last word; "L" hands the front panel back.
    bool remote() const { return m_remote; }
    void setRemote(bool on) { m_remote = on; }

    /// Until this time on the process clock the instrument is restarting and hears nothing.
    qint64 deafUntilMs() const { return m_deafUntilMs; }
    void setDeafUntilMs(qint64 ms) { m_deafUntilMs = ms; }
    /// How long a restart takes.
    int rebootMs() const { return m_rebootMs; }
    void setRebootMs(int ms) { m_rebootMs = ms; }

    // --- calibration factors ---
    /// The active factors of a range (empty for a range the instrument does not have).
    QList<qint32> factors(int range) const;
    /// False when the range or the index does not exist.
    bool setFactor(int range, int index, qint32 value);
    /// A failing memory cell, for tests of a host's read-back: a factor written there by command
    /// is answered as taken, but what is kept differs from what was sent.
    void setMisstored(int range, int index) { m_misstored.insert({range, index}); }
    bool misstores(int range, int index) const { return m_misstored.contains({range, index}); }
    QList<qint32> backupFactors(int range) const;
    /// Copies the active set over the backup set, and back.
    void backupToSecondary() { m_backup = m_active; }
    void restoreFromSecondary() { m_active = m_backup; }
    /// Sets every active factor to zero; the backup set keeps its values.
    void clearFactors();

    // --- calibration history ---
    /// Notes that a range's factors were changed; the write session becomes a history event,
    /// dated by the instrument's clock, when it ends.
    void recordCalibration(int range) { m_calibrationLog.recordRange(range); }
    /// Ends a write session: setup mode left, or adjusted factors stored.
    void closeCalibrationSession();
    CalibrationLog &calibrationLog() { return m_calibrationLog; }
    const CalibrationLog &calibrationLog() const { return m_calibrationLog; }

    // --- output, adjustment and service state ---
    OutputState &output() { return m_output; }
    const OutputState &output() const { return m_output; }
    // --- specification table, information records, user password, erasing ---
    SpecificationTable &specifications() { return m_specifications; }
    const SpecificationTable &specifications() const { return m_specifications; }
    /// Information records written with "&" and a two-digit number ("&05Spec ___ 08/12/26").
    QByteArray record(int number) const { return m_records.value(number); }
    void setRecord(int number, const QByteArray &text) { m_records.insert(number, text); }
    /// The password the user needs for calibrating from the front panel (set with "K"); the
    /// remote calibrate password is another one.
    QByteArray userPassword() const { return m_userPassword; }
    void setUserPassword(const QByteArray &password) { m_userPassword = password; }
    /// What "WXerase" erases: factors (active and backup), specification figures, information
    /// records and the user password. The clock and the remote passwords stay.
    void erase();
    /// How long an erase keeps the instrument deaf.
    int eraseMs() const { return m_eraseMs; }
    void setEraseMs(int ms) { m_eraseMs = ms; }

    // --- the meter side: last configured measurement and the reading READ? gives ---
    struct Measurement
    {
        QByteArray function; ///< "VOLTAGE:DC", "CURRENT:AC", "RES", "FRES", "FREQ", "R60", ...
        double value = 0.0;  ///< the value the function was configured for
    };
    Measurement measurement() const { return m_measurement; }
    void setMeasurement(const Measurement &m) { m_measurement = m; }
    double reading() const { return m_reading; }
    void setReading(double value) { m_reading = value; }

private:
    static QList<qint32> initialFactors(int range);

    QByteArray m_model;
    QByteArray m_serialNumber;
    QByteArray m_firmwareVersion = "2.13";
    qint64 m_clockOffsetMs = 0;
    QByteArray m_systemPassword = "5820316";
    QByteArray m_calibratePassword = "7715";
    bool m_systemUnlocked = false;
    bool m_calibrationUnlocked = false;
    bool m_remote = false;
    qint64 m_deafUntilMs = 0;
    int m_rebootMs = 2000;
    // Index 0 is unused so that the range number is the index.
    std::array<QList<qint32>, 150> m_active;
    std::array<QList<qint32>, 150> m_backup;
    SpecificationTable m_specifications;
    QMap<int, QByteArray> m_records;
    QByteArray m_userPassword;
    int m_eraseMs = 180000;
    Measurement m_measurement;
    double m_reading = 0.0;
    CalibrationLog m_calibrationLog;
    OutputState m_output;
    QSet<QPair<int, int>> m_misstored;
};
