#include "procedures/PowerCalibration.h"

#include "instrument/CommandHelpers.h"
#include "instrument/NumberFormat.h"
#include "instrument/Reply.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "procedures/LeadingNumber.h"
#include "procedures/PowerRanges.h"

PowerCalibration::PowerCalibration(InstrumentChannel &channel, Prompts &prompts, QObject *parent)
    : AdjustmentProcedure(channel, prompts, Title, kFactorBoxes, parent)
{
}

QString PowerCalibration::factorCaption(int index) const
{
    static const char *const kCaptions[kFactorBoxes] = {"Full Scale", "Zero", "Phase 50Hz", "Phase 400Hz"};
    return QString::fromLatin1(kCaptions[index]);
}

void PowerCalibration::setRangeIndex(int index)
{
    if (index >= 0 && index < int(kPowerRanges.size()))
        m_range = index;
}

RefusedBox PowerCalibration::load()
{
    const RefusedBox refused = setZeroPoint();
    readFactors();
    return refused;
}

RefusedBox PowerCalibration::selectRange(int index)
{
    setRangeIndex(index);
    return load();
}

RefusedBox PowerCalibration::selectFrequency(Frequency option)
{
    m_frequency = option;
    return load();
}

bool PowerCalibration::usesFreeFrequency() const
{
    return m_frequency == Frequency::Dc || m_frequency == Frequency::FreeEntry;
}

RefusedBox PowerCalibration::checkFreeFrequency(std::optional<double> *hz) const
{
    // An empty box sends nothing, as before it was filled; a text that is not a number in full
    // is refused rather than sent as the number it starts with.
    if (m_frequencyText.trimmed().isEmpty())
        return {};
    *hz = m_input.number(QStringLiteral("Frequency"), m_frequencyText);
    if (!*hz)
        return InputBox{InputBox::Kind::Frequency};
    return {};
}

RefusedBox PowerCalibration::sendFrequency()
{
    switch (m_frequency) {
    case Frequency::Hz50:
        send(QStringLiteral("F50"), kSetupTimeoutSeconds);
        return {};
    case Frequency::Hz200:
        send(QStringLiteral("F200"), kSetupTimeoutSeconds);
        return {};
    case Frequency::Dc:
    case Frequency::FreeEntry:
        break;
    }
    std::optional<double> hz;
    if (const RefusedBox refused = checkFreeFrequency(&hz))
        return refused;
    if (!hz)
        return {};
    // A frequency the power functions cannot make is not sent.
    if (*hz < kLowestFreeFrequency || *hz > kHighestFreeFrequency) {
        setStatus(QStringLiteral("Frequency %1 Hz not sent: the power functions make 40 to 400 Hz")
                      .arg(formatGeneralNumber(*hz)));
        return {};
    }
    send(QStringLiteral("F") + formatGeneralNumber(*hz), kSetupTimeoutSeconds);
    return {};
}

RefusedBox PowerCalibration::setPoint(bool zero)
{
    // The typed frequency is checked before the first command, so a bad one sends nothing.
    if (zero && m_frequency != Frequency::Dc && usesFreeFrequency()) {
        std::optional<double> hz;
        if (const RefusedBox refused = checkFreeFrequency(&hz))
            return refused;
    }
    // Every command goes out as it always has (the engineer sees the output on the standard), and
    // the status line says whether the calibrator took them all or which answer was not "*0".
    std::optional<QString> firstNotTaken;
    QString lastReply;
    auto sendSetting = [&](const QString &command) {
        lastReply = send(command, kSetupTimeoutSeconds);
        if (!firstNotTaken && !Reply::isSuccess(lastReply.trimmed()))
            firstNotTaken = lastReply;
    };
    if (m_frequency == Frequency::Dc) {
        sendSetting(QStringLiteral("B5"));
    } else {
        sendSetting(QStringLiteral("B1"));
        if (zero)
            sendFrequency();
    }
    sendSetting(QStringLiteral("o10V"));
    const PowerRange &range = kPowerRanges[size_t(m_range)];
    const double amps = zero ? range.zeroPointA : range.fullScaleA;
    sendSetting(QStringLiteral("C") + formatGeneralNumber(amps));
    const QString action = zero ? QStringLiteral("Set Zero") : QStringLiteral("Set Full Scale");
    reportAnswer(action,
                 QStringLiteral("%1 point set: %2 A at 10 V")
                     .arg(zero ? QStringLiteral("Zero") : QStringLiteral("Full scale"), formatGeneralNumber(amps)),
                 firstNotTaken.value_or(lastReply));
    return {};
}

