#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class Prompts;

/**
 * @brief Reads the figures typed into a procedure window's boxes in full before anything is
 * sent, and says plainly which box holds something that is not a number: "Zero is not a number:
 * "-3o". Type a number such as -3 or 0.5."
 *
 * A figure read only up to its first bad character would go to the instrument as a value the
 * engineer never typed; a refusal costs a retype.
 */
class FigureInput
{
public:
    FigureInput(Prompts &prompts, const QString &title) : m_prompts(prompts), m_title(title) {}

    /// The box's number, or the message naming the box and nothing.
    std::optional<double> number(const QString &caption, const QString &text) const;
    /// The box's whole number, or the message naming the box and nothing.
    std::optional<qint32> wholeNumber(const QString &caption, const QString &text) const;
    /// Says that a box holds no number when the check is not a plain number (a setting with a
    /// unit); `example` ends the message ("10V or 1.5mA").
    void refuse(const QString &caption, const QString &text, const QString &kind, const QString &example) const;

    static QString notANumberText(const QString &caption, const QString &text);
    static QString notAWholeNumberText(const QString &caption, const QString &text);
    /// "CAPTION is not KIND: "TEXT". Type KIND such as EXAMPLE."
    static QString refusalText(const QString &caption, const QString &text, const QString &kind,
                               const QString &example);

private:
    Prompts &m_prompts;
    QString m_title;
};
