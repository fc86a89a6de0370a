#include "settings/match.h"

#include "ui_match.h"

#include "core/globals.h"
#include "core/settings.h"
#include "mainwindow/dialogchange.h"
#include "platform/hidusb/hidusb.h"
#include "widgets/dialogframe.h"

Match::Match(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::Match)
{
    ui->setupUi(this);
    setDialogWindowFlags(this);
    connect(ui->CloseButton, &QToolButton::clicked, this, &Match::WindowClosedSet);
}

Match::~Match()
{
    delete ui;
}

void Match::InitPair()
{
    ui->MatchButton->setShortcut(QKeySequence(Qt::Key_Space));
    ui->MatchButton->setEnabled(true);
    if (deviceSessionActive == 1)
        pairDevicePath = QByteArray(devicePath);
    else if (pairTargetSet == 1)
        pairDevicePath = pairTargetDevice.path.toLocal8Bit();
    else if (!foundDevices.isEmpty())
        pairDevicePath = foundDevices.first().path.toLocal8Bit();
    pairCid = ConfigSettings::instance()->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt();
}

void Match::WindowClosedSet()
{
    StartUsbChanged(DialogChange::onUsbChanged, kUsbChangedInterval);
    close();
}
