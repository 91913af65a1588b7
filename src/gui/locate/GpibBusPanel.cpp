#include "gui/locate/GpibBusPanel.h"

#include "gui/common/Named.h"
#include "gui/locate/LocationOperations.h"
#include "instrument/gpib/GpibBusSearch.h"
#include "platform/Gpib488.h"
#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace {

const QString kTitle = QStringLiteral("GPIB");

/// What a bus search found, or why the bus could not be used.
struct BusSearchResult
{
    QList<GpibListener> found;
    bool busUnusable = false;
    QString error;
};

struct AddressChange
{
    bool moved = false;
    QString error;
};

QString itemText(int address, const QString &identity)
{
    return QStringLiteral("%1: %2").arg(address).arg(identity);
}

} // namespace

GpibBusPanel::GpibBusPanel(Gpib488 &bus, Prompts &prompts, LocationOperations &operations, QWidget *parent)
    : QWidget(parent), m_bus(bus), m_prompts(prompts), m_operations(operations)
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
    connect(&m_operations, &LocationOperations::workingChanged, this, &GpibBusPanel::updateButtons);

    updateButtons();
    if (!m_bus.available())
        showStatus(QStringLiteral("GPIB: ") + m_bus.reason());
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

void GpibBusPanel::updateButtons()
{
    const bool idle = !m_operations.isWorking();
    m_search->setEnabled(idle && m_bus.available());
    m_change->setEnabled(idle && chosenAddress() != 0);
}

void GpibBusPanel::Command_SearchBus_Click()
{
    if (m_operations.isWorking())
        return;
    m_list->clear();
    Gpib488 *bus = &m_bus;
    m_operations.run<BusSearchResult>(
        m_search->text(),
        [bus](OperationControl &control) {
            GpibBusSearch search(*bus);
            search.onProbe = [&control](int address) {
                control.reportStatus(QStringLiteral("Looking at address %1 ...").arg(address));
                // The library's calls block. Run on the windows' thread, as today, this keeps the
                // window painted between addresses (without taking the user's clicks); on a
                // thread of its own it only lets that thread's events through.
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                // Closing the window ends the search at the next address.
                return !control.stopRequested();
            };
            BusSearchResult result;
            result.found = search.search();
            result.busUnusable = search.busUnusable();
            result.error = search.error();
            return result;
        },
        [this](const BusSearchResult &result) {
            if (result.busUnusable) {
                showStatus(result.error);
                return;
            }
            for (const GpibListener &listener : result.found) {
                const QString identity =
                    listener.identity.isEmpty() ? QStringLiteral("(no answer to *IDN?)") : listener.identity;
                auto *item = new QListWidgetItem(itemText(listener.address, identity), m_list);
                item->setData(Qt::UserRole, listener.address);
            }
            showStatus(result.found.isEmpty() ? QStringLiteral("No instrument answers on the bus.")
                                              : QStringLiteral("%1 instrument(s) found.").arg(result.found.size()));
        },
        [this](const QString &text) { showStatus(text); });
}

void GpibBusPanel::List_Instruments_Changed()
{
    const int address = chosenAddress();
    updateButtons();
    if (address != 0)
        emit addressChosen(address);
}

void GpibBusPanel::Command_ChangeAddress_Click()
{
    const int from = chosenAddress();
    const int to = m_newAddress->value();
    if (from == 0 || m_operations.isWorking())
        return;
    if (!m_prompts.confirm(QStringLiteral("Move the instrument at GPIB address %1 to address %2?").arg(from).arg(to),
                           kTitle))
        return;
    Gpib488 *bus = &m_bus;
    m_operations.run<AddressChange>(
        m_change->text(),
        [bus, from, to](OperationControl &) {
            GpibBusSearch search(*bus);
            AddressChange change;
            change.moved = search.changeAddress(from, to);
            change.error = search.error();
            return change;
        },
        [this, from, to](const AddressChange &change) {
            if (!change.moved) {
                m_prompts.message(change.error, kTitle, Prompts::Icon::Warning);
                return;
            }
            // The entry of the instrument that was moved, wherever the list's choice is now.
            for (int row = 0; row < m_list->count(); ++row) {
                QListWidgetItem *item = m_list->item(row);
                if (item->data(Qt::UserRole).toInt() != from)
                    continue;
                item->setData(Qt::UserRole, to);
                item->setText(itemText(to, item->text().section(QStringLiteral(": "), 1)));
            }
            showStatus(QStringLiteral("The instrument now answers at address %1.").arg(to));
            emit addressChosen(to);
        },
        [this](const QString &text) { showStatus(text); });
}
