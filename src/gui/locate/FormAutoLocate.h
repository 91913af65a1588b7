#pragma once

#include <QDialog>

class InstrumentContext;
class Prompts;
class SerialSearch;
struct PortListing;

/**
 * @brief "Automatic 5200 Series Location": searches the serial ports for the calibrator, shows
 * the search in a details pane, and leaves the settings and `DVM` pointing at what it found.
 *
 * The search itself lives in the location library (SerialSearch); this window holds the layout
 * and the wiring. Loading it (constructing) lists the ports that open.
 */
class FormAutoLocate : public QDialog
{
    Q_OBJECT
public:
    FormAutoLocate(InstrumentContext &context, Prompts &prompts, QWidget *parent = nullptr);
    ~FormAutoLocate() override;

    /// Runs the whole search; true when an instrument was found. Events keep running meanwhile.
    /// A call while a search of this window runs returns false and changes nothing.
    bool Locate_All();

    /// Shows or hides the details pane (the window grows and shrinks with it).
    void SetShowDetails(bool show);

    /// Whether "OK" has its bold font: a search that finds nothing takes it away for good.
    bool okIsBold() const;

    /// Whether a search of this window is running (the window will not close meanwhile).
    bool isSearching() const;

    /// Searches the Ethernet modules for the calibrator (not part of Locate_All); true when one
    /// answered. The settings and `DVM` then point at its module.
    bool Locate_DVM_Ethernet();

    // The search over the USB devices (Locate_DVM_USB) joins this window with that interface.

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

    void Command_Details_Click();
    void Command_Locate6481_Click();
    void Command_Retry_Click();
    void Command_OK_Click();

    InstrumentContext &m_context;
    Prompts &m_prompts;
    Ui *m_ui;
    SerialSearch *m_search;
    bool ShowDetails = false;
    bool m_searchingEthernet = false;
};
