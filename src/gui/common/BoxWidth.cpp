#include "gui/common/BoxWidth.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
// QLineEdit keeps this much room on each side of its text, inside the frame and the text margins.
constexpr int kLineEditHorizontalMargin = 2;
} // namespace

int boxWidthFor(const QLineEdit *box, const QString &sample)
{
    const QMargins margins = box->textMargins();
    const int text = box->fontMetrics().horizontalAdvance(sample) + margins.left() + margins.right()
        + 2 * kLineEditHorizontalMargin + box->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, box);
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->rect();
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.features = QStyleOptionFrame::None;
    const QSize contents(text, box->fontMetrics().height());
    return box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, box).width();
}

void fitBoxTo(QLineEdit *box, const QString &sample)
{
    box->setMinimumWidth(boxWidthFor(box, sample));
}
