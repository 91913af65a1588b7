#include "RealDisplay.h"
#include "gui/app/FormMain.h"
#include "instrument/Exchange.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QTableView>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <iostream>
#include <memory>
#include <random>
#include <utility>

// A user clicking about the real program on a real display: from a seeded generator the walk
// opens windows, clicks between them, presses their buttons, types figures, closes windows and
// now and then the program, while the virtual calibrator answers at 9600 baud after a delay. The
// clicks and keys are real input through the X server and the window manager; they are taken
// from a timer, so they also land while an instrument exchange waits in a nested event loop,
// which is where a window could be closed under its own work.
//
//   CALSETUP_RANDOM_SEED     the generator's seed (printed at the start, to replay a failure)
//   CALSETUP_RANDOM_SECONDS  how long the walk goes on (60 s unless set)
//   CALSETUP_RANDOM_VERBOSE  set: every action is printed as it is taken
//
// The same seed makes the same choices for as long as the same windows and buttons are there to
// choose from; the instrument's timing can still make two runs part.

namespace {

constexpr unsigned kDefaultSeed = 20261208;
constexpr int kDefaultSeconds = 60;
// The limit of waiting for an action's effect to reach the program (the window manager's round
// trip). A click made while the program takes no input (a table window's load lets only its own
// events through) reaches it later; the walk goes on without it.
constexpr int kSettleLimitMs = 2000;
// After the walk's time is up, the program's end may still wait for the running work (a load of
// every range at 9600 baud with a reply delay takes about a minute).
constexpr int kEndLimitMs = 300000;

// Buttons the walk never presses, by object name ("NAME@WINDOW": only that window's button).
const QStringList kDenied = {
    // Ends the program: the walk closes the main window from its title bar instead, as its own
    // action, so the end is asked about like any other close.
    QStringLiteral("Command_Exit@FormMain"),
    // Searches the machine's own serial ports and may swap the driver for whatever answers there.
    QStringLiteral("Command_Autolocate"),
    // Modal dialogs that reconfigure the connection (they wait in exec() for a choice).
    QStringLiteral("Command_SetupSerial"),
    QStringLiteral("Command_SetupEthernet"),
    QStringLiteral("Command_SetupUSB"),
    // Closes the port: every later exchange of the run would fail at once and test nothing.
    QStringLiteral("Command_CloseComm"),
    // Wipe the instrument's memory or one of its tables.
    QStringLiteral("Command_WipeEEPROM"),
    QStringLiteral("Command_ClearAll"),
    // Open file dialogs (the scripted prompts would only cancel them).
    QStringLiteral("Command_SetDefaultSpec"),
    QStringLiteral("Command_SetDefaultUncert"),
    QStringLiteral("Command_FileLoad"),
    QStringLiteral("Command_FileSave"),
    // Leave the instrument in setup mode on purpose, as the engineer asked: the check at the end
    // is that the program never leaves it there on its own.
    QStringLiteral("Command_SetupPassword"),
    QStringLiteral("Command_SendPassword"),
};

bool denied(const QPushButton *button)
{
    const QString name = button->objectName();
    return kDenied.contains(name) || kDenied.contains(name + QLatin1Char('@') + button->window()->objectName());
}

// The main window's controls that open a window or read from the instrument: buttons by object
// name, menu entries by their actions' object names.
const std::array<const char *, 9> kOpeningButtons = {
    "Command_CalFactors", "Command_Specifications",    "Command_ViewCalHistory", "Command_Date",    "Command_PowerCal",
    "Command_KVAMP",      "Command_CorrectionFactors", "Command_SetOutput",      "Command_GetInfo",
};
const std::array<const char *, 2> kOpeningMenuEntries = {"MenuSetupCal", "MenuSetupSpecifications"};

// Figures as an engineer types them, and mistypings.
const std::array<const char *, 10> kBadFigures = {"-3o",  "1..2", "abc", "",     "1e999",
                                                  "12,5", " ",    "--1", "0x10", "1.5.6"};

qint64 environmentNumber(const char *name, qint64 fallback)
{
    bool ok = false;
    const qint64 value = qEnvironmentVariable(name).toLongLong(&ok);
    return ok ? value : fallback;
}

/**
 * @brief Scripted prompts whose queued Yes or No presses the box's own button of that sense:
 * "Yes" is the box's go-ahead (OK, Yes, Discard), "No" its hold-back (Cancel, No). Without it a
 * "Discard / Cancel" box would only ever be cancelled, and an OK box answered "No".
 */
class WalkPrompts : public ScriptedPrompts
{
public:
    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons, Answer defaultAnswer) override
    {
        const Answer given = ScriptedPrompts::message(text, title, icon, buttons, defaultAnswer);
        const bool goAhead = given == Answer::Yes || given == Answer::Ok || given == Answer::Discard;
        switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return goAhead ? Answer::Ok : Answer::Cancel;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return goAhead ? Answer::Yes : Answer::No;
        case Buttons::DiscardCancel:
            return goAhead ? Answer::Discard : Answer::Cancel;
        }
        return given;
    }
};

