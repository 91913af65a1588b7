#include "cli/CliPrompts.h"

Prompts::Answer CliPrompts::message(const QString &text, const QString &title, Icon icon, Buttons buttons, Answer)
{
    switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return m_yes ? Answer::Yes : Answer::No;
    case Buttons::OkCancel:
        // Going ahead is the user's choice, given with --yes; without it the cautious answer.
        return m_yes ? Answer::Ok : Answer::Cancel;
    case Buttons::DiscardCancel:
        return m_yes ? Answer::Discard : Answer::Cancel;
    case Buttons::Ok:
        break;
    }
    messages.append({text, title, icon});
    return Answer::Ok;
}
