#include "cli/CliLogging.h"

#include "platform/Clock.h"

#include <QLoggingCategory>
#include <QTextStream>

namespace {

constexpr char kInstrumentCategory[] = "calsetup.instrument";
constexpr char kSimulatorCategory[] = "calsetup.sim";

bool g_trace = false;
QTextStream *g_traceStream = nullptr;
QtMessageHandler g_previousHandler = nullptr;
QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

void filterCategories(QLoggingCategory *category)
{
    if (g_previousFilter)
        g_previousFilter(category);
    if (qstrcmp(category->categoryName(), kInstrumentCategory) == 0) {
        if (g_trace)
            category->setEnabled(QtDebugMsg, true);
    } else if (qstrcmp(category->categoryName(), kSimulatorCategory) == 0) {
        // The built-in calibrator is the instrument here; its own log would only repeat the trace.
        category->setEnabled(QtDebugMsg, false);
        category->setEnabled(QtInfoMsg, false);
    }
}

void printTraced(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, kInstrumentCategory) == 0) {
        // The wall clock of the process clock, so a test under a virtual clock sees its own times.
        const QString time = systemClock().currentDateTime().time().toString(QStringLiteral("HH:mm:ss.zzz"));
        *g_traceStream << time << ' ' << message << Qt::endl;
        return;
    }
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
    g_trace = trace;
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
    g_trace = false;
    QLoggingCategory::installFilter(g_previousFilter);
    g_traceStream = nullptr;
    g_previousHandler = nullptr;
    g_previousFilter = nullptr;
}
