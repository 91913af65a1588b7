#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

/**
 * The main window's stored position: "MainLeft" and "MainTop" hold its top-left corner in twips
 * (1440 to the inch) as the text of a number, so the values mean the same on screens of any
 * resolution. Pixels are converted with the screen's logical dots per inch (96 on most desktops,
 * which makes 15 twips a pixel).
 */
namespace WindowPosition {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kDefaultDotsPerInch = 96.0;

double pixelsToTwips(int pixels, double dotsPerInch);
int twipsToPixels(double twips, double dotsPerInch);

/// The stored text of a position in twips ("1500", "-30").
QString twipsText(double twips);
/// The twips a stored text holds; nothing for an empty or unreadable text.
std::optional<double> parseTwips(const QString &text);

/// Where a window of `size` whose stored top-left is `saved` goes: inside the available area of
/// the screen it overlaps most, moved as little as needed (a window larger than that area keeps
/// its top-left corner in it). Nothing when no screen shows any part of it.
std::optional<QPoint> keepOnScreen(const QPoint &saved, const QSize &size, const QList<QRect> &screens);

} // namespace WindowPosition
