#pragma once

#include "platform/Prompts.h"

#include <memory>

class QMessageBox;
class QWidget;

/**
 * @brief The windowed program's prompts: Qt message boxes and file dialogs, shown over the
 * active window.
 *
 * A box without a title carries the program's title. The question icon, Yes/No buttons and the
 * default button are kept as asked, so "No" stays the button Enter presses on a destructive
 * question.
 */
class QtPrompts : public Prompts
{
public:
    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons,
                   Answer defaultAnswer) override;
    QString openFileName(const QString &title, const QString &filter, const QString &suggestedName) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &suggestedName,
                         const QString &defaultSuffix) override;

    /// The box message() shows, ready to run.
    static std::unique_ptr<QMessageBox> makeMessageBox(const QString &text, const QString &title, Icon icon,
                                                       Buttons buttons, Answer defaultAnswer,
                                                       QWidget *parent = nullptr);
    /// The answer for the button a box returned (a closed box counts as its escape button).
    static Answer answerFor(int standardButton);
};
