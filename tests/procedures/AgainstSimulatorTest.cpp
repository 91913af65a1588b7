#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimPty.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "procedures/CalibrationHistory.h"
#include "procedures/CalibratorOutput.h"
#include "procedures/InstrumentClock.h"
#include "procedures/KvAmplifier.h"
#include "procedures/OutputCorrection.h"
#include "procedures/PowerCalibration.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <gtest/gtest.h>

namespace {

// The procedures through the program's own driver and serial transport, against the virtual
// calibrator on a pseudo-terminal: what the windows do with --simulate.
class AgainstSimulator : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen());
        context.portTable().bind(1, sim.devicePath());
        context.setDvm(CreateDVM(QStringLiteral("5200"), context));
        context.dvm1Comm()->setPortNumber(1);
        context.dvm()->SetCommControl(context.dvm1Comm());
        context.dvm()->SetInterfaceType(InterfaceRS232);
    }

    InstrumentLink link() { return InstrumentLink(context); }

    ScopedFakeClock fake;
    SimPty sim;
    InstrumentContext context;
    ScriptedPrompts prompts;
};

TEST_F(AgainstSimulator, ClockIsSetAndReadBack)
{
    InstrumentClock clock(link());
    const InstrumentClock::Setting setting = clock.set(QDate(2030, 1, 1), QTime(9, 5));
    ASSERT_TRUE(setting.accepted) << setting.reply.toStdString();
    ASSERT_TRUE(setting.reread && setting.reread->at) << setting.reread->reply.toStdString();
    EXPECT_EQ(setting.reread->at->date(), QDate(2030, 1, 1));
    EXPECT_EQ(setting.reread->at->time().hour(), 9);
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(AgainstSimulator, PowerFactorIsCalculatedSentStoredAndRecordedInTheHistory)
{
    const qsizetype before = CalibrationHistory::read(link()).listLines().size();
    PowerCalibration power(link(), prompts);
    power.load();
    EXPECT_EQ(power.factorText(0).toLongLong(), sim.memory().output().power[0][0]);
    power.selectRange(1);
    power.setFactorText(0, "20000");
    power.setMeasuredText("1.001");
    power.calculateFullScale();
    EXPECT_EQ(power.factorText(0), "19980");
    power.sendFactor(0);
    power.store();
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.texts().join('|').toStdString();
    EXPECT_EQ(sim.memory().output().power[1][0], 19980);

    const CalibrationHistory history = CalibrationHistory::read(link());
    ASSERT_EQ(history.listLines().size(), before + 1);
    EXPECT_EQ(history.rangeItemsAtLine(0), QStringList({"Power 1mA AC (121)"}));

    // A factor the instrument will not take is reported.
    power.setFactorText(0, "99999");
    power.sendFactor(0);
    EXPECT_EQ(prompts.texts(), QStringList({"Cal Factor Out Of Range"}));
}

TEST_F(AgainstSimulator, KvAmplifierStartsInDcAndItsZeroFactorIsSent)
{
    KvAmplifier kv(link(), prompts);
    kv.load();
    ASSERT_TRUE(kv.activate());
    EXPECT_EQ(kv.factorText(1), "12345");
    kv.zeroPoint();
    kv.setMeasuredText("1000.5");
    kv.calculateZero();
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.texts().join('|').toStdString();
    EXPECT_EQ(sim.memory().output().kvDc[2], 12345 + 10000);

    sim.memory().output().kvAmplifierFitted = false;
    KvAmplifier missing(link(), prompts);
    missing.load();
    EXPECT_FALSE(missing.activate());
    EXPECT_EQ(prompts.texts(), QStringList({"kV Amplifier option not installed"}));
}

TEST_F(AgainstSimulator, OutputSettingShowsTheDisplayAndCorrectionFactorsRoundTrip)
{
    CalibratorOutput output(link());
    const std::optional<QString> display = output.setOutput(QStringLiteral("10V"));
    ASSERT_TRUE(display.has_value()) << output.lastSettingReply().toStdString();
    EXPECT_EQ(*display, "10.0000 V STBY\r*0\r");
    EXPECT_FALSE(output.setOutput(QStringLiteral("10")).has_value());

    OutputCorrection correction(link(), prompts);
    correction.writeFactors({"1.001", "0.999", "1.0001"});
    const std::array<QString, 3> read = correction.readFactors({});
    EXPECT_EQ(read[0], "1.001000");
    EXPECT_EQ(read[2], "1.000100");
    correction.sendDiagnostic(3, "1.5e3");
    // Sent without waiting: let the calibrator hear it.
    QDeadlineTimer cap(3000);
    while (!sim.memory().output().diagnostics.contains("d_setdds") && !cap.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(sim.memory().output().diagnostics.value("d_setdds"), 1500);
}

} // namespace
