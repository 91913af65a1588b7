#pragma once

#include "platform/Prompts.h"

#include <QList>

/**
 * @brief Answers a model's questions from the command line: a question is Yes only when the
 * user gave --yes; message boxes are kept for the command to report as it sees fit; there are no
 * file dialogs (a command names its files on the command line).
 */
class CliPrompts : public Prompts
{
public:
    struct Shown
    {
        QString text;
        QString title;
        Icon icon;
    };

    explicit CliPrompts(bool yes) : m_yes(yes) {}

    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons, Answer defaultAnswer) override;
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }

    /// Every message box shown, questions left out.
    QList<Shown> messages;

private:
    bool m_yes;
};
