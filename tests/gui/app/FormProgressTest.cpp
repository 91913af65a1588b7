#include "gui/app/FormProgress.h"

#include "gui/app/ProgressModel.h"

#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

namespace {

TEST(ProgressModel, ASizeOfZeroKeepsTheMaximumButStillResets)
{
    ProgressModel model;
    EXPECT_EQ(model.maximum(), 100);
    model.setMaxLines(60);
    model.progressText(QStringLiteral("a\rb\r"));
    ASSERT_EQ(model.value(), 2);
    model.setMaxLines(0);
    EXPECT_EQ(model.maximum(), 60);
    EXPECT_EQ(model.value(), 0);
    EXPECT_EQ(model.message(), QStringLiteral("Waiting for reply..."));
    model.setMaxCharacters(-5);
    EXPECT_EQ(model.maximum(), 60);
    EXPECT_FALSE(model.countLines());
}

TEST(ProgressModel, LinesCountCrsAndTheBarOnlyMovesBelowItsMaximum)
{
    ProgressModel model;
    model.setMaxLines(3);
    model.progressText(QStringLiteral("1\r2\r"));
    EXPECT_EQ(model.value(), 2);
    // Exactly as many lines as announced: the bar stays where it was.
    model.progressText(QStringLiteral("1\r2\r3\r"));
    EXPECT_EQ(model.value(), 2);
    EXPECT_EQ(model.message(), QStringLiteral("3 of 3 lines received"));
    model.progressText(QStringLiteral("1\r"));
    EXPECT_EQ(model.value(), 1);
}

TEST(ProgressModel, CharactersCountTheWholeTextAndAnEmptyTextShowsZero)
{
    ProgressModel model;
    model.setMaxCharacters(10);
    model.progressText(QStringLiteral("12345\r"));
    EXPECT_EQ(model.value(), 6);
    model.progressText(QStringLiteral("0123456789"));
    EXPECT_EQ(model.value(), 6);
    model.progressText(QString());
    EXPECT_EQ(model.value(), 0);
    EXPECT_EQ(model.message(), QStringLiteral("0 of 10 characters received"));
}

TEST(ProgressModel, IncrementStopsAtTheMaximum)
{
    ProgressModel model;
    model.setMaxCharacters(2);
    model.increment();
    model.increment();
    model.increment();
    EXPECT_EQ(model.value(), 2);
}

TEST(FormProgress, OnlyVisibleWindowsAreFedAndTheBarShowsTheModel)
{
    FormProgress shown;
    FormProgress hidden;
    EXPECT_EQ(shown.windowTitle(), QStringLiteral("Download Progress"));
    shown.SetMaxLines(4);
    hidden.SetMaxLines(4);
    shown.show();
    FormProgress::feedVisible(QStringLiteral("a\rb\rc\r"));
    auto *bar = shown.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
    auto *label = shown.findChild<QLabel *>(QStringLiteral("LabelMessage"));
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(bar->maximum(), 4);
    EXPECT_EQ(bar->value(), 3);
    EXPECT_EQ(label->text(), QStringLiteral("3 of 4 lines received"));
    EXPECT_EQ(hidden.model().value(), 0);
    EXPECT_EQ(hidden.model().message(), QStringLiteral("Waiting for reply..."));
}

} // namespace
