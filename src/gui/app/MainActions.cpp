#include "gui/app/MainActions.h"

#include "gui/app/FormDiagnostics.h"
#include "gui/app/JournalActions.h"
#include "gui/app/QuickSetupActions.h"
#include "gui/app/WindowOpeners.h"
#include "gui/caldata/FormCalFactors.h"
#include "gui/locate/Form_USBLocator.h"
#include "gui/procedures/FormDate.h"
#include "gui/procedures/Form_AdapterSetup.h"
#include "gui/procedures/Form_CalHistory.h"
#include "gui/procedures/Form_CalibratorOutput.h"
#include "gui/procedures/Form_OutputCorrection.h"
#include "gui/procedures/Form_PowerCal.h"
#include "gui/procedures/Form_kVAmp.h"
#include "gui/locate/Form_EthernetLocator.h"

// The windows of the program, one line each. A control stays disabled until its line is here.
static MainActions buildStandardActions()
{
    MainActions actions;
    actions.add(MainAction::ConfigureUSB, openModal<Form_USBLocator>);
    actions.add(MainAction::CalibrationFactors, openModelessWithStatus<FormCalFactors>);
    actions.add(MainAction::SetOutput, openModeless<Form_CalibratorOutput>);
    actions.add(MainAction::PowerCalibration, openModeless<Form_PowerCal>);
    actions.add(MainAction::KVAmplifier, openModeless<Form_kVAmp>);
    actions.add(MainAction::CorrectionFactors, openModeless<Form_OutputCorrection>);
    actions.add(MainAction::DateAndTime, openModeless<FormDate>);
    actions.add(MainAction::CalibrationHistory, openModeless<Form_CalHistory>);
    actions.add(MainAction::Adapters, openModeless<Form_AdapterSetup>);
    actions.add(MainAction::ConfigureEthernet, openModal<Form_EthernetLocator>);
    actions.add(MainAction::Specifications, [](FormMain &main) { QuickSetupActions::showSpecifications(main); });
    actions.add(MainAction::PerformSetupTasks, QuickSetupActions::Command_SetupTasks_Click);
    actions.add(MainAction::SetDefaultSpec, QuickSetupActions::Command_SetDefaultSpec_Click);
    actions.add(MainAction::SetDefaultUncert, QuickSetupActions::Command_SetDefaultUncert_Click);
    actions.add(MainAction::WipeEEPROM, QuickSetupActions::Command_WipeEEPROM_Click);
    actions.add(MainAction::Thermocouple, [](FormMain &m) { QuickSetupActions::windowNotAvailable(m, "Thermocouple"); });
    actions.add(MainAction::PRT, [](FormMain &m) { QuickSetupActions::windowNotAvailable(m, "PRT"); });
    actions.add(MainAction::ImportedUncertainties,
                [](FormMain &m) { QuickSetupActions::windowNotAvailable(m, "Imported Uncertainties"); });
    actions.add(MainAction::ChangeJournal, JournalActions::showChangeJournal);
    actions.add(MainAction::Diagnostics, openModeless<FormDiagnostics>);
    return actions;
}

const MainActions &MainActions::standard()
{
    static const MainActions table = buildStandardActions();
    return table;
}
