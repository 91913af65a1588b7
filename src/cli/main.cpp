// calsetup-cli: the setup utility's commands without windows, for scripts and quick checks.

#include "cli/CliRunner.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("calsetup-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CALSETUP_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runCli(QCoreApplication::arguments().mid(1), out, err);
}
