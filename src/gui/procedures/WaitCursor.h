#pragma once

#include <QApplication>

/**
 * @brief The hourglass for as long as a procedure step runs; the pointer comes back however
 * the step ends.
 */
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
