#pragma once

#include "instrument/Endpoint.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class InstrumentContext;
class Transport;

/**
 * @brief The interfaces the driver can use, each given by one entry: its type number, the text
 * that names it in the settings ("DVM1_Interface"), how to make its transport, and how its
 * endpoint is kept in the settings.
 *
 * The four interfaces of the program are registered in BuiltInInterfaces.cpp, one line each; a
 * test (or a new interface) adds its own entry with add().
 */
class InterfaceRegistry
{
public:
    struct Entry
    {
        int type = 0;
        QString settingText;
        std::function<std::unique_ptr<Transport>(InstrumentContext &)> makeTransport;
        /// The endpoint the settings hold for this interface (optional).
        std::function<Endpoint(InstrumentContext &)> loadSaved;
        /// Stores the endpoint's own keys (optional); false when the store could not be written.
        std::function<bool(InstrumentContext &, const Endpoint &)> save;
    };

    /// An entry whose transport is made from the context (a constructor taking InstrumentContext &).
    template <typename TransportType>
    static Entry entryFor(int type, const QString &settingText, Endpoint (*loadSaved)(InstrumentContext &),
                          bool (*save)(InstrumentContext &, const Endpoint &))
    {
        return {type, settingText,
                [](InstrumentContext &context) -> std::unique_ptr<Transport> {
                    return std::make_unique<TransportType>(context);
                },
                loadSaved, save};
    }

    /// The program's four interfaces.
    InterfaceRegistry();

    /// Registers an interface; an entry of the same type is replaced.
    void add(Entry entry);
    const Entry *find(int type) const;
    QList<int> types() const;

    /// The settings text of an interface; "RS232" for one not registered.
    QString settingText(int type) const;
    /// The interface a settings text names, without regard to case or surrounding blanks;
    /// RS-232 for anything unknown.
    int typeOf(const QString &settingText) const;

private:
    QList<Entry> m_entries;
};

/// Adds RS-232, GPIB, USB and Ethernet to a registry.
void registerBuiltInInterfaces(InterfaceRegistry &registry);
