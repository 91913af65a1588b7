#include "gui/common/QtPrompts.h"

#include "platform/Settings.h"

#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(QtPrompts, BoxesCarryTheAskedIconButtonsAndDefault)
{
    using P = Prompts;
    const struct
    {
        P::Icon icon;
        P::Buttons buttons;
        P::Answer defaultAnswer;
        QMessageBox::Icon boxIcon;
        QMessageBox::StandardButtons boxButtons;
        QMessageBox::StandardButton boxDefault;
    } cases[] = {
        {P::Icon::Critical, P::Buttons::Ok, P::Answer::Ok, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok},
        {P::Icon::Question, P::Buttons::YesNo, P::Answer::No, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::No},
        {P::Icon::Warning, P::Buttons::YesNoCancel, P::Answer::Cancel, QMessageBox::Warning,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel},
        {P::Icon::Information, P::Buttons::OkCancel, P::Answer::Ok, QMessageBox::Information,
         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok},
        {P::Icon::None, P::Buttons::YesNo, P::Answer::Yes, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes},
    };
    for (const auto &c : cases) {
        auto box = QtPrompts::makeMessageBox(QStringLiteral("text"), QStringLiteral("Title"), c.icon, c.buttons,
                                             c.defaultAnswer);
        EXPECT_EQ(box->icon(), c.boxIcon);
        EXPECT_EQ(box->standardButtons(), c.boxButtons);
        EXPECT_EQ(box->defaultButton(), box->button(c.boxDefault));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Title"));
    }
}

TEST(QtPrompts, AnUntitledBoxCarriesTheProgramsTitleAndEscapeOnAQuestionMeansNo)
{
    auto box = QtPrompts::makeMessageBox(QStringLiteral("Sure?"), QString(), Prompts::Icon::Question,
                                         Prompts::Buttons::YesNo, Prompts::Answer::No);
    EXPECT_EQ(box->windowTitle(), Settings::applicationTitle());
    EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::No));
    EXPECT_EQ(QtPrompts::answerFor(QMessageBox::No), Prompts::Answer::No);
    EXPECT_EQ(QtPrompts::answerFor(QMessageBox::Yes), Prompts::Answer::Yes);
    EXPECT_EQ(QtPrompts::answerFor(QMessageBox::Cancel), Prompts::Answer::Cancel);
}

TEST(QtPrompts, TheDefaultButtonGivesBackTheAnswerItWasChosenForAndAButtonWithoutOneMeansOk)
{
    using P = Prompts;
    const struct
    {
        P::Buttons buttons;
        P::Answer defaultAnswer;
    } cases[] = {
        {P::Buttons::OkCancel, P::Answer::Ok},
        {P::Buttons::OkCancel, P::Answer::Cancel},
        {P::Buttons::YesNoCancel, P::Answer::Yes},
        {P::Buttons::YesNoCancel, P::Answer::No},
    };
    for (const auto &c : cases) {
        auto box =
            QtPrompts::makeMessageBox(QStringLiteral("text"), QString(), P::Icon::None, c.buttons, c.defaultAnswer);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(QtPrompts::answerFor(box->standardButton(box->defaultButton())), c.defaultAnswer);
    }
    EXPECT_EQ(QtPrompts::answerFor(QMessageBox::Close), P::Answer::Ok);
}

} // namespace
