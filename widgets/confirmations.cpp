#include "widgets/confirmations.h"

#include "core/languagetable.h"
#include "widgets/dialogframe.h"

#include "ui_containreset.h"
#include "ui_deleteconfirm.h"
#include "ui_repair.h"

// ---- ContainReset

ContainReset::ContainReset(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ContainReset)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->ContainResetA, ui->label, ui->CloseButton, {ui->OK, ui->Cancel}}, pictureDir);
    ui->OK->setShortcut(QKeySequence(Qt::Key_Return));
}

ContainReset::~ContainReset()
{
    delete ui;
}

void ContainReset::setMessageText(QString text)
{
    ui->label->setText(text);
}

void ContainReset::SlotAllLanguage(int language)
{
    ui->label->setText(ContainResetTexts.text(language, 0));
    // The home page's "RepairDevice" text, in both uses of this question.
    ui->OK->setText(DialogChangeTexts.text(language, 4));
    ui->Cancel->setText(QuestionTexts.text(language, kCancelTextItem));
}

void ContainReset::on_OK_clicked()
{
    okClicked = true;
    close();
}

void ContainReset::on_Cancel_clicked()
{
    okClicked = false;
    close();
}

void ContainReset::on_CloseButton_clicked()
{
    on_Cancel_clicked();
}

// ---- RePair

RePair::RePair(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::RePair)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->RePairA, ui->label, ui->CloseButton, {ui->OK, ui->Cancel}}, pictureDir);
}

RePair::~RePair()
{
    delete ui;
}

void RePair::SlotAllLanguage(int language)
{
    ui->label->setText(RePairTexts.text(language, 0));
    ui->OK->setText(QuestionTexts.text(language, kConfirmTextItem));
    ui->Cancel->setText(QuestionTexts.text(language, kCancelTextItem));
}

void RePair::on_OK_clicked()
{
    okClicked = true;
    close();
}

void RePair::on_Cancel_clicked()
{
    okClicked = false;
    close();
}

void RePair::on_CloseButton_clicked()
{
    on_Cancel_clicked();
}

// ---- DeleteConfirm

DeleteConfirm::DeleteConfirm(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::DeleteConfirm)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->DeleteConfirmA, ui->label, ui->CloseButton, {ui->NewHong}}, pictureDir);
}

DeleteConfirm::~DeleteConfirm()
{
    delete ui;
}

void DeleteConfirm::SlotAllLanguage(int language)
{
    ui->label->setText(DeleteConfirmTexts.text(language, 0));
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
}

void DeleteConfirm::on_NewHong_clicked()
{
    okClicked = true;
    close();
}

void DeleteConfirm::on_CloseButton_clicked()
{
    okClicked = false;
    close();
}
