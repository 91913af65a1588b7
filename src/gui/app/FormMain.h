#pragma once

#include "gui/app/MainActions.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <initializer_list>
#include <optional>

class FormAutoLocate;
class IDVM;
class InstrumentSession;
class OperationControl;
class Prompts;
class QAbstractButton;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;

/**
 * @brief The main window: shows how the instrument is connected, sends the short commands that
 * need no window of their own (information, reboot, passwords, exit setup mode, close the port)
 * and opens every other window. Closing it closes the program.
 *
 * Controls carry their handler names as object names ("Command_GetInfo", "Text_Info"), so a
 * reader can hold the window against its description and a test can find them.
 */
class FormMain : public QMainWindow
{
    Q_OBJECT
public:
    /// The Quick Setup frame's controls and the report box, for the setup-task sequence.
    struct QuickSetupControls
    {
        QCheckBox *Check_Date = nullptr;
        QCheckBox *Check_CalPassword = nullptr;
        QLineEdit *Text_UserPassword = nullptr;
        QCheckBox *Check_ClearCal = nullptr;
        QCheckBox *Check_Specs = nullptr;
        QCheckBox *Check_Uncerts = nullptr;
        QCheckBox *Check_Thermocouple = nullptr;
        QCheckBox *Check_BackupCal = nullptr;
        QPlainTextEdit *Text_Status = nullptr;
    };

    /**
     * @brief The main window's state while one of its commands runs: the hourglass pointer and
     * every command button but Exit disabled, so a second press cannot start a second exchange.
     * Nested scopes leave the state to the outermost.
     */
    class BusyScope
    {
    public:
        explicit BusyScope(FormMain &window);
        ~BusyScope();
        BusyScope(const BusyScope &) = delete;
        BusyScope &operator=(const BusyScope &) = delete;

    private:
        QList<QPointer<QAbstractButton>> m_disabled;
    };

    /// The status bar panel that follows the line: "|" per polling step, emptied at this length.
    static constexpr int kActivityPanelWrap = 26;

    FormMain(InstrumentSession &session, Prompts &prompts, const MainActions &actions = MainActions::standard(),
             QWidget *parent = nullptr);
    ~FormMain() override;

    InstrumentSession &session() const { return m_session; }
    Prompts &prompts() const { return m_prompts; }
    const QuickSetupControls &quickSetup() const { return m_quick; }

    /// Places and shows the window and finds the instrument. When none is found the user may
    /// search again or choose the interface by hand; false only when the user chose to quit (the
    /// program ends).
    bool Form_Load();

    /// Shows the instrument's description and the serial port's state.
    void UpdateStatusBar();
    /// A reading in engineering notation ("1.5E-04" -> "0.150m"); a text without an exponent
    /// comes back unchanged. Nothing in the program shows readings in this window yet.
    QString DisplayReading(const QString &Reading);
    void OpenCommPort();
    void CloseCommPort();
    /// The activity indicator, fed by the transports while they wait.
    void ShowCommActivity(const QString &replySoFar);
    /// Text of status bar panel 1 (serial port state) or 2 (activity).
    QString statusPanelText(int panel) const;

    void Command_Autolocate_Click();
    void Command_SetupSerial_Click();
    void Command_GetInfo_Click();
    void Command_Reboot_Click();
    void Command_SetupPassword_Click();
    void Command_SendPassword_Click();
    void Command_SendExitPassword_Click();
    void Command_CloseComm_Click();
    void Command_Exit_Click();
    void MenuOptionsOptions_Click();
    void AboutMenu_Click();

    /// Shows a window beside the main window and brings it to the front; it is closed when the
    /// main window closes (the last one opened first).
    void showModeless(QWidget *window);
    /// The first open modeless window that matches.
    QWidget *findModeless(const std::function<bool(QWidget *)> &match) const;

    /// One of the main window's own steps as an operation of the instrument's queue, the
    /// window's buttons disabled until it has ended; `after` runs while the window exists.
    void runMainStep(const QString &name, bool writes, std::function<void(OperationControl &)> work,
                     std::function<void()> after);
    /// Opens a location window: exec() runs it modally on this thread, not as an operation (its
    /// own actions wait their turn on the instrument's queue); the status bar shows the
    /// connection once it has closed.
    void openModalWindow(std::function<void()> exec);

signals:
    /// The main window has closed: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    /// A command button: its name, its caption, and the window's handler or the program's action
    /// it runs.
    struct Command
    {
        Command(const char *name, const char *caption, void (FormMain::*handler)())
            : name(name), caption(caption), handler(handler)
        {
        }
        Command(const char *name, const char *caption, MainAction action) : name(name), caption(caption), action(action)
        {
        }

        const char *name;
        const char *caption;
        void (FormMain::*handler)() = nullptr;
        std::optional<MainAction> action;
    };

    void buildUi();
    QWidget *buildConnectionFrame();
    QWidget *buildInfoFrame();
    QWidget *buildSetupFrame();
    QWidget *buildAdvancedSetupFrame();
    QWidget *buildExtraFrame();
    QWidget *buildQuickSetupFrame();
    void buildMenus();
    void buildStatusBar();
    /// A button of an action is enabled only when the program has a handler for the action.
    QAbstractButton *addCommand(QLayout *layout, const Command &command);
    void addCommands(QLayout *layout, std::initializer_list<Command> commands);
    /// A captioned frame of command buttons, one under the other from the top.
    QGroupBox *commandFrame(const QString &caption, const char *name, std::initializer_list<Command> commands);
    void bindAction(QAction *menuEntry, MainAction action);
    void runAction(MainAction action);
    /// The size the window opens at: every frame whole, within the screen's free area.
    QSize naturalSize() const;
    void placeWindow();
    /// The program may end now; otherwise the end waits for the instrument's work to stop.
    bool mayEnd();
    /// Closes the other windows that have no work on the instrument's queue, the last opened
    /// first; false when one of them stayed open.
    bool closeIdleWindows();
    /// A window kept figures not yet written: the program goes on, taking new work again.
    void callOffEnd();
    /// A step that sends through the driver in use when its turn comes, then refreshes the status bar.
    void runDriverStep(const QString &name, std::function<void(IDVM &)> send);
    /// The start-up search: the saved USB, Ethernet or GPIB connection, then the serial ports.
    bool searchAtStartUp();
    /// The interface chooser; true when the calibrator answers on what was chosen.
    bool chooseInterfaceAtStartUp();
    void Form_QueryUnload();
    void Form_Unload();

    InstrumentSession &m_session;
    Prompts &m_prompts;
    MainActions m_actions;
    QuickSetupControls m_quick;
    QWidget *m_content = nullptr; ///< the frames, inside the scroll area
    QPlainTextEdit *m_connectionStatus = nullptr;
    QPlainTextEdit *m_info = nullptr;
    QLabel *m_panel1 = nullptr;
    QLabel *m_panel2 = nullptr;
    QAbstractButton *m_exit = nullptr;
    QPointer<FormAutoLocate> m_autoLocate;
    QList<QPointer<QWidget>> m_modeless;
    bool m_unloaded = false;
    bool m_endWhenIdle = false;
    bool m_modalPending = false; ///< a location window opens once the running operation returns
    QMetaObject::Connection m_endWhenIdleConnection;
};
