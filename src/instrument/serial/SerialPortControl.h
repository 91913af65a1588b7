#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class PortTable;
class QSerialPort;

/**
 * @brief The instrument's serial port as the program sees it: a port number (1 to 16, bound to a
 * device by the PortTable), open or closed, output and input. 9600 baud, 8N1, no handshake.
 *
 * A port that fails while open (an adapter unplugged, the other side of a pseudo-terminal gone)
 * is closed at once and reported through failed(); the exchange waiting on it then ends.
 */
class SerialPortControl : public QObject
{
    Q_OBJECT
public:
    explicit SerialPortControl(PortTable *table, QObject *parent = nullptr);
    ~SerialPortControl() override;

    int portNumber() const { return m_portNumber; }
    /// Changes the port number; an open port is closed first.
    void setPortNumber(int portNumber);
    /// The device the present number is bound to ("" when unbound).
    QString devicePath() const;

    bool open();
    void close();
    bool isOpen() const;
    QString errorString() const { return m_error; }

    /// Writes the bytes and pushes them to the device.
    bool write(const QByteArray &bytes);
    /// Takes everything received so far.
    QByteArray readAll();
    qint64 bytesAvailable() const;

    PortTable *portTable() const { return m_table; }

    /// For each device, whether it opens (and closes again) as open() would open it; "" never
    /// opens. The devices are tried all at once: opening a port takes the system a lock file
    /// written through to disk, and one after another sixteen of them add up.
    static QList<bool> whichOpen(const QStringList &devicePaths);

    static constexpr int kBaudRate = 9600;

signals:
    void readyRead();
    void failed(const QString &reason);

private:
    void onError(int error);
    /// Opens port on path with the line settings; false with *error when it will not open.
    static bool openDevice(QSerialPort &port, const QString &path, QString *error);

    PortTable *m_table;
    QSerialPort *m_port;
    int m_portNumber = 1;
    QString m_error;
};
