#include "procedures/KvAmplifier.h"

#include "instrument/CommandHelpers.h"
#include "instrument/Reply.h"
#include "instrument/StatusMeaning.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "procedures/KvCalculations.h"
#include "procedures/LeadingNumber.h"

namespace {

const QString kCalculationTitle = QStringLiteral("Calibration Calculation");
const QString kFactorTitle = QStringLiteral("kV Calibration");

} // namespace

KvAmplifier::KvAmplifier(InstrumentChannel &channel, Prompts &prompts, QObject *parent)
    : AdjustmentProcedure(channel, prompts, Title, kFactorBoxes, parent)
{
}

QString KvAmplifier::factorCaption(int index) const
{
    return index == 0 ? QStringLiteral("Full Scale") : QStringLiteral("Zero");
}

void KvAmplifier::setHighVoltageOn(bool on)
{
    if (m_highVoltageOn == on)
        return;
    m_highVoltageOn = on;
    emit changed();
}

bool KvAmplifier::activate()
{
    if (m_activated)
        return true;
    m_activated = true;
    const QString reply = send(QStringLiteral("D0"));
    if (reply.contains(QLatin1String("*0"))) {
        chooseDc();
        return true;
    }
    if (reply.contains(QLatin1String("*2")))
        m_prompts.message(QStringLiteral("kV Amplifier option not installed"), Title, Prompts::Icon::Warning);
    else
        m_prompts.message(QStringLiteral("No reply from calibrator"), Title, Prompts::Icon::Warning);
    return false;
}

void KvAmplifier::chooseRange(const QString &rangeCommand)
{
    // The output goes to standby before the range changes; the range needs a moment to settle
    // before its factors can be read.
    outputOff();
    m_rangeNumber = rangeCommand.mid(1).toInt();
    send(rangeCommand);
    systemClock().pause(kRangeSettleMs);
    readFactors();
}

void KvAmplifier::chooseDc()
{
    m_frequencyShown = false;
    m_voltage = QStringLiteral("0");
    // Shown before the first wait, so whatever runs meanwhile sees the boxes as they now are.
    emit changed();
    chooseRange(QStringLiteral("r6"));
    setOutput();
}

void KvAmplifier::chooseAc()
{
    m_voltage = QStringLiteral("0");
    m_frequency = QStringLiteral("50");
    emit changed();
    chooseRange(QStringLiteral("r26"));
    // The frequency box appears only after the set: coming from DC the set sends "O0" alone.
    setOutput();
    m_frequencyShown = true;
    emit changed();
}

RefusedBox KvAmplifier::zeroPoint()
{
    m_voltage = QStringLiteral("1000");
    emit changed();
    return setOutput();
}

RefusedBox KvAmplifier::fullScalePoint()
{
    m_voltage = m_frequencyShown ? QStringLiteral("6000") : QStringLiteral("10000");
    emit changed();
    return setOutput();
}

RefusedBox KvAmplifier::setOutput()
{
    // Both figures are read before either goes, so a bad frequency leaves the voltage unsent too.
    if (!m_input.number(QStringLiteral("Voltage"), m_voltage))
        return InputBox{InputBox::Kind::Voltage};
    if (m_frequencyShown && !m_input.number(QStringLiteral("Frequency"), m_frequency))
        return InputBox{InputBox::Kind::Frequency};
    const QString voltage = commandText(m_voltage).trimmed();
    reportAnswer(QStringLiteral("Voltage ") + voltage,
                 QStringLiteral("Output set to ") + voltage + QStringLiteral(" V"),
                 send(QStringLiteral("O") + voltage));
    if (m_frequencyShown) {
        const QString frequency = commandText(m_frequency).trimmed();
        reportAnswer(QStringLiteral("Frequency ") + frequency,
                     QStringLiteral("Output set to %1 V, %2 Hz").arg(voltage, frequency),
                     send(QStringLiteral("F") + frequency));
    }
    return {};
}

void KvAmplifier::outputOn()
{
    const QString reply = send(QStringLiteral("S0"));
    // Only a clear refusal says the output stayed off: an answer that did not come leaves it
    // possibly on, and the window warns of high voltage until the output is switched off.
    if (StatusMeaning::statusOf(reply).isEmpty() || Reply::isSuccess(reply.trimmed()))
        setHighVoltageOn(true);
    reportAnswer(QStringLiteral("Output On"), QStringLiteral("Output on: high voltage at the terminals"), reply);
}

void KvAmplifier::outputOff()
{
    const QString reply = send(QStringLiteral("S1"));
    // Only a confirmed standby takes the warning away.
    if (Reply::isSuccess(reply.trimmed()))
        setHighVoltageOn(false);
    reportAnswer(QStringLiteral("Output Off"), QStringLiteral("Output off"), reply);
}

