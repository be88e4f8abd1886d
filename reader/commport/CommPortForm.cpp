#include "reader/commport/CommPortForm.h"

#include "platform/ui/Guard.h"
#include "platform/ui/UiServices.h"
#include "reader/commport/SerialPort.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TCommPortForm::TCommPortForm(TComponent* owner, QWidget* parent) : TForm(owner, parent)
{
    SetFormName("CommPortForm");
    SetCaption("Communication");
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    Label1 = new QLabel("Serial Port", this);
    Label1->setObjectName("Label1");
    CommPort = new QComboBox(this);
    CommPort->setObjectName("CommPort");
    for (int n = 1; n <= 9; ++n)
        CommPort->addItem(QString("COM%1").arg(n));
    CommPort->setCurrentIndex(-1);
    row->addWidget(Label1);
    row->addWidget(CommPort);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    BCom = new QPushButton("Config", this);
    BCom->setObjectName("BCom");
    BClose = new QPushButton("Close", this);
    BClose->setObjectName("BClose");
    buttons->addWidget(BCom);
    buttons->addWidget(BClose);
    layout->addLayout(buttons);

    ConnectGuarded(CommPort, &QComboBox::currentIndexChanged, this, &TCommPortForm::CommPortChange);
    ConnectGuarded(BCom, &QPushButton::clicked, this, &TCommPortForm::BComClick);
    ConnectGuarded(BClose, &QPushButton::clicked, this, &TCommPortForm::BCloseClick);

    // A fixed single border, centred on the screen.
    adjustSize();
    setFixedSize(sizeHint());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TCommPortForm::CommPortChange()
{
    if (commPortObject_ == nullptr || CommPort->currentIndex() < 0)
        return;
    const std::string name = CommPort->currentText().toStdString();
    if (name == commPortObject_->CurrentName())
        return;
    commPortObject_->ClosePort();
    if (!commPortObject_->OpenPort(name))
        CurrentUi().MessageBox("Error in opening com port", "Serial Port Error", TMsgButtons::Ok,
                               TMsgIcon::Warning);
}

void TCommPortForm::BComClick()
{
    if (commPortObject_ != nullptr)
        commPortObject_->ConfigurePortDialog();
}

void TCommPortForm::BCloseClick()
{
    close();
}
