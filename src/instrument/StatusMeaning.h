#pragma once

#include <QString>

/// The instrument's status lines in plain words, for the windows that show what became of a
/// command: "*5" says the value lies outside what the range takes, "*9" that the command or its
/// value was not understood.
namespace StatusMeaning {

/// The status a reply starts with ("*5"), or "" when it starts with none (no answer, noise).
QString statusOf(const QString &reply);

/// What a status means, in words: "the value is outside what the calibrator takes", the
/// instrument named as its window names it ("meter" for the specification table). A status this
/// program knows no meaning for is said to be unknown.
QString meaning(const QString &status, const QString &instrument = QStringLiteral("calibrator"));

/// The status and its meaning in one: "*5: the value is outside what the calibrator takes";
/// "no answer" for a reply without a status.
QString describe(const QString &reply, const QString &instrument = QStringLiteral("calibrator"));

} // namespace StatusMeaning
