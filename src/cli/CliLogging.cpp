#include "cli/CliLogging.h"

#include <QLoggingCategory>
#include <QTextStream>

namespace {

constexpr char kSimulatorCategory[] = "calsetup.sim";

QTextStream *g_traceStream = nullptr;
QtMessageHandler g_previousHandler = nullptr;
QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

void filterCategories(QLoggingCategory *category)
{
    if (g_previousFilter)
        g_previousFilter(category);
    if (qstrcmp(category->categoryName(), kSimulatorCategory) == 0) {
        // The built-in calibrator is the instrument here; its own log would only repeat the trace.
        category->setEnabled(QtDebugMsg, false);
        category->setEnabled(QtInfoMsg, false);
    }
}

void printTraced(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // In trace mode stderr carries the trace and errors, no other chatter.
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
    else
        *g_traceStream << qFormatLogMessage(type, context, message) << Qt::endl;
}

} // namespace

CliLogging::CliLogging(bool trace, QTextStream &err) : m_trace(trace)
{
    g_traceStream = &err;
    g_previousFilter = QLoggingCategory::installFilter(filterCategories);
    if (trace) {
        m_previousHandler = qInstallMessageHandler(printTraced);
        g_previousHandler = m_previousHandler;
    }
}

CliLogging::~CliLogging()
{
    if (m_trace)
        qInstallMessageHandler(m_previousHandler);
    QLoggingCategory::installFilter(g_previousFilter);
    g_traceStream = nullptr;
    g_previousHandler = nullptr;
    g_previousFilter = nullptr;
}
