#pragma once

#include <QDialog>

class InstrumentContext;
class Prompts;

/**
 * @brief "Automatic 5200 Series Location": searches the serial ports for the calibrator, shows
 * the search in a details pane, and leaves the settings and `DVM` pointing at what it found.
 *
 * The search itself lives in the location library; this window holds the layout and the wiring.
 */
class FormAutoLocate : public QDialog
{
    Q_OBJECT
public:
    FormAutoLocate(InstrumentContext &context, Prompts &prompts, QWidget *parent = nullptr);
    ~FormAutoLocate() override;

    /// Runs the whole search; true when an instrument was found. Events keep running meanwhile.
    bool Locate_All();

    /// Shows or hides the details pane (the window grows and shrinks with it).
    void SetShowDetails(bool show);

    /// Whether "OK" is the bold (default-looking) button: it is after a search that found something.
    bool okIsBold() const;

private:
    struct Ui;
    InstrumentContext &m_context;
    Prompts &m_prompts;
    Ui *m_ui;
};