/// Goes once an event of its type (a close, a click's release) has reached its widget.
class EventWatch : public QObject
{
public:
    EventWatch(QWidget *widget, QEvent::Type type) : QObject(widget), m_type(type) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            deleteLater();
        return false;
    }

private:
    QEvent::Type m_type;
};

/// The fixture's window-manager helpers, for the walk.
struct WindowManager : RealDisplay
{
    using RealDisplay::clickInto;
    using RealDisplay::closeFromTitleBar;
};

/// The windows of one program run: the main window and the windows it opened (their parent
/// chain leads to it; QWidget::isAncestorOf stops at a window's edge).
bool belongsTo(const QWidget *main, const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (w == main)
            return true;
    }
    return false;
}

/**
 * @brief One start of the program, as main.cpp makes it: its own session on a virtual calibrator
 * at 9600 baud, and the main window.
 */
struct ProgramRun
{
    std::unique_ptr<InstrumentSession> session = std::make_unique<InstrumentSession>();
    std::unique_ptr<FormMain> main;
    bool ended = false;
    /// The last exchanges, as they ended ("CAL:PASSWORD ... -> busy"), for a failure's message.
    /// Written on the instrument's thread, read once the work has stopped.
    QStringList exchanges;
    /// The last password the instrument heard came from the main window's own password buttons
    /// ("Send Cal Password", "Send Setup Password"), which leave setup mode on because the engineer
    /// asks for it. The walk never presses them, but a click aimed at a button beside them lands
    /// there when the window's layout moves between aim and click.
    std::atomic<bool> setupModeAskedFor = false;
    QMutex runningLock;
    QString runningOperation;

    ProgramRun()
    {
        OperationQueue *queue = &session->operations();
        QObject::connect(queue, &OperationQueue::started, [this, queue] {
            QMutexLocker locker(&runningLock);
            runningOperation = queue->runningName();
        });
        session->context().setExchangeObserver([this](const ExchangeRequest &request, const ExchangeReply &reply) {
            static const char *const outcomes[] = {"answered", "not awaited", "timed out",
                                                   "busy",     "overflow",    "not connected",
                                                   "no board", "open failed", "link failed"};
            if (request.command.startsWith(QLatin1String("CAL:PASSWORD"))) {
                setupModeAskedFor = false;
            } else if (request.command.contains(QLatin1String(":PASSWORD "))) {
                QMutexLocker locker(&runningLock);
                setupModeAskedFor = runningOperation == QLatin1String("Calibrate Password")
                    || runningOperation == QLatin1String("Setup Password");
            }
            const auto outcome = std::size_t(reply.outcome);
            exchanges << QStringLiteral("%1 -> %2")
                             .arg(request.command,
                                  QLatin1String(outcome < std::size(outcomes) ? outcomes[outcome] : "?"));
            while (exchanges.size() > 30)
                exchanges.removeFirst();
        });
    }

    ~ProgramRun()
    {
        session->context().setExchangeObserver({});
        main.reset(); // the windows go before the session they use
        session.reset();
    }

