#include "gui/app/WindowPosition.h"

#include <QtMath>
#include <algorithm>
#include <cmath>

namespace WindowPosition {

namespace {

double usableDpi(double dotsPerInch)
{
    return dotsPerInch > 0 ? dotsPerInch : kDefaultDotsPerInch;
}

int clampAxis(int position, int length, int areaStart, int areaLength)
{
    if (length >= areaLength)
        return areaStart;
    return std::clamp(position, areaStart, areaStart + areaLength - length);
}

} // namespace

double pixelsToTwips(int pixels, double dotsPerInch)
{
    return pixels * kTwipsPerInch / usableDpi(dotsPerInch);
}

int twipsToPixels(double twips, double dotsPerInch)
{
    return qRound(twips * usableDpi(dotsPerInch) / kTwipsPerInch);
}

QString twipsText(double twips)
{
    // Stored as a single-precision number; a whole number of twips needs no decimals.
    return QString::number(double(float(twips)), 'g', 7);
}

std::optional<double> parseTwips(const QString &text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<QPoint> keepOnScreen(const QPoint &saved, const QSize &size, const QList<QRect> &screens)
{
    const QRect window(saved, size);
    const QRect *best = nullptr;
    qint64 bestArea = 0;
    for (const QRect &screen : screens) {
        const QRect overlap = screen.intersected(window);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (!overlap.isEmpty() && area > bestArea) {
            best = &screen;
            bestArea = area;
        }
    }
    if (!best)
        return std::nullopt;
    return QPoint(clampAxis(saved.x(), size.width(), best->x(), best->width()),
                  clampAxis(saved.y(), size.height(), best->y(), best->height()));
}

} // namespace WindowPosition
