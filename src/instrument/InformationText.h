#pragma once

#include <QString>
#include <QStringList>

/**
 * @brief How the answer to the information query "T" is shown: one row per reply line, the
 * first, third, fourth and fifth labelled. The main window's Information box and the command-line
 * tool's "info" show the same rows.
 */
namespace InformationText {

/// The rows: "Version :" + line 0, line 1 as it is, "Model :" + line 2, "Date :" + line 3,
/// "Time :" + line 4, then any further lines as they are. "TIMEOUT" gives "Version :TIMEOUT".
QStringList rows(const QString &reply);

/// The rows as the Information box holds them, each followed by CR LF.
QString boxText(const QString &reply);

} // namespace InformationText
