#pragma once

#include <QByteArray>

#include <functional>

/**
 * @brief Where the virtual calibrators of this process report each line they hear and what they
 * make of it: `calsim --verbose` prints them as the instrument's side of the trace.
 *
 * The reply is the interpreter's, before the fronts' delays and faults; empty when the instrument
 * stays silent. Without an observer the calibrator logs the pair to its debug category instead.
 */
namespace HeardLines {

using Observer = std::function<void(const QByteArray &line, const QByteArray &reply)>;

void setObserver(Observer observer);
/// False when nobody observes.
bool tell(const QByteArray &line, const QByteArray &reply);

} // namespace HeardLines
