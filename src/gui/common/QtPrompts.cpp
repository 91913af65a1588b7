#include "gui/common/QtPrompts.h"

#include "platform/MainThreadCall.h"
#include "platform/Settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QThread>

namespace {

// The index among the choices a button of a choice box stands for (the style may add a mnemonic
// to its caption, so the caption cannot say).
constexpr char kChoiceProperty[] = "choiceIndex";

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(Prompts::Buttons buttons)
{
    switch (buttons) {
    case Prompts::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompts::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompts::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Prompts::Buttons::DiscardCancel:
        return QMessageBox::Discard | QMessageBox::Cancel;
    case Prompts::Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// Each answer and the box's button for it; a box's default is looked up one way and the button
// it returns the other, so the two cannot disagree.
const QPair<Prompts::Answer, QMessageBox::StandardButton> kAnswerButtons[] = {
    {Prompts::Answer::Ok, QMessageBox::Ok},           {Prompts::Answer::Cancel, QMessageBox::Cancel},
    {Prompts::Answer::Yes, QMessageBox::Yes},         {Prompts::Answer::No, QMessageBox::No},
    {Prompts::Answer::Discard, QMessageBox::Discard},
};

QMessageBox::StandardButton boxButton(Prompts::Answer answer)
{
    for (const auto &[a, button] : kAnswerButtons) {
        if (a == answer)
            return button;
    }
    return QMessageBox::Ok;
}

QString titleOrProgram(const QString &title)
{
    return title.isEmpty() ? Settings::applicationTitle() : title;
}

QString startFolder(const QString &suggestedName)
{
    const QFileInfo info(suggestedName);
    return info.isAbsolute() ? info.absolutePath() : QString();
}

// A box sizes itself to its message, so a long title over a short message is cut short by the
// window system. A spacer across the box's grid keeps it at least as wide as the title needs.
void keepTitleWhole(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const int width = QtPrompts::titleWidth(box.windowTitle(), &box);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

/// Runs a file dialog with the suggested file chosen; the file the user chose, or nothing.
QString chosenFile(QFileDialog &dialog, const QString &suggestedName)
{
    if (!suggestedName.isEmpty())
        dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace

std::unique_ptr<QMessageBox> QtPrompts::makeMessageBox(const QString &text, const QString &title, Icon icon,
                                                       Buttons buttons, Answer defaultAnswer, QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(boxIcon(icon), titleOrProgram(title), text, boxButtons(buttons), parent);
    const QMessageBox::StandardButton preferred = boxButton(defaultAnswer);
    // A default the box does not carry falls back to its first button, as the system's boxes do.
    if (box->button(preferred))
        box->setDefaultButton(preferred);
    if (buttons == Buttons::YesNo)
        box->setEscapeButton(QMessageBox::No);
    keepTitleWhole(*box);
    return box;
}

std::unique_ptr<QMessageBox> QtPrompts::makeChoiceBox(const QString &text, const QString &title, Icon icon,
                                                      const QStringList &choices, int defaultChoice, int escapeChoice,
                                                      QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(boxIcon(icon), titleOrProgram(title), text, QMessageBox::NoButton, parent);
    for (int i = 0; i < choices.size(); ++i) {
        // The roles only place the buttons; the answer is the button's index among the choices.
        QPushButton *button = box->addButton(choices.at(i), QMessageBox::ActionRole);
        button->setProperty(kChoiceProperty, i);
        if (i == defaultChoice)
            box->setDefaultButton(button);
        if (i == escapeChoice)
            box->setEscapeButton(button);
    }
    keepTitleWhole(*box);
    return box;
}

int QtPrompts::titleWidth(const QString &title, const QWidget *box)
{
    const QFontMetrics metrics(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    // The bar's icon and its minimise, maximise and close buttons are each about a bar high.
    const int decoration = 4 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
    return metrics.horizontalAdvance(title) + decoration;
}

Prompts::Answer QtPrompts::answerFor(int standardButton)
{
    for (const auto &[answer, button] : kAnswerButtons) {
        if (button == standardButton)
            return answer;
    }
    return Answer::Ok;
}

Prompts::Answer QtPrompts::message(const QString &text, const QString &title, Icon icon, Buttons buttons,
                                   Answer defaultAnswer)
{
    return callOnMainThread([&] {
        auto box = makeMessageBox(text, title, icon, buttons, defaultAnswer, QApplication::activeWindow());
        return answerFor(box->exec());
    });
}

int QtPrompts::choose(const QString &text, const QString &title, Icon icon, const QStringList &choices,
                      int defaultChoice, int escapeChoice)
{
    return callOnMainThread([&] {
        auto box = makeChoiceBox(text, title, icon, choices, defaultChoice, escapeChoice, QApplication::activeWindow());
        box->exec();
        // A box closed without a button (the window's close box with no escape) counts as escaped.
        const QAbstractButton *clicked = box->clickedButton();
        const QVariant chosen = clicked ? clicked->property(kChoiceProperty) : QVariant();
        return chosen.isValid() ? chosen.toInt() : escapeChoice;
    });
}

QString QtPrompts::openFileName(const QString &title, const QString &filter, const QString &suggestedName)
{
    return callOnMainThread([&] {
        QFileDialog dialog(QApplication::activeWindow(), title, startFolder(suggestedName), filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return chosenFile(dialog, suggestedName);
    });
}

QString QtPrompts::saveFileName(const QString &title, const QString &filter, const QString &suggestedName,
                                const QString &defaultSuffix)
{
    return callOnMainThread([&] {
        QFileDialog dialog(QApplication::activeWindow(), title, startFolder(suggestedName), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        QString suffix = defaultSuffix;
        if (suffix.startsWith(QLatin1Char('.')))
            suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
        return chosenFile(dialog, suggestedName);
    });
}
