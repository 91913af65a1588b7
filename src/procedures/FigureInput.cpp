#include "procedures/FigureInput.h"

#include "instrument/TypedNumber.h"
#include "platform/Prompts.h"

namespace {

const QString kNumber = QStringLiteral("a number");
const QString kNumberExample = QStringLiteral("-3 or 0.5");
const QString kWholeNumber = QStringLiteral("a whole number");
const QString kWholeNumberExample = QStringLiteral("0 or 255");

} // namespace

QString FigureInput::refusalText(const QString &caption, const QString &text, const QString &kind,
                                 const QString &example)
{
    return QStringLiteral("%1 is not %2: \"%3\". Type %2 such as %4.").arg(caption, kind, text, example);
}

QString FigureInput::notANumberText(const QString &caption, const QString &text)
{
    return refusalText(caption, text, kNumber, kNumberExample);
}

QString FigureInput::notAWholeNumberText(const QString &caption, const QString &text)
{
    return refusalText(caption, text, kWholeNumber, kWholeNumberExample);
}

void FigureInput::refuse(const QString &caption, const QString &text, const QString &kind, const QString &example) const
{
    m_prompts.message(refusalText(caption, text, kind, example), m_title, Prompts::Icon::Warning);
}

std::optional<double> FigureInput::number(const QString &caption, const QString &text) const
{
    const std::optional<double> value = TypedNumber::parseNumber(text);
    if (!value)
        refuse(caption, text, kNumber, kNumberExample);
    return value;
}

std::optional<qint32> FigureInput::wholeNumber(const QString &caption, const QString &text) const
{
    const std::optional<qint32> value = TypedNumber::parseWholeNumber(text);
    if (!value)
        refuse(caption, text, kWholeNumber, kWholeNumberExample);
    return value;
}