    VirtualCalibrator &calibrator() { return session->simulation()->calibrator(); }
};

/**
 * @brief The random actions, taken from a timer, one each time the effect of the last one has
 * reached the program or its limit has passed. Clicks and keys are real input through the X
 * server and the window manager, so they reach the program only when it takes input, as a
 * user's do; and since the timer also fires inside the nested event loop of an instrument
 * exchange, the next actions land while the instrument is awaited.
 */
class Walk : public QObject
{
public:
    struct Action
    {
        const char *name;
        int weight;
        /// Takes the action; false when there was nothing to take it on.
        bool (Walk::*take)();
    };

    Walk(std::mt19937 &random, WalkPrompts &prompts, ProgramRun &run, qint64 untilMs, const QElapsedTimer &clock)
        : m_random(random), m_prompts(prompts), m_run(run), m_untilMs(untilMs), m_clock(clock)
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_timer.start();
    }

    void stop() { m_timer.stop(); }
    int actionsTaken() const { return m_taken; }
    const QMap<QString, int> &counts() const { return m_counts; }
    /// The last actions taken, for a failure's message.
    QString recent() const { return m_recent.join(QLatin1Char('\n')); }
    /// Every window the run showed.
    const QList<QPointer<QWidget>> &windowsSeen() const { return m_seen; }

