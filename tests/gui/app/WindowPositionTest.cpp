#include "gui/app/WindowPosition.h"

#include <gtest/gtest.h>

namespace {

using namespace WindowPosition;

TEST(WindowPosition, PixelsAndTwipsFollowTheScreensResolution)
{
    EXPECT_DOUBLE_EQ(pixelsToTwips(100, 96), 1500);
    EXPECT_DOUBLE_EQ(pixelsToTwips(100, 144), 1000);
    EXPECT_DOUBLE_EQ(pixelsToTwips(100, 0), 1500); // an unknown resolution counts as 96
    EXPECT_EQ(twipsToPixels(1500, 96), 100);
    EXPECT_EQ(twipsToPixels(-1500, 96), -100);
    EXPECT_EQ(twipsText(1500), QStringLiteral("1500"));
    EXPECT_EQ(twipsText(1507.5), QStringLiteral("1507.5"));
}

TEST(WindowPosition, StoredTextsAreReadLeniently)
{
    EXPECT_EQ(parseTwips(QStringLiteral(" 1500 ")), 1500.0);
    EXPECT_EQ(parseTwips(QStringLiteral("1507,5")), 1507.5);
    EXPECT_EQ(parseTwips(QStringLiteral("-45")), -45.0);
    EXPECT_FALSE(parseTwips(QString()).has_value());
    EXPECT_FALSE(parseTwips(QStringLiteral("left")).has_value());
    EXPECT_FALSE(parseTwips(QStringLiteral("inf")).has_value());
}

TEST(WindowPosition, AWindowIsKeptOnTheScreenItOverlapsMost)
{
    const QList<QRect> screens = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1024)};
    const QSize size(800, 600);
    const struct
    {
        QPoint saved;
        std::optional<QPoint> placed;
    } cases[] = {
        {{100, 50}, QPoint(100, 50)},        // wholly on the first screen
        {{1500, 50}, QPoint(1120, 50)},      // overlaps the first screen more: pulled back onto it
        {{1800, 900}, QPoint(1920, 424)},    // overlaps the second screen more
        {{-300, -40}, QPoint(0, 0)},         // off the top-left corner
        {{5000, 5000}, std::nullopt},        // no screen shows it: the caller centres it
    };
    for (const auto &c : cases) {
        EXPECT_EQ(keepOnScreen(c.saved, size, screens), c.placed) << c.saved.x() << "," << c.saved.y();
    }
    // Larger than the screen: its top-left corner stays in view.
    EXPECT_EQ(keepOnScreen(QPoint(100, 100), QSize(3000, 2000), {QRect(0, 0, 1920, 1040)}), QPoint(0, 0));
}

} // namespace
