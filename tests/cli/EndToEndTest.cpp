#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The built program, started as a user would; real time, but the built-in calibrator answers at once.
TEST(CalsetupCliProgram, SimulatedIdentifyAnswersOnStdoutAndExitsZero)
{
    QProcess process;
    process.start(QStringLiteral(CALSETUP_CLI_EXECUTABLE), {QStringLiteral("--simulate"), QStringLiteral("identify")});
    ASSERT_TRUE(process.waitForFinished(20000)) << process.errorString().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    const QByteArray errors = process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 0) << errors.toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().startsWith("Quorvadine,5241,"));
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
}

// An ordinary user on a device only root may open: the message names the cause and the fix, and the
// exit status says the fault is on this computer, not with the instrument.
TEST(CalsetupCliProgram, AnOrdinaryUserOnARootOnlyPortIsToldWhyAndExitsFour)
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (geteuid() != 0 || setpriv.isEmpty())
        GTEST_SKIP() << "needs root and setpriv to become another user";
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const QString device = QString::fromLocal8Bit(ptsname(master));
    ASSERT_EQ(chmod(ptsname(master), 0600), 0);

    QProcess process;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    environment.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent"));
    process.setProcessEnvironment(environment);
    process.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), QStringLiteral(CALSETUP_CLI_EXECUTABLE),
                            QStringLiteral("--port"), device, QStringLiteral("identify")});
    const bool finished = process.waitForFinished(20000);
    close(master);
    ASSERT_TRUE(finished) << process.errorString().toStdString();
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (errors.contains(QStringLiteral("Permission denied")) && errors.contains(QStringLiteral("exec")))
        GTEST_SKIP() << "the build folder is not open to other users: " << errors.toStdString();
    EXPECT_EQ(process.exitCode(), 4) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("Permission denied on ") + device)) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("sudo usermod -aG dialout $USER"))) << errors.toStdString();
}

} // namespace
