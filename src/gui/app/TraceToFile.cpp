#include "gui/app/TraceToFile.h"

#include "instrument/TraceBus.h"
#include "records/DataFolders.h"

TraceToFile::TraceToFile(QObject *parent) : QObject(parent) {}

TraceToFile::~TraceToFile()
{
    setOn(false);
}

bool TraceToFile::setOn(bool on, QString *error)
{
    if (on == isOn())
        return true;
    if (!on) {
        traceBus().removeListener(m_listener);
        m_listener = 0;
        m_file.reset();
        return true;
    }
    auto file = std::make_unique<TraceFile>(DataFolders::stateFolder());
    if (!file->open(error))
        return false;
    m_file = std::move(file);
    TraceFile *target = m_file.get();
    m_listener = traceBus().addListener([target](const TraceRecord &record) { target->write(record.lines()); });
    return true;
}
