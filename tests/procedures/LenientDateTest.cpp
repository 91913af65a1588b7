#include "procedures/LenientDate.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

/// Sets the locale the parser and the display forms follow, for one test.
class LocaleScope
{
public:
    explicit LocaleScope(const QLocale &locale) : m_previous(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

TEST(LenientDate, TheInstrumentsDayFirstFormsAreReadUnderAnyLocale)
{
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::English, QLocale::UnitedKingdom),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        LocaleScope scope(locale);
        const struct
        {
            const char *text;
            QDateTime at;
        } cases[] = {
            {"05/03/2026", QDateTime(QDate(2026, 3, 5), QTime(0, 0))},
            {"5-3-26", QDateTime(QDate(2026, 3, 5), QTime(0, 0))},
            {"25-Dec-09", QDateTime(QDate(2009, 12, 25), QTime(0, 0))},
            {"2026-03-05", QDateTime(QDate(2026, 3, 5), QTime(0, 0))},
            {"2026-03-05T14:07:09", QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9))},
            {" 01/02/2009 10:30 ", QDateTime(QDate(2009, 2, 1), QTime(10, 30))},
            {"14:07:09", QDateTime(LenientDate::zeroDate(), QTime(14, 7, 9))},
            {"9:05", QDateTime(LenientDate::zeroDate(), QTime(9, 5))},
            {"15/06/75", QDateTime(QDate(1975, 6, 15), QTime(0, 0))},
        };
        for (const auto &c : cases) {
            const std::optional<QDateTime> at = LenientDate::parse(QString::fromLatin1(c.text));
            ASSERT_TRUE(at.has_value()) << c.text << " in " << locale.name().toStdString();
            EXPECT_EQ(*at, c.at) << c.text << " in " << locale.name().toStdString();
        }
    }
}

TEST(LenientDate, TheUsersOwnFormComesFirst)
{
    {
        // Month first in the user's short form: the locale decides before the day-first forms.
        LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(LenientDate::parse(QStringLiteral("3/5/26"))->date(), QDate(2026, 3, 5));
    }
    {
        LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedKingdom));
        EXPECT_EQ(LenientDate::parse(QStringLiteral("3/5/26"))->date(), QDate(2026, 5, 3));
    }
    LocaleScope scope(QLocale(QLocale::German, QLocale::Germany));
    const std::optional<QDateTime> at = LenientDate::parse(QStringLiteral("Donnerstag, 5. M\u00e4rz 2026"));
    ASSERT_TRUE(at.has_value());
    EXPECT_EQ(at->date(), QDate(2026, 3, 5));
}

TEST(LenientDate, NonsenseIsNoDate)
{
    for (const char *text : {"", "   ", "*0", "TIMEOUT", "32/01/2026", "12", "abc 12:00", "25:61"})
        EXPECT_FALSE(LenientDate::parse(QString::fromLatin1(text)).has_value()) << text;
}

TEST(InstrumentClockReading, DateOfLineThreePlusTimeOfLineFour)
{
    const std::optional<QDateTime> at =
        LenientDate::instrumentClock(QStringLiteral("Version 2.13\rS/N 1\r5241\r05/03/2026\r14:07:09\r*0\r"));
    ASSERT_TRUE(at.has_value());
    EXPECT_EQ(*at, QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)));
    // Exactly five lines, the last without a line end, is enough.
    EXPECT_TRUE(LenientDate::instrumentClock(QStringLiteral("a\rb\rc\r01/01/2030\r09:05")).has_value());
}

TEST(InstrumentClockReading, TooFewLinesOrAnUnreadableLineIsInvalid)
{
    EXPECT_FALSE(LenientDate::instrumentClock(QStringLiteral("a\rb\rc\r05/03/2026\r")).has_value());
    EXPECT_FALSE(LenientDate::instrumentClock(QStringLiteral("a\rb\rc\r05/03/2026\rnoon\r*0\r")).has_value());
    EXPECT_FALSE(LenientDate::instrumentClock(QStringLiteral("a\rb\rc\rtoday\r14:07\r*0\r")).has_value());
    EXPECT_FALSE(LenientDate::instrumentClock(QStringLiteral("TIMEOUT")).has_value());
    EXPECT_FALSE(LenientDate::instrumentClock(QString()).has_value());
}

TEST(LenientDate, DisplayFormsFollowTheLocale)
{
    LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(LenientDate::mediumForm(QDate(2009, 12, 25)), "25-Dec-09");
    const QString shown = LenientDate::displayForm(QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)));
    EXPECT_TRUE(shown.contains(QLatin1String("March"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QLatin1String("14:07"))) << shown.toStdString();
}

} // namespace
