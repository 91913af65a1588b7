#pragma once

#include "locate/PortListing.h"

#include <QObject>
#include <QString>

class InstrumentSession;

/**
 * @brief Finds the calibrator on the serial ports: lists the ports that open, asks each for its
 * identification and, when a calibrator of the 5200 family answers, points the settings, the
 * serial control and `DVM` at its port.
 *
 * Every port is asked at once, so a search over sixteen silent ports costs one identification
 * wait, not sixteen. The progress still reads as if the ports were asked one after another:
 * the detail lines come in port order, and the first port in list order whose answer is accepted
 * wins even when a later one answered sooner. The detail lines go out through detail(), for the
 * location window and the command-line tool alike.
 */
class SerialSearch : public QObject
{
    Q_OBJECT
public:
    explicit SerialSearch(InstrumentSession &session, QObject *parent = nullptr);
    ~SerialSearch() override;

    /// The port numbers a search considers by default: 1 to 16.
    static QList<int> allPorts();
    /// A port list entry ("COM3") and the number read back from one (the text from its fourth
    /// character on; 0 when that is not a number).
    static QString portEntry(int portNumber);
    static int portFromEntry(const QString &entry);

    /// Lists the candidates that open and close cleanly, with the stored selections; emits
    /// portsListed(). The serial control is closed first and left on the stored port.
    PortListing listPorts(const QList<int> &candidates = allPorts());

    /// Asks the ports for their identification, in list order as far as anyone can tell; true when
    /// a calibrator answered. Then the result line ends with foundText(), the settings hold the
    /// port and `DVM` uses it over RS-232. A search started while one runs returns false at once.
    bool searchPorts(const QList<int> &ports);

    /// The whole search: empties foundText(), "Checking Serial Ports", listPorts, searchPorts.
    bool locateAll(const QList<int> &candidates = allPorts());

    bool isSearching() const { return m_searching; }
    /// The result lines since the last locateAll, each ended by CR LF.
    QString foundText() const { return m_foundText; }
    /// Adds a result line of another search (USB, Ethernet) to foundText().
    void addResult(const QString &text) { m_foundText += text + QLatin1String("\r\n"); }
    /// The port of the last instrument found (0 before one was found).
    int foundPort() const { return m_foundPort; }

    /// The texts of the search.
    static inline const QString kCheckingSerialPorts = QStringLiteral("Checking Serial Ports");
    static inline const QString kNotFound = QStringLiteral("No Meter Found on serial ports");

signals:
    /// One line of progress, in the order the search would have made it port by port.
    void detail(const QString &text);
    void portsListed(const PortListing &listing);
    void searchStarted();
    void searchFinished(bool found);

private:
    void adopt(int portNumber, const QString &reply);

    InstrumentSession &m_session;
    QString m_foundText;
    int m_foundPort = 0;
    bool m_searching = false;
};
