#include "session/ConnectionStatus.h"

#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

// The start-up search leaves the serial port open; a connection made afterwards on another
// interface must not be reported as that port.
TEST(ConnectionStatus, ThePanelNamesTheConnectionInUseNotASerialPortLeftOpen)
{
    ScopedFakeClock fake;
    SimPty sim;
    ASSERT_TRUE(sim.isOpen());
    InstrumentSession session;
    session.context().portTable().bind(3, sim.devicePath());
    session.context().portTable().setExplicitOnly(true);
    session.createDvm(QStringLiteral("5200"));

    const struct
    {
        const char *name;
        Endpoint endpoint;
        bool serialPortOpen;
        QString panel;
    } cases[] = {
        {"serial, port open", Endpoint::serialPort(3), true, QStringLiteral("Com3 Open")},
        {"serial, port closed", Endpoint::serialPort(3), false, QString()},
        {"GPIB", Endpoint::gpib(22), true, QStringLiteral("GPIB Address 22")},
        {"USB", Endpoint::usb(QStringLiteral("QVSIM001")), true, QStringLiteral("USB")},
        {"Ethernet", Endpoint::ethernet(QStringLiteral("127.0.0.1"), 10001), true,
         QStringLiteral("Ethernet 127.0.0.1")},
    };
    SerialPortControl *port = session.context().dvm1Comm();
    for (const auto &c : cases) {
        ASSERT_TRUE(session.connect(c.endpoint)) << c.name;
        if (c.serialPortOpen && !port->isOpen()) {
            port->setPortNumber(3);
            ASSERT_TRUE(port->open()) << c.name;
        } else if (!c.serialPortOpen) {
            port->close();
        }
        EXPECT_EQ(ConnectionStatus::panelText(session), c.panel) << c.name;
    }
}

} // namespace
