#include "gui/records/FormCommunicationLog.h"

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "gui/app/FormMain.h"
#include "records/DataFolders.h"
#include "records/TraceFile.h"
#include "records/TraceLog.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The log window opened from the main window's View menu, over the virtual calibrator on RS-232.
class FormCommunicationLogTest : public ::testing::Test
{
protected:
    FormCommunicationLogTest() { DataFolders::setRootOverride(data.path()); }
    ~FormCommunicationLogTest() override { DataFolders::setRootOverride(QString()); }

    void SetUp() override
    {
        SimulatedInstrument::Options options;
        options.settingsScope = QStringLiteral("calsetup log window test");
        QString error;
        ASSERT_TRUE(session.startSimulation(options, &error)) << error.toStdString();
        session.createDvm(QStringLiteral("5200"));
        ASSERT_TRUE(session.connect(session.simulation()->endpoint(InterfaceRS232), &error)) << error.toStdString();
    }

    FormCommunicationLog *openFromMenu()
    {
        QAction *entry = main.findChild<QAction *>(QStringLiteral("ViewCommunicationLog"));
        EXPECT_NE(entry, nullptr);
        if (!entry)
            return nullptr;
        entry->trigger();
        return main.findChild<FormCommunicationLog *>(QStringLiteral("FormCommunicationLog"));
    }
    /// One command whose first line is its whole answer.
    void exchange(const QString &command) { session.channel().exchange({command, true, 2, 0}); }
    static QStringList column(QTableView *grid, int c)
    {
        QStringList texts;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            texts << grid->model()->index(row, c).data().toString();
        return texts;
    }

    QTemporaryDir data;
    ScopedFakeClock fake;
    InstrumentSession session;
    ScriptedPrompts prompts;
    FormMain main{session, prompts};
};

TEST_F(FormCommunicationLogTest, ShowsEachExchangeFiltersToErrorsAndSavesWhatItShows)
{
    FormCommunicationLog *form = openFromMenu();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    exchange(QStringLiteral("*IDN?"));
    session.simulation()->calibrator().knobs().silent = true;
    exchange(QStringLiteral("T"));
    form->log().flush();

    auto *grid = form->findChild<QTableView *>(QStringLiteral("Grid_Log"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(column(grid, TraceLog::DirectionColumn), QStringList({"send", "recv", "send", "recv"}));
    EXPECT_EQ(column(grid, TraceLog::TextColumn).at(2), "T\\r");
    EXPECT_EQ(column(grid, TraceLog::OutcomeColumn).at(3), "time-out");
    EXPECT_TRUE(column(grid, TraceLog::InterfaceColumn).at(0).startsWith(QLatin1String("COM")));
    // A failure stands out in colour; an answer does not.
    EXPECT_TRUE(grid->model()->index(3, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(grid->model()->index(0, 0).data(Qt::ForegroundRole).isValid());

    form->findChild<QCheckBox *>(QStringLiteral("Check_ErrorsOnly"))->setChecked(true);
    EXPECT_EQ(column(grid, TraceLog::TextColumn), QStringList({"T\\r", ""}));

    const QString path = data.filePath(QStringLiteral("log.csv"));
    prompts.fileNames.enqueue(path);
    form->findChild<QPushButton *>(QStringLiteral("Command_SaveAs"))->click();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = saved.readAll().split('\n');
    EXPECT_EQ(rows.size(), 4) << "the header, the two shown lines and the end"; // last is empty
    EXPECT_TRUE(rows.value(1).contains(",send,T\\r,time-out"));

    // Closing keeps the lines; the window comes back with them.
    form->close();
    exchange(QStringLiteral("T"));
    EXPECT_EQ(openFromMenu(), form);
    form->log().flush();
    EXPECT_EQ(form->log().rowCount(), 6);
}

TEST_F(FormCommunicationLogTest, TraceToFileWritesANewFileInTheStateFolderWhileOn)
{
    QAction *entry = main.findChild<QAction *>(QStringLiteral("ViewTraceToFile"));
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->isChecked());
    entry->setChecked(true);
    exchange(QStringLiteral("*IDN?"));
    entry->setChecked(false);
    exchange(QStringLiteral("L"));

    QFile file(TraceFile(DataFolders::stateFolder()).currentPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QLatin1String(" send *IDN?\\r\n"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1String(" send L"))) << "nothing is written once it is off";
}

} // namespace
