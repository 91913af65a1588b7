#include "fixtures/PtyPeer.h"
#include "instrument/serial/PortTable.h"
#include "instrument/serial/SerialPortControl.h"

#include <gtest/gtest.h>

namespace {

TEST(SerialPortControlWhichOpen, TellsEachDeviceApartWhenTriedAllAtOnce)
{
    PtyPeer free;
    PtyPeer taken;
    ASSERT_TRUE(free.isOpen() && taken.isOpen());
    PortTable table;
    table.setExplicitOnly(true);
    table.bind(2, taken.devicePath());
    SerialPortControl holder(&table);
    holder.setPortNumber(2);
    ASSERT_TRUE(holder.open());

    const QList<bool> opens = SerialPortControl::whichOpen(
        {free.devicePath(), taken.devicePath(), QStringLiteral("/nonexistent/calsetup-test/port"), QString(),
         free.devicePath()});
    EXPECT_EQ(opens, (QList<bool>{true, false, false, false, true}))
        << "a device another port holds does not open; one named twice is tried once";

    // Nothing was left open: the free device opens again, the held one is still ours.
    table.bind(1, free.devicePath());
    SerialPortControl again(&table);
    again.setPortNumber(1);
    EXPECT_TRUE(again.open());
    EXPECT_TRUE(holder.isOpen());
}

} // namespace
