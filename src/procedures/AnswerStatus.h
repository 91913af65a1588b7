#pragma once

#include <QString>

/// The status line a procedure window shows for the instrument's answer to one of its steps.
namespace AnswerStatus {

/// `done` when the answer starts with "*0"; "ACTION refused: *5: ..." with the status and its
/// meaning when it starts with another status; that no answer came otherwise.
QString text(const QString &action, const QString &done, const QString &reply);

} // namespace AnswerStatus
