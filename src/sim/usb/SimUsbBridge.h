#pragma once

#include "platform/UsbBridge.h"
#include "sim/LineAssembler.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class CalibratorLink;
class VirtualCalibrator;

/**
 * @brief A simulated FTDI bridge library: bridges with chosen descriptions and serial numbers,
 * each wired to a virtual calibrator or to nothing (a bridge whose instrument stays silent).
 *
 * Lines the host writes (ended by CR) go to the calibrator; its replies come back through a
 * CalibratorLink with that calibrator's fault knobs, so delays, pieces with gaps, noise and wire
 * pacing apply as on the other fronts. Each arrival wakes the process clock, so a host's wait
 * returns the moment bytes are there. What arrives while the host has the bridge closed is lost,
 * as a real bridge drops it when it is opened again.
 *
 * Tests can also make a bridge refuse to open, or the whole listing fail, with the reason a real
 * library would give, and pull a bridge's cable and plug it in again.
 */
class SimUsbBridge : public QObject, public UsbBridge
{
    Q_OBJECT
public:
    explicit SimUsbBridge(QObject *parent = nullptr);

    /// How the programs' --simulate mode names the bridge in front of the built-in calibrator.
    static inline const QByteArray kBuiltInDescription = "Quorvadine USB-232 Interface";
    static inline const QByteArray kBuiltInSerialNumber = "QVSIM001";
    ~SimUsbBridge() override;

    /// Adds a bridge at the end of the listing; calibrator may be null (nobody answers). The
    /// calibrator must outlive its use here or be destroyed with the bridge's knowledge (QPointer).
    /// Returns its index.
    int addDevice(const QByteArray &description, const QByteArray &serialNumber, VirtualCalibrator *calibrator);
    int deviceCount() const { return int(m_devices.size()); }

    /// Makes opening this bridge fail with the given kind and text (kind None: opens again).
    void refuseOpen(int index, ErrorKind kind, const QString &reason = {});
    /// Makes every listing fail with the given kind and text (kind None: lists again).
    void failListing(ErrorKind kind, const QString &reason = {});

    /// Bytes arriving from the instrument side now, whatever the calibrator does: lost unless
    /// the host has the bridge open.
    void deviceSends(int index, const QByteArray &bytes);

    /// Pulls the bridge's cable: it is no longer listed and will not open, a handle the host
    /// holds fails every write and read from now on (as the library reports a device that is
    /// gone) until the host closes it, and whatever was on its way is lost. A waiting host is
    /// woken, as by the library's error. The instrument behind it keeps running.
    void unplug(int index);
    /// Plugs the cable in again: listed and ready to be opened afresh. A handle from before the
    /// unplugging stays dead.
    void plugIn(int index);

    /// Every line the host wrote to this bridge, without CR.
    QList<QByteArray> heardLines(int index) const;
    /// How often this bridge was opened and closed, and the line settings of the last open.
    int openCount(int index) const;
    int closeCount(int index) const;
    LineSettings lastLineSettings() const { return m_lastSettings; }
    /// Whether the host holds any handle now (a dead one from before an unplugging included).
    bool anyOpen() const;

    QString backendName() const override { return QStringLiteral("simulated"); }
    bool listDevices(QList<DeviceStrings> &devices) override;
    int open(const QString &serialNumber, const LineSettings &settings) override;
    bool write(int handle, const QByteArray &bytes) override;
    int bytesWaiting(int handle) override;
    QByteArray read(int handle, int maxBytes) override;
    bool discardReceived(int handle) override;
    void close(int handle) override;
    QString lastError() const override { return m_error; }
    ErrorKind lastErrorKind() const override { return m_errorKind; }

signals:
    /// The host wrote a whole line to this bridge; emitted before the instrument takes it, so a
    /// receiver may still pull the cable under the command (the write then fails).
    void lineHeard(int index, const QByteArray &line);

private:
    struct Device
    {
        QByteArray description;
        QByteArray serialNumber;
        /// Null when nobody answers, or once the calibrator behind it is gone.
        QPointer<CalibratorLink> link;
        LineAssembler lines;
        QByteArray received;
        int index = 0;
        int handle = 0;
        /// The handle that was open when the cable was pulled, until the host closes it.
        int deadHandle = 0;
        bool plugged = true;
        int opens = 0;
        int closes = 0;
        QList<QByteArray> heard;
        ErrorKind refusal = ErrorKind::None;
        QString refusalReason;
    };

    Device *byHandle(int handle);
    bool fail(ErrorKind kind, const QString &text);
    void receive(Device &device, const QByteArray &bytes);

    std::vector<std::unique_ptr<Device>> m_devices;
    int m_nextHandle = 1;
    ErrorKind m_listingFailure = ErrorKind::None;
    QString m_listingFailureReason;
    LineSettings m_lastSettings;
    QString m_error;
    ErrorKind m_errorKind = ErrorKind::None;
};
