#pragma once

#include <QList>
#include <QMetaType>

/**
 * @brief The serial ports that can be offered, with the stored choices that select among them.
 */
struct PortListing
{
    /// The port numbers that opened and closed cleanly, ascending.
    QList<int> ports;
    /// The stored instrument port ("DVM1_CommPort") and scanner port ("ScannerCommPort", 0 = none).
    int instrumentPort = 1;
    int scannerPort = 1;
    /// The entries of ports to select for the instrument and the scanner; -1 when the stored port
    /// did not open (it is not listed, so nothing is selected).
    int instrumentIndex = -1;
    int scannerIndex = -1;

    bool useScanner() const { return scannerPort != 0; }
};

Q_DECLARE_METATYPE(PortListing)
