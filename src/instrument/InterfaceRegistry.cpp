#include "instrument/InterfaceRegistry.h"

#include "instrument/Transport.h"

InterfaceRegistry::InterfaceRegistry()
{
    registerBuiltInInterfaces(*this);
}

void InterfaceRegistry::add(Entry entry)
{
    for (Entry &existing : m_entries) {
        if (existing.type == entry.type) {
            existing = std::move(entry);
            return;
        }
    }
    m_entries.append(std::move(entry));
}

const InterfaceRegistry::Entry *InterfaceRegistry::find(int type) const
{
    for (const Entry &entry : m_entries) {
        if (entry.type == type)
            return &entry;
    }
    return nullptr;
}

QList<int> InterfaceRegistry::types() const
{
    QList<int> list;
    for (const Entry &entry : m_entries)
        list << entry.type;
    return list;
}

QString InterfaceRegistry::settingText(int type) const
{
    const Entry *entry = find(type);
    return entry ? entry->settingText : QStringLiteral("RS232");
}

int InterfaceRegistry::typeOf(const QString &settingText) const
{
    const QString text = settingText.trimmed();
    for (const Entry &entry : m_entries) {
        if (entry.settingText.compare(text, Qt::CaseInsensitive) == 0)
            return entry.type;
    }
    return InterfaceRS232;
}
