#pragma once

#include "platform/UsbBridge.h"

/**
 * @brief The bridge of a program that cannot reach USB at all: every call fails and says why, so
 * the windows and the command-line tool explain instead of hiding the interface.
 */
class UnavailableUsbBridge : public UsbBridge
{
public:
    explicit UnavailableUsbBridge(QString reason) : m_reason(std::move(reason)) {}

    QString backendName() const override { return QStringLiteral("none"); }
    bool listDevices(QList<DeviceStrings> &) override { return false; }
    int open(const QString &, const LineSettings &) override { return 0; }
    bool write(int, const QByteArray &) override { return false; }
    int bytesWaiting(int) override { return -1; }
    QByteArray read(int, int) override { return {}; }
    bool discardReceived(int) override { return false; }
    void close(int) override {}
    QString lastError() const override { return m_reason; }
    ErrorKind lastErrorKind() const override { return ErrorKind::Unavailable; }

private:
    QString m_reason;
};
