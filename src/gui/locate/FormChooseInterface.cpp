#include "gui/locate/FormChooseInterface.h"

#include "gui/common/CommandButton.h"
#include "gui/locate/FormOptions.h"
#include "gui/locate/Form_EthernetLocator.h"
#include "gui/locate/Form_USBLocator.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormChooseInterface::FormChooseInterface(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : QDialog(parent), m_session(session), m_prompts(prompts)
{
    setObjectName(QStringLiteral("FormChooseInterface"));
    setWindowTitle(QStringLiteral("Choose Interface"));
    setModal(true);

    auto *intro = new QLabel(QStringLiteral("How is the calibrator connected to this computer?"), this);
    intro->setObjectName(QStringLiteral("Label_Intro"));
    intro->setWordWrap(true);

    const struct
    {
        const char *name;
        const char *caption;
        const char *description;
        void (FormChooseInterface::*handler)();
    } commands[] = {
        {"Command_SerialGpib", "Serial Port or GPIB...", "Opens the interface options: serial port or GPIB address",
         &FormChooseInterface::Command_SerialGpib_Click},
        {"Command_USB", "USB...", "Opens the USB location window", &FormChooseInterface::Command_USB_Click},
        {"Command_Ethernet", "Ethernet...", "Opens the Ethernet location window",
         &FormChooseInterface::Command_Ethernet_Click},
    };
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    for (const auto &c : commands) {
        QPushButton *b = commandButton(QString::fromLatin1(c.caption), QString::fromLatin1(c.name), this);
        b->setAccessibleDescription(QString::fromLatin1(c.description));
        connect(b, &QPushButton::clicked, this, c.handler);
        layout->addWidget(b);
    }
    layout->addSpacing(6);
    QPushButton *done = commandButton(QStringLiteral("Done"), QStringLiteral("Command_Done"), this);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(done, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

template <class Form>
void FormChooseInterface::openModal()
{
    Form form(m_session, m_prompts, this);
    form.exec();
}

void FormChooseInterface::Command_SerialGpib_Click()
{
    openModal<FormOptions>();
}

void FormChooseInterface::Command_USB_Click()
{
    openModal<Form_USBLocator>();
}

void FormChooseInterface::Command_Ethernet_Click()
{
    openModal<Form_EthernetLocator>();
}