private:
    /// What the walk may do, and how often against each other.
    static const std::array<Action, 7> &actions();

    void tick()
    {
        if (m_inTick || m_run.ended || !m_run.main)
            return;
        m_inTick = true;
        noteWindows();
        if (QWidget *modal = QApplication::activeModalWidget()) {
            // No window the walk opens is modal; one that is would wait in exec() until closed.
            note(QStringLiteral("closed a modal window: %1").arg(modal->objectName()));
            QMetaObject::invokeMethod(modal, &QWidget::close, Qt::QueuedConnection);
        } else if (m_settled && m_settled()) {
            m_settled = nullptr;
            // The second half of an action (the keys after the click that gave the box focus).
            if (auto then = std::exchange(m_then, nullptr))
                then();
        } else if (!m_settled || m_settleLimit.hasExpired()) {
            m_settled = nullptr;
            m_then = nullptr;
            feedPrompts();
            if (m_clock.elapsed() >= m_untilMs)
                endProgram();
            else
                takeOne();
        }
        m_inTick = false;
    }

    void takeOne()
    {
        int total = 0;
        for (const Action &a : actions())
            total += a.weight;
        int pick = std::uniform_int_distribution<int>(0, total - 1)(m_random);
        for (const Action &a : actions()) {
            pick -= a.weight;
            if (pick < 0) {
                if ((this->*a.take)()) {
                    ++m_taken;
                    ++m_counts[QString::fromLatin1(a.name)];
                }
                return;
            }
        }
    }

    /// Questions are answered Yes or No at random; once the walk is ending, always Yes. (With
    /// nothing queued ScriptedPrompts answers the box's default, No or Cancel for most questions,
    /// and every question would go the same way.)
    void feedPrompts()
    {
        if (m_ending)
            return;
        while (m_prompts.answers.size() < 4)
            m_prompts.answers.enqueue(chance(2) ? Prompts::Answer::Yes : Prompts::Answer::No);
    }

    void endProgram()
    {
        if (!m_ending) {
            m_ending = true;
            m_prompts.answers.clear();
            note(QStringLiteral("end: close the main window answering Yes"));
        }
        for (int i = m_prompts.answers.size(); i < 8; ++i)
            m_prompts.answers.enqueue(Prompts::Answer::Yes);
        // The title bar's close, again whenever nothing runs that would put the end off.
        if (m_run.main->isVisible() && !m_run.session->operations().hasWork())
            closeFromTitleBar(m_run.main.get());
    }

    // --- actions ---------------------------------------------------------------------------------

    bool openWindow()
    {
        const std::size_t count = kOpeningButtons.size() + kOpeningMenuEntries.size();
        const std::size_t which = pickIndex(count);
        FormMain *main = m_run.main.get();
        if (which < kOpeningButtons.size()) {
            auto *button = main->findChild<QPushButton *>(QString::fromLatin1(kOpeningButtons[which]));
            if (!button || !button->isEnabled() || !clickable(button))
                return false;
            note(QStringLiteral("open: %1").arg(button->objectName()));
            click(button);
            return true;
        }
        // A menu entry: a click on the menu's title, then one on the entry once the menu is open.
        auto *entry =
            main->findChild<QAction *>(QString::fromLatin1(kOpeningMenuEntries[which - kOpeningButtons.size()]));
        auto *bar = main->menuBar();
        QMenu *menu = nullptr;
        for (QAction *title : bar->actions()) {
            if (title->menu() && title->menu()->actions().contains(entry))
                menu = title->menu();
        }
        if (!entry || !entry->isEnabled() || !menu || !main->isEnabled())
            return false;
        note(QStringLiteral("open: menu %1").arg(entry->objectName()));
        clickAt(bar, bar->actionGeometry(menu->menuAction()).center());
        QPointer<QMenu> open = menu;
        QPointer<QAction> target = entry;
        settleWhen([open] { return open && open->isVisible(); },
                   [this, open, target] {
                       if (open && target)
                           clickAt(open, open->actionGeometry(target).center());
                   });
        return true;
    }

    bool activateWindow()
    {
        QWidget *window = pickWindow(true);
        if (!window)
            return false;
        note(QStringLiteral("activate: %1").arg(describe(window)));
        WindowManager::clickInto(*window);
        QPointer<QWidget> target = window;
        settleWhen([target] { return !target || QApplication::activeWindow() == target; });
        return true;
    }

    bool pressButton()
    {
        QWidget *window = pickWindow(true);
        if (!window)
            return false;
        QPushButton *button = pickChild<QPushButton>(window, [](QPushButton *b) { return !denied(b); });
        if (!button)
            return false;
        note(QStringLiteral("press: %1 in %2").arg(button->objectName(), describe(window)));
        click(button);
        return true;
    }

    bool typeFigure()
    {
        QWidget *window = pickWindow(true);
        if (!window)
            return false;
        QLineEdit *edit = pickChild<QLineEdit>(window, [](QLineEdit *e) { return !e->isReadOnly(); });
        if (!edit)
            return false;
        const QString text = figure();
        const bool enter = chance(2);
        note(QStringLiteral("type: \"%1\"%2 into %3 in %4")
                 .arg(text, enter ? QStringLiteral(" and Enter") : QString(), edit->objectName(), describe(window)));
        // A click into the box, then, once it has the focus, the keys: all of its text replaced.
        clickAt(edit, edit->rect().center());
        QPointer<QLineEdit> target = edit;
        settleWhen([target] { return target && target->hasFocus(); },
                   [this, target, text, enter] {
                       typeKeys(QStringLiteral("ctrl+a"), text, enter);
                       // Without Enter the box ends up holding just what was typed.
                       if (!enter)
                           settleWhen([this, target, text] {
                               if (target && target->text() == text)
                                   ++m_counts[QStringLiteral("typed and seen")];
                               return !target || target->text() == text;
                           });
                   });
        return true;
    }

    bool editCell()
    {
        QList<QTableView *> grids;
        for (QWidget *window : windows(true)) {
            for (QTableView *g : window->findChildren<QTableView *>(QStringLiteral("CalGrid"))) {
                if (g->isEnabled() && g->model() && g->model()->rowCount() > 0 && clickable(g->viewport()))
                    grids << g;
            }
        }
        if (grids.isEmpty())
            return false;
        QTableView *grid = grids.at(qsizetype(pickIndex(std::size_t(grids.size()))));
        const QModelIndex cell = grid->model()->index(int(pickIndex(std::size_t(grid->model()->rowCount()))),
                                                      int(pickIndex(std::size_t(grid->model()->columnCount()))));
        QString text = figure();
        if (text.trimmed().isEmpty())
            text = QStringLiteral("7"); // the first key opens the cell's editor
        note(QStringLiteral("edit cell: row %1 column %2 = \"%3\" in %4")
                 .arg(cell.row())
                 .arg(cell.column())
                 .arg(text, describe(grid->window())));
        // The cell is clicked (scrolled to first); the first key typed on the grid opens the
        // cell's editor with it, and Enter hands the text to the cell.
        grid->scrollTo(cell);
        clickAt(grid->viewport(), grid->visualRect(cell).center());
        QPointer<QTableView> target = grid;
        const QPersistentModelIndex wanted = cell;
        settleWhen([target, wanted] { return target && target->hasFocus() && target->currentIndex() == wanted; },
                   [text] { typeKeys(QString(), text, true); });
        return true;
    }

    bool closeWindow()
    {
        QWidget *window = pickWindow(false);
        if (!window)
            return false;
        note(QStringLiteral("close: %1").arg(describe(window)));
        closeFromTitleBar(window);
        return true;
    }

    bool closeMain()
    {
        note(QStringLiteral("close main window"));
        closeFromTitleBar(m_run.main.get());
        return true;
    }

    // --- helpers ---------------------------------------------------------------------------------

    /// The run's visible windows, the main window among them or not.
    QList<QWidget *> windows(bool withMain) const
    {
        QList<QWidget *> out;
        const QWidget *main = m_run.main.get();
        for (QWidget *w : QApplication::topLevelWidgets()) {
            // An open menu is not a window to act on; the next click anywhere closes it.
            if (w->isVisible() && belongsTo(main, w) && (withMain || w != main) && w->windowType() != Qt::Popup)
                out << w;
        }
        // topLevelWidgets() comes in no fixed order; the generator's choice must not depend on it.
        std::sort(out.begin(), out.end(), [](const QWidget *a, const QWidget *b) {
            return std::make_pair(a->objectName(), a->windowTitle())
                < std::make_pair(b->objectName(), b->windowTitle());
        });
        return out;
    }

    QWidget *pickWindow(bool withMain)
    {
        const QList<QWidget *> all = windows(withMain);
        return all.isEmpty() ? nullptr : all.at(qsizetype(pickIndex(std::size_t(all.size()))));
    }

    /// One of the window's own enabled, clickable widgets of the kind that `usable` takes.
    template <class Widget>
    Widget *pickChild(QWidget *window, const std::function<bool(Widget *)> &usable)
    {
        QList<Widget *> found;
        for (Widget *w : window->findChildren<Widget *>()) {
            if (w->window() == window && w->isEnabled() && clickable(w) && usable(w))
                found << w;
        }
        return found.isEmpty() ? nullptr : found.at(qsizetype(pickIndex(std::size_t(found.size()))));
    }

    void noteWindows()
    {
        for (QWidget *w : windows(true)) {
            if (!m_seen.contains(w))
                m_seen << w;
        }
    }

    std::size_t pickIndex(std::size_t count)
    {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(m_random);
    }
    bool chance(int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(m_random) == 1; }

    /// A figure as typed: mostly a number of a few digits, sometimes a mistyping.
    QString figure()
    {
        if (chance(4))
            return QString::fromLatin1(kBadFigures[pickIndex(kBadFigures.size())]);
        const int digits = std::uniform_int_distribution<int>(-99999, 99999)(m_random);
        const int decimals = std::uniform_int_distribution<int>(0, 5)(m_random);
        return QString::number(digits / std::pow(10.0, decimals), 'g', 8);
    }

    static QString describe(const QWidget *window)
    {
        return window->objectName().isEmpty() ? window->windowTitle() : window->objectName();
    }

    /// The widget's middle can be clicked: shown, and not scrolled out of its window's view.
    static bool clickable(const QWidget *widget)
    {
        return widget->isVisible() && widget->visibleRegion().contains(widget->rect().center());
    }

    /// A click on the button; the walk goes on once it has reached the button.
    void click(QPushButton *button)
    {
        QPointer<EventWatch> watch = new EventWatch(button, QEvent::MouseButtonRelease);
        clickAt(button, button->rect().center());
        settleWhen([watch] { return watch.isNull(); });
    }

    /// A real click at a point of the widget, its window raised first.
    static void clickAt(QWidget *widget, QPoint point)
    {
        QWidget *window = widget->window();
        const QPoint at = widget->mapTo(window, point);
        const QString id = QString::number(window->winId());
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("windowraise"), id, QStringLiteral("mousemove"), QStringLiteral("--window"),
                           id, QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                           QStringLiteral("1")});
    }

    /// Real key presses to the window that has the keyboard: a key combination first (if any),
    /// then the text, then Enter (if asked).
    static void typeKeys(const QString &combination, const QString &text, bool enter)
    {
        QStringList args;
        if (!combination.isEmpty())
            args << QStringLiteral("key") << combination;
        if (!text.isEmpty())
            // "--" ends the options: a figure may start with a minus.
            args << QStringLiteral("type") << QStringLiteral("--delay") << QStringLiteral("1") << QStringLiteral("--")
                 << text;
        if (enter)
            args << QStringLiteral("key") << QStringLiteral("Return");
        if (!args.isEmpty())
            QProcess::execute(QStringLiteral("xdotool"), args);
    }

    void closeFromTitleBar(QWidget *window)
    {
        QPointer<EventWatch> watch = new EventWatch(window, QEvent::Close);
        WindowManager::closeFromTitleBar(*window);
        settleWhen([watch] { return watch.isNull(); });
    }

    /// The walk's next step waits until condition holds (then runs `then`), or the limit passes.
    void settleWhen(std::function<bool()> condition, std::function<void()> then = nullptr)
    {
        m_settled = std::move(condition);
        m_then = std::move(then);
        m_settleLimit.setRemainingTime(kSettleLimitMs);
    }

    void note(const QString &text)
    {
        const QString line = QStringLiteral("#%1 %2 ms: %3").arg(m_taken + 1).arg(m_clock.elapsed()).arg(text);
        if (qEnvironmentVariableIsSet("CALSETUP_RANDOM_VERBOSE"))
            std::cout << line.toStdString() << std::endl;
        m_recent << line;
        while (m_recent.size() > 25)
            m_recent.removeFirst();
    }

    std::mt19937 &m_random;
    WalkPrompts &m_prompts;
    ProgramRun &m_run;
    const qint64 m_untilMs;
    const QElapsedTimer &m_clock;
    QTimer m_timer;
    bool m_inTick = false;
    bool m_ending = false;
    std::function<bool()> m_settled;
    std::function<void()> m_then;
    QDeadlineTimer m_settleLimit;
    int m_taken = 0;
    QMap<QString, int> m_counts;
    QStringList m_recent;
    QList<QPointer<QWidget>> m_seen;
};

