#pragma once

#include "sim/CommandInterpreter.h"
#include "sim/FaultKnobs.h"
#include "sim/InstrumentMemory.h"

#include <QObject>

/**
 * @brief One virtual instrument: its memory, the interpreter that answers its commands and the
 * fault knobs its fronts apply to every reply.
 *
 * Fronts (PtyFront, and the network, USB and GPIB fronts) are created with a reference to it,
 * usually as its children, and pass it each line they hear. It runs on the thread of whoever
 * talks to it: the windowed program and the command-line tool create it on their own thread
 * and reach it through the pseudo-terminal's other side like a real instrument.
 */
class VirtualCalibrator : public QObject
{
    Q_OBJECT
public:
    /// model is one of InstrumentMemory::knownModels().
    explicit VirtualCalibrator(const QString &model = QStringLiteral("5241"), QObject *parent = nullptr);
    ~VirtualCalibrator() override;

    InstrumentMemory &memory() { return m_memory; }
    CommandInterpreter &interpreter() { return m_interpreter; }
    FaultKnobs &knobs() { return m_knobs; }
    const FaultKnobs &knobs() const { return m_knobs; }

    /// Answers one line heard on any front (without its CR); empty when it stays silent.
    QByteArray handleLine(const QByteArray &line);

    /// Command lines heard so far (blank lines, which every host sends to flush, do not count).
    int commandsHeard() const { return m_commandsHeard; }

private:
    InstrumentMemory m_memory;
    CommandInterpreter m_interpreter;
    FaultKnobs m_knobs;
    int m_commandsHeard = 0;
};
