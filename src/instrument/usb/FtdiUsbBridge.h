#pragma once

#include "platform/UsbBridge.h"

#include <map>

struct ftdi_context;

/**
 * @brief FTDI USB-serial bridges through libftdi1.
 *
 * The library has no call that tells how many bytes wait in the chip: reading returns what the
 * chip has sent (nothing, after about one latency period, when it has nothing). So the bridge
 * keeps its own receive buffer per open device; bytesWaiting() collects what the chip holds and
 * returns the buffer's size, and read() takes from the buffer without touching the device.
 *
 * Opening detaches the system's serial driver from the bridge and gives it back on close, so its
 * /dev/ttyUSBn node reappears afterwards. The chip's latency timer is set low and CR is its event
 * character, so a short reply is not held back in the chip for 16 ms.
 */
class FtdiUsbBridge : public UsbBridge
{
public:
    FtdiUsbBridge();
    ~FtdiUsbBridge() override;

    QString backendName() const override { return QStringLiteral("libftdi1"); }
    bool listDevices(QList<DeviceStrings> &devices) override;
    int open(const QString &serialNumber, const LineSettings &settings) override;
    bool write(int handle, const QByteArray &bytes) override;
    int bytesWaiting(int handle) override;
    QByteArray read(int handle, int maxBytes) override;
    bool discardReceived(int handle) override;
    void close(int handle) override;
    QString lastError() const override { return m_error; }
    ErrorKind lastErrorKind() const override { return m_errorKind; }
    // The chip cannot signal an arrival; each look costs at most one latency period.
    int pollIntervalMs() const override { return kPollMs; }

    /// The udev rule a Linux user needs to open the bridge with this product id without root.
    static QString udevRuleAdvice(int productId);

    static constexpr int kLatencyTimerMs = 2;
    static constexpr int kPollMs = 5;
    /// A write never waits longer than this, whatever the line settings say.
    static constexpr int kWriteTimeoutBoundMs = 5000;

private:
    struct OpenDevice
    {
        ftdi_context *context = nullptr;
        QByteArray received;
    };

    bool fail(ErrorKind kind, const QString &text);
    void succeed();
    OpenDevice *find(int handle);

    std::map<int, OpenDevice> m_open;
    int m_nextHandle = 1;
    QString m_error;
    ErrorKind m_errorKind = ErrorKind::None;
};
