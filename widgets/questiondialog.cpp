#include "widgets/questiondialog.h"

#include "core/languagetable.h"
#include "widgets/dialogframe.h"
#include "widgets/macroname.h"

#include "ui_questiondialog.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

QuestionDialog::QuestionDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::QuestionDialog)
{
    ui->setupUi(this);
    pictureDir = warningPictureDir();
    setUpNoticeFrame(this, {ui->Question, ui->label, ui->CloseButton, {ui->NewHong, ui->NewHong_2}}, pictureDir);
    setFixedSize(width(), height());
    connect(ui->NewHong_2, &QToolButton::clicked, this, &QuestionDialog::WindowClosedLan);
    ui->lineEdit->setStyleSheet(entryStyleSheet(QStringLiteral("QLineEdit")));
    ui->lineEdit->setFocus();
    ui->lineEdit->installEventFilter(this);
    connectLanguage(this);
    scaleFontsToScreen(this);
}

QuestionDialog::~QuestionDialog()
{
    delete ui;
}

void QuestionDialog::SetLabelText(bool rename)
{
    ui->label->setText(rename ? renamePrompt : newNamePrompt);
}

void QuestionDialog::SlotAllLanguage(int language)
{
    newNamePrompt = QuestionTexts.text(language, 0);
    renamePrompt = QuestionTexts.text(language, 1);
    ui->NewHong->setText(QuestionTexts.text(language, kConfirmTextItem));
    ui->NewHong_2->setText(QuestionTexts.text(language, kCancelTextItem));
}

void QuestionDialog::on_NewHong_clicked()
{
    macroName = ui->lineEdit->text();
    close();
}

void QuestionDialog::WindowClosedLan()
{
    macroName.clear();
    close();
}

void QuestionDialog::on_CloseButton_clicked()
{
    WindowClosedLan();
}

void QuestionDialog::on_lineEdit_textEdited(const QString& text)
{
    // Setting the text also puts the cursor at the end, after every edit.
    ui->lineEdit->setText(cleanMacroName(text));
}

bool QuestionDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lineEdit) {
        if (event->type() == QEvent::KeyPress && isBlockedNameKeyText(static_cast<QKeyEvent*>(event)->text()))
            return true;
        if (event->type() == QEvent::InputMethod
            && isBlockedNameCommitText(static_cast<QInputMethodEvent*>(event)->commitString()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void QuestionDialog::keyPressEvent(QKeyEvent* event)
{
    // Escape, Return and Enter are left alone too: neither closes the dialog.
    if (event->key() == Qt::Key_Shift) {
        ui->lineEdit->setEnabled(false);
        return;
    }
    event->ignore();
}

void QuestionDialog::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Shift) {
        ui->lineEdit->setEnabled(true);
        ui->lineEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    event->ignore();
}
