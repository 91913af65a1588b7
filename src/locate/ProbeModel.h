#pragma once

#include <QString>

/// The model string the automatic location's searches give CreateDVM for the driver that judges
/// each answer: they look for a calibrator of the 5200 family, whatever driver is in use.
inline const QString kProbeModel = QStringLiteral("5200");
