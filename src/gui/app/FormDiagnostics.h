#pragma once

#include <QWidget>

class InstrumentSession;
class Prompts;
class QPlainTextEdit;

/**
 * @brief Help > "Diagnostics...": what on this computer keeps the program from an instrument, the
 * same report `calsetup-cli doctor` prints, read-only with a button that copies it.
 */
class FormDiagnostics : public QWidget
{
    Q_OBJECT
public:
    FormDiagnostics(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);

    QPlainTextEdit *Text_Report = nullptr;

private:
    void Command_Copy_Click();
};
