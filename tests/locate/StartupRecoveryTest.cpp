#include "locate/StartupRecovery.h"

#include "fixtures/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace {

using Choice = StartupRecovery::Choice;

TEST(StartupRecovery, WhatEachAnswerToNotFoundLeadsTo)
{
    const struct
    {
        const char *name;
        QList<bool> searchResults;  // what each search finds, in order
        QList<bool> chooserResults; // whether the calibrator answers after each use of the chooser
        QList<Choice> answers;      // the user's answers to "not found", in order
        bool found;
        int searches;
        int chooserUses;
        int questions;
    } cases[] = {
        {"found at once", {true}, {}, {}, true, 1, 0, 0},
        {"retry finds it on the second try", {false, true}, {}, {Choice::Retry}, true, 2, 0, 1},
        {"retry twice", {false, false, true}, {}, {Choice::Retry, Choice::Retry}, true, 3, 0, 2},
        {"choose interface opens the chooser, and what it chose answers",
         {false},
         {true},
         {Choice::ChooseInterface},
         true,
         1,
         1,
         1},
        {"a chooser that found nothing asks again",
         {false},
         {false, true},
         {Choice::ChooseInterface, Choice::ChooseInterface},
         true,
         1,
         2,
         2},
        {"quit ends", {false}, {}, {Choice::Quit}, false, 1, 0, 1},
        {"closing the box quits", {false}, {}, {}, false, 1, 0, 1},
        {"retry, then the chooser, then quit",
         {false, false},
         {false},
         {Choice::Retry, Choice::ChooseInterface, Choice::Quit},
         false,
         2,
         1,
         3},
    };
    for (const auto &c : cases) {
        ScriptedPrompts prompts;
        for (Choice answer : c.answers)
            prompts.chosen.enqueue(int(answer));
        QList<bool> searches = c.searchResults;
        QList<bool> chooser = c.chooserResults;
        int chooserUses = 0;
        StartupRecovery recovery(prompts, QStringLiteral("Setup Utility"),
                                 {[&searches] { return !searches.isEmpty() && searches.takeFirst(); },
                                  [&chooser, &chooserUses] {
                                      ++chooserUses;
                                      return !chooser.isEmpty() && chooser.takeFirst();
                                  }});
        EXPECT_EQ(recovery.run(), c.found) << c.name;
        EXPECT_EQ(recovery.searches(), c.searches) << c.name;
        EXPECT_EQ(chooserUses, c.chooserUses) << c.name;
        ASSERT_EQ(prompts.shown.size(), c.questions) << c.name;
        for (const ScriptedPrompts::Shown &shown : prompts.shown) {
            // The message the program has always given, now with a way on.
            EXPECT_EQ(shown.text, QStringLiteral("Calibrator Not Found. Please restart program.")) << c.name;
            EXPECT_EQ(shown.title, QStringLiteral("Setup Utility")) << c.name;
            EXPECT_EQ(shown.icon, Prompts::Icon::Critical) << c.name;
            EXPECT_EQ(shown.choices, QStringList({"Retry", "Choose Interface...", "Quit"})) << c.name;
        }
    }
}

TEST(StartupRecovery, AnAnswerOutsideTheChoicesQuits)
{
    ScriptedPrompts prompts;
    prompts.chosen.enqueue(7);
    int searches = 0;
    StartupRecovery recovery(prompts, {}, {[&searches] { return ++searches > 1; }, [] { return true; }});
    EXPECT_FALSE(recovery.run());
    EXPECT_EQ(searches, 1);
}

// The findings are asked afresh for each box: a problem put right before a retry is gone from
// the next one, and the first line stays what it always was.
TEST(StartupRecovery, EachBoxShowsTheFindingsOfThatMoment)
{
    ScriptedPrompts prompts;
    prompts.chosen.enqueue(int(Choice::Retry));
    prompts.chosen.enqueue(int(Choice::Quit));
    QStringList findings{QStringLiteral("problem  serial /dev/ttyUSB0: not in dialout\n    fix: join dialout\n"),
                         QString()};
    StartupRecovery recovery(prompts, {}, {[] { return false; }, {}, [&findings] { return findings.takeFirst(); }});
    EXPECT_FALSE(recovery.run());
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(prompts.shown.at(0).text,
              StartupRecovery::kNotFound
                  + "\n\nWhat on this computer may keep it from being found:\n"
                    "problem  serial /dev/ttyUSB0: not in dialout\n    fix: join dialout");
    EXPECT_EQ(prompts.shown.at(1).text, StartupRecovery::kNotFound);
}

} // namespace
