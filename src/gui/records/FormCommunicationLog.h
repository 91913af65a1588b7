#pragma once

#include <QWidget>

class Prompts;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TraceLog;
class TraceLogFilter;

/**
 * @brief The "Communication Log" window: every command sent to the instrument and every reply,
 * live, with its time, duration, interface and outcome; failures in colour.
 *
 * It listens to the program's trace from the moment it is made until it is destroyed,
 * so closing and opening it again shows what happened meanwhile. The table, its cap, the batching
 * and the filter are TraceLog's and TraceLogFilter's; this window lays them out and wires them.
 */
class FormCommunicationLog : public QWidget
{
    Q_OBJECT
public:
    explicit FormCommunicationLog(Prompts &prompts, QWidget *parent = nullptr);
    ~FormCommunicationLog() override;

    TraceLog &log() const { return *m_log; }
    TraceLogFilter &filter() const { return *m_filter; }

    void Command_Pause_Click();
    void Command_Clear_Click();
    void Command_SaveAs_Click();
    void Command_Copy_Click();

private:
    void buildControls();
    void showCount();
    /// The source rows of the selected lines, in order.
    QList<int> selectedRows() const;

    Prompts &m_prompts;
    int m_listener = 0;
    TraceLog *m_log = nullptr;
    TraceLogFilter *m_filter = nullptr;

    QLineEdit *Text_Filter = nullptr;
    QCheckBox *Check_ErrorsOnly = nullptr;
    QPushButton *Command_Pause = nullptr;
    QPushButton *Command_Clear = nullptr;
    QPushButton *Command_Copy = nullptr;
    QPushButton *Command_SaveAs = nullptr;
    QTableView *Grid_Log = nullptr;
    QLabel *Text_Count = nullptr;
};
