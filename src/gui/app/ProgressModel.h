#pragma once

#include <QString>
#include <QtGlobal>

/**
 * @brief The arithmetic of the download progress window: how far the bar stands for the reply
 * gathered so far, counted in lines (CR characters) or in characters.
 *
 * The bar only moves while the count is below its maximum, so a reply longer than announced
 * leaves it where it was instead of overflowing.
 */
class ProgressModel
{
public:
    static constexpr int kDefaultMaximum = 100;

    int value() const { return m_value; }
    int maximum() const { return m_maximum; }
    bool countLines() const { return m_countLines; }
    QString message() const { return m_message; }

    /// Bar at 0, "Waiting for reply...".
    void reset();
    /// Resets and counts lines from now on; a size of 0 or less keeps the present maximum.
    void setMaxLines(qint16 newMax);
    /// Resets and counts characters from now on; a size of 0 or less keeps the present maximum.
    void setMaxCharacters(qint16 newMax);
    /// Takes the reply gathered so far; the message says how much of what was announced is in
    /// ("24 of 60 lines received").
    void progressText(const QString &text);
    /// One step more, never beyond the maximum.
    void increment();

private:
    int m_value = 0;
    int m_maximum = kDefaultMaximum;
    bool m_countLines = false;
    QString m_message = QStringLiteral("Message");
};
