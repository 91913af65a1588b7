#pragma once

#include <QWidget>

class Gpib488;
class LocationOperations;
class Prompts;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

/**
 * @brief The GPIB half of the interface options window: searches the bus for instruments, lists
 * each with its identification, offers the chosen one's address, and moves an instrument to a
 * new address. The work is GpibBusSearch's; this holds the controls.
 *
 * The search and the move are actions of the window the panel sits in (its LocationOperations):
 * they wait their turn on the instrument's queue, and the panel's status says what they do.
 */
class GpibBusPanel : public QWidget
{
    Q_OBJECT
public:
    GpibBusPanel(Gpib488 &bus, Prompts &prompts, LocationOperations &operations, QWidget *parent = nullptr);

    /// The address of the instrument the list shows as chosen, or 0.
    int chosenAddress() const;

signals:
    /// The user chose the instrument at this address (picked it in the list, or moved it there).
    void addressChosen(int address);

private:
    void Command_SearchBus_Click();
    void Command_ChangeAddress_Click();
    void List_Instruments_Changed();
    void showStatus(const QString &text);
    /// The buttons are on when no action of the window runs and there is something to do.
    void updateButtons();

    Gpib488 &m_bus;
    Prompts &m_prompts;
    LocationOperations &m_operations;
    QPushButton *m_search;
    QListWidget *m_list;
    QSpinBox *m_newAddress;
    QPushButton *m_change;
    QLabel *m_status;
};
