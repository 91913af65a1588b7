#include "instrument/serial/SerialPortControl.h"

#include "instrument/Logging.h"
#include "instrument/serial/PortTable.h"
#include "platform/SerialDeviceAccess.h"

#include <QSerialPort>
#include <QThread>

#include <memory>
#include <vector>

SerialPortControl::SerialPortControl(PortTable *table, QObject *parent)
    : QObject(parent), m_table(table), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, &SerialPortControl::readyRead);
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(int(e)); });
}

SerialPortControl::~SerialPortControl() = default;

void SerialPortControl::setPortNumber(int portNumber)
{
    if (portNumber == m_portNumber)
        return;
    close();
    m_portNumber = portNumber;
}

QString SerialPortControl::devicePath() const
{
    return m_table ? m_table->devicePath(m_portNumber) : QString();
}

bool SerialPortControl::open()
{
    if (m_port->isOpen())
        return true;
    const QString path = devicePath();
    if (path.isEmpty()) {
        m_error = QStringLiteral("COM%1 is not bound to a device").arg(m_portNumber);
        return false;
    }
    if (!openDevice(*m_port, path, &m_error)) {
        qCDebug(lcInstrument).noquote() << "COM" << m_portNumber << path << "does not open:" << m_error;
        return false;
    }
    // Modem lines are left alone: a pseudo-terminal has none and refuses the ioctl.
    m_port->clearError();
    m_error.clear();
    qCDebug(lcInstrument).noquote() << QStringLiteral("COM%1 open (%2)").arg(m_portNumber).arg(path);
    return true;
}

bool SerialPortControl::openDevice(QSerialPort &port, const QString &path, QString *error)
{
    port.setPortName(path);
    port.setBaudRate(kBaudRate);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) {
        *error = port.errorString();
        // A refusal has a cause the user can remove (a group not joined, a program holding the
        // port, a lock left behind); say which and how.
        if (port.error() == QSerialPort::PermissionError)
            *error = SerialDeviceAccess::explainOpenFailure(SystemView::current(), path, *error);
        return false;
    }
    return true;
}

QList<bool> SerialPortControl::whichOpen(const QStringList &devicePaths)
{
    // One short-lived thread per device; each port object lives and dies in its thread, and the
    // results are read only after every thread has ended.
    // A device named twice is tried once: two opens at the same moment would lock each other out.
    std::vector<char> opens(size_t(devicePaths.size()), 0);
    std::vector<std::unique_ptr<QThread>> threads;
    for (qsizetype i = 0; i < devicePaths.size(); ++i) {
        const QString path = devicePaths.at(i);
        if (path.isEmpty() || devicePaths.indexOf(path) != i)
            continue;
        char *result = &opens[size_t(i)];
        threads.emplace_back(QThread::create([path, result] {
            QSerialPort port;
            QString error;
            *result = openDevice(port, path, &error) ? 1 : 0;
            if (!*result)
                qCDebug(lcInstrument).noquote() << path << "does not open:" << error;
            port.close();
        }));
        threads.back()->start();
    }
    for (const auto &thread : threads)
        thread->wait();
    QList<bool> result;
    for (qsizetype i = 0; i < devicePaths.size(); ++i)
        result << (opens[size_t(devicePaths.indexOf(devicePaths.at(i)))] != 0);
    return result;
}

void SerialPortControl::close()
{
    if (m_port->isOpen()) {
        m_port->close();
        qCDebug(lcInstrument).noquote() << QStringLiteral("COM%1 closed").arg(m_portNumber);
    }
}

bool SerialPortControl::isOpen() const
{
    return m_port->isOpen();
}

bool SerialPortControl::write(const QByteArray &bytes)
{
    if (!m_port->isOpen())
        return false;
    if (m_port->write(bytes) != bytes.size())
        return false;
    // Qt writes from its event loop; push the command out now so it leaves in order.
    m_port->flush();
    return true;
}

QByteArray SerialPortControl::readAll()
{
    return m_port->isOpen() ? m_port->readAll() : QByteArray();
}

qint64 SerialPortControl::bytesAvailable() const
{
    return m_port->isOpen() ? m_port->bytesAvailable() : 0;
}

void SerialPortControl::onError(int error)
{
    const auto e = QSerialPort::SerialPortError(error);
    if (e == QSerialPort::NoError)
        return;
    // A pseudo-terminal has no modem lines; those calls fail harmlessly.
    if (e == QSerialPort::UnsupportedOperationError) {
        m_port->clearError();
        return;
    }
    if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError || e == QSerialPort::WriteError) {
        // Qt reports a vanished device again and again until the port is closed.
        m_error = m_port->errorString();
        qCDebug(lcInstrument).noquote() << QStringLiteral("COM%1 failed: %2").arg(m_portNumber).arg(m_error);
        m_port->close();
        emit failed(m_error);
    }
}
