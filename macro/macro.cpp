#include "macro/macro.h"

#include "ui_macro.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "macro/keynames.h"
#include "sensor/optionskin.h"
#include "widgets/dialogframe.h"
#include "widgets/macroname.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace {

enum MacroTextItem {
    kListTitleItem = 0,
    kEventTitleItem = 1,
    kNewItem = 2,
    kDeleteItem = 3,
    kAmendItem = 4,
    kDeleteKeyItem = 5,
    kStartRecordItem = 6,
    kStopRecordItem = 7,
    kAutoDelayItem = 8,
    kDefaultDelayItem = 9,
    kUntilLooseItem = 10,
    kUntilClickItem = 11,
    kUntilItem = 12,
    kNumberItem = 13,
    kInsertTitleItem = 14,
    kKeyPressItem = 15,
    kSaveItem = 18,
    kCaptionPrefixItem = 19,
    kExportMenuItem = 20,
};

// ButtoninterfaceTexts items of the mouse buttons' names.
constexpr int kFirstMouseButtonItem = 4;
// ChooseEvent items: 1..3 key press, key release, delay; 4..8 the mouse buttons.
constexpr int kFirstChooseTextItem = 1;
constexpr int kFirstMouseChooseItem = 4;
// The language whose new-macro button also carries its text as a tool tip.
constexpr int kNewTooltipLanguage = 5;

QString rgbOf(const QString& key)
{
    return skinColour(key);
}

// The lists' sheet; the two lists differ only in their selector.
QString listStyle(const QString& name, const QString& p)
{
    const QString id = QLatin1Char('#') + name;
    return id + QStringLiteral("{background-color: transparent;color: rgb(255, 255, 255);outline: 0px;}")
        + id
        + QStringLiteral("::item:selected:active{background:qlineargradient(spread:pad,x1:0,y1:0,x2:1,y2:0,"
                         "stop:0 #ff6a00,stop:1 #ff6a00);color: rgb(255, 255, 255);}")
        + id
        + QStringLiteral("::item:selected:!active{background:qlineargradient(spread:pad,x1:0,y1:0,x2:1,y2:0,"
                         "stop:0 #ff6a00,stop:1 #ff6a00);color: rgb(255, 255, 255);}")
        + id + QStringLiteral("::item:hover{background-color: transparent;}")
        + QStringLiteral("QScrollBar:vertical{width: 20px;margin: 22px 0px 22px 0px;background: rgb(30,30,30);}"
                         "QScrollBar::handle:vertical{background: rgb(117, 117, 117);border-radius: 3px;"
                         "min-height: 30px;margin: 2px 4px 2px 6px;}"
                         "QScrollBar::add-line:vertical{height: 25px;background: rgb(30,30,30);"
                         "subcontrol-position: bottom;subcontrol-origin: margin;}"
                         "QScrollBar::sub-line:vertical{height: 25px;background: rgb(30,30,30);"
                         "subcontrol-position: top;subcontrol-origin: margin;}"
                         "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background: transparent;}"
                         "QScrollBar::up-arrow:vertical{image: url(")
        + p + QStringLiteral("Up.png);width: 15px;height: 15px;margin: 1px 2px 1px 4px;}")
        + QStringLiteral("QScrollBar::down-arrow:vertical{image: url(") + p
        + QStringLiteral("Down.png);width: 15px;height: 15px;\tmargin: 1px 2px 1px 4px;}");
}

} // namespace

Macro::Macro(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Macro)
{
    ui->setupUi(this);
    dropRaisedPanelOutlines(this);
    pictureFolder = installDir() + QStringLiteral("/Picture/Macro/");
    macroFolderPath = macroFolder();
    connectTransfer();
    hubConnect(SIGNAL(SigSetMacroPage()), this, SLOT(SlotSetMacroPage()));
    applySkin();
    // Whatever makes another macro current (a click, the arrow keys,
    // type-ahead, a right click, the page itself) shows that macro's rows, so
    // Save always writes the rows shown into the file of the macro shown.
    connect(ui->listWidgetHong, &QListWidget::currentItemChanged, this, [this] { showCurrentMacro(); });
    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(languageIndex);
}

Macro::~Macro()
{
    // The main window ignores every key while a recording runs.
    if (recording)
        macroRecording = 0;
    // The list outlives this destructor's body: it must not reach the page.
    disconnect(ui->listWidgetHong, nullptr, this, nullptr);
    delete ui;
}