RefusedBox PowerCalibration::setZeroPoint()
{
    return setPoint(true);
}

RefusedBox PowerCalibration::setFullScalePoint()
{
    return setPoint(false);
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
    const QString reply = send(QStringLiteral("CAL:PRINT"), kReadTimeoutSeconds);
    noteFactorListing(rangeNumber(), reply);
    const QStringList lines = SplitLines(reply);
    // The reply's last line is its status, so a box is filled only while a line follows it.
    const int highest = int(lines.size()) - 1;
    for (int i = 0; i < int(m_factors.size()); ++i) {
        if (i < highest)
            m_factors[size_t(i)] = lines.at(i);
    }
    emit factorsChanged();
}

RefusedBox PowerCalibration::calculateFullScale()
{
    const std::optional<double> present = factorNumber(0);
    if (!present)
        return InputBox{InputBox::Kind::Factor, 0};
    const std::optional<double> measured = measuredNumber(QStringLiteral("Measured Current"));
    if (!measured)
        return InputBox{InputBox::Kind::Measured};
    const std::optional<double> factor = powerFullScaleFactor(m_range, *present, *measured);
    if (!factor) {
        m_prompts.message(QStringLiteral("Measured value out of range"), Title, Prompts::Icon::Information);
        return {};
    }
    m_factors[0] = integerText(*factor);
    emit factorsChanged();
    return {};
}

RefusedBox PowerCalibration::sendFactor(int index)
{
    if (index < 0 || index >= int(m_factors.size()))
        return {};
    const std::optional<double> value = factorNumber(index);
    if (!value)
        return InputBox{InputBox::Kind::Factor, index};
    if (!journalReady())
        return {};
    const QString figure = formatGeneralNumber(*value);
    const QString command = QString::fromLatin1(kPowerFactorCommands[size_t(index)]) + figure;
    send(QStringLiteral("a1"), kCommandTimeoutSeconds);
    QString reply = send(command, kCommandTimeoutSeconds);
    // "*7" says the instrument was not ready to take a factor: "a1" and the factor go once more,
    // and the second answer stands.
    if (reply.contains(QLatin1String("*7\r"))) {
        send(QStringLiteral("a1"), kCommandTimeoutSeconds);
        reply = send(command, kCommandTimeoutSeconds);
    }
    const QString action = factorCaption(index) + QStringLiteral(" factor");
    reportAnswer(action, action + QStringLiteral(" set to ") + figure, reply);
    if (Reply::isSuccess(reply.trimmed()))
        recording().noteAccepted(rangeNumber(), index, figure);
    if (reply.contains(QLatin1String("*5\r")))
        m_prompts.message(QStringLiteral("Cal Factor Out Of Range"), Settings::applicationTitle());
    else if (!reply.contains(QLatin1String("*0")))
        m_prompts.message(QStringLiteral("Error"), Settings::applicationTitle());
    return {};
}

void PowerCalibration::store()
{
    storeFactors(rangeNumber(), kCommandTimeoutSeconds, kReadTimeoutSeconds);
}

int PowerCalibration::rangeNumber() const
{
    // The instrument numbers the power ranges 120-125 on AC and 126-131 on DC.
    return (m_frequency == Frequency::Dc ? 126 : 120) + m_range;
}

void PowerCalibration::abort()
{
    reportAnswer(QStringLiteral("Abort"), QStringLiteral("Changes abandoned; factors read again"),
                 send(QStringLiteral("a0"), kCommandTimeoutSeconds));
    abandonFactors();
    readFactors();
}
