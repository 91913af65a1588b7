#include "cli/JsonOutput.h"

#include "instrument/TypedNumber.h"
#include "records/InstrumentIdentity.h"

#include <QJsonDocument>

namespace JsonOutput {

QJsonObject figure(const QString &text)
{
    const std::optional<double> number = TypedNumber::parseNumber(text.trimmed());
    return {{QStringLiteral("text"), text},
            {QStringLiteral("value"), number ? QJsonValue(*number) : QJsonValue(QJsonValue::Null)}};
}

QJsonObject identity(const QString &answer)
{
    const InstrumentIdentity id = InstrumentIdentity::fromAnswer(answer);
    return {{QStringLiteral("identity"), id.identity},
            {QStringLiteral("model"), id.model},
            {QStringLiteral("serial"), id.serial},
            {QStringLiteral("firmware"), id.firmware}};
}

QString document(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

} // namespace JsonOutput
