#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
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

// Ctrl-C in the middle of a factor read over USB: the tool says so, gives the bridge it holds
// back to the system's serial driver (a plain end by the signal left the bridge without its
// serial device until replugged), writes no file and ends with the shell's status for Ctrl-C.
TEST(CalsetupCliProgram, CtrlCDuringAUsbReadGivesTheBridgeBackAndExits130)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("interrupted.cal"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.path());
    process.setProcessEnvironment(environment);
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(CALSETUP_CLI_EXECUTABLE),
                  {QStringLiteral("--simulate"), QStringLiteral("--usb"), QStringLiteral("QVSIM001"),
                   QStringLiteral("--trace"), QStringLiteral("cal"), QStringLiteral("read"), file});
    QByteArray errors;
    // A few ranges read: the bridge is held open between them.
    while (errors.count(" recv ") < 3 && process.waitForReadyRead(20000))
        errors += process.readAllStandardError();
    ASSERT_GE(errors.count(" recv "), 3) << errors.toStdString();
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(20000));
    errors += process.readAllStandardError();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_TRUE(errors.contains("calsetup-cli: interrupted")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("the USB bridge QVSIM001 is back with the system's serial driver"))
        << errors.toStdString();
    EXPECT_FALSE(QFile::exists(file));
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
