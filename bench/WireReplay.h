#pragma once

#include "ExchangeTimeline.h"
#include "WireBound.h"

/// A run's exchanges as characters on the line. A reference calibrator of the model, fresh as
/// the one the session talked to when it started, hears every command of the timeline in order
/// (those before the run too, so it is in the same state); its answers give each reply's length.
/// A command sent without waiting for its answer counts its own characters only.
QList<WireExchange> replayOnTheWire(const ExchangeTimeline &timeline, const QString &model);
