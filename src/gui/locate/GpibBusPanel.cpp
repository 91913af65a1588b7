#include "gui/locate/GpibBusPanel.h"

#include "gui/common/Named.h"
#include "instrument/gpib/GpibBusSearch.h"
#include "platform/Gpib488.h"
#include "platform/Prompts.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace {

const QString kTitle = QStringLiteral("GPIB");

/// Keeps the window painted while the library blocks, without taking the user's clicks.
void keepPainted()
{
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

GpibBusPanel::GpibBusPanel(Gpib488 &bus, Prompts &prompts, QWidget *parent)
    : QWidget(parent), m_bus(bus), m_prompts(prompts)
{
    m_search = named(new QPushButton(QStringLiteral("Search Bus"), this), "Command_SearchBus");
    m_list = named(new QListWidget(this), "List_Instruments");
    m_list->setMinimumHeight(60);
    m_list->setAccessibleName(QStringLiteral("Instruments on the bus"));
    m_list->setMaximumHeight(110);
    m_newAddress = named(new QSpinBox(this), "Spin_NewAddress");
    m_newAddress->setRange(GpibBusSearch::kFirstAddress, GpibBusSearch::kLastAddress);
    m_change = named(new QPushButton(QStringLiteral("Change Address"), this), "Command_ChangeAddress");
    m_change->setToolTip(QStringLiteral("Move the chosen instrument to the new address"));
    m_status = named(new QLabel(this), "Label_BusStatus");
    m_status->setWordWrap(true);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_search, 0, 0);
    layout->addWidget(m_status, 0, 1, 1, 2);
    layout->addWidget(m_list, 1, 0, 1, 3);
    auto *newAddress = new QLabel(QStringLiteral("New address:"), this);
    newAddress->setBuddy(m_newAddress);
    layout->addWidget(newAddress, 2, 0);
    layout->addWidget(m_newAddress, 2, 1);
    layout->addWidget(m_change, 2, 2);

    connect(m_search, &QPushButton::clicked, this, &GpibBusPanel::Command_SearchBus_Click);
    connect(m_change, &QPushButton::clicked, this, &GpibBusPanel::Command_ChangeAddress_Click);
    connect(m_list, &QListWidget::currentRowChanged, this, &GpibBusPanel::List_Instruments_Changed);

    m_change->setEnabled(false);
    if (!m_bus.available()) {
        m_search->setEnabled(false);
        showStatus(QStringLiteral("GPIB: ") + m_bus.reason());
    }
}

int GpibBusPanel::chosenAddress() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void GpibBusPanel::showStatus(const QString &text)
{
    m_status->setText(text);
}

void GpibBusPanel::Command_SearchBus_Click()
{
    m_list->clear();
    m_search->setEnabled(false);
    m_change->setEnabled(false);
    GpibBusSearch search(m_bus);
    search.onProbe = [this](int address) {
        showStatus(QStringLiteral("Looking at address %1 ...").arg(address));
        keepPainted();
        return true;
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QList<GpibListener> found = search.search();
    QApplication::restoreOverrideCursor();
    m_search->setEnabled(m_bus.available());

    if (search.busUnusable()) {
        showStatus(search.error());
        return;
    }
    for (const GpibListener &listener : found) {
        const QString identity =
            listener.identity.isEmpty() ? QStringLiteral("(no answer to *IDN?)") : listener.identity;
        auto *item = new QListWidgetItem(QStringLiteral("%1: %2").arg(listener.address).arg(identity), m_list);
        item->setData(Qt::UserRole, listener.address);
    }
    showStatus(found.isEmpty() ? QStringLiteral("No instrument answers on the bus.")
                               : QStringLiteral("%1 instrument(s) found.").arg(found.size()));
}

void GpibBusPanel::List_Instruments_Changed()
{
    const int address = chosenAddress();
    m_change->setEnabled(address != 0);
    if (address != 0)
        emit addressChosen(address);
}

void GpibBusPanel::Command_ChangeAddress_Click()
{
    const int from = chosenAddress();
    const int to = m_newAddress->value();
    if (from == 0)
        return;
    if (!m_prompts.confirm(QStringLiteral("Move the instrument at GPIB address %1 to address %2?").arg(from).arg(to),
                           kTitle))
        return;
    GpibBusSearch search(m_bus);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool moved = search.changeAddress(from, to);
    QApplication::restoreOverrideCursor();
    if (!moved) {
        m_prompts.message(search.error(), kTitle, Prompts::Icon::Warning);
        return;
    }
    QListWidgetItem *item = m_list->currentItem();
    item->setData(Qt::UserRole, to);
    item->setText(QStringLiteral("%1: %2").arg(to).arg(item->text().section(QStringLiteral(": "), 1)));
    showStatus(QStringLiteral("The instrument now answers at address %1.").arg(to));
    emit addressChosen(to);
}
