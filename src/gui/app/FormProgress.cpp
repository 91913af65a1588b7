#include "gui/app/FormProgress.h"

#include <QLabel>
#include <QList>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

// Every progress window that exists; the activity indicator feeds those that are visible.
QList<FormProgress *> &instances()
{
    static QList<FormProgress *> list;
    return list;
}

} // namespace

FormProgress::FormProgress(QWidget *parent)
    : QDialog(parent), m_bar(new QProgressBar(this)), m_message(new QLabel(this))
{
    setObjectName(QStringLiteral("FormProgress"));
    setWindowTitle(QStringLiteral("Download Progress"));
    setModal(false);

    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setMinimumWidth(320);
    m_bar->setTextVisible(true);
    m_message->setObjectName(QStringLiteral("LabelMessage"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_bar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    showModel();
    instances().append(this);
}

FormProgress::~FormProgress()
{
    instances().removeAll(this);
}

void FormProgress::feedVisible(const QString &replySoFar)
{
    const QList<FormProgress *> windows = instances();
    for (FormProgress *window : windows) {
        if (window->isVisible())
            window->ProgressText(replySoFar);
    }
}

void FormProgress::Reset()
{
    m_model.reset();
    showModel();
}

void FormProgress::SetMaxLines(qint16 NewMax)
{
    m_model.setMaxLines(NewMax);
    showModel();
}

void FormProgress::SetMaxCharacters(qint16 NewMax)
{
    m_model.setMaxCharacters(NewMax);
    showModel();
}

void FormProgress::ProgressText(const QString &text)
{
    m_model.progressText(text);
    showModel();
}

void FormProgress::Increment()
{
    m_model.increment();
    showModel();
}

void FormProgress::showModel()
{
    // Maximum before value: a value above the old maximum would otherwise be clipped.
    m_bar->setRange(0, m_model.maximum());
    m_bar->setValue(m_model.value());
    m_message->setText(m_model.message());
}
