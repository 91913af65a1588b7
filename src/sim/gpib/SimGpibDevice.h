#pragma once

#include "sim/CalibratorLink.h"
#include "sim/LineAssembler.h"

#include <QByteArray>
#include <QObject>

class VirtualCalibrator;

/**
 * @brief The virtual calibrator's GPIB interface: one listener and talker at a primary address
 * on a SimGpibBus.
 *
 * A message from the controller ends with EOI on its last byte or with LF; the calibrator answers
 * each command in it, and the answer waits in the output queue until the controller reads it.
 * As on any IEEE-488.2 instrument, a new message throws away an answer nobody read, and a device
 * clear empties both directions. Replies go through a CalibratorLink, so the fault knobs delay,
 * cut up or suppress them here as on the other fronts.
 */
class SimGpibDevice : public QObject
{
    Q_OBJECT
public:
    SimGpibDevice(VirtualCalibrator &calibrator, int address, QObject *parent = nullptr);

    VirtualCalibrator &calibrator() { return m_link.calibrator(); }
    int address() const { return m_address; }
    void setAddress(int address) { m_address = address; }

    /// Bytes the controller sent; endOfMessage when the last of them carried EOI.
    void receive(const QByteArray &bytes, bool endOfMessage);

    /// Takes up to maxCount bytes of the answer, stopping after eosChar when it is >= 0.
    /// *end is set when the read ended on that character or on the answer's last byte (EOI).
    QByteArray talk(qsizetype maxCount, int eosChar, bool *end);
    /// Whether talk() would give something now.
    bool hasOutput() const { return !m_output.isEmpty(); }
    /// Whether more of an answer is still on its way (delayed or cut up by the fault knobs).
    bool answerPending() const { return !m_link.isIdle(); }

    /// Device clear: forgets a half-received command and the unread answer.
    void clear();

signals:
    /// A complete command arrived (before the calibrator answers it).
    void lineReceived(const QByteArray &line);

private:
    void queueOutput(const QByteArray &bytes);

    int m_address;
    LineAssembler m_lines;
    CalibratorLink m_link;
    QByteArray m_output;
};
