#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class SerialPortControl;

/**
 * @brief Reads CR-terminated lines from a serial port as they arrive, without waiting for them:
 * each complete line is cut and trimmed exactly as SerialTransport cuts its lines and handed out
 * through lineReceived().
 *
 * For callers that keep several ports busy at once on the one thread, where a blocking line wait
 * per port would serialise them.
 */
class SerialLineReader : public QObject
{
    Q_OBJECT
public:
    explicit SerialLineReader(SerialPortControl *port, QObject *parent = nullptr);

    /// Drops what has arrived and not been handed out, and whatever the port still holds.
    void discardPending();

signals:
    /// One line without CR and LF; empty for a bare CR.
    void lineReceived(const QString &line);

private:
    void onReadyRead();

    SerialPortControl *m_port;
    QByteArray m_buffer;
};