const std::array<Walk::Action, 7> &Walk::actions()
{
    static const std::array<Action, 7> table = {{
        {"open", 20, &Walk::openWindow},
        {"activate", 15, &Walk::activateWindow},
        {"press", 25, &Walk::pressButton},
        {"type", 12, &Walk::typeFigure},
        {"edit cell", 10, &Walk::editCell},
        {"close", 10, &Walk::closeWindow},
        {"close main", 2, &Walk::closeMain},
    }};
    return table;
}

class RandomWalk : public RealDisplay
{
protected:
    /// Starts the program on a virtual calibrator of its own that answers at 9600 baud after
    /// a delay drawn from the generator.
    std::unique_ptr<ProgramRun> start(std::mt19937 &random)
    {
        auto run = std::make_unique<ProgramRun>();
        SimulatedInstrument::Options options;
        options.settingsScope = QStringLiteral("calsetup display test");
        QString error;
        if (!run->session->startSimulation(options, &error)) {
            ADD_FAILURE() << error.toStdString();
            return nullptr;
        }
        run->session->createDvm(QStringLiteral("5200"));
        if (!run->session->connect(run->session->simulation()->endpoint(InterfaceRS232), &error)) {
            ADD_FAILURE() << error.toStdString();
            return nullptr;
        }
        run->calibrator().knobs().paceCharsPerSecond = 960;
        run->calibrator().knobs().replyDelayMs = std::uniform_int_distribution<int>(20, 400)(random);
        run->main = std::make_unique<FormMain>(*run->session, prompts);
        run->session->useWorkThread();
        ProgramRun *raw = run.get();
        QObject::connect(run->main.get(), &FormMain::unloaded, [raw] { raw->ended = true; });
        run->main->show();
        activate(*run->main);
        return run;
    }

