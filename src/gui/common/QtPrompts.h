#pragma once

#include "platform/Prompts.h"

#include <memory>

class QMessageBox;
class QWidget;

/**
 * @brief The windowed program's prompts: Qt message boxes and file dialogs, shown over the
 * active window.
 *
 * A box without a title carries the program's title, and a box is never narrower than its title
 * needs: the window system would cut a long title short over a short message. The question icon,
 * Yes/No buttons and the default button are kept as asked, so "No" stays the button Enter presses
 * on a destructive question.
 *
 * Any thread may ask: boxes and dialogs are always shown on the GUI thread, and a question from
 * another thread waits there for its answer.
 */
class QtPrompts : public Prompts
{
public:
    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons,
                   Answer defaultAnswer) override;
    int choose(const QString &text, const QString &title, Icon icon, const QStringList &choices, int defaultChoice,
               int escapeChoice) override;
    QString openFileName(const QString &title, const QString &filter, const QString &suggestedName) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &suggestedName,
                         const QString &defaultSuffix) override;

    /// The box message() shows, ready to run.
    static std::unique_ptr<QMessageBox> makeMessageBox(const QString &text, const QString &title, Icon icon,
                                                       Buttons buttons, Answer defaultAnswer,
                                                       QWidget *parent = nullptr);
    /// The box choose() shows: one button per choice, in order.
    static std::unique_ptr<QMessageBox> makeChoiceBox(const QString &text, const QString &title, Icon icon,
                                                      const QStringList &choices, int defaultChoice, int escapeChoice,
                                                      QWidget *parent = nullptr);
    /// The width a box needs for its whole title to show in the window's title bar: the title in
    /// the title bar's font, with room for the bar's icon and buttons.
    static int titleWidth(const QString &title, const QWidget *box);
    /// The answer for the button a box returned (a closed box counts as its escape button).
    static Answer answerFor(int standardButton);
};
