#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

/**
 * @brief How the tool's --json documents write what an instrument said.
 *
 * A figure the instrument gave keeps its text as it came (a script that writes it back writes
 * the very digits) and carries its value as a number beside it, because a double does not give
 * back every text it was read from ("1.50E+00", "0.1000000000000000055"). Every figure has both
 * fields, so a script never has to ask which kind it got.
 */
namespace JsonOutput {

/// {"text": "1.234E-3", "value": 0.001234}; value null when the text is not a number.
QJsonObject figure(const QString &text);

/// The answer to *IDN? and its fields: {"identity", "model", "serial", "firmware"}.
QJsonObject identity(const QString &answer);

/// One document as the tool prints it: indented, ending with a line break.
QString document(const QJsonObject &object);

} // namespace JsonOutput
