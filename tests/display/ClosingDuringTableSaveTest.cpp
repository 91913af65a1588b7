#include "RealDisplay.h"
#include "caldata/CalFactorTable.h"
#include "caldata/SpecTable.h"
#include "gui/caldata/FormCalFactors.h"
#include "gui/caldata/FormSpecifications.h"

#include <QAbstractButton>
#include <QLabel>

namespace {

constexpr int kCells = 6;

/// A table window with kCells pending cells in its first row.
struct TableSave
{
    const char *name;
    std::function<TableWindow *(InstrumentSession &, Prompts &, QWidget *)> make;
    const char *operation;
    const char *cells;
};

void PrintTo(const TableSave &save, std::ostream *os)
{
    *os << save.name;
}

template <class Form>
Form *withPendingRow(Form *form, const QString &value)
{
    for (int column = 1; column <= kCells; ++column)
        form->table().setCell(1, column, value, CellTable::CellState::Pending);
    return form;
}

class ClosingDuringTableSave : public RealDisplay,
                               public ::testing::WithParamInterface<std::tuple<TableSave, Prompts::Answer>>
{
};

// Closing a table window from its title bar while it writes asks first. "Yes" stops the save
// after the cell in progress: setup mode is left, the status line says how far it got, the cells
// not written stay pending, and the close then asks about them like any unwritten change (here
// kept). "No" lets the save finish and keeps the window.
TEST_P(ClosingDuringTableSave, AsksStopsAtACellAndKeepsWhatWasNotWritten)
{
    const auto &[save, answer] = GetParam();
    const bool stop = answer == Prompts::Answer::Yes;
    QPointer<TableWindow> window = save.make(session, prompts, &mainWindow);
    window->show();
    activate(*window);
    prompts.answers.enqueue(answer);
    if (stop)
        prompts.answers.enqueue(Prompts::Answer::Cancel); // keep the window and its unwritten cells
    knobs().replyDelayMs = 300;

    OperationQueue &queue = session.operations();
    EventScript script({{[&] { return queue.isWriting(window) && queue.progressOf(window).first >= 2; },
                         [&] { closeFromTitleBar(*window); }}});
    window->findChild<QAbstractButton *>(QStringLiteral("Command_SaveAll"))->click();

    ASSERT_TRUE(waitFor([&] { return script.finished() && !queue.hasWork(); }));
    ASSERT_GE(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(QStringLiteral("Stop \"%1\"?").arg(QLatin1String(save.operation))))
        << prompts.shown[0].text.toStdString();
    EXPECT_TRUE(prompts.shown[0].text.contains(
        QStringLiteral("of %1 %2 are not written yet").arg(kCells).arg(QLatin1String(save.cells))))
        << prompts.shown[0].text.toStdString();
    const QString status = window->findChild<QLabel *>(QStringLiteral("Text_Status"))->text();
    if (stop) {
        ASSERT_TRUE(waitFor([&] { return prompts.shown.size() == 2; })) << "the close asks about what is left";
        // The cells never sent stay pending (a refused one is red, not pending).
        const TableOperation::SaveSummary &summary = window->lastSave();
        const int left = summary.toWrite - summary.accepted - summary.refused();
        EXPECT_GT(left, 0);
        EXPECT_LT(left, kCells);
        EXPECT_EQ(prompts.shown[1].text, QStringLiteral("Discard %1 unwritten changes?").arg(left));
        EXPECT_TRUE(status.startsWith(QLatin1String("Save stopped: "))) << status.toStdString();
    } else {
        EXPECT_EQ(prompts.shown.size(), 1);
        // Every cell was dealt with (the virtual calibrator refuses a factor its range lacks).
        const TableOperation::SaveSummary &summary = window->lastSave();
        EXPECT_EQ(summary.outcome, TableOperation::Outcome::Done) << status.toStdString();
        EXPECT_EQ(summary.accepted + summary.refused(), kCells) << status.toStdString();
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(calibrator().memory().inSetupMode());
    delete window.data();
}

INSTANTIATE_TEST_SUITE_P(
    EachTableEitherAnswer, ClosingDuringTableSave,
    ::testing::Combine(
        ::testing::Values(TableSave{"CalibrationFactors",
                                    [](InstrumentSession &s, Prompts &p, QWidget *parent) -> TableWindow * {
                                        auto *form = new FormCalFactors(s, p, {}, parent);
                                        form->table().reshapeForFactors();
                                        return withPendingRow(form, QStringLiteral("5"));
                                    },
                                    "Save To Calibrator", "factors"},
                          TableSave{"Specifications",
                                    [](InstrumentSession &s, Prompts &p, QWidget *parent) -> TableWindow * {
                                        auto *form = new FormSpecifications(s, p, {}, parent);
                                        form->Form_Load(false);
                                        return withPendingRow(form, QStringLiteral("1.5"));
                                    },
                                    "Save To Meter", "figures"}),
        ::testing::Values(Prompts::Answer::Yes, Prompts::Answer::No)),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name)
            + (std::get<1>(info.param) == Prompts::Answer::Yes ? "Stop" : "GoOn");
    });

} // namespace
