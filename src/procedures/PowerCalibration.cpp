#include "procedures/PowerCalibration.h"

#include "instrument/CommandHelpers.h"
#include "instrument/NumberFormat.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "procedures/LeadingNumber.h"
#include "procedures/PowerRanges.h"

PowerCalibration::PowerCalibration(InstrumentChannel &channel, Prompts &prompts, QObject *parent)
    : AdjustmentProcedure(channel, prompts, kFactorBoxes, parent)
{
}

void PowerCalibration::setRangeIndex(int index)
{
    if (index >= 0 && index < int(kPowerRanges.size()))
        m_range = index;
}

void PowerCalibration::load()
{
    setZeroPoint();
    readFactors();
}

void PowerCalibration::selectRange(int index)
{
    setRangeIndex(index);
    setZeroPoint();
    readFactors();
}

void PowerCalibration::selectFrequency(Frequency option)
{
    m_frequency = option;
    setZeroPoint();
    readFactors();
}

void PowerCalibration::sendFrequency()
{
    switch (m_frequency) {
    case Frequency::Hz50:
        send(QStringLiteral("F50"), kSetupTimeoutSeconds);
        return;
    case Frequency::Hz200:
        send(QStringLiteral("F200"), kSetupTimeoutSeconds);
        return;
    case Frequency::Dc:
    case Frequency::FreeEntry: {
        // A frequency the power functions cannot make is ignored without a word.
        const double hz = leadingNumber(m_frequencyText);
        if (hz >= kLowestFreeFrequency && hz <= kHighestFreeFrequency)
            send(QStringLiteral("F") + formatGeneralNumber(hz), kSetupTimeoutSeconds);
        return;
    }
    }
}

void PowerCalibration::setPoint(bool zero)
{
    // The replies are not looked at: the engineer sees the output on the standard.
    if (m_frequency == Frequency::Dc) {
        send(QStringLiteral("B5"), kSetupTimeoutSeconds);
    } else {
        send(QStringLiteral("B1"), kSetupTimeoutSeconds);
        if (zero)
            sendFrequency();
    }
    send(QStringLiteral("o10V"), kSetupTimeoutSeconds);
    const PowerRange &range = kPowerRanges[size_t(m_range)];
    send(QStringLiteral("C") + formatGeneralNumber(zero ? range.zeroPointA : range.fullScaleA), kSetupTimeoutSeconds);
}

void PowerCalibration::setZeroPoint()
{
    setPoint(true);
}

void PowerCalibration::setFullScalePoint()
{
    setPoint(false);
}

void PowerCalibration::outputOn()
{
    send(QStringLiteral("S0"), kCommandTimeoutSeconds);
}

void PowerCalibration::standby()
{
    send(QStringLiteral("S1"), kCommandTimeoutSeconds);
}

void PowerCalibration::readFactors()
{
    const QStringList lines = SplitLines(send(QStringLiteral("CAL:PRINT"), kReadTimeoutSeconds));
    // The reply's last line is its status, so a box is filled only while a line follows it.
    const int highest = int(lines.size()) - 1;
    for (int i = 0; i < int(m_factors.size()); ++i) {
        if (i < highest)
            m_factors[size_t(i)] = lines.at(i);
    }
    emit factorsChanged();
}

void PowerCalibration::calculateFullScale()
{
    const std::optional<double> factor =
        powerFullScaleFactor(m_range, leadingNumber(m_factors[0]), leadingNumber(m_measured));
    if (!factor) {
        m_prompts.message(QStringLiteral("Measured value out of range"), Title, Prompts::Icon::Information);
        return;
    }
    m_factors[0] = integerText(*factor);
    emit factorsChanged();
}

void PowerCalibration::sendFactor(int index)
{
    if (index < 0 || index >= int(m_factors.size()))
        return;
    const QString command = QString::fromLatin1(kPowerFactorCommands[size_t(index)])
        + formatGeneralNumber(leadingNumber(m_factors[size_t(index)]));
    send(QStringLiteral("a1"), kCommandTimeoutSeconds);
    QString reply = send(command, kCommandTimeoutSeconds);
    // "*7" says the instrument was not ready to take a factor: "a1" and the factor go once more,
    // and the second answer stands.
    if (reply.contains(QLatin1String("*7\r"))) {
        send(QStringLiteral("a1"), kCommandTimeoutSeconds);
        reply = send(command, kCommandTimeoutSeconds);
    }
    if (reply.contains(QLatin1String("*5\r")))
        m_prompts.message(QStringLiteral("Cal Factor Out Of Range"), Settings::applicationTitle());
    else if (!reply.contains(QLatin1String("*0")))
        m_prompts.message(QStringLiteral("Error"), Settings::applicationTitle());
}

void PowerCalibration::store()
{
    send(QStringLiteral("a2"), kCommandTimeoutSeconds);
}

void PowerCalibration::abort()
{
    send(QStringLiteral("a0"), kCommandTimeoutSeconds);
    readFactors();
}
