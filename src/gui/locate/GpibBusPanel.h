#pragma once

#include <QWidget>

class Gpib488;
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
 * The library's calls block, so the window is repainted between addresses while it searches.
 */
class GpibBusPanel : public QWidget
{
    Q_OBJECT
public:
    GpibBusPanel(Gpib488 &bus, Prompts &prompts, QWidget *parent = nullptr);

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

    Gpib488 &m_bus;
    Prompts &m_prompts;
    QPushButton *m_search;
    QListWidget *m_list;
    QSpinBox *m_newAddress;
    QPushButton *m_change;
    QLabel *m_status;
};
