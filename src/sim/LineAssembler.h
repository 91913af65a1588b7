#pragma once

#include <QByteArray>
#include <QList>

/**
 * @brief Cuts the byte stream a host sends into command lines.
 *
 * A command ends with CR. LF is ignored wherever it stands, so a host that ends its lines with
 * CR LF is understood too. A line that grows past the limit without a CR is thrown away up to
 * and including its CR, so a peer that never ends its line cannot grow memory and the tail of
 * the monster is not taken for a command.
 */
class LineAssembler
{
public:
    static constexpr qsizetype kDefaultMaxLine = 64 * 1024;

    explicit LineAssembler(qsizetype maxLine = kDefaultMaxLine) : m_maxLine(maxLine) {}

    /// Takes the next bytes and returns the lines they completed, without their CR.
    QList<QByteArray> feed(const QByteArray &bytes);
    /// Forgets a half-received line.
    void clear();

private:
    qsizetype m_maxLine;
    QByteArray m_partial;
    bool m_discarding = false;
};
