#pragma once

#include "gui/procedures/ProcedureWindow.h"

class InstrumentSession;
class Prompts;

/**
 * @brief The "Adapter Mode Setup" window: centred when it opens, with nothing but "Exit".
 */
class Form_AdapterSetup : public ProcedureWindow
{
    Q_OBJECT
public:
    Form_AdapterSetup(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);
};