void Macro::applySkin()
{
    const QString& p = pictureFolder;
    ui->listWidgetHong->setStyleSheet(listStyle(QStringLiteral("listWidgetHong"), p));
    ui->listWidgetKey->setStyleSheet(listStyle(QStringLiteral("listWidgetKey"), p));

    fillMacroList();
    groupOptionButtons();
    ui->StartRecord->setFocusPolicy(Qt::NoFocus);

    const QString t = rgbOf(QStringLiteral("ComboxTextColor"));
    const QString s = rgbOf(QStringLiteral("ComboxSelectColor"));
    const QString b = rgbOf(QStringLiteral("ComboxBackGroundColor"));
    ui->ChooseEvent->setStyleSheet(
        QStringLiteral("QComboBox{border: 1px solid gray; color: rgb(") + t + QStringLiteral("); border-image: url(") + p
        + QStringLiteral("ComboboxBack.png);}QComboBox::drop-down:button{border-radius:5px; background:rgb(") + b
        + QStringLiteral(");} QComboBox::down-arrow{image: url(") + p
        + QStringLiteral("Menu.png); right: 8px; }QComboBox::down-arrow:on{ image: url(") + p
        + QStringLiteral("MenuClicked.png);}QComboBox QAbstractItemView::item{height:25px;}QComboBox "
                         "QAbstractItemView {outline: 0px solid gray; border: 1px  solid gray;color: rgb(")
        + t + QStringLiteral("); border-image: url(") + p
        + QStringLiteral("ComboboxTextBack.png);selection-background-color: rgb(") + s + QStringLiteral("); }"));
    setOptionComboPopup(ui->ChooseEvent, 5);

    ui->StopRecord->hide();
    ui->AutoInsertDelay->setChecked(true);

    buttonColorList = ConfigSettings::instance()->valueList(QStringLiteral("Option"), QStringLiteral("ButtonColor"));
    buttonTextColor = rgbOf(QStringLiteral("ButtonColor"));
    const QString k = buttonTextColor;

    connect(repeatModeGroup, &QButtonGroup::idToggled, repeatModeGroup,
            [this](int, bool) {
                repeatChanged = true;
                setSaveActive(true);
            },
            Qt::DirectConnection);

    inactiveSaveStyle = QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                                       "color: rgb(127,127,127);background-image: url(")
        + p + QStringLiteral("Button.png);}");
    activeButtonStyle = QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                                       "color: rgb(")
        + k + QStringLiteral(";);background-image: url(") + p
        + QStringLiteral("Button.png);}QToolButton:hover{background-image: url(") + p
        + QStringLiteral("ButtonHover.png); }QToolButton:pressed{background-image: url(") + p
        + QStringLiteral("ButtonClick.png); }");
    setSaveActive(false);

    const QString l = rgbOf(QStringLiteral("LabelColor"));
    const QString labelStyle = QStringLiteral("QLabel{color: rgb(") + l + QStringLiteral(";);}");
    for (QLabel* label : {ui->label, ui->label_2, ui->label_3, ui->AutoInsertDelayLabel, ui->ReUntilLabel,
                          ui->ReUntilClickLabel, ui->ReUntilLooseLabel})
        label->setStyleSheet(labelStyle);
    const QString checkStyle = QStringLiteral("QCheckBox{color: rgb(") + l
        + QStringLiteral(";);}QCheckBox:indicator::checked {image: url(") + p
        + QStringLiteral("CheckBoxCheck.png);}QCheckBox::indicator::unchecked {image: url(") + p
        + QStringLiteral("CheckBox.png);}");
    for (QCheckBox* box : {ui->AutoInsertDelay, ui->DefaultDelay, ui->ReUntilLoose, ui->ReUntilClick, ui->ReUntil,
                           ui->ReNumber})
        box->setStyleSheet(checkStyle);
    for (QToolButton* button : {ui->NewHong, ui->DeleteHong, ui->Amend, ui->DeleteKey})
        button->setStyleSheet(activeButtonStyle);

    auto recordStyle = [&](const QString& picture, const QString& hover) {
        return QStringLiteral("QPushButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
            + k + QStringLiteral(";);background-image: url(") + p + picture
            + QStringLiteral(");}QPushButton:hover{background-image: url(") + p + hover + QStringLiteral("); }");
    };
    ui->StopRecord->setStyleSheet(recordStyle(QStringLiteral("Stop.png"), QStringLiteral("StopHover.png")));
    ui->StartRecord->setStyleSheet(recordStyle(QStringLiteral("Record.png"), QStringLiteral("RecordHover.png")));

    const QString e = rgbOf(QStringLiteral("LinEditColorSecond"));
    const QString spinStyle = QStringLiteral("QSpinBox{background-color: rgb(63, 63, 63);color: rgb(") + e
        + QStringLiteral(";);border: none;}");
    ui->DelayTime->setStyleSheet(spinStyle);
    ui->NumberEdit->setStyleSheet(spinStyle);
}

