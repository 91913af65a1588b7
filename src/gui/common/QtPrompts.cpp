#include "gui/common/QtPrompts.h"

#include "platform/Settings.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

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
    return box;
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
    auto box = makeMessageBox(text, title, icon, buttons, defaultAnswer, QApplication::activeWindow());
    return answerFor(box->exec());
}

QString QtPrompts::openFileName(const QString &title, const QString &filter, const QString &suggestedName)
{
    QFileDialog dialog(QApplication::activeWindow(), title, startFolder(suggestedName), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chosenFile(dialog, suggestedName);
}

QString QtPrompts::saveFileName(const QString &title, const QString &filter, const QString &suggestedName,
                                const QString &defaultSuffix)
{
    QFileDialog dialog(QApplication::activeWindow(), title, startFolder(suggestedName), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    QString suffix = defaultSuffix;
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    return chosenFile(dialog, suggestedName);
}
