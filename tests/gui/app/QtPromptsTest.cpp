#include "gui/common/QtPrompts.h"

#include "platform/Settings.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>
#include <memory>

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

TEST(QtPrompts, AShortMessageUnderALongTitleLeavesRoomForTheWholeTitle)
{
    const QString title = QStringLiteral("DVM Virtual Front Panel");
    std::unique_ptr<QMessageBox> boxes[] = {
        QtPrompts::makeMessageBox(QStringLiteral("Cannot open port"), title, Prompts::Icon::Critical,
                                  Prompts::Buttons::Ok, Prompts::Answer::Ok),
        QtPrompts::makeChoiceBox(QStringLiteral("Go?"), title, Prompts::Icon::None,
                                 {QStringLiteral("Yes"), QStringLiteral("No")}, 0, 1)};
    for (const auto &box : boxes) {
        box->show();
        QCoreApplication::processEvents();
        EXPECT_GE(box->width(), QtPrompts::titleWidth(title, box.get()));
        // The title is measured in the title bar's font, with room for the bar's own buttons.
        EXPECT_GT(QtPrompts::titleWidth(title, box.get()), box->fontMetrics().horizontalAdvance(title));
    }
}

TEST(QtPrompts, AChoiceBoxAnswersWithTheIndexOfTheButtonPressedAndEscapeWithItsEscapeChoice)
{
    const QStringList choices = {QStringLiteral("Retry"), QStringLiteral("Choose Interface..."),
                                 QStringLiteral("Quit")};
    auto box = QtPrompts::makeChoiceBox(QStringLiteral("Not found"), QStringLiteral("Title"), Prompts::Icon::Critical,
                                        choices, 0, 2);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    ASSERT_EQ(box->buttons().size(), 3);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Retry"));
    EXPECT_EQ(box->escapeButton()->text(), QStringLiteral("Quit"));

    QtPrompts prompts;
    const struct
    {
        int press; // -1: Escape
        int answer;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {-1, 2}};
    for (const auto &c : cases) {
        QTimer::singleShot(0, [&c, &choices] {
            auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!shown)
                return;
            if (c.press < 0) {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(shown, &escape);
                return;
            }
            for (QAbstractButton *b : shown->buttons()) {
                if (b->text() == choices.at(c.press))
                    b->click();
            }
        });
        EXPECT_EQ(prompts.choose(QStringLiteral("Not found"), {}, Prompts::Icon::Critical, choices, 0, 2), c.answer)
            << c.press;
    }
}

TEST(QtPrompts, AQuestionFromAnotherThreadIsAskedOnTheGuiThreadAndItsAnswerGoesBack)
{
    QtPrompts prompts;
    Prompts::Answer answer = Prompts::Answer::Ok;
    int choice = -1;
    std::unique_ptr<QThread> asker(QThread::create([&] {
        answer = prompts.message(QStringLiteral("Save?"), QStringLiteral("Title"), Prompts::Icon::Question,
                                 Prompts::Buttons::YesNoCancel, Prompts::Answer::Yes);
        choice = prompts.choose(QStringLiteral("Not found"), QStringLiteral("Title"), Prompts::Icon::Critical,
                                {QStringLiteral("Retry"), QStringLiteral("Choose"), QStringLiteral("Quit")}, 0, 2);
    }));

    // The user, on the GUI thread: answers each box as it comes up, with a button that is not its
    // default, so the answer must be the one pressed.
    QStringList seen;
    QTimer user;
    user.setInterval(5);
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen << box->text();
        EXPECT_EQ(box->thread(), QCoreApplication::instance()->thread());
        const QString wanted = seen.size() == 1 ? QStringLiteral("No") : QStringLiteral("Choose");
        for (QAbstractButton *button : box->buttons()) {
            if (button->text().remove(QLatin1Char('&')) == wanted)
                button->click();
        }
    });
    user.start();

    QEventLoop loop;
    QObject::connect(asker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit); // a limit only; the boxes take milliseconds
    asker->start();
    loop.exec();
    user.stop();

    ASSERT_TRUE(asker->wait(1000)) << "the asking thread still waits for an answer";
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Save?"), QStringLiteral("Not found")}));
    EXPECT_EQ(answer, Prompts::Answer::No);
    EXPECT_EQ(choice, 1);
}

} // namespace
