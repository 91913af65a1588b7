#pragma once

#include <QString>
#include <QStringList>

/**
 * @brief Every message box, question and file dialog of the program goes through this interface,
 * so models and windows can be driven by tests that script the user's answers.
 *
 * The windowed program installs one built on Qt's dialogs; tests install ScriptedPrompts.
 */
class Prompts
{
public:
    enum class Icon {
        None,
        Information,
        Question,
        Warning,
        Critical
    };
    enum class Buttons {
        Ok,
        OkCancel,
        YesNo,
        YesNoCancel,
        DiscardCancel
    };
    enum class Answer {
        Ok,
        Cancel,
        Yes,
        No,
        Discard
    };

    virtual ~Prompts() = default;

    /// A message box; returns the button pressed. defaultAnswer is the button Enter presses.
    virtual Answer message(const QString &text, const QString &title = {}, Icon icon = Icon::None,
                           Buttons buttons = Buttons::Ok, Answer defaultAnswer = Answer::Ok) = 0;

    /// A message box with buttons captioned by the caller ("Retry", "Quit"); returns the index of
    /// the one pressed. defaultChoice is the button Enter presses, escapeChoice what closing the
    /// box counts as. Prompts that cannot offer the buttons show the text and take escapeChoice,
    /// the answer that leaves things as they are.
    virtual int choose(const QString &text, const QString &title, Icon icon, const QStringList &choices,
                       int defaultChoice, int escapeChoice)
    {
        Q_UNUSED(choices);
        Q_UNUSED(defaultChoice);
        message(text, title, icon);
        return escapeChoice;
    }

    /// An open-file dialog; "" when cancelled. filter is in Qt's form ("Cal Files (*.cal)").
    virtual QString openFileName(const QString &title, const QString &filter, const QString &suggestedName = {}) = 0;

    /// A save-file dialog that asks before overwriting; "" when cancelled.
    virtual QString saveFileName(const QString &title, const QString &filter, const QString &suggestedName,
                                 const QString &defaultSuffix) = 0;

    /// Shorthands for the common boxes.
    void inform(const QString &text, const QString &title = {}) { message(text, title, Icon::Information); }
    void critical(const QString &text, const QString &title = {}) { message(text, title, Icon::Critical); }
    bool confirm(const QString &text, const QString &title)
    {
        return message(text, title, Icon::Question, Buttons::YesNo, Answer::No) == Answer::Yes;
    }
};
