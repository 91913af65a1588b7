#pragma once

#include "sim/CalibratorLink.h"
#include "sim/CommandWire.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;
class VirtualCalibrator;

/**
 * @brief The virtual calibrator's RS-232 port: a pseudo-terminal whose other side
 * (devicePath(), e.g. /dev/pts/7) a host opens like any serial port.
 *
 * Lines the host sends (ended by CR, LF ignored) go to the calibrator once they have crossed the
 * wire (CommandWire); its replies go back through a CalibratorLink with the calibrator's fault
 * knobs. With wire pacing both directions of the line take their real time. Hosts may close and reopen the device as
 * often as they like. Only where the system has pseudo-terminals (Unix); elsewhere open() fails
 * and says why.
 *
 * By default the front keeps a descriptor of its own on the device. Without one the system
 * reports a hang-up on every moment no host has it open. The host still gets the device:
 * an exclusive lock taken by a host's serial port only bars opens that come after it. The price:
 * a reply that comes out while no host is connected waits in the device for the next host.
 */
class PtyFront : public QObject
{
    Q_OBJECT
public:
    explicit PtyFront(VirtualCalibrator &calibrator, QObject *parent = nullptr);
    ~PtyFront() override;

    /// Whether to keep a descriptor of our own on the device (see above). Set before open().
    void setHoldDeviceOpen(bool hold) { m_holdDevice = hold; }

    /// Creates the pseudo-terminal. False, with errorString(), when the system refuses.
    bool open();
    void close();
    bool isOpen() const { return m_master >= 0; }
    /// The device a host opens; empty until open() succeeded.
    QString devicePath() const { return m_devicePath; }
    QString errorString() const { return m_error; }

signals:
    /// A complete line arrived (before the calibrator answers it).
    void lineReceived(const QByteArray &line);

private:
    void readMaster();
    void hear(const QByteArray &line);
    void flushOutgoing();
    void write(const QByteArray &bytes);
    void waitForHost();
    bool fail(const QString &what);

    bool m_holdDevice = true;
    int m_master = -1;
    int m_heldSlave = -1;
    QString m_devicePath;
    QString m_error;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer m_hostPoll;
    QByteArray m_outgoing;
    CommandWire m_commands;
    CalibratorLink m_link;
};
