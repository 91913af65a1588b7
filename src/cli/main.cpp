// calsetup-cli: the setup utility's commands without windows, for scripts and quick checks.

#include "cli/CliManPage.h"
#include "cli/CliRunner.h"
#include "cli/CommandGroups.h"
#include "cli/CompletionTable.h"
#include "platform/ManPage.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv)
{
    // The build writes the manual page and the completion's word lists with these, from the same
    // command table the tool parses with.
    if (ManPage::requested(argc, argv)) {
        std::fputs(cliManPage(commandTable()).toUtf8().constData(), stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--completion-table") == 0) {
        std::fputs(bashCompletionTable(commandTable()).toUtf8().constData(), stdout);
        return 0;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("calsetup-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CALSETUP_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runCli(QCoreApplication::arguments().mid(1), out, err, isatty(fileno(stderr)) != 0);
}
