#include "procedures/InstrumentClock.h"

#include "ScriptedLink.h"

#include <gtest/gtest.h>

namespace {

const QString kInformation = QStringLiteral("Version 2.13\rS/N 52410123\r5241\r01/01/2030\r09:05:00\r*0\r");

TEST(InstrumentClock, ReadingShowsTheDisplayFormOrInvalidReply)
{
    ScriptedLink s;
    s.replies.insert("T", kInformation);
    InstrumentClock clock(s.channel());
    InstrumentClock::Reading reading = clock.read();
    ASSERT_TRUE(reading.at.has_value());
    EXPECT_EQ(*reading.at, QDateTime(QDate(2030, 1, 1), QTime(9, 5)));
    EXPECT_NE(reading.labelText(), InstrumentClock::InvalidReply);
    EXPECT_EQ(s.dvm->sent[0].timeout, 5);

    s.replies.insert("T", "TIMEOUT");
    EXPECT_EQ(clock.read().labelText(), "Invalid Reply");
}

TEST(InstrumentClock, SettingEntersSetupModeSendsTheDigitsReReadsAndLeaves)
{
    ScriptedLink s;
    s.replies.insert("T", kInformation);
    InstrumentClock clock(s.channel());
    const InstrumentClock::Setting setting = clock.set(QDate(2030, 1, 1), QTime(9, 5, 40));
    EXPECT_TRUE(setting.accepted);
    ASSERT_TRUE(setting.reread.has_value());
    EXPECT_EQ(s.commands(),
              QStringList({"SYSTEM:PASSWORD 5820316", "SYSTEM:SETDATE 0101300905", "T", "CAL:PASSWORD 0"}));
    EXPECT_EQ(s.dvm->sent[1].timeout, 10);
}

TEST(InstrumentClock, ARefusedSettingIsNotReReadButSetupModeIsStillLeft)
{
    ScriptedLink s;
    s.replies.insert("SYSTEM:PASSWORD 5820316", "*9\r");
    s.replies.insert("SYSTEM:SETDATE 0503261407", "*6\r");
    InstrumentClock clock(s.channel());
    const InstrumentClock::Setting setting = clock.set(QDate(2026, 3, 5), QTime(14, 7));
    EXPECT_FALSE(setting.accepted);
    EXPECT_FALSE(setting.reread.has_value());
    EXPECT_EQ(setting.reply, "*6\r");
    EXPECT_EQ(s.commands(), QStringList({"SYSTEM:PASSWORD 5820316", "SYSTEM:SETDATE 0503261407", "CAL:PASSWORD 0"}));
}

} // namespace
