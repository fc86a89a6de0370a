#include "buttons/groupkey.h"

#include "ui_groupkey.h"

#include "core/languagetable.h"
#include "macro/keynames.h"
#include "widgets/dialogframe.h"
#include "widgets/notices.h"
#include "widgets/pagedialogs.h"

#include <QElapsedTimer>
#include <QKeyEvent>

#include <memory>

namespace {

// The names shown in a field; none for an empty one.
QStringList fieldNames(const QString& field)
{
    return field.isEmpty() ? QStringList() : splitKeyText(field);
}

constexpr int kMaxItems = 3;

// The modifier boxes, in the order their names lead the key text.
const char* const kBoxNames[] = {"Shift", "Ctrl", "Alt", "Win"};

// A name a key block can hold: an ordinary key's or a modifier box's.
bool isComboName(const QString& name)
{
    if (name.isEmpty())
        return false;
    if (keyUsage(name) >= 0)
        return true;
    for (const char* box : kBoxNames)
        if (name == QLatin1String(box))
            return true;
    return false;
}

} // namespace

QString ComboCapture::keyEvent(const QString& field, int vk, bool down, qint64 nowMs)
{
    if (!down)
        return field;
    QString text = field;
    if (WaitFirstKey) {
        windowStart = nowMs;
        WaitFirstKey = false;
    } else if (nowMs - windowStart > kWindowMs) {
        text.clear();
        LastKeyCode = -1;
        windowStart = nowMs;
    }
    if (vk == LastKeyCode)
        return text;
    LastKeyCode = vk;
    const QString name = comboKeyName(vk);
    const QStringList shown = fieldNames(text);
    if (shown.size() >= kMaxItems)
        return name;
    if (name.isEmpty() || shown.contains(name))
        return text;
    if (shown.size() == kMaxItems - 1)
        LastKeyCode = -1; // the next key-down, a repeat included, starts anew
    return text.isEmpty() ? name : text + QLatin1Char('+') + name;
}

GroupKey::GroupKey(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::GroupKey)
{
    ui->setupUi(this);
    PicturePath = warningPictureDir();
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    clock = [timer] { return timer->elapsed(); };
    hook.start([this](int keyCode, bool down, bool repeat) { UpdateCapslockTip(keyCode, down, repeat); });
    setUpNoticeFrame(this, {ui->groupKeyA, ui->label, ui->CloseButton, {ui->NewHong, ui->NewHong_2}}, PicturePath);
    ui->lineEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    ui->lineEdit->setFocus(Qt::OtherFocusReason);
    const QString labelColour = skinColour(QStringLiteral("LabelColor"));
    for (QWidget* box : {ui->Shift, ui->Ctrl, ui->Alt, ui->Win})
        box->setStyleSheet(QStringLiteral("QCheckBox{color: rgb(") + labelColour
                           + QStringLiteral(");}QCheckBox::indicator:checked {image: url(") + PicturePath
                           + QStringLiteral("CheckBoxCheck.png);}QCheckBox::indicator:unchecked {image: url(")
                           + PicturePath + QStringLiteral("CheckBox.png);}"));
    ui->lineEdit->setStyleSheet(entryStyleSheet(QStringLiteral("QLineEdit")));
    connectLanguage(this);
    // The capture field keeps its size: the key names must fit.
    const QFont fieldFont = ui->lineEdit->font();
    scaleFontsToScreen(this);
    ui->lineEdit->setFont(fieldFont);
}

GroupKey::~GroupKey()
{
    delete ui;
}

void GroupKey::keyPressEvent(QKeyEvent* event)
{
    if (isSwallowedCaptureKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void GroupKey::UpdateCapslockTip(int keyCode, bool downOrUp, bool /*aotu*/)
{
    const QString text = capture.keyEvent(ui->lineEdit->text(), keyCode, downOrUp, clock());
    if (text != ui->lineEdit->text())
        ui->lineEdit->setText(text);
}

void GroupKey::on_lineEdit_textEdited(const QString& text)
{
    ui->lineEdit->setText(text.toUpper());
}

void GroupKey::on_NewHong_clicked()
{
    KeyText.clear();
    const QString field = ui->lineEdit->text();
    // A name pasted into the field that no key has would reach the device as
    // usage 0 under a caption naming a key: the field keeps the known names
    // and nothing is assigned.
    const QStringList names = fieldNames(field);
    QStringList known;
    for (const QString& name : names)
        if (isComboName(name))
            known << name;
    if (known.size() != names.size()) {
        ui->lineEdit->setText(known.join(QLatin1Char('+')));
        capture.forgetLastKey();
        return;
    }
    int count = names.size();
    for (QCheckBox* box : {ui->Shift, ui->Ctrl, ui->Alt, ui->Win}) {
        if (!box->isChecked())
            continue;
        ++count;
        if (!KeyText.isEmpty())
            KeyText += QLatin1Char('+');
        // The Shift box reads "shift"; the key text uses its object name.
        KeyText += box->objectName();
    }
    if (count > kMaxItems) {
        GroupMaxThree notice(nullptr);
        notice.move(mapToGlobal(QPoint(0, 0)));
        execForDevicePage(&notice);
        ui->lineEdit->clear();
        capture.forgetLastKey();
        return;
    }
    if (!field.isEmpty())
        KeyText = KeyText.isEmpty() ? field : KeyText + QLatin1Char('+') + field;
    closeUnhooked(true);
}

void GroupKey::on_NewHong_2_clicked()
{
    closeUnhooked(false);
}

void GroupKey::on_CloseButton_clicked()
{
    closeUnhooked(false);
}

void GroupKey::closeUnhooked(bool ok)
{
    IsOk = ok;
    hook.stop();
    close();
}

void GroupKey::SlotAllLanguage(int index)
{
    ui->label->setText(GroupKeyTexts.text(index, 0));
    ui->NewHong->setText(QuestionTexts.text(index, kConfirmTextItem));
    ui->NewHong_2->setText(QuestionTexts.text(index, kCancelTextItem));
}
