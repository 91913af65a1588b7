#include "platform/TraceLine.h"

namespace {

void appendVisible(QString &out, uint c)
{
    if (c == '\r')
        out += QLatin1String("\\r");
    else if (c == '\n')
        out += QLatin1String("\\n");
    else if (c == '\\')
        out += QLatin1String("\\\\");
    else if (c < 0x20 || c == 0x7f || (c > 0x7f && c <= 0xff))
        out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    else if (c > 0xff)
        out += QStringLiteral("\\u%1").arg(c, 4, 16, QLatin1Char('0'));
    else
        out += QChar(c);
}

} // namespace

QString visibleWireText(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes)
        appendVisible(out, static_cast<unsigned char>(ch));
    return out;
}

QString visibleWireText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text)
        appendVisible(out, ch.unicode());
    return out;
}

namespace TraceFormat {

QString timeOfDay(const QDateTime &time)
{
    return time.time().toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString textLine(const TraceLine &line)
{
    QString text = timeOfDay(line.time) + QLatin1Char(' ') + line.direction;
    if (!line.text.isEmpty())
        text += QLatin1Char(' ') + line.text;
    if (line.failed)
        text += QLatin1String(" -- ") + line.outcome;
    return text;
}

QStringList csvColumns()
{
    return {QStringLiteral("time"),      QStringLiteral("duration_ms"), QStringLiteral("interface"),
            QStringLiteral("direction"), QStringLiteral("text"),        QStringLiteral("outcome")};
}

QString csvHeader()
{
    return csvColumns().join(QLatin1Char(','));
}

QString csvField(const QString &field)
{
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (const QChar ch : field) {
        if (special.contains(ch)) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return field;
    QString doubled = field;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QString csvRow(const TraceLine &line)
{
    const QStringList fields = {
        line.time.toString(Qt::ISODateWithMs),
        line.durationMs < 0 ? QString() : QString::number(line.durationMs),
        line.interface,
        line.direction,
        line.text,
        line.outcome,
    };
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &field : fields)
        quoted << csvField(field);
    return quoted.join(QLatin1Char(','));
}

} // namespace TraceFormat
