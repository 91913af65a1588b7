#include <QProcess>
#include <gtest/gtest.h>

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

} // namespace
