#include "gui/app/FormDiagnostics.h"

#include "diagnostics/DiagnosticsReport.h"
#include "diagnostics/SystemChecks.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormDiagnostics::FormDiagnostics(InstrumentSession &, Prompts &, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormDiagnostics"));
    setWindowTitle(QStringLiteral("Diagnostics"));

    Text_Report = new QPlainTextEdit(this);
    Text_Report->setObjectName(QStringLiteral("Text_Report"));
    Text_Report->setReadOnly(true);
    Text_Report->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text_Report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Text_Report->setPlainText(DiagnosticsReport::text(SystemChecks(SystemChecks::Environment::current()).run()));

    auto *copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("Command_Copy"));
    connect(copy, &QPushButton::clicked, this, &FormDiagnostics::Command_Copy_Click);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Command_Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Text_Report, 1);
    layout->addLayout(buttons);
    resize(760, 420);
}

void FormDiagnostics::Command_Copy_Click()
{
    QApplication::clipboard()->setText(Text_Report->toPlainText());
}
