#pragma once

#include <QtGlobal>

class QTextStream;

/**
 * @brief The tool's logging for one run: the virtual calibrator's chatter stays quiet, and with
 * trace on, stderr carries the trace (CliTrace prints it) and errors, no other chatter.
 *
 * Everything is put back as it was when the object goes away, so a test can run the tool
 * in-process again and again.
 */
class CliLogging
{
public:
    CliLogging(bool trace, QTextStream &err);
    ~CliLogging();

    CliLogging(const CliLogging &) = delete;
    CliLogging &operator=(const CliLogging &) = delete;

private:
    QtMessageHandler m_previousHandler = nullptr;
    bool m_trace;
};
