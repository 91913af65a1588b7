#pragma once

#include <QObject>
#include <QString>

class InstrumentSession;

/**
 * @brief Looks for the calibrator behind the USB bridges: lists them, asks each in turn for its
 * identification through a probing driver, and at the first one the calibrator driver accepts
 * stores the bridge in the settings and points `DVM` at it over USB.
 *
 * The probing driver is a driver of its own, so a failed search leaves the working connection
 * and the USB device record in use alone. Progress lines go out through detail() and the found
 * line through result(), for the location window and the command-line tool alike.
 */
class UsbInstrumentSearch : public QObject
{
    Q_OBJECT
public:
    explicit UsbInstrumentSearch(InstrumentSession &session, QObject *parent = nullptr);

    /// The search; true when an instrument was found. A search started while one runs returns
    /// false at once.
    bool search();
    bool isSearching() const { return m_searching; }

    static inline const QString kNoDevices = QStringLiteral("No USB Devices Found");
    static inline const QString kNoneAnswered = QStringLiteral("No Quorvadine USB DMM Devices Found");

signals:
    void detail(const QString &text);
    void result(const QString &text);

private:
    InstrumentSession &m_session;
    bool m_searching = false;
};
