#include "AppTestSupport.h"
#include "gui/app/FormMain.h"
#include "gui/app/FormProgress.h"
#include "gui/app/StartForm.h"
#include "gui/caldata/FormCalFactors.h"
#include "gui/caldata/FormSpecifications.h"
#include "gui/locate/FormAutoLocate.h"
#include "gui/locate/FormChooseInterface.h"
#include "gui/locate/FormOptions.h"
#include "gui/locate/Form_EthernetLocator.h"
#include "gui/locate/Form_USBLocator.h"
#include "gui/procedures/FormDate.h"
#include "gui/procedures/Form_AdapterSetup.h"
#include "gui/procedures/Form_CalHistory.h"
#include "gui/procedures/Form_CalibratorOutput.h"
#include "gui/procedures/Form_OutputCorrection.h"
#include "gui/procedures/Form_PowerCal.h"
#include "gui/procedures/Form_kVAmp.h"
#include "gui/records/FormChangeJournal.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <functional>
#include <memory>

namespace {

using AccessibleNames = AppTest;

// What a user operates or reads back: boxes, grids and lists, and buttons of every kind.
bool isControl(const QWidget *w)
{
    if (qobject_cast<const QHeaderView *>(w))
        return false;
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w)
        || qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QComboBox *>(w)
        || qobject_cast<const QAbstractItemView *>(w) || qobject_cast<const QPlainTextEdit *>(w)
        || qobject_cast<const QTextEdit *>(w);
}

// The pieces Qt builds into a control (a spin box's editor, a grid's corner button) are named
// through the control that holds them.
bool isPartOfAControl(const QWidget *w, const QWidget *window)
{
    for (const QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractItemView *>(p) || qobject_cast<const QAbstractSpinBox *>(p)
            || qobject_cast<const QComboBox *>(p))
            return true;
    }
    return false;
}

/// Every control of the window without a name a screen reader can say, or with the name of
/// another control of the same window.
QStringList namingFaults(QWidget &window)
{
    QStringList faults;
    QHash<QString, QString> named; // accessible name -> the control that has it
    const auto widgets = window.findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        // Qt's own parts ("qt_menubar_ext_button") are named by Qt.
        if (w->window() != &window || !isControl(w) || isPartOfAControl(w, &window)
            || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QString id =
            w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(w);
        const QString name = accessible ? accessible->text(QAccessible::Name).trimmed() : QString();
        if (name.isEmpty())
            faults << id + QStringLiteral(" has no name");
        else if (named.contains(name))
            faults << id + QStringLiteral(" and ") + named.value(name) + QStringLiteral(" are both \"") + name
                    + QLatin1Char('"');
        else
            named.insert(name, id);
    }
    return faults;
}

template <class Form>
QWidget *make(InstrumentSession &session, Prompts &prompts)
{
    return new Form(session, prompts);
}

template <class Form>
QWidget *makeWithStatus(InstrumentSession &session, Prompts &prompts)
{
    return new Form(session, prompts, [](const QString &) {});
}

TEST_F(AccessibleNames, EveryBoxGridAndButtonOfEveryWindowHasANameOfItsOwn)
{
    using Make = std::function<QWidget *(InstrumentSession &, Prompts &)>;
    const struct
    {
        const char *window;
        Make create;
    } windows[] = {
        {"FormMain", make<FormMain>},
        {"StartForm", [](InstrumentSession &, Prompts &) -> QWidget * { return new StartForm; }},
        {"FormProgress", [](InstrumentSession &, Prompts &) -> QWidget * { return new FormProgress; }},
        {"FormAutoLocate", make<FormAutoLocate>},
        {"FormChooseInterface", make<FormChooseInterface>},
        {"FormOptions", make<FormOptions>},
        {"Form_USBLocator", make<Form_USBLocator>},
        {"Form_EthernetLocator", make<Form_EthernetLocator>},
        {"FormCalFactors", makeWithStatus<FormCalFactors>},
        {"FormSpecifications", makeWithStatus<FormSpecifications>},
        {"FormDate", make<FormDate>},
        {"Form_CalHistory", make<Form_CalHistory>},
        {"Form_PowerCal", make<Form_PowerCal>},
        {"Form_kVAmp", make<Form_kVAmp>},
        {"Form_OutputCorrection", make<Form_OutputCorrection>},
        {"Form_CalibratorOutput", make<Form_CalibratorOutput>},
        {"Form_AdapterSetup", make<Form_AdapterSetup>},
        {"FormChangeJournal",
         [](InstrumentSession &, Prompts &p) -> QWidget * { return new FormChangeJournal(p, nullptr); }},
    };
    for (const auto &w : windows) {
        std::unique_ptr<QWidget> window(w.create(session, prompts));
        const QStringList faults = namingFaults(*window);
        EXPECT_TRUE(faults.isEmpty()) << w.window << ":\n  " << faults.join(QStringLiteral("\n  ")).toStdString();
    }
}

} // namespace
