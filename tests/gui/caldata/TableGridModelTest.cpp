#include "gui/caldata/TableGridModel.h"

#include "caldata/SpecTable.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>
#include <memory>

namespace {

/// A reading on the instrument's thread grows the table before its notices reach the view: the
/// view keeps the shape it was told of until the reset arrives, and a cell notice of a row it
/// has not been told of yet is not passed on.
TEST(TableGridModel, KeepsTheShapeItWasToldOfUntilTheTablesResetArrives)
{
    SpecTable table;
    table.initGrid();
    TableGridModel model(&table);
    const int rowsBefore = model.rowCount();
    ASSERT_GT(rowsBefore, 0);
    int resets = 0;
    int invalidNotices = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&](const QModelIndex &from, const QModelIndex &) {
        if (!from.isValid())
            ++invalidNotices;
    });

    const int newRow = rowsBefore + 5; // a table row: the heading row is row 0
    std::unique_ptr<QThread> work(QThread::create([&] {
        table.ensureRow(newRow);
        table.setText(newRow, 1, QStringLiteral("1.5"));
    }));
    work->start();
    work->wait();
    EXPECT_EQ(model.rowCount(), rowsBefore) << "the view has not been told yet";

    QCoreApplication::processEvents();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(model.rowCount(), newRow);
    EXPECT_EQ(model.data(model.index(newRow - 1, 0)).toString(), QStringLiteral("1.5"));
    EXPECT_EQ(invalidNotices, 0);
}

} // namespace
