#pragma once

#include <QString>

class QTextStream;

/**
 * @brief A one-line counter on stderr ("range 37/149"), rewritten in place while a long
 * operation runs, for a person watching a terminal.
 *
 * When stderr is not a terminal (a log file, a script's pipe) it writes nothing: a run of carriage
 * returns would only clutter what is kept. clear() blanks the line so the next message starts
 * at the margin; it is also called when the counter is destroyed.
 */
class ProgressLine
{
public:
    ProgressLine(QTextStream &err, bool terminal);
    ~ProgressLine();

    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    /// "what done/total" in place of what the line showed before.
    void show(const QString &what, int done, int total);
    /// Blanks the line, if anything is on it.
    void clear();

private:
    QTextStream &m_err;
    bool m_terminal;
    qsizetype m_shown = 0; ///< characters on the line now
};
