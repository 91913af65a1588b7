#include "procedures/KvAmplifier.h"

#include "instrument/CommandHelpers.h"
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
    : AdjustmentProcedure(channel, prompts, kFactorBoxes, parent)
{
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
    send(QStringLiteral("S1"));
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

void KvAmplifier::zeroPoint()
{
    m_voltage = QStringLiteral("1000");
    emit changed();
    setOutput();
}

void KvAmplifier::fullScalePoint()
{
    m_voltage = m_frequencyShown ? QStringLiteral("6000") : QStringLiteral("10000");
    emit changed();
    setOutput();
}

void KvAmplifier::setOutput()
{
    send(QStringLiteral("O") + commandText(m_voltage));
    if (m_frequencyShown)
        send(QStringLiteral("F") + commandText(m_frequency));
}

void KvAmplifier::outputOn()
{
    send(QStringLiteral("S0"));
}

void KvAmplifier::outputOff()
{
    send(QStringLiteral("S1"));
}

void KvAmplifier::readFactors()
{
    const QStringList lines = SplitLines(send(QStringLiteral("CAL:PRINT")));
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

void KvAmplifier::calculateZero()
{
    using namespace KvCalculations;
    const Result r =
        zeroFactor(leadingNumber(m_voltage), leadingNumber(m_measured), leadingNumber(m_factors[1]), m_frequencyShown);
    // The zero is trimmed at 1000 V only; the nominal range test belongs to full scale.
    if (!acceptCalculation(int(r.check),
                           r.check == Check::NominalMustBe1000 ? QStringLiteral("Nominal Voltage must be 1000V")
                                                               : QString()))
        return;
    storeCalculated(1, r.factor);
}

void KvAmplifier::calculateFullScale()
{
    using namespace KvCalculations;
    const Result r = fullScaleFactor(leadingNumber(m_voltage), leadingNumber(m_measured), leadingNumber(m_factors[0]));
    if (!acceptCalculation(int(r.check),
                           r.check == Check::NominalOutOfRange ? QStringLiteral("Nominal Voltage out of range")
                                                               : QString()))
        return;
    storeCalculated(0, r.factor);
}

void KvAmplifier::storeCalculated(int index, double factor)
{
    m_factors[index] = integerText(factor);
    m_measured.clear();
    emit changed();
    sendFactor(index);
}

void KvAmplifier::sendFactor(int index)
{
    if (index < 0 || index >= int(m_factors.size()))
        return;
    send(QStringLiteral("a1"));
    const QString command =
        (index == 0 ? QStringLiteral("P") : QStringLiteral("Z")) + commandText(m_factors[size_t(index)]);
    const QString status = send(command).trimmed().left(2);
    if (status == QLatin1String("*5")) {
        m_prompts.message(QStringLiteral("Calibration Value out of range"), kFactorTitle, Prompts::Icon::Warning);
        readFactors();
    } else if (status != QLatin1String("*0")) {
        m_prompts.message(QStringLiteral("Calibration Value not set"), kFactorTitle, Prompts::Icon::Warning);
        readFactors();
    }
}

void KvAmplifier::store()
{
    send(QStringLiteral("a2"), kStoreTimeoutSeconds);
}

void KvAmplifier::abort()
{
    send(QStringLiteral("a0"), kStoreTimeoutSeconds);
    readFactors();
}
