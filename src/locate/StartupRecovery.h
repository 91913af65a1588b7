#pragma once

#include "platform/Prompts.h"

#include <QString>
#include <QStringList>

#include <functional>

/**
 * @brief What start-up does when the search finds no calibrator: it says so and offers to search
 * again, to choose the interface by hand, or to quit. The program ends only on "Quit".
 *
 * The serial search alone cannot find an instrument on USB, Ethernet or GPIB, so a first run on
 * one of those would otherwise end before the user ever reached the windows that configure it.
 * The search and the chooser are the caller's; this class only decides what follows which answer.
 */
class StartupRecovery
{
public:
    enum class Choice {
        Retry = 0,
        ChooseInterface = 1,
        Quit = 2
    };

    struct Steps
    {
        /// The start-up search; true when a calibrator answered.
        std::function<bool()> search;
        /// Lets the user choose and configure the interface; true when the calibrator answers on
        /// what was chosen.
        std::function<bool()> chooseInterface;
        /// What on this computer may keep the calibrator away (the doctor's problems, each with
        /// its fix), asked each time the box is shown; empty when nothing is wrong. The caller's,
        /// since the checks sit beside this layer, not below it.
        std::function<QString()> findings;
    };

    static inline const QString kNotFound = QStringLiteral("Calibrator Not Found. Please restart program.");
    /// The buttons, in the order of Choice.
    static const QStringList &choiceCaptions();
    /// The box's text: kNotFound, then the findings when there are any.
    static QString notFoundText(const QString &findings);

    StartupRecovery(Prompts &prompts, QString title, Steps steps);

    /// Searches, and while nothing is found asks what to do next. True once a calibrator was found
    /// (by a search or on a chosen interface); false when the user chose to quit.
    bool run();

    /// How many times the search ran.
    int searches() const { return m_searches; }

private:
    Choice ask();
    bool search();

    Prompts &m_prompts;
    QString m_title;
    Steps m_steps;
    int m_searches = 0;
};
