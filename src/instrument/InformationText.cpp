#include "instrument/InformationText.h"

#include "instrument/CommandHelpers.h"

#include <array>

namespace {

const std::array<QLatin1String, 5> kLabels = {
    QLatin1String("Version :"), QLatin1String(), QLatin1String("Model :"),
    QLatin1String("Date :"), QLatin1String("Time :"),
};

} // namespace

QStringList InformationText::rows(const QString &reply)
{
    const QStringList lines = SplitLines(reply);
    QStringList out;
    out.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QLatin1String label = i < qsizetype(kLabels.size()) ? kLabels[size_t(i)] : QLatin1String();
        out << QString(label) + lines.at(i);
    }
    return out;
}

QString InformationText::boxText(const QString &reply)
{
    QString text;
    for (const QString &row : rows(reply))
        text += row + QLatin1String("\r\n");
    return text;
}
