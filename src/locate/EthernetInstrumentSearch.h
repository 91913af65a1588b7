#pragma once

#include <QString>

#include <functional>

class InstrumentSession;

/**
 * @brief The automatic location's search over the Ethernet-serial modules: finds the modules,
 * asks the instrument behind each one named like ours who it is, and on the first calibrator that
 * answers stores the module in the settings and points the instrument object at it.
 *
 * It reports as the serial search does, through the location window's details and found text.
 */
class EthernetInstrumentSearch
{
public:
    /// The instrument behind each module has this long to answer "*IDN?".
    static constexpr int kIdentifyTimeoutSeconds = 4;

    explicit EthernetInstrumentSearch(InstrumentSession &session) : m_session(session) {}

    /// Locate_DVM_Ethernet. addDetail receives each line for the details pane; foundText gets
    /// "Using Ethernet  " + the identification + CR LF + the address appended on success.
    bool run(const std::function<void(const QString &)> &addDetail, QString &foundText);

    /// Whether a module's names say it sits in one of our instruments (owner "QUORVADI...",
    /// device "6481...", case ignored); other modules are not asked at all.
    static bool isOurModule(const QString &ownerName, const QString &deviceName);
    /// Whether the identification names the maker and one of the calibrators reached this way.
    static bool isCalibratorIdentity(const QString &reply);

private:
    InstrumentSession &m_session;
};
