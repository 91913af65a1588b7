#include "procedures/CalibratorOutput.h"

#include "procedures/LeadingNumber.h"

bool CalibratorOutput::isSingleSuccessLine(const QString &reply)
{
    qsizetype start = 0;
    qsizetype end = reply.size();
    while (start < end && reply.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && reply.at(end - 1) == QLatin1Char(' '))
        --end;
    return QStringView(reply).mid(start, end - start) == QLatin1String("*0\r");
}

std::optional<QString> CalibratorOutput::setOutput(const QString &setting)
{
    m_lastReply = m_link.send(QStringLiteral("o") + commandText(setting), true, kTimeoutSeconds, 1);
    if (!isSingleSuccessLine(m_lastReply))
        return std::nullopt;
    return m_link.send(QStringLiteral("X"), true, kTimeoutSeconds, 1);
}

void CalibratorOutput::outputOn()
{
    m_link.send(QStringLiteral("S0"), true, kTimeoutSeconds, 1);
}

void CalibratorOutput::standby()
{
    m_link.send(QStringLiteral("S1"), true, kTimeoutSeconds, 1);
}
