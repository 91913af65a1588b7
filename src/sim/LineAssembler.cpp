#include "sim/LineAssembler.h"

#include "sim/SimLog.h"

QList<QByteArray> LineAssembler::feed(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    for (char c : bytes) {
        if (c == '\n')
            continue;
        if (c == '\r') {
            if (!m_discarding)
                lines.append(m_partial);
            m_partial.clear();
            m_discarding = false;
            continue;
        }
        if (m_discarding)
            continue;
        if (m_partial.size() >= m_maxLine) {
            qCWarning(lcSim) << "line longer than" << m_maxLine << "bytes without CR, dropped";
            m_partial.clear();
            m_partial.squeeze();
            m_discarding = true;
            continue;
        }
        m_partial.append(c);
    }
    return lines;
}

void LineAssembler::clear()
{
    m_partial.clear();
    m_discarding = false;
}
