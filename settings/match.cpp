#include "settings/match.h"

#include "ui_match.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "platform/hidusb/hidusb.h"
#include "widgets/dialogframe.h"

Match::Match(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::Match)
{
    ui->setupUi(this);
    setDialogWindowFlags(this);
    setFixedSize(size());
    setAttribute(Qt::WA_TranslucentBackground);

    const QString folder = installDir() + QStringLiteral("/Picture/Setting/");
    const QString labelColour = skinColour(QStringLiteral("LabelColor"));
    ui->textEdit->setStyleSheet(QStringLiteral("#textEdit{border: transparent;background-color: transparent;color: rgb(")
                                + labelColour + QStringLiteral(");}"));
    ui->label->setStyleSheet(QStringLiteral("#label{color: rgb(") + labelColour + QStringLiteral(");}"));
    ui->MatchButton->setStyleSheet(
        QStringLiteral("QPushButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
        + skinColour(QStringLiteral("ButtonColor")) + QStringLiteral(");background-image: url(") + folder
        + QStringLiteral("Pair.png);}"));
    ui->toolButton_2->setStyleSheet(QStringLiteral("QToolButton{border:0px;color: rgb(255, 255, 255);"
                                                   "background-image: url(")
                                    + folder + QStringLiteral("Picture.png);}"));
    ui->CloseButton->setStyleSheet(closeButtonStyleSheet(folder, QStringLiteral("CloseSecondPage")));
    ui->MatchA->setStyleSheet(QStringLiteral("#MatchA{border:0px;background-position:center;"
                                             "background-repeat:no-repeat;background-image: url(")
                              + folder + QStringLiteral("BackSecondPage.png); }"));
    ui->label->hide();

    connect(ui->CloseButton, &QToolButton::clicked, this, &Match::WindowClosedSet);
    connectLanguage(this);
    scaleFontsToScreen(this);
}

Match::~Match()
{
    delete ui;
}

void Match::InitPair()
{
    ui->MatchButton->setShortcut(QKeySequence(Qt::Key_Space));
    ui->MatchButton->setEnabled(true);
    ui->MatchButton->setText(startText);
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
    StartUsbChanged(homeUsbChanged, kUsbChangedInterval);
    close();
}

void Match::SlotAllLanguage(int index)
{
    ui->label->setText(MatchTexts.text(index, 0));
    ui->textEdit->setPlainText(MatchTexts.text(index, 1));
    startText = MatchTexts.text(index, 2);
    ui->MatchButton->setText(startText);
}
