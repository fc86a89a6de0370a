#include "macro/adddelaytime.h"

#include "ui_adddelaytime.h"

#include "core/languagetable.h"
#include "widgets/dialogframe.h"

AddDelayTime::AddDelayTime(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::AddDelayTime)
{
    ui->setupUi(this);
    PicturePath = warningPictureDir();
    setUpNoticeFrame(this, {ui->AddDelayTimeA, ui->label, ui->CloseButton, {ui->NewHong, ui->NewHong_2}},
                     PicturePath);
    ui->spinBox->setStyleSheet(entryStyleSheet(QStringLiteral("QSpinBox")));
    ui->spinBox->setFocus(Qt::ActiveWindowFocusReason);
    connectLanguage(this);
    scaleFontsToScreen(this);
}

AddDelayTime::~AddDelayTime()
{
    delete ui;
}

void AddDelayTime::on_NewHong_clicked()
{
    isOk = true;
    // A half-typed entry ("5", or nothing) counts as the nearest value in
    // range, as shown once OK is pressed, never as an older value.
    ui->spinBox->interpretText();
    delayTime = ui->spinBox->value();
    close();
}

void AddDelayTime::on_NewHong_2_clicked()
{
    isOk = false;
    close();
}

void AddDelayTime::on_CloseButton_clicked()
{
    on_NewHong_2_clicked();
}

void AddDelayTime::SlotAllLanguage(int index)
{
    ui->label->setText(AddDelayTimeTexts.text(index, 0));
    ui->NewHong->setText(QuestionTexts.text(index, kConfirmTextItem));
    ui->NewHong_2->setText(QuestionTexts.text(index, kCancelTextItem));
}
