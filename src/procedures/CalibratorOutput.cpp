#include "procedures/CalibratorOutput.h"

#include "instrument/CommandHelpers.h"
#include "instrument/Reply.h"
#include "instrument/TypedNumber.h"
#include "platform/Prompts.h"
#include "procedures/AnswerStatus.h"
#include "procedures/FigureInput.h"
#include "procedures/LeadingNumber.h"

namespace {

// The calibrator's units, longer ones first so "Hz" is not read as henry, and the prefixes one
// of them may carry.
const char *const kUnits[] = {"Ohm", "Hz", "V", "A", "R", "F", "H"};
const QString kPrefixes = QStringLiteral("pnumkMG");

/// The text with its unit and prefix taken off the end, or nothing when it ends in no unit.
std::optional<QString> withoutUnit(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *unit : kUnits) {
        if (!t.endsWith(QLatin1String(unit)))
            continue;
        QString rest = t.left(t.size() - qsizetype(qstrlen(unit)));
        if (!rest.isEmpty() && kPrefixes.contains(rest.back()))
            rest.chop(1);
        return rest;
    }
    return std::nullopt;
}

} // namespace

bool CalibratorOutput::isSingleSuccessLine(const QString &reply)
{
    // Blanks only: the CR is part of what a single success line is.
    return trimBlanks(reply) == QLatin1String("*0\r");
}

bool CalibratorOutput::isSetting(const QString &text)
{
    const std::optional<QString> figure = withoutUnit(text);
    return figure && TypedNumber::parseNumber(*figure).has_value();
}

QString CalibratorOutput::notASettingText(const QString &text)
{
    return FigureInput::refusalText(QStringLiteral("Output"), text, QStringLiteral("a number and a unit"),
                                    QStringLiteral("10V or 1.5mA"));
}

void CalibratorOutput::report(const QString &action, const QString &done, const QString &reply)
{
    m_status = AnswerStatus::text(action, done, reply);
}

CalibratorOutput::Result CalibratorOutput::setOutput(const QString &setting)
{
    if (!isSetting(setting)) {
        if (m_prompts)
            m_prompts->message(notASettingText(setting), Title, Prompts::Icon::Warning);
        return {std::nullopt, InputBox{InputBox::Kind::Setting}};
    }
    const QString typed = commandText(setting).trimmed();
    m_lastReply = m_channel.SendString(QStringLiteral("o") + typed, true, kTimeoutSeconds, 1);
    if (!isSingleSuccessLine(m_lastReply)) {
        report(QStringLiteral("Setting ") + typed, {}, m_lastReply);
        if (Reply::isSuccess(trimBlanks(m_lastReply)))
            m_status = QStringLiteral("Setting %1: the calibrator's answer was not a plain yes").arg(typed);
        return {};
    }
    m_status = QStringLiteral("Output set to ") + typed;
    return {m_channel.SendString(QStringLiteral("X"), true, kTimeoutSeconds, 1), {}};
}

void CalibratorOutput::outputOn()
{
    report(QStringLiteral("Output On"), QStringLiteral("Output on"),
           m_channel.SendString(QStringLiteral("S0"), true, kTimeoutSeconds, 1));
}

void CalibratorOutput::standby()
{
    report(QStringLiteral("Standby"), QStringLiteral("Output in standby"),
           m_channel.SendString(QStringLiteral("S1"), true, kTimeoutSeconds, 1));
}