void KvAmplifier::readFactors()
{
    const QString reply = send(QStringLiteral("CAL:PRINT"));
    noteFactorListing(m_rangeNumber, reply);
    const QStringList lines = SplitLines(reply);
    // Line 0 is the full-scale factor and line 2 the zero factor; line 1 is no factor of ours.
    if (lines.size() > 0)
        m_factors[0] = lines.at(0);
    if (lines.size() > 2)
        m_factors[1] = lines.at(2);
    emit changed();
}

bool KvAmplifier::acceptCalculation(int check, const QString &nominalMessage)
{
    using namespace KvCalculations;
    switch (Check(check)) {
    case Check::NominalMustBe1000:
    case Check::NominalOutOfRange:
        if (nominalMessage.isEmpty())
            return true;
        m_prompts.message(nominalMessage, Settings::applicationTitle());
        return false;
    case Check::MeasuredOutOfRange:
        m_prompts.message(QStringLiteral("Measured Voltage out of range"), kCalculationTitle,
                          Prompts::Icon::Information);
        return false;
    case Check::FactorOutOfRange:
        m_prompts.message(QStringLiteral("Existing calibration Factor out of range"), kCalculationTitle,
                          Prompts::Icon::Information);
        return false;
    case Check::Ok:
        break;
    }
    return true;
}

RefusedBox KvAmplifier::readCalculationInputs(int factorIndex, double *nominal, double *measured, double *factor) const
{
    const std::optional<double> v = m_input.number(QStringLiteral("Voltage"), m_voltage);
    if (!v)
        return InputBox{InputBox::Kind::Voltage};
    const std::optional<double> m = measuredNumber(QStringLiteral("Measured Voltage"));
    if (!m)
        return InputBox{InputBox::Kind::Measured};
    const std::optional<double> f = factorNumber(factorIndex);
    if (!f)
        return InputBox{InputBox::Kind::Factor, factorIndex};
    *nominal = *v;
    *measured = *m;
    *factor = *f;
    return {};
}

RefusedBox KvAmplifier::calculateZero()
{
    using namespace KvCalculations;
    double nominal = 0, measured = 0, present = 0;
    if (const RefusedBox refused = readCalculationInputs(1, &nominal, &measured, &present))
        return refused;
    const Result r = zeroFactor(nominal, measured, present, m_frequencyShown);
    // The zero is trimmed at 1000 V only; the nominal range test belongs to full scale.
    if (!acceptCalculation(int(r.check),
                           r.check == Check::NominalMustBe1000 ? QStringLiteral("Nominal Voltage must be 1000V")
                                                               : QString()))
        return {};
    return storeCalculated(1, r.factor);
}

RefusedBox KvAmplifier::calculateFullScale()
{
    using namespace KvCalculations;
    double nominal = 0, measured = 0, present = 0;
    if (const RefusedBox refused = readCalculationInputs(0, &nominal, &measured, &present))
        return refused;
    const Result r = fullScaleFactor(nominal, measured, present);
    if (!acceptCalculation(int(r.check),
                           r.check == Check::NominalOutOfRange ? QStringLiteral("Nominal Voltage out of range")
                                                               : QString()))
        return {};
    return storeCalculated(0, r.factor);
}

RefusedBox KvAmplifier::storeCalculated(int index, double factor)
{
    m_factors[index] = integerText(factor);
    m_measured.clear();
    emit changed();
    return sendFactor(index);
}

RefusedBox KvAmplifier::sendFactor(int index)
{
    if (index < 0 || index >= int(m_factors.size()))
        return {};
    if (!factorNumber(index))
        return InputBox{InputBox::Kind::Factor, index};
    if (!journalReady())
        return {};
    send(QStringLiteral("a1"));
    const QString typed = commandText(m_factors[size_t(index)]).trimmed();
    const QString command = (index == 0 ? QStringLiteral("P") : QStringLiteral("Z")) + typed;
    const QString reply = send(command);
    const QString action = factorCaption(index) + QStringLiteral(" factor");
    reportAnswer(action, action + QStringLiteral(" set to ") + typed, reply);
    const QString status = reply.trimmed().left(2);
    if (status == QLatin1String("*0"))
        recording().noteAccepted(m_rangeNumber, factorLine(index), typed);
    if (status == QLatin1String("*5")) {
        m_prompts.message(QStringLiteral("Calibration Value out of range"), kFactorTitle, Prompts::Icon::Warning);
        readFactors();
    } else if (status != QLatin1String("*0")) {
        m_prompts.message(QStringLiteral("Calibration Value not set"), kFactorTitle, Prompts::Icon::Warning);
        readFactors();
    }
    return {};
}

void KvAmplifier::store()
{
    storeFactors(m_rangeNumber, kStoreTimeoutSeconds, kTimeoutSeconds);
}

int KvAmplifier::factorLine(int index)
{
    // Line 0 of the function's list is the full-scale factor and line 2 the zero factor.
    return index == 0 ? 0 : 2;
}

void KvAmplifier::abort()
{
    reportAnswer(QStringLiteral("Abort"), QStringLiteral("Changes abandoned; factors read again"),
                 send(QStringLiteral("a0"), kStoreTimeoutSeconds));
    readFactors();
}