void Macro::setSaveActive(bool active)
{
    ui->Save->setStyleSheet(active ? activeButtonStyle : inactiveSaveStyle);
    ui->Save->setEnabled(active);
}

void Macro::groupOptionButtons()
{
    delayModeGroup = new QButtonGroup(this);
    delayModeGroup->setExclusive(true);
    delayModeGroup->addButton(ui->AutoInsertDelay);
    delayModeGroup->addButton(ui->DefaultDelay);
    repeatModeGroup = new QButtonGroup(this);
    repeatModeGroup->setExclusive(true);
    for (QAbstractButton* button : {ui->ReUntilLoose, ui->ReUntilClick, ui->ReNumber, ui->ReUntil})
        repeatModeGroup->addButton(button);
}

void Macro::SlotAllLanguage(int index)
{
    auto text = [index](int item) { return MacroTexts.text(index, item); };
    ui->label->setText(text(kListTitleItem));
    ui->label_2->setText(text(kEventTitleItem));
    ui->NewHong->setText(text(kNewItem));
    ui->NewHong->setToolTip(index == kNewTooltipLanguage ? text(kNewItem) : QString());
    ui->DeleteHong->setText(text(kDeleteItem));
    ui->Amend->setText(text(kAmendItem));
    ui->DeleteKey->setText(text(kDeleteKeyItem));
    ui->StartRecord->setText(text(kStartRecordItem));
    ui->StopRecord->setText(text(kStopRecordItem));
    ui->AutoInsertDelayLabel->setText(text(kAutoDelayItem));
    ui->DefaultDelay->setText(text(kDefaultDelayItem));
    ui->ReUntilLooseLabel->setText(text(kUntilLooseItem));
    ui->ReUntilClickLabel->setText(text(kUntilClickItem));
    ui->ReUntilLabel->setText(text(kUntilItem));
    ui->ReNumber->setText(text(kNumberItem));
    ui->label_3->setText(text(kInsertTitleItem));
    for (int i = 0; i < 3; ++i)
        ui->ChooseEvent->setItemText(kFirstChooseTextItem + i, text(kKeyPressItem + i));

    QString* const names[] = {&leftButtonName, &rightButtonName, &middleButtonName, &forwardButtonName,
                              &backButtonName};
    for (int i = 0; i < 5; ++i) {
        *names[i] = ButtoninterfaceTexts.text(index, kFirstMouseButtonItem + i);
        ui->ChooseEvent->setItemText(kFirstMouseChooseItem + i, *names[i]);
    }

    ui->Save->setText(text(kSaveItem));
    macroCaptionPrefix = text(kCaptionPrefixItem);
    exportMenuText = text(kExportMenuItem);
    renameMenuText = text(kExportMenuItem + 1);
    deleteMenuText = text(kExportMenuItem + 2);
    newMenuText = text(kExportMenuItem + 3);
    importMenuText = text(kExportMenuItem + 4);
}

void Macro::changeEvent(QEvent* event)
{
    if (event->type() != QEvent::LanguageChange)
        return;
    const int choice = ui->ChooseEvent->currentIndex();
    const int delay = ui->DelayTime->value();
    const int count = ui->NumberEdit->value();
    const QSignalBlocker blockChoice(ui->ChooseEvent);
    const QSignalBlocker blockDelay(ui->DelayTime);
    const QSignalBlocker blockCount(ui->NumberEdit);
    ui->retranslateUi(this);
    ui->ChooseEvent->setCurrentIndex(choice);
    ui->DelayTime->setValue(delay);
    ui->NumberEdit->setValue(count);
}

void Macro::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(event);
}

void Macro::mousePressEvent(QMouseEvent* event)
{
    // A press beside the spin boxes ends their editing.
    const QPoint at = ui->MacroPage->mapFrom(this, event->pos());
    if (ui->DelayTime->geometry().contains(at) || ui->NumberEdit->geometry().contains(at))
        return;
    ui->DelayTime->clearFocus();
    ui->NumberEdit->clearFocus();
    setFocus(Qt::OtherFocusReason);
}

// ---- Opening a macro ----------------------------------------------------------------

void Macro::on_listWidgetHong_clicked(QModelIndex /*index*/)
{
    showCurrentMacro();
}

void Macro::showCurrentMacro()
{
    setSaveActive(false);
    ui->listWidgetKey->clear();
    // The load unblocks both once it has set them.
    repeatModeGroup->blockSignals(true);
    ui->NumberEdit->blockSignals(true);
    loadMacroFile();
    repeatModeGroup->blockSignals(false);
    ui->NumberEdit->blockSignals(false);
}