    WalkPrompts prompts;
};

TEST_F(RandomWalk, TheProgramSurvivesAUserClickingAbout)
{
    const auto seed = unsigned(environmentNumber("CALSETUP_RANDOM_SEED", kDefaultSeed));
    const qint64 seconds = environmentNumber("CALSETUP_RANDOM_SECONDS", kDefaultSeconds);
    std::cout << "random walk: seed " << seed << ", " << seconds << " s (replay with CALSETUP_RANDOM_SEED=" << seed
              << ")" << std::endl;
    RecordProperty("seed", std::to_string(seed));
    mainWindow.hide();

    std::mt19937 random(seed);
    QElapsedTimer clock;
    clock.start();
    int runs = 0;
    int actions = 0;
    QMap<QString, int> counts;
    do {
        ++runs;
        const std::unique_ptr<ProgramRun> run = start(random);
        ASSERT_TRUE(run);
        Walk walk(random, prompts, *run, seconds * 1000, clock);
        const bool ended = waitFor([&] { return run->ended; }, int(seconds * 1000 - clock.elapsed()) + kEndLimitMs);
        walk.stop();
        actions += walk.actionsTaken();
        for (auto it = walk.counts().begin(); it != walk.counts().end(); ++it)
            counts[it.key()] += it.value();
        const std::string replay = "seed " + std::to_string(seed) + ", run " + std::to_string(runs)
            + ", last actions:\n" + walk.recent().toStdString() + "\nlast exchanges:\n"
            + run->exchanges.join(QLatin1Char('\n')).toStdString();
        ASSERT_TRUE(ended) << "the program never ended; " << replay;

        // The end waits for the instrument's work, which leaves the instrument out of setup mode,
        // and takes every window with it.
        OperationQueue &queue = run->session->operations();
        EXPECT_TRUE(waitFor([&] { return !queue.hasWork(); })) << "work still running after the end; " << replay;
        if (run->setupModeAskedFor)
            std::cout << "run " << runs << ": setup mode left on by the main window's password button" << std::endl;
        else
            EXPECT_FALSE(run->calibrator().memory().inSetupMode()) << replay;
        const auto windowsLeft = [&] {
            QStringList left;
            for (const QPointer<QWidget> &w : walk.windowsSeen()) {
                if (w && w->isVisible())
                    left << QStringLiteral("%1 (%2)").arg(w->objectName(), w->windowTitle());
            }
            return left;
        };
        EXPECT_TRUE(waitFor([&] { return windowsLeft().isEmpty(); }))
            << "windows outlived the program: " << windowsLeft().join(QStringLiteral(", ")).toStdString() << "; "
            << replay;
        // The instrument still answers on the line the program used.
        run->calibrator().knobs().replyDelayMs = 0;
        IDVM *dvm = run->session->dvm();
        ASSERT_NE(dvm, nullptr);
        // The program has ended and its queue takes no more work: asked on the instrument's
        // thread directly, where the port lives.
        bool answers = false;
        run->session->operations().callOnWorkThread([&] { answers = dvm->CheckIdentity(dvm->Identify().trimmed()); });
        EXPECT_TRUE(answers) << replay;
        if (HasFailure())
            break;
    } while (clock.elapsed() < seconds * 1000);

    QString summary;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        summary += QStringLiteral(" %1 %2,").arg(it.key()).arg(it.value());
    summary.chop(1);
    std::cout << "random walk: seed " << seed << ", " << actions << " actions in " << runs << " program runs,"
              << summary.toStdString() << "; " << prompts.shown.size() << " questions answered, " << clock.elapsed()
              << " ms" << std::endl;
    RecordProperty("actions", actions);
    RecordProperty("runs", runs);
    EXPECT_GT(counts.value(QStringLiteral("press")), 0) << "the walk never pressed a button";
}

} // namespace
