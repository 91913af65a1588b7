#include "locate/StartupRecovery.h"

#include <utility>

const QStringList &StartupRecovery::choiceCaptions()
{
    static const QStringList captions = {QStringLiteral("Retry"), QStringLiteral("Choose Interface..."),
                                         QStringLiteral("Quit")};
    return captions;
}

QString StartupRecovery::notFoundText(const QString &findings)
{
    const QString found = findings.trimmed();
    if (found.isEmpty())
        return kNotFound;
    return kNotFound + QStringLiteral("\n\nWhat on this computer may keep it from being found:\n") + found;
}

StartupRecovery::StartupRecovery(Prompts &prompts, QString title, Steps steps)
    : m_prompts(prompts), m_title(std::move(title)), m_steps(std::move(steps))
{
}

bool StartupRecovery::run()
{
    if (search())
        return true;
    for (;;) {
        switch (ask()) {
        case Choice::Retry:
            if (search())
                return true;
            break;
        case Choice::ChooseInterface:
            if (m_steps.chooseInterface && m_steps.chooseInterface())
                return true;
            break;
        case Choice::Quit:
            return false;
        }
    }
}

StartupRecovery::Choice StartupRecovery::ask()
{
    // Closing the box is quitting, as it was before there was anything else to choose.
    const QString findings = m_steps.findings ? m_steps.findings() : QString();
    const int answer = m_prompts.choose(notFoundText(findings), m_title, Prompts::Icon::Critical, choiceCaptions(),
                                        int(Choice::Retry), int(Choice::Quit));
    if (answer < int(Choice::Retry) || answer > int(Choice::Quit))
        return Choice::Quit;
    return Choice(answer);
}

bool StartupRecovery::search()
{
    ++m_searches;
    return m_steps.search && m_steps.search();
}
