#include "widgets/notices.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "widgets/dialogframe.h"

#include "ui_questiondialogb.h"
#include "ui_mouseoffline.h"
#include "ui_leftbuttononly.h"
#include "ui_makemacro.h"
#include "ui_samemacro.h"
#include "ui_groupmaxthree.h"
#include "ui_keynumberlimit.h"
#include "ui_inportfail.h"
#include "ui_updatewarning.h"
#include "ui_lessthree.h"

int offlineNoticeKind = 0;

// ---- QuestiondialogB

QuestiondialogB::QuestiondialogB(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::QuestiondialogB)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->QuestionB, ui->label, ui->CloseButton, {}}, pictureDir);
    setFixedSize(width(), height());
}

QuestiondialogB::~QuestiondialogB()
{
    delete ui;
}

void QuestiondialogB::SlotAllLanguage(int language)
{
    ui->label->setText(QuestionBTexts.text(language, 0));
}

void QuestiondialogB::on_CloseButton_clicked()
{
    close();
}

// ---- MouseOffLine

MouseOffLine::MouseOffLine(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::MouseOffLine)
{
    ui->setupUi(this);
    hubConnect(SIGNAL(SigCloseOffOnline()), this, SLOT(on_CloseButton_clicked()));
    pictureDir = warningPictureDir();
    // This notice names its confirm pictures with a capital F.
    setUpNotice(this,
                {ui->MouseOffLineA, ui->label, ui->CloseButton, {ui->NewHong}, QStringLiteral("ConFirm.png"),
                 QStringLiteral("ConFirmClick.png")},
                pictureDir);
}

MouseOffLine::~MouseOffLine()
{
    delete ui;
}

void MouseOffLine::SlotAllLanguage(int language)
{
    if (offlineNoticeKind == 0 || offlineNoticeKind == 1)
        ui->label->setText(MouseOffLineTexts.text(language, offlineNoticeKind));
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
}

void MouseOffLine::on_CloseButton_clicked()
{
    close();
}

void MouseOffLine::on_NewHong_clicked()
{
    close();
}

// ---- LeftButtonOnly

LeftButtonOnly::LeftButtonOnly(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::LeftButtonOnly)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->ButtonOnly, ui->label, ui->CloseButton, {}}, pictureDir);
}

LeftButtonOnly::~LeftButtonOnly()
{
    delete ui;
}

void LeftButtonOnly::SlotAllLanguage(int language)
{
    ui->label->setText(ButtonOnlyTexts.text(language, 0));
}

void LeftButtonOnly::on_CloseButton_clicked()
{
    close();
}

// ---- MakeMacro

MakeMacro::MakeMacro(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::MakeMacro)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->MakeMacroA, ui->label, ui->CloseButton, {ui->NewHong}}, pictureDir);
}

MakeMacro::~MakeMacro()
{
    delete ui;
}

void MakeMacro::SlotAllLanguage(int language)
{
    ui->label->setText(MakeMacroTexts.text(language, 0));
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
}

void MakeMacro::on_CloseButton_clicked()
{
    close();
}

void MakeMacro::on_NewHong_clicked()
{
    close();
}

// ---- SameMacro

SameMacro::SameMacro(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::SameMacro)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->SameMacroA, ui->label, ui->CloseButton, {ui->NewHong}}, pictureDir);
}

SameMacro::~SameMacro()
{
    delete ui;
}

void SameMacro::showNameRefusedText()
{
    nameRefused = true;
    SlotAllLanguage(languageIndex);
}

void SameMacro::SlotAllLanguage(int language)
{
    ui->label->setText(SameMacroTexts.text(language, nameRefused ? 1 : 0));
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
}

void SameMacro::on_CloseButton_clicked()
{
    close();
}

void SameMacro::on_NewHong_clicked()
{
    close();
}

// ---- GroupMaxThree

GroupMaxThree::GroupMaxThree(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::GroupMaxThree)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->MaxThree, ui->label, ui->CloseButton, {ui->NewHong}}, pictureDir);
}

GroupMaxThree::~GroupMaxThree()
{
    delete ui;
}

void GroupMaxThree::SlotAllLanguage(int language)
{
    ui->label->setText(MaxThreeTexts.text(language, 0));
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
}

void GroupMaxThree::on_CloseButton_clicked()
{
    close();
}

void GroupMaxThree::on_NewHong_clicked()
{
    close();
}

// ---- KeyNumberLimit

KeyNumberLimit::KeyNumberLimit(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::KeyNumberLimit)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->LimitA, ui->label, ui->CloseButton, {ui->NewHong}}, pictureDir);
}

KeyNumberLimit::~KeyNumberLimit()
{
    delete ui;
}

void KeyNumberLimit::SlotAllLanguage(int language)
{
    ui->label->setText(LimitTexts.text(language, 0));
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
}

void KeyNumberLimit::on_CloseButton_clicked()
{
    close();
}

void KeyNumberLimit::on_NewHong_clicked()
{
    close();
}

// ---- InportFail

InportFail::InportFail(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::InportFail)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->InportFailA, ui->label, ui->CloseButton, {ui->NewHong}}, pictureDir);
}

InportFail::~InportFail()
{
    delete ui;
}

void InportFail::SlotAllLanguage(int language)
{
    if (importFailReason >= 1 && importFailReason <= kExportNotWritten)
        ui->label->setText(InportFailTexts.text(language, importFailReason - 1));
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
}

void InportFail::on_CloseButton_clicked()
{
    close();
}

void InportFail::on_NewHong_clicked()
{
    close();
}

// ---- UpDateWarning

UpDateWarning::UpDateWarning(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::UpDateWarning)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->WarningFrame, ui->label, ui->CloseButton, {ui->NewHong}}, pictureDir);
    ui->NewHong->setShortcut(QKeySequence(Qt::Key_Return));
}

UpDateWarning::~UpDateWarning()
{
    delete ui;
}

void UpDateWarning::SlotAllLanguage(int language)
{
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
}

void UpDateWarning::on_CloseButton_clicked()
{
    close();
}

void UpDateWarning::on_NewHong_clicked()
{
    close();
}

void UpDateWarning::setWarningText(const QString& text)
{
    ui->label->setText(text);
}

// ---- LessThree

LessThree::LessThree(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::LessThree)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNotice(this, {ui->LessThreeframe, ui->label, ui->CloseButton, {ui->NewHong}}, pictureDir);
}

LessThree::~LessThree()
{
    delete ui;
}

void LessThree::SlotAllLanguage(int language)
{
    ui->label->setText(LessThreeTexts.text(language, 0));
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
}

void LessThree::on_CloseButton_clicked()
{
    close();
}

void LessThree::on_NewHong_clicked()
{
    close();
}
