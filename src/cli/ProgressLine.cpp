#include "cli/ProgressLine.h"

#include <QTextStream>

ProgressLine::ProgressLine(QTextStream &err, bool terminal) : m_err(err), m_terminal(terminal) {}

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::show(const QString &what, int done, int total)
{
    if (!m_terminal)
        return;
    const QString text = QStringLiteral("%1 %2/%3").arg(what).arg(done).arg(total);
    // A shorter text than the last one leaves no tail of it behind.
    m_err << '\r' << text.leftJustified(m_shown) << Qt::flush;
    m_shown = qMax(m_shown, text.size());
}

void ProgressLine::clear()
{
    if (m_shown == 0)
        return;
    m_err << '\r' << QString(m_shown, QLatin1Char(' ')) << '\r' << Qt::flush;
    m_shown = 0;
}
