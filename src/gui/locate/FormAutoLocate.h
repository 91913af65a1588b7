#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class InstrumentSession;
class OperationControl;
class WindowOperations;
class Prompts;
class SerialSearch;
class UsbInstrumentSearch;
struct PortListing;

/**
 * @brief "Automatic 5200 Series Location": searches the serial ports for the calibrator, shows
 * the search in a details pane, and leaves the settings and `DVM` pointing at what it found.
 *
 * The search itself lives in the location library (SerialSearch); this window holds the layout
 * and the wiring. Loading it (constructing) lists the ports that open. The listing and every
 * search are operations of the window on the instrument's queue; their detail lines reach the
 * window as signals of the search or through the operation's reported status, never by a call
 * into the window from the work.
 */
class FormAutoLocate : public QDialog
{
    Q_OBJECT
public:
    FormAutoLocate(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);
    ~FormAutoLocate() override;

    /// Runs the whole search as an operation of the instrument's queue, in its turn (another
    /// window's exchanges are never cut into); `then` hears whether an instrument was found once
    /// it has ended, if the window still exists. True when the search ran at once (nothing else
    /// was running) and found one. A call while a search of this window runs or waits returns
    /// false and changes nothing.
    bool Locate_All(std::function<void(bool found)> then = {});

    /// Shows or hides the details pane (the window grows and shrinks with it).
    void SetShowDetails(bool show);

    /// Whether "OK" has its bold font: a search that finds nothing takes it away for good.
    bool okIsBold() const;

    /// Whether a search of this window is running or waiting its turn (the window will not close
    /// while one runs).
    bool isSearching() const;

    /// Searches the USB bridges for the calibrator as an operation of the window, reporting in
    /// the details pane; a calibrator found is then used over USB (the settings and `DVM`).
    /// `then` hears the outcome once it has ended; true when the search ran at once and found
    /// one. A call while a search of this window runs or waits returns false.
    bool Locate_DVM_USB(std::function<void(bool found)> then = {});

    /// Searches the Ethernet modules for the calibrator (not part of Locate_All), as
    /// Locate_DVM_USB does; the settings and `DVM` then point at the module that answered.
    bool Locate_DVM_Ethernet(std::function<void(bool found)> then = {});

protected:
    void done(int result) override;

private:
    struct Ui;

    void Form_Load();
    void AddDetail(const QString &text);
    void ApplyShowDetails();
    void FillPortLists();
    void SearchSerialPorts();
    void fillLists(const PortListing &listing);
    void showResult(bool found);
    /// Runs one search as the window's operation; `then` hears whether it found the calibrator.
    /// True when it ran at once and found it.
    bool runSearch(const QString &name, std::function<bool(OperationControl &)> work,
                   std::function<void(bool found)> then);

    void Command_Details_Click();
    void Command_Locate6481_Click();
    void Command_Retry_Click();
    void Command_OK_Click();

    InstrumentSession &m_session;
    Prompts &m_prompts;
    Ui *m_ui;
    WindowOperations *m_operations;
    /// Shared with the work that runs them, which may outlive the window.
    std::shared_ptr<SerialSearch> m_search;
    std::shared_ptr<UsbInstrumentSearch> m_usbSearch;
    bool ShowDetails = false;
    bool m_searching = false; ///< a search of the window runs or waits its turn
};
