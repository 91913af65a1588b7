#include "gui/app/ProgressModel.h"

void ProgressModel::reset()
{
    m_value = 0;
    m_message = QStringLiteral("Waiting for reply...");
}

void ProgressModel::setMaxLines(qint16 newMax)
{
    reset();
    m_countLines = true;
    if (newMax > 0)
        m_maximum = newMax;
}

void ProgressModel::setMaxCharacters(qint16 newMax)
{
    reset();
    m_countLines = false;
    if (newMax > 0)
        m_maximum = newMax;
}

void ProgressModel::progressText(const QString &text)
{
    // Every line of a reply ends with CR, so the CRs count the lines complete so far.
    const qsizetype count = m_countLines ? text.count(QLatin1Char('\r')) : text.size();
    if (count < m_maximum)
        m_value = int(count);
    m_message =
        (m_countLines ? QStringLiteral("%1 of %2 lines received") : QStringLiteral("%1 of %2 characters received"))
            .arg(count)
            .arg(m_maximum);
}

void ProgressModel::increment()
{
    if (m_value < m_maximum)
        ++m_value;
}
