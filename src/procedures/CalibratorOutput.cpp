#include "procedures/CalibratorOutput.h"

#include "instrument/CommandHelpers.h"
#include "procedures/LeadingNumber.h"

bool CalibratorOutput::isSingleSuccessLine(const QString &reply)
{
    // Blanks only: the CR is part of what a single success line is.
    return trimBlanks(reply) == QLatin1String("*0\r");
}

std::optional<QString> CalibratorOutput::setOutput(const QString &setting)
{
    m_lastReply = m_channel.SendString(QStringLiteral("o") + commandText(setting), true, kTimeoutSeconds, 1);
    if (!isSingleSuccessLine(m_lastReply))
        return std::nullopt;
    return m_channel.SendString(QStringLiteral("X"), true, kTimeoutSeconds, 1);
}

void CalibratorOutput::outputOn()
{
    m_channel.SendString(QStringLiteral("S0"), true, kTimeoutSeconds, 1);
}

void CalibratorOutput::standby()
{
    m_channel.SendString(QStringLiteral("S1"), true, kTimeoutSeconds, 1);
}
