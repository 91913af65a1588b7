#pragma once

#include "BenchSupport.h"
#include "Figure.h"

/// One short exchange ("*IDN?") over each interface: a pseudo-terminal, loopback UDP, the
/// simulated USB bridge.
QList<FigureGroup> benchShortExchanges(const BenchOptions &options, const QString &calsimPath);
/// "Load from Calibrator" of ranges 1-149 in the factor window at 960 characters a second,
/// against calsim in a process of its own.
FigureGroup benchFullTable(const BenchOptions &options, const QString &calsimPath);
/// Every long operation (factor load and save, specification read and write, history, Quick
/// Setup) at 960 characters a second against its wire bound, with the host's share of the rest.
FigureGroup benchLongOperations(const BenchOptions &options, const QString &calsimPath);
/// The serial search over sixteen pseudo-terminals.
FigureGroup benchSerialSearch(const BenchOptions &options);
/// calsetup --simulate as a child process, to the connected main window.
FigureGroup benchStartup(const BenchOptions &options, const QString &calsetupPath);
/// calbench --child factor-window as a child process: memory with the factor window full.
FigureGroup benchFactorWindowMemory(const BenchOptions &options, const QString &benchPath);

/// The child side of benchFactorWindowMemory; returns the process exit code.
int runFactorWindowChild();
