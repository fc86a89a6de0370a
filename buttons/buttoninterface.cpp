#include "buttons/buttoninterface.h"

#include "ui_buttoninterface.h"

#include "buttons/firekey.h"
#include "buttons/groupkey.h"
#include "buttons/macroblockfile.h"

#include "core/configfile.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/setters.h"
#include "core/settings.h"
#include "core/waits.h"
#include "core/worker.h"
#include "macro/keynames.h"
#include "macro/macroblock.h"
#include "macro/macrofile.h"
#include "platform/hidusb/hidusb.h"
#include "sensor/sensordefinitions.h"
#include "widgets/confirmations.h"
#include "widgets/dialogframe.h"
#include "widgets/macroname.h"
#include "widgets/notices.h"
#include "widgets/pagedialogs.h"
#include "widgets/updataparam.h"

#include <QButtonGroup>
#include <QDir>
#include <QHash>
#include <QListView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <cstring>
#include <initializer_list>
#include <utility>

namespace {

// Buttons a record holds; a catalogue naming more shows no more.
constexpr int kMaxKeyNumber = kButtonCount;

// Stacked-widget pages of the closed menu.
constexpr int kClosedMainPage = 0;
constexpr int kDebouncePage = 4;

// The menu's font; later language passes undo the program-wide scaling the
// first one gets at start-up.
constexpr double kMenuPointSize = 9.0;

// Factory assignments by device index: left, right, middle, back, forward;
// DPI cycle, up, down; report-rate switch twice; rapid fire; nothing.
constexpr int kFactoryTypes[Buttoninterface::kDisplayButtons] = {1, 1, 1, 1, 1, 2, 2, 2, 7, 7, 4, 0};
constexpr int kFactoryValues1[Buttoninterface::kDisplayButtons] = {1, 2, 4, 8, 16, 1, 2, 3, 0, 0, 10, 0};
constexpr int kRapidFireIndex = 10;
constexpr int kFactoryDebounce = 4;
constexpr int kFactoryIdleSeconds = 60;

// Assignment types of a button record.
enum AssignmentType {
    TypeDisabled = 0,
    TypeMouseButton = 1,
    TypeDpiSwitch = 2,
    TypeHorizontalWheel = 3,
    TypeRapidFire = 4,
    TypeKeyFunction = 5,
    TypeMacro = 6,
    TypeReportRateSwitch = 7,
    TypeLightSwitch = 8,
    TypeProfileSwitch = 9,
    TypeDpiLock = 10,
    TypeVerticalWheel = 11
};

constexpr int kConsumerKind = 2;

// Items of the page's language row.
enum TextItem {
    ItemReset = 1,
    ItemImport = 2,
    ItemExport = 3,
    ItemLeft = 4,
    ItemRight = 5,
    ItemMiddle = 6,
    ItemForward = 7,
    ItemBack = 8,
    ItemDpiCycle = 9,
    ItemReportRate = 10,
    ItemRapidFire = 12,
    ItemNoFunction = 14,
    ItemDebounceLabel = 43,
    ItemMacroPrefix = 48,
    ItemProfilePrefix = 49,
    ItemDebounceUnit = 50
};

// Display buttons by device index, and the visiting order of the screen.
const char* const kDisplayNames[Buttoninterface::kDisplayButtons] = {
    "FireKey", "RightKey", "BackKey", "TopMusic", "StartPause", "BackMusic",
    "Button7", "Button8", "Button9", "Button10", "Button11", "Button12"};
// Device indexes in screen order, the order every handler visits them in.
constexpr int kScreenOrderIndexes[Buttoninterface::kDisplayButtons] = {0, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10, 11};
// Where the left-click and no-macro notices and the rapid-fire dialog go on the page.
constexpr int kMenuDialogDx = -50;
constexpr int kMenuDialogDy = -70;
const char* const kScreenOrder[Buttoninterface::kDisplayButtons] = {
    "FireKey", "RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic",
    "Button7", "Button8", "Button9", "Button10", "Button11", "Button12"};

const char* const kMainOptions[] = {"LeftKey_3", "RightKey_3", "MidKey", "BackKey_2", "ForWardKey", "DPI_2",
                                    "DPI_3",     "DPI_4",      "DPI_5",  "DPI_6",     "DPI_7",      "DPI_8",
                                    "DPI_9",     "DPI_10",     "DPI_11", "DPI_12",    "DPI_13"};
// The main list in its order on the page, which the menu font follows.
const char* const kMainListOrder[] = {"LeftKey_3", "RightKey_3", "MidKey", "BackKey_2", "ForWardKey", "DPI_2",
                                      "DPI_3",     "DPI_6",      "DPI_8",  "DPI_5",     "DPI_13",     "DPI_11",
                                      "DPI_4",     "DPI_9",      "DPI_7",  "DPI_12",    "DPI_10"};
// The options that open a sub-menu.
const char* const kSubMenuEntries[] = {"DPI_13", "DPI_11", "DPI_10", "DPI_9", "DPI_7", "DPI_12", "DPI_4"};

const char* const kMultimedia[] = {"Player",       "StartPause_2", "BackMusic_2",  "TopMusic_2",   "Mute",
                                   "VolumeUp",     "VolumeDown",   "VolumeDown_3", "VolumeDown_4", "VolumeDown_5",
                                   "VolumeDown_6", "VolumeDown_7", "VolumeDown_8", "VolumeDown_9", "VolumeDown_10",
                                   "VolumeDown_11", "VolumeDown_12", "VolumeDown_13"};
const char* const kLightSwitches[] = {"VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7"};
// DPI lock options of 100 to 1200 DPI, in DPI order.
const char* const kDpiLocks[] = {"VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_16",
                                 "VolumeUp_15", "VolumeUp_19", "VolumeUp_20", "VolumeUp_22",
                                 "VolumeUp_18", "VolumeUp_24", "VolumeUp_23", "VolumeUp_21"};
const char* const kWheelAndDpiSwitch[] = {"VolumeDown_2", "VolumeUp_2", "VolumeUp_10", "VolumeUp_8", "VolumeUp_9"};
const char* const kVerticalWheel[] = {"VolumeUp_14", "VolumeDown_14"};

// A widget text of the page's language row, by object name.
struct WidgetText
{
    const char* name;
    int item;
};
const WidgetText kWidgetTexts[] = {
    {"Reset", ItemReset},          {"ImportData", ItemImport},     {"OutputData", ItemExport},
    {"FireKey", ItemLeft},         {"LeftKey_3", ItemLeft},        {"RightKey", ItemRight},
    {"RightKey_3", ItemRight},     {"BackKey", ItemMiddle},        {"MidKey", ItemMiddle},
    {"StartPause", ItemForward},   {"ForWardKey", ItemForward},    {"TopMusic", ItemBack},
    {"BackKey_2", ItemBack},       {"BackMusic", ItemDpiCycle},    {"VolumeUp_8", ItemDpiCycle},
    {"Button9", ItemReportRate},   {"Button10", ItemReportRate},   {"DPI_2", ItemReportRate},
    {"DPI_3", 11},                 {"Button11", ItemRapidFire},    {"DPI_6", ItemRapidFire},
    {"DPI_8", 13},                 {"Button12", ItemNoFunction},   {"DPI_5", ItemNoFunction},
    {"DPI_13", 15},                {"DPI_11", 16},                 {"DPI_10", 17},
    {"DPI_9", 18},                 {"DPI_7", 19},                  {"DPI_12", 20},
    {"DPI_4", 21},                 {"Player", 22},                 {"StartPause_2", 23},
    {"BackMusic_2", 24},           {"TopMusic_2", 25},             {"Mute", 26},
    {"VolumeUp", 27},              {"VolumeDown", 28},             {"VolumeDown_4", 29},
    {"VolumeDown_5", 30},          {"VolumeDown_6", 31},           {"VolumeDown_3", 32},
    {"VolumeDown_9", 33},          {"VolumeDown_7", 34},           {"VolumeDown_10", 35},
    {"VolumeDown_12", 36},         {"VolumeDown_13", 37},          {"VolumeDown_11", 38},
    {"VolumeUp_4", 39},            {"VolumeUp_5", 40},             {"VolumeUp_6", 41},
    {"VolumeUp_7", 42},            {"label_3", ItemDebounceLabel}, {"VolumeUp_2", 44},
    {"VolumeDown_2", 45},          {"VolumeUp_14", 46},            {"VolumeDown_14", 47},
    {"VolumeDown_8", 51}};

// The multimedia options in list order with the consumer usage each sends.
// The low bytes differ, and a button's key block is matched by them.
struct ConsumerOption
{
    int usage;
    const char* option;
};
const ConsumerOption kConsumerOptions[] = {
    {0x0183, "Player"},       {0x00CD, "StartPause_2"},  {0x00B5, "BackMusic_2"},  {0x00B6, "TopMusic_2"},
    {0x00B7, "Mute"},         {0x00E2, "VolumeUp"},      {0x00E9, "VolumeDown"},   {0x00EA, "VolumeDown_4"},
    {0x018A, "VolumeDown_5"}, {0x0192, "VolumeDown_6"},  {0x0194, "VolumeDown_3"}, {0x0223, "VolumeDown_8"},
    {0x0221, "VolumeDown_9"}, {0x0225, "VolumeDown_7"},  {0x0224, "VolumeDown_10"}, {0x0226, "VolumeDown_12"},
    {0x0227, "VolumeDown_13"}, {0x022A, "VolumeDown_11"}};

// The row of a usage's low byte, -1 for none.
int consumerRow(int lowByte)
{
    for (int i = 0; i < int(sizeof kConsumerOptions / sizeof *kConsumerOptions); ++i)
        if ((kConsumerOptions[i].usage & 0xFF) == lowByte)
            return i;
    return -1;
}

// The multimedia option a key block holds, -1 for none: only a consumer key
// in its first event is one, so that a keyboard key whose usage shares a low
// byte (the digit 4 and Browser search) stays a key combination.
int multimediaRow(const KeyBlock& block)
{
    return block.events[0].kind == kConsumerKind ? consumerRow(block.events[0].codeLE[0]) : -1;
}

QString driveGroup()
{
    return QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
}

// The catalogue's button count for the open model, held to the record's
// buttons; a missing or unreadable value counts 0.
int catalogueKeyNumber()
{
    const int n = ConfigSettings::instance()->value(driveGroup(), QStringLiteral("KeyNumber")).toInt();
    return qBound(0, n, kMaxKeyNumber);
}

bool inside(const QRect& rect, const QPoint& point)
{
    return rect.contains(point);
}

} // namespace

Buttoninterface::Buttoninterface(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Buttoninterface)
{
    ui->setupUi(this);
    dropRaisedPanelOutlines(this);
    // Only rows 1 to 6 are ever offered; the rest stay for code that
    // captions or checks them unseen.
    for (QWidget* hidden : {static_cast<QWidget*>(ui->Number7), static_cast<QWidget*>(ui->Number8),
                            static_cast<QWidget*>(ui->Number9), static_cast<QWidget*>(ui->Number10),
                            static_cast<QWidget*>(ui->Number11), static_cast<QWidget*>(ui->Number12)})
        hidden->hide();
    for (QWidget* hidden : {ui->label_16, ui->label_17, ui->label_18, ui->label_19, ui->label_20, ui->label_21})
        hidden->hide();
    for (QWidget* hidden : {ui->Button7, ui->Button8, ui->Button9, ui->Button10, ui->Button11, ui->Button12})
        hidden->hide();

    hubConnect(SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));

    pictureFolder = installDir() + QStringLiteral("/Picture/Buttoninterface/");
    QDir().mkpath(userDir() + QStringLiteral("//usersetting/MainPage"));
    setMousePicture();

    displayButtonGroup = new QButtonGroup(this);
    optionButtonGroup = new QButtonGroup(this);
    subOptionButtonGroup = new QButtonGroup(this);
    numberButtonGroup = new QButtonGroup(this);
    for (QButtonGroup* group : {displayButtonGroup, optionButtonGroup, subOptionButtonGroup, numberButtonGroup})
        group->setExclusive(true);
    AddButtonGroups();

    buttonTextColor = skinColour(QStringLiteral("ButtonColor"));
    CreateMacroButtons();
    ui->DPI_3->hide();
    ui->DPI_9->hide();

    applySkin();
    // The DPI lock captions look DPIs up in the installation's defines,
    // which this page needs before the sensor page is built.
    loadSensorDefineTable();

    hubConnect(SIGNAL(SigUpDataLightUIButton(FlashDataMap)), this, SLOT(SlotUpDataButtonUIButton(FlashDataMap)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataConfigUI(int,int,bool)), this, SLOT(SlotUpDataConfigUI(int,int,bool)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataButtonUIC(FlashDataMap)), this, SLOT(SlotUpDataButtonUIB(FlashDataMap)));
    hubConnect(SIGNAL(SigAddMacroButton()), this, SLOT(SlotAddMacroButton()));
    hubConnect(SIGNAL(SigDeleteMacroButton(QString)), this, SLOT(SlotDeleteMacroButton(QString)));
    hubConnect(SIGNAL(SigUpDataMacro(QString,int)), this, SLOT(SlotUpDataMacro(QString,int)));
    hubConnect(SIGNAL(SigMacroRename(QString,QString)), this, SLOT(SlotMacroRename(QString,QString)));
    hubConnect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetButton()), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigChangeMainDialog(int)), this, SLOT(SlotChangeMainDialog(int)));

    ui->stackedWidget->setCurrentWidget(ui->page);
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);

    // The first texts come with the main window's start-up emission.
    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));

    ui->groupBox->setStyleSheet(QStringLiteral("#groupBox {border: 0;background-image: url(") + pictureFolder
                                + QStringLiteral("TiltleBack.png);}"));
    ui->groupBox_4->setStyleSheet(QStringLiteral("#groupBox_4 {border: 0;}"));
    ui->groupBox_2->setStyleSheet(QStringLiteral("#groupBox_2 {border: 0;}"));
    for (QWidget* area : {ui->scrollArea_4, ui->scrollArea_3, ui->scrollArea_7, ui->scrollArea_8, ui->scrollArea_10,
                          ui->scrollArea_6, ui->scrollArea_9, ui->scrollArea_12})
        area->setStyleSheet(QLatin1Char('#') + area->objectName() + QStringLiteral("{border: 0;}"));

    // Last, once the page is complete: the worker's watch and pacing start
    // with it.
    deviceWorker = new Worker(this);
}

Buttoninterface::~Buttoninterface()
{
    Worker::clearRunFlag();
    if (deviceWorker) {
        Worker* worker = deviceWorker;
        worker->deleteLater();
        // Until the deferred deletion nothing may start another pass.
        worker->onlineTimer()->stop();
        worker->waitForPass();
    }
    StopUsbChanged();
    delete ui;
}

// ---- Form ---------------------------------------------------------------------------

QToolButton* Buttoninterface::displayButton(int deviceIndex) const
{
    if (deviceIndex < 0 || deviceIndex >= kDisplayButtons)
        return nullptr;
    return findChild<QToolButton*>(QLatin1String(kDisplayNames[deviceIndex]));
}

void Buttoninterface::AddButtonGroups()
{
    for (const char* name : kScreenOrder)
        displayButtonGroup->addButton(findChild<QToolButton*>(QLatin1String(name)));
    for (const char* name : kMainOptions)
        optionButtonGroup->addButton(findChild<QToolButton*>(QLatin1String(name)));
    for (const char* name : kMultimedia)
        subOptionButtonGroup->addButton(findChild<QToolButton*>(QLatin1String(name)));
    for (const char* name : kLightSwitches)
        subOptionButtonGroup->addButton(findChild<QToolButton*>(QLatin1String(name)));
    // The DPI locks join in the order of their object names.
    for (const char* name : {"VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_15", "VolumeUp_16",
                             "VolumeUp_18", "VolumeUp_19", "VolumeUp_20", "VolumeUp_21", "VolumeUp_22",
                             "VolumeUp_23", "VolumeUp_24"})
        subOptionButtonGroup->addButton(findChild<QToolButton*>(QLatin1String(name)));
    for (const char* name : kWheelAndDpiSwitch)
        subOptionButtonGroup->addButton(findChild<QToolButton*>(QLatin1String(name)));
    for (const char* name : kVerticalWheel)
        subOptionButtonGroup->addButton(findChild<QToolButton*>(QLatin1String(name)));
    for (int i = 1; i <= kDisplayButtons; ++i)
        numberButtonGroup->addButton(findChild<QToolButton*>(QStringLiteral("Number%1").arg(i)));
}

void Buttoninterface::setMousePicture()
{
    ui->widget->setStyleSheet(QStringLiteral(
                                  "#widget{border:0px;background-position:center;background-repeat:no-repeat;"
                                  "background-image: url(")
                              + pictureFolder + QStringLiteral("mouse") + QString::number(0)
                              + QStringLiteral(".png);}"));
}

void Buttoninterface::applySkin()
{
    const QString& p = pictureFolder;
    const QString& c = buttonTextColor;
    const QString clear = QStringLiteral("background-color:transparent;border:none;");
    const QString menuPage = QStringLiteral("QToolButton{color: rgb(") + c + QStringLiteral(";);border-image: url(")
        + p + QStringLiteral("CMenuTitle.png);}QToolButton:checked{color: rgb(") + c
        + QStringLiteral(";);border-image: url(") + p + QStringLiteral("CMenuTitleChecked.png); }");
    const QList<QPair<QWidget*, QString>> pages = {
        {ui->scrollAreaWidgetContents_3, clear}, {ui->page_3, menuPage},
        {ui->scrollAreaWidgetContents_4, clear}, {ui->page_9, menuPage},
        {ui->scrollAreaWidgetContents_6, clear}, {ui->page_4, menuPage},
        {ui->scrollAreaWidgetContents_8, clear}, {ui->page_6, menuPage},
        {ui->scrollAreaWidgetContents_9, clear}, {ui->page_7, menuPage},
        {ui->scrollAreaWidgetContents_12, clear}, {ui->page_10, menuPage}};
    for (const auto& page : pages)
        page.first->setStyleSheet(page.second);
    ui->scrollAreaWidgetContents_11->setStyleSheet(
        QStringLiteral("#scrollAreaWidgetContents_11{background-color:transparent;border:none;}QToolButton{border:0px;"
                       "background-position:center;background-repeat:no-repeat;color: rgb(")
        + c + QStringLiteral(";);background-image: url(") + p
        + QStringLiteral("AMenuTitle.png);}QToolButton:checked{background-image: url(") + p
        + QStringLiteral("AMenuTitleChecked.png); }QToolButton:unchecked{background-image: url(") + p
        + QStringLiteral("AMenuTitle.png); }QLabel{color: rgb(0, 0, 0);border:0px;background-position:center;"
                         "background-repeat:no-repeat;background-image: url(")
        + p + QStringLiteral("LabelNumber.png);}"));
    ui->scrollAreaWidgetContents_10->setStyleSheet(clear);
    ui->page_8->setStyleSheet(menuPage);
    // The options of the hidden sub-pages were styled before their pages'
    // sheets came, and Qt keeps that for hidden widgets: the pages would
    // show them unskinned, their check unseen.
    for (QAbstractButton* option : subOptionButtonGroup->buttons()) {
        option->style()->unpolish(option);
        option->style()->polish(option);
    }

    ui->scrollArea_11->setFrameShape(QFrame::NoFrame);
    ui->groupBox_4->setStyleSheet(QStringLiteral("QGroupBox{border:none;}"));
    ui->groupBox_2->setStyleSheet(QStringLiteral("QGroupBox{border:none;}"));

    const QString t = skinColour(QStringLiteral("ComboxTextColor"));
    const QString s = skinColour(QStringLiteral("ComboxSelectColor"));
    const QString k = skinColour(QStringLiteral("ComboxBackGroundColor"));
    ui->ProjectChoose->setStyleSheet(
        QStringLiteral("QComboBox{border: 1px solid gray; color: rgb(") + t + QStringLiteral("); border-image: url(")
        + p + QStringLiteral("ComboboxBack.png);}QComboBox::drop-down:button{border-radius:5px; background:rgb(") + k
        + QStringLiteral(");} QComboBox::down-arrow{image: url(") + p
        + QStringLiteral("Menu.png); right: 8px; }QComboBox::down-arrow:on{ image: url(") + p
        + QStringLiteral("MenuClicked.png);}QComboBox QAbstractItemView::item{height:25px;}QComboBox "
                         "QAbstractItemView {outline: 0px solid gray; border: 1px  solid gray;color: rgb(")
        + t + QStringLiteral("); border-image: url(") + p
        + QStringLiteral("ComboboxTextBack.png);selection-background-color: rgb(") + s
        + QStringLiteral("); }QComboBox:disabled{color: rgb(0, 0, 0);}"));
    auto* profileList = new QListView;
    profileList->setStyleSheet(QStringLiteral("QListView::item:selected{background-color: rgb(") + s
                               + QStringLiteral(");}QListView::item:hover{background-color: rgb(") + s
                               + QStringLiteral(");}"));
    ui->ProjectChoose->setView(profileList);

    ui->label_3->setStyleSheet(QStringLiteral("QLabel{color: rgb(") + skinColour(QStringLiteral("LabelColor"))
                               + QStringLiteral(";);}"));
    const QString action = QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                                          "color: rgb(")
        + c + QStringLiteral(";);border-image: url(") + p
        + QStringLiteral("Reset.png);}QToolButton:hover{border-image: url(") + p
        + QStringLiteral("ResetHover.png); }QToolButton:pressed{border-image: url(") + p
        + QStringLiteral("ResetClick.png); }");
    for (QWidget* button : {ui->Reset, ui->ImportData, ui->OutputData})
        button->setStyleSheet(action);

    const QString marker = QStringLiteral("QToolButton{color: rgb(0, 0, 0);border:0px;background-position:center;"
                                          "background-repeat:no-repeat;background-image: url(")
        + p + QStringLiteral("NumberOrigin.png);}QToolButton:hover{background-image: url(") + p
        + QStringLiteral("NumberHover.png);}QToolButton:pressed{padding-left: 0px;background-image: url(") + p
        + QStringLiteral("NumberClick.png);}");
    for (QAbstractButton* number : numberButtonGroup->buttons())
        number->setStyleSheet(marker);

    // White text on the option pictures, the checked one on its own
    // picture. (Stray braces and a loose colour between the two rules would
    // make Qt drop the whole sheet and leave the options unskinned.)
    auto option = [&](const QString& picture, const QString& checkedPicture) {
        return QStringLiteral("QToolButton{border:0px;color: rgb(255,255,255);background-position:center;"
                              "background-repeat:no-repeat;background-image: url(")
            + p + picture + QStringLiteral(");}QToolButton:checked{color: rgb(255,255,255);background-image: url(")
            + p + checkedPicture + QStringLiteral(");}");
    };
    const QString plainOption = option(QStringLiteral("BMenuTitle.png"), QStringLiteral("BMenuTitleChecked.png"));
    const QString subMenuOption = option(QStringLiteral("BMenuTitleB.png"), QStringLiteral("BMenuTitleCheckedB.png"));
    for (const char* name : kMainListOrder) {
        bool opensSubMenu = false;
        for (const char* entry : kSubMenuEntries)
            opensSubMenu |= qstrcmp(entry, name) == 0;
        findChild<QWidget*>(QLatin1String(name))->setStyleSheet(opensSubMenu ? subMenuOption : plainOption);
    }

    ui->label->setStyleSheet(QStringLiteral("#label{border:0px;color: rgb(255, 255, 255);background-position:center;"
                                            "background-repeat:no-repeat;background-image: url(")
                             + p + QStringLiteral("Config.png);}"));
}

void Buttoninterface::closeFunctionMenu()
{
    ui->stackedWidget->setCurrentWidget(ui->page);
    ui->scrollArea_11->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar {width:10px;}"));
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
}

void Buttoninterface::uncheckDisplayButtons()
{
    displayButtonGroup->setExclusive(false);
    for (const char* name : kScreenOrder)
        findChild<QToolButton*>(QLatin1String(name))->setChecked(false);
    displayButtonGroup->setExclusive(true);
}

void Buttoninterface::ClearMenuChecks()
{
    subOptionButtonGroup->setExclusive(false);
    for (const char* name : kMultimedia)
        findChild<QToolButton*>(QLatin1String(name))->setChecked(false);
    for (QToolButton* entry : macroEntries)
        entry->setChecked(false);
    for (const char* name : kLightSwitches)
        findChild<QToolButton*>(QLatin1String(name))->setChecked(false);
    for (const char* name : kDpiLocks)
        findChild<QToolButton*>(QLatin1String(name))->setChecked(false);
    for (const char* name : kWheelAndDpiSwitch)
        findChild<QToolButton*>(QLatin1String(name))->setChecked(false);
    subOptionButtonGroup->setExclusive(true);
}

void Buttoninterface::mousePressEvent(QMouseEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress || event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->pos();
    const QPoint raised(p.x(), p.y() - 340);
    const QRect band = ui->groupBox->geometry();
    const QRect list = ui->scrollArea_11->geometry();
    const QRect mainMenu = ui->stackedWidget->geometry();
    const QRect subMenu = ui->stackedWidget_2->geometry();
    auto mainOpen = [this] { return ui->stackedWidget->currentIndex() != kClosedMainPage; };
    auto subOpen = [this] { return ui->stackedWidget_2->currentIndex() != kDebouncePage; };

    if (mainOpen() && subOpen()) {
        if (!inside(band, p))
            closeFunctionMenu();
    } else if (mainOpen()) {
        if (!inside(list, p) && !inside(mainMenu, raised))
            closeFunctionMenu();
    }

    if (!mainOpen() && !subOpen()) {
        if (!inside(list, p) || inside(mainMenu, raised)) {
            uncheckDisplayButtons();
            closeFunctionMenu();
        }
    } else if (mainOpen() && !subOpen()) {
        if (!inside(band, p)) {
            uncheckDisplayButtons();
            closeFunctionMenu();
        }
    } else if (mainOpen()) {
        if (!inside(list, p) && !inside(mainMenu, p) && !inside(subMenu, p)) {
            uncheckDisplayButtons();
            closeFunctionMenu();
        }
    }

    if (inside(ui->widget->geometry(), p)) {
        uncheckDisplayButtons();
        closeFunctionMenu();
    }
}

// ---- Macro list ---------------------------------------------------------------------

void Buttoninterface::CreateMacroButtons()
{
    macroListLayout = new QVBoxLayout;
    macroListLayout->setSizeConstraint(QLayout::SetFixedSize);
    macroListWidget = new QWidget(this);
    macroListWidget->setMinimumSize(205, 220);
    macroListWidget->setMaximumSize(205, 220);
    macroListWidget->setStyleSheet(QStringLiteral("background-color:transparent;border:none;"));
    macroListWidget->setLayout(macroListLayout);
    ui->scrollArea_7->setWidget(macroListWidget);
    buildMacroEntries(kMenuPointSize);
}

void Buttoninterface::SlotAddMacroButton()
{
    buildMacroEntries(kMenuPointSize * screenFontFactor());
}

namespace {

// The folder's files the list is made from, by name.
QStringList macroListFiles()
{
    QStringList files;
    for (const QFileInfo& file : macroFolderFiles())
        files << file.fileName();
    // The macro editor keeps one file of its own in the folder.
    for (int i = 0; i < files.size(); ++i) {
        if (files.at(i).contains(QLatin1String("xml"))) {
            files.removeAt(i);
            break;
        }
    }
    return files;
}

} // namespace

void Buttoninterface::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // However the page comes on screen (its tab, a device opened, the way
    // home and back), it offers the macros the folder holds now: the macro
    // page may have made, renamed or deleted one since the last build. An
    // unchanged folder keeps the entries, and the one checked with them.
    if (macroListFiles() != macroEntriesBuiltFrom)
        SlotAddMacroButton();
}

void Buttoninterface::buildMacroEntries(double pointSize)
{
    qDeleteAll(macroEntries);
    macroEntries.clear();

    const QStringList files = macroListFiles();
    macroEntriesBuiltFrom = files;

    QFont font(QStringLiteral("微软雅黑"));
    font.setPointSizeF(pointSize);
    const QString style = QStringLiteral("QToolButton{color: rgb(") + buttonTextColor
        + QStringLiteral(";);border-image: url(") + pictureFolder
        + QStringLiteral("CMenuTitle.png);}QToolButton:hover{background-image: none;}QToolButton:checked{border-image: url(")
        + pictureFolder + QStringLiteral("CMenuTitleChecked.png);}");
    auto makeEntry = [&](const QString& text, int height) {
        auto* entry = new QToolButton(macroListWidget);
        entry->setText(text);
        entry->setStyleSheet(style);
        entry->setFont(font);
        entry->setMinimumSize(174, height);
        entry->setCheckable(true);
        macroListLayout->addWidget(entry);
        macroEntries.append(entry);
        return entry;
    };
    for (const QString& name : files) {
        if (name.contains(QLatin1String("xml")))
            continue;
        QToolButton* entry = makeEntry(macroNameOfFile(name), 22);
        subOptionButtonGroup->addButton(entry);
        connect(entry, &QToolButton::clicked, this, &Buttoninterface::slotButtonClicked);
    }
    // A short list keeps its entries at the top of the page.
    const int listed = files.size();
    if (listed >= 1 && listed <= 6) {
        for (int i = listed; i < 7; ++i) {
            QToolButton* filler = makeEntry(QString(), 23);
            filler->setEnabled(false);
            filler->hide();
        }
    }
}

int Buttoninterface::macroResendWaitMs = 1500;

QString Buttoninterface::strippedMacroCaption(int k) const
{
    QString caption = displayButton(k)->text().remove(QChar(0));
    if (!macroPrefix.isEmpty())
        caption.remove(macroPrefix);
    return caption;
}

bool Buttoninterface::isMacroButton(int k) const
{
    return buttonTypes.value(k, -1) == TypeMacro;
}

MacroBlock Buttoninterface::LoadMacroBlock(QString name, int /*k*/, bool& ok)
{
    QByteArray bytes;
    ok = deviceWriteEnabled && readMacroFile(name, &bytes);
    if (!ok) {
        MacroBlock none;
        std::memset(&none, 0, sizeof none);
        return none;
    }
    return macroBlockFromFile(name, bytes);
}

QString Buttoninterface::ReadMacroFileHead(QString name)
{
    QByteArray bytes;
    return readMacroFile(name, &bytes) ? macroFileHead(bytes) : QStringLiteral("0");
}

void Buttoninterface::AppendMacroFile(QString name, QString line)
{
    writeFileAtomically(macroFilePath(name), line.toUtf8() + '\n');
}

namespace {

// A "KeyParam" number of the catalogue, "0x" or not: hexadecimal.
int catalogueHex(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text.remove(0, 2);
    return text.toInt(nullptr, 16);
}

} // namespace

void Buttoninterface::restoreFactoryOption(int k)
{
    switch (k) {
    case 0: on_LeftKey_3_clicked(true); break;
    case 1: on_RightKey_3_clicked(true); break;
    case 2: on_MidKey_clicked(true); break;
    case 3: on_BackKey_2_clicked(true); break;
    case 4: on_ForWardKey_clicked(true); break;
    case 5: on_VolumeUp_8_clicked(true); break;
    case 6: on_VolumeUp_9_clicked(true); break;
    case 7: on_VolumeUp_10_clicked(true); break;
    case 8:
    case 9: on_DPI_2_clicked(true); break;
    case 10: on_DPI_6_clicked(true); break;
    case 11: on_DPI_5_clicked(true); break;
    default: break;
    }
}

void Buttoninterface::SlotDeleteMacroButton(QString MacroName)
{
    // What every button showed before the first of them changes; only macro
    // buttons are the deleted macro's, whatever another caption reads.
    QStringList captions;
    QVector<bool> macroButtons;
    for (int k = 0; k < kDisplayButtons; ++k) {
        captions << displayButton(k)->text().remove(QChar(0));
        macroButtons << isMacroButton(k);
    }
    // Buttons whose factory function is a key of the catalogue.
    QList<int> keptIndexes;
    QList<QStringList> keptLists;
    for (int i = 1; i <= 6; ++i) {
        const QStringList list =
            ConfigSettings::instance()->valueList(driveGroup(), QStringLiteral("KeyParam") + QString::number(i));
        if (!list.isEmpty() && list.first().trimmed() == QLatin1String("0x05")) {
            keptIndexes << i - 1;
            keptLists << list;
        }
    }

    for (int k : kScreenOrderIndexes) {
        if (captions.at(k) != MacroName || !macroButtons.at(k))
            continue;
        displayButton(k)->setChecked(true);
        std::memset(&CurrentFlashData.keyBlocks[k], 0, sizeof(KeyBlock));
        const int kept = keptIndexes.indexOf(k);
        if (kept < 0) {
            restoreFactoryOption(k);
            continue;
        }
        const QStringList& list = keptLists.at(kept);
        if (list.size() == 3)
            SetConsumerKeyButton(k, catalogueHex(list.at(2)) & 0xFF);
        else if (list.size() == 4)
            SetKeyComboButton(k, list.at(3).trimmed());
    }
    uncheckDisplayButtons();
    closeFunctionMenu();
    // The whole record once more, as every setter sends it: only to this
    // device, once its own record is here.
    if (DeviceAcceptsWrites())
        ProtocolDataUpdate(&CurrentFlashData);
}

void Buttoninterface::SlotMacroRename(QString Rename, QString Name)
{
    for (int k : kScreenOrderIndexes) {
        if (strippedMacroCaption(k) != Rename || !isMacroButton(k))
            continue;
        displayButton(k)->setText(macroPrefix + Name);
        MacroBlock block = CurrentFlashData.macroBlocks[k];
        setMacroBlockName(block, Name);
        const ButtonParam param = CurrentFlashData.buttons[k];
        if (!SetButtonMacro(k, &param, &block) && !DeviceAcceptsWrites())
            awaitDevice(Rename, Name);
    }
}

void Buttoninterface::SlotUpDataMacro(QString MacroName, int index)
{
    if (index == 0) {
        waitWithEvents(macroResendWaitMs);
        bool used = false;
        for (int k : kScreenOrderIndexes) {
            if (strippedMacroCaption(k) != MacroName || !isMacroButton(k))
                continue;
            used = true;
            PostMsg::GetInstance()->PostMacroDownLoadData(MacroName, k);
        }
        if (used && !DeviceAcceptsWrites())
            awaitDevice(MacroName, MacroName);
    } else if (index == 1) {
        const int repeat = ReadMacroFileHead(MacroName).toInt();
        for (int k : kScreenOrderIndexes) {
            if (strippedMacroCaption(k) != MacroName || !isMacroButton(k))
                continue;
            ButtonParam param = CurrentFlashData.buttons[k];
            param.value2 = uint8_t(repeat & 0xFF);
            const MacroBlock block = CurrentFlashData.macroBlocks[k];
            if (!SetButtonMacro(k, &param, &block) && !DeviceAcceptsWrites())
                awaitDevice(MacroName, MacroName);
        }
    }
}

void Buttoninterface::awaitDevice(const QString& deviceName, const QString& fileName)
{
    // A macro renamed again before the device saw the first name keeps the
    // name the device has.
    for (auto it = pendingMacros.begin(); it != pendingMacros.end(); ++it) {
        if (it.value() == deviceName) {
            it.value() = fileName;
            return;
        }
    }
    pendingMacros.insert(deviceName, fileName);
}

void Buttoninterface::sendPendingMacros()
{
    if (!DeviceAcceptsWrites())
        return;
    const QMap<QString, QString> pending = pendingMacros;
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        bool sent = true;
        for (int k : kScreenOrderIndexes) {
            if (strippedMacroCaption(k) != it.key() || !isMacroButton(k))
                continue;
            bool ok = false;
            const MacroBlock block = LoadMacroBlock(it.value(), k, ok);
            // A macro whose file has gone since has nothing left to send.
            if (!ok)
                continue;
            const int repeat = ReadMacroFileHead(it.value()).toInt();
            const ButtonParam param{uint8_t(TypeMacro), uint8_t(k), uint8_t(repeat & 0xFF)};
            if (SetButtonMacro(k, &param, &block)) {
                displayButton(k)->setText(macroPrefix + it.value());
                StoreButtonParam(k, TypeMacro, k, repeat);
            } else {
                sent = false;
            }
        }
        if (sent)
            pendingMacros.remove(it.key());
    }
}

// ---- Macro assignment -------------------------------------------------------------------

void Buttoninterface::on_DPI_10_clicked()
{
    if (!macroEntries.isEmpty()) {
        ui->stackedWidget_2->setCurrentWidget(ui->page_5);
        return;
    }
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
    MakeMacro notice(nullptr);
    placeDialog(&notice, this, kMenuDialogDx, kMenuDialogDy);
    execForDevicePage(&notice);
}

void Buttoninterface::slotButtonClicked(bool checked)
{
    if (!checked)
        return;
    auto* entry = qobject_cast<QAbstractButton*>(sender());
    const int k = checkedDeviceIndex();
    if (entry && k >= 0) {
        const QString name = entry->text();
        bool ok = false;
        const MacroBlock block = LoadMacroBlock(name, k, ok);
        if (ok) {
            const int repeat = ReadMacroFileHead(name).toInt();
            const ButtonParam param{uint8_t(TypeMacro), uint8_t(k), uint8_t(repeat & 0xFF)};
            if (SetButtonMacro(k, &param, &block)) {
                displayButton(k)->setText(macroPrefix + name);
                StoreButtonParam(k, TypeMacro, k, repeat);
                // The device now has what the user chose.
                pendingMacros.remove(name);
            }
        }
    }
    closeFunctionMenu();
}

// ---- Model and fills ----------------------------------------------------------------

void Buttoninterface::StoreButtonParam(int index, int type, int value1, int value2)
{
    if (index < 0 || index >= buttonTypes.size())
        return;
    buttonTypes[index] = type;
    buttonValues1[index] = value1;
    buttonValues2[index] = value2;
}

void Buttoninterface::rebuildFromRecord(const FlashDataMap& record)
{
    sensorName = ConfigSettings::instance()->value(driveGroup(), QStringLiteral("Sensor"));
    const int count = catalogueKeyNumber();
    buttonTypes.clear();
    buttonValues1.clear();
    buttonValues2.clear();
    for (int i = 0; i < count; ++i) {
        buttonTypes.append(record.buttons[i].type);
        buttonValues1.append(record.buttons[i].value1);
        buttonValues2.append(record.buttons[i].value2);
    }
    for (int i = 0; i < count; ++i)
        SetButtonText(i, buttonTypes.at(i), buttonValues1.at(i), buttonValues2.at(i), record);
}

void Buttoninterface::loadFactoryModel()
{
    buttonTypes.clear();
    buttonValues1.clear();
    buttonValues2.clear();
    FlashDataMap none;
    std::memset(&none, 0, sizeof none);
    for (int i = 0; i < kDisplayButtons; ++i) {
        buttonTypes.append(kFactoryTypes[i]);
        buttonValues1.append(kFactoryValues1[i]);
        buttonValues2.append(i == kRapidFireIndex ? FireCount : 0);
        SetButtonText(i, kFactoryTypes[i], kFactoryValues1[i], buttonValues2.last(), none);
    }
}

void Buttoninterface::fillFromRecord(const FlashDataMap& record)
{
    buttonPageFilling = 1;
    PostMsg::GetInstance()->PostLightToFrom(record.sleepTime * 10);
    rebuildFromRecord(record);
    ui->DebunceButton->setCurrentIndex(record.debounceTime);
    // An open menu shows the function the selected button had before.
    closeFunctionMenu();
    buttonPageFilling = 0;
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap DataMap)
{
    buttonPageUpdated = 0;
    fillFromRecord(DataMap);
    buttonPageUpdated = 1;
    // The device is back: what it missed goes after the fill, never in it.
    if (!pendingMacros.isEmpty())
        QTimer::singleShot(0, this, &Buttoninterface::sendPendingMacros);
}

void Buttoninterface::SlotChangeMainDialog(int /*index*/)
{
    uncheckDisplayButtons();
    closeFunctionMenu();
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap DataMap)
{
    fillFromRecord(DataMap);
}

void Buttoninterface::SlotFormResetButton()
{
    buttonPageFilling = 1;
    setMousePicture();
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostMouseIndex(0);
    closeFunctionMenu();
    loadFactoryModel();
    ui->DebunceButton->setCurrentIndex(kFactoryDebounce);
    hub->PostLightToFrom(kFactoryIdleSeconds);
    buttonPageFilling = 0;
}

void Buttoninterface::SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable)
{
    ui->ProjectChoose->clear();
    {
        const QSignalBlocker blocker(ui->ProjectChoose);
        const int items = ToTalItem == 0 ? 1 : ToTalItem;
        for (int i = 0; i < items; ++i)
            ui->ProjectChoose->addItem(profilePrefix + QString::number(i + 1));
    }
    ui->ProjectChoose->setEnabled(ItemEnable);
    // A profile byte past the list selects nothing new.
    if (ToTalItem > 0 && SelectIndex >= 0 && SelectIndex < ui->ProjectChoose->count())
        ui->ProjectChoose->setCurrentIndex(SelectIndex);
}

void Buttoninterface::SlotMouseIndex(int /*index*/)
{
    setMousePicture();
}

// ---- Texts ----------------------------------------------------------------------------

void Buttoninterface::SlotAllLanguage(int index)
{
    QFont menuFont(QStringLiteral("微软雅黑"), 9);
    menuFont.setBold(false);
    menuFont.setItalic(false);
    if (textsApplied)
        menuFont.setPointSizeF(kMenuPointSize * screenFontFactor());
    for (const char* name : kMainListOrder)
        findChild<QWidget*>(QLatin1String(name))->setFont(menuFont);
    textsApplied = 1;

    for (const WidgetText& entry : kWidgetTexts) {
        QWidget* widget = findChild<QWidget*>(QLatin1String(entry.name));
        const QString text = ButtoninterfaceTexts.text(index, entry.item);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(text);
        else if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(text);
    }
    ui->ImportData->setToolTip(QString());
    ui->OutputData->setToolTip(QString());
    ui->Button7->setText(QStringLiteral("DPI+"));
    ui->Button8->setText(QStringLiteral("DPI-"));

    macroPrefix = ButtoninterfaceTexts.text(index, ItemMacroPrefix);
    profilePrefix = ButtoninterfaceTexts.text(index, ItemProfilePrefix);
    const QString unit = ButtoninterfaceTexts.text(index, ItemDebounceUnit);
    for (int i = 0; i < 16; ++i)
        ui->DebunceButton->setItemSuffix(i, unit);

    // The captions again in the new language: from this device's own record
    // once it has arrived, else from its cache, else the factory functions.
    FlashDataMap cached;
    if (deviceRecordReceived) {
        rebuildFromRecord(CurrentFlashData);
    } else if (Worker::readDeviceCache(selectedCacheName, &cached)) {
        rebuildFromRecord(cached);
    } else {
        loadFactoryModel();
    }

    const int profiles = ui->ProjectChoose->count();
    const int current = ui->ProjectChoose->currentIndex();
    const QSignalBlocker blocker(ui->ProjectChoose);
    ui->ProjectChoose->clear();
    for (int i = 0; i < profiles; ++i)
        ui->ProjectChoose->insertItem(i, profilePrefix + QString::number(i + 1));
    ui->ProjectChoose->setCurrentIndex(current);
}

void Buttoninterface::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        const int current = ui->ProjectChoose->currentIndex();
        const QSignalBlocker blocker(ui->ProjectChoose);
        ui->retranslateUi(this);
        ui->ProjectChoose->setCurrentIndex(current);
    }
    QWidget::changeEvent(event);
}

// ---- Key names and DPI lock --------------------------------------------------------

namespace {

struct NamedCode
{
    const char* name;
    int code;
};

// Modifier bits of key texts; macro events name the sides (the key table's
// LCtrl .. RWin).
const NamedCode kTextModifiers[] = {{"Ctrl", 0x01}, {"Shift", 0x02}, {"Alt", 0x04}, {"Win", 0x08}};

constexpr int kModifierKind = 0;
constexpr int kKeyboardKind = 1;
constexpr int kKeyDelayMs = 10;
// A key block's six events hold three keys.
constexpr int kMaxComboKeys = kKeyBlockEvents / 2;

// The code of a name among modifiers; -1 when it is none of them.
template <std::size_t N>
int modifierCode(const NamedCode (&modifiers)[N], const QString& name)
{
    for (const NamedCode& modifier : modifiers)
        if (name == QLatin1String(modifier.name))
            return modifier.code;
    return -1;
}

} // namespace

QString Buttoninterface::KeyCodeToName(int code, int mode)
{
    // Codes that are a modifier bit in mode 0 and a keyboard usage in mode 1.
    switch (code) {
    case 0x04:
    case 0x08:
    case 0x10:
    case 0x20:
    case 0x40: {
        static const char* const modifiers[] = {"Alt", "Win", "Ctrl", "Shift", "Alt"};
        static const char* const usages[] = {"A", "E", "M", "3", "F7"};
        const int i = code == 0x04 ? 0 : code == 0x08 ? 1 : code == 0x10 ? 2 : code == 0x20 ? 3 : 4;
        if (mode == 0)
            return QLatin1String(modifiers[i]);
        if (mode == 1)
            return QLatin1String(usages[i]);
        return QString();
    }
    case 0x01:
        return QStringLiteral("Ctrl");
    case 0x02:
        return QStringLiteral("Shift");
    case 0x80:
        return QStringLiteral("Win");
    case 0x58:
        return QStringLiteral("Enter");
    default:
        return keyNameOfUsage(code);
    }
}

KeyBlock Buttoninterface::KeyTextToKeyBlock(const QString& text)
{
    const QStringList names = splitKeyText(text).mid(0, kMaxComboKeys);
    const int n = names.size();
    KeyBlock block;
    std::memset(&block, 0, sizeof block);
    for (int i = 0; i < n; ++i)
        block = KeyNameToEvents(names.at(i), i, n, block);
    block.count = uint8_t(2 * n);
    return block;
}

KeyBlock Buttoninterface::KeyNameToEvents(const QString& name, int i, int n, KeyBlock block)
{
    if (n < 1 || n > kMaxComboKeys || i < 0 || i >= n)
        return block;
    const int modifier = modifierCode(kTextModifiers, name);
    DeviceEvent& press = block.events[i];
    DeviceEvent& release = block.events[2 * n - 1 - i];
    press.action = 0;
    release.action = 1;
    for (DeviceEvent* event : {&press, &release}) {
        event->kind = uint8_t(modifier >= 0 ? kModifierKind : kKeyboardKind);
        event->setCode(uint16_t(modifier >= 0 ? modifier : qMax(keyUsage(name), 0)));
        event->setDelay(kKeyDelayMs);
    }
    return block;
}

void Buttoninterface::KeyNameToSlot(const QString& name, int e, MacroBlock& block)
{
    if (e < 0 || e >= kMacroBlockEvents)
        return;
    writeKeyEventCode(name, block.events[e]);
}

KeyBlock Buttoninterface::MakeConsumerKeyBlock(int high, int low)
{
    KeyBlock block;
    std::memset(&block, 0, sizeof block);
    block.count = 2;
    for (int e = 0; e < 2; ++e) {
        block.events[e].action = uint8_t(e);
        block.events[e].kind = kConsumerKind;
        block.events[e].setCode(uint16_t((low & 0xFF) | (high & 0xFF) << 8));
        block.events[e].setDelay(kKeyDelayMs);
    }
    return block;
}

void Buttoninterface::WaitMs(int ms)
{
    waitWithEvents(ms);
}

int Buttoninterface::DpiToSensorValue(int dpi) const
{
    return DpiToSensorValue(dpi, sensorName, sensorDefineTable);
}

int Buttoninterface::SensorValueToDpi(int value) const
{
    return SensorValueToDpi(value, sensorName, sensorDefineTable);
}

int Buttoninterface::DpiToSensorValue(int dpi, const QString& model, const SensorDefineTable& defines)
{
    if (!defines.hasDpiDefines(model))
        return dpi / 50 - 1;
    const int i = defines.indexOf(QStringLiteral("SENSOR_") + model + QStringLiteral("_DPI_") + QString::number(dpi));
    return i >= 0 ? defines.values.at(i) : dpi / 50;
}

int Buttoninterface::SensorValueToDpi(int value, const QString& model, const SensorDefineTable& defines)
{
    const QString prefix = QStringLiteral("SENSOR_") + model + QStringLiteral("_DPI");
    bool defined = false;
    for (int i = 0; i < defines.names.size() && i < defines.values.size(); ++i) {
        const QString& name = defines.names.at(i);
        if (!name.contains(prefix))
            continue;
        defined = true;
        if (defines.values.at(i) != value)
            continue;
        // The number starts two characters after the first capital I: the
        // DPI after "_DPI_".
        const int capitalI = name.indexOf(QLatin1Char('I'));
        return capitalI < 0 ? 0 : name.mid(capitalI + 2).toInt();
    }
    return defined ? 0 : (value + 1) * 50;
}

// ---- Captions ---------------------------------------------------------------------------

QString Buttoninterface::keyComboCaption(const KeyBlock& block) const
{
    // The presses come first, one per key; a count past the block's events
    // reads no further than the block.
    const int keys = qMin(block.count / 2, int(kKeyBlockEvents));
    QStringList names;
    for (int i = 0; i < keys; ++i)
        names << KeyCodeToName(block.events[i].codeLE[0], block.events[i].kind);
    return names.join(QLatin1Char('+'));
}

namespace {

// The record in memory is what the device holds once this device's own
// record has come (a setter keeps it so, an import replaces it only when the
// device took the new one). A fill's macro for a button is the device's when
// it is that record's, assignment and block alike.
bool deviceHoldsMacro(const FlashDataMap& record, int index)
{
    return deviceRecordReceived
           && std::memcmp(&record.buttons[index], &CurrentFlashData.buttons[index], sizeof(ButtonParam)) == 0
           && std::memcmp(&record.macroBlocks[index], &CurrentFlashData.macroBlocks[index], sizeof(MacroBlock)) == 0;
}

} // namespace

void Buttoninterface::SetButtonText(int index, int type, int value1, int value2, FlashDataMap record)
{
    QToolButton* display = displayButton(index);
    if (!display)
        return;
    auto optionText = [this](const char* name) { return findChild<QToolButton*>(QLatin1String(name))->text(); };
    auto pick = [&](int value, std::initializer_list<std::pair<int, const char*>> choices) {
        for (const auto& choice : choices)
            if (choice.first == value) {
                display->setText(optionText(choice.second));
                return;
            }
    };

    switch (type) {
    case TypeDisabled:
        display->setText(optionText("DPI_5"));
        break;
    case TypeMouseButton:
        pick(value1, {{1, "LeftKey_3"}, {2, "RightKey_3"}, {4, "MidKey"}, {8, "BackKey_2"}, {16, "ForWardKey"}});
        break;
    case TypeDpiSwitch:
        pick(value1, {{1, "VolumeUp_8"}, {2, "VolumeUp_9"}, {3, "VolumeUp_10"}});
        break;
    case TypeHorizontalWheel:
        pick(value1, {{1, "VolumeUp_2"}, {2, "VolumeDown_2"}});
        break;
    case TypeRapidFire:
        display->setText(optionText("DPI_6"));
        break;
    case TypeKeyFunction: {
        const KeyBlock& block = record.keyBlocks[index];
        if (block.events[0].kind == kConsumerKind) {
            const int row = multimediaRow(block);
            if (row >= 0)
                display->setText(optionText(kConsumerOptions[row].option));
        } else {
            display->setText(keyComboCaption(block));
        }
        break;
    }
    case TypeMacro: {
        // The caption shows the name the macro's file and the macro page use,
        // so that rename and update find the button.
        const QString name = safeMacroName(macroBlockName(record.macroBlocks[index]));
        display->setText(macroPrefix + name);
        // Only the macro the device holds may replace the user's file. A
        // record from the device cache, or any other that is not what the
        // device holds for this button, shows its caption and nothing more.
        // A macro the user changed while the device was offline: the user's
        // file wins over the device's older block, which goes once the device
        // is back.
        if (!deviceHoldsMacro(record, index) || pendingMacros.contains(name))
            break;
        const MacroBlock& block = record.macroBlocks[index];
        QByteArray old;
        if (readMacroFile(name, &old) && macroFileGivesBlock(old, block)) {
            // The file already sends the device's macro: its rows stay as
            // they are, only the head follows the device.
            setMacroFileHead(name, old, QString::number(value2));
        } else {
            // The device's macro replaces the file; other events the user
            // had in it are kept aside, not lost.
            keepMacroFileBeforeFill(name, macroRowsFromBlock(block));
            AppendMacroFile(name, QString::number(value2));
        }
        PostMsg::GetInstance()->PostButtonToMacro(record, index);
        break;
    }
    case TypeReportRateSwitch:
        display->setText(optionText("DPI_2"));
        break;
    case TypeLightSwitch:
        pick(value1, {{0, "VolumeUp_4"}, {1, "VolumeUp_5"}, {3, "VolumeUp_6"}, {4, "VolumeUp_7"}});
        break;
    case TypeProfileSwitch:
        display->setText(optionText("DPI_3"));
        break;
    case TypeDpiLock:
        display->setText(optionText("DPI_4") + QLatin1Char('-') + QString::number(SensorValueToDpi(value1)));
        break;
    case TypeVerticalWheel:
        pick(value1, {{1, "VolumeUp_14"}, {2, "VolumeDown_14"}});
        break;
    default:
        break;
    }
}

// ---- Configuration files and factory reset -------------------------------------------

namespace {

const char kConfigFileFilter[] = "File(*.bin)";
// Where the page's dialogs go: its centre, moved up and to the left.
const int kDialogDx = -75;
const int kDialogDy = -65;

} // namespace

void Buttoninterface::on_OutputData_clicked()
{
    // Until this device's own record has arrived the record in memory may be
    // another device's: export nothing, and let the offline notice's watch
    // read the device again.
    if (!deviceRecordReceived) {
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        return;
    }
    const QString fileName = askSaveFileName(this, QStringLiteral("FileSave"), QLatin1String(kConfigFileFilter));
    if (!fileName.isEmpty())
        SaveConfigFile(fileName, CurrentFlashData);
}

void Buttoninterface::SaveConfigFile(QString fileName, FlashDataMap data)
{
    const QString group = QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
    const QString sensor = ConfigSettings::instance()->value(group, QStringLiteral("Sensor"));
    // The file is written whole or not at all; a failure must not pass for
    // a saved file.
    if (writeConfigFile(fileName, sensor.toUtf8(), data))
        return;
    importFailReason = kExportNotWritten;
    InportFail notice(nullptr);
    placeDialog(&notice, this, kDialogDx, kDialogDy);
    execForDevicePage(&notice);
}

void Buttoninterface::on_ImportData_clicked()
{
    if (!UsbFinderC_GetDeviceOnLine(devicePath)) {
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        return;
    }
    waitDialogShown = 1;
    // Empty too when the page was left meanwhile: nothing goes to a device
    // that is no longer open.
    const QString fileName = askOpenFileName(this, QStringLiteral("SelectFile"), QLatin1String(kConfigFileFilter));
    if (!fileName.isEmpty()) {
        importWaitText = 1;
        UpDataParam wait(nullptr);
        wait.startWaitTimer();
        wait.importMode = 1;
        wait.filePath = fileName;
        placeDialog(&wait, this, kDialogDx, kDialogDy);
        execForDevicePage(&wait);
        importWaitText = 0;
    }
    waitDialogShown = 0;
}

void Buttoninterface::on_Reset_clicked()
{
    // The reset sends the record in memory first: until this device's own
    // record has arrived that record may be another device's.
    if (!CheckDeviceOnline())
        return;
    ContainReset confirm(nullptr);
    placeDialog(&confirm, this, kDialogDx, kDialogDy);
    if (!execForDevicePage(&confirm) || !confirm.okClicked)
        return;

    waitDialogShown = 1;
    QTimer* onlineTimer = deviceWorker ? deviceWorker->onlineTimer() : nullptr;
    if (onlineTimer)
        onlineTimer->stop();
    UsbServer_SetBatteryOptimizeEnable(0);
    ProtocolDataUpdate(&CurrentFlashData);
    UsbServer_SetClearSetting();
    UpDataParam wait(nullptr);
    wait.startWaitTimer();
    wait.waitForPages = 1;
    workerRunAllowed = 1;
    if (deviceWorker)
        deviceWorker->start(QThread::InheritPriority);
    placeDialog(&wait, this, kDialogDx, kDialogDy);
    const bool pageKept = execForDevicePage(&wait);
    waitDialogShown = 0;
    // A device left meanwhile has no online check to come back to.
    if (onlineTimer && pageKept)
        onlineTimer->start();
}

void Buttoninterface::on_ProjectChoose_activated(int index)
{
    if (UsbFinderC_GetDeviceOnLine(devicePath)) {
        // The device answers with the new profile's record, which refills
        // the pages.
        UsbServer_SetCurrentConfig(static_cast<unsigned char>(index));
        return;
    }
    ui->ProjectChoose->setCurrentIndex(ui->ProjectChoose->previousIndex);
    PostMsg::GetInstance()->PostMouseOffLineo(0);
}

void Buttoninterface::on_ProjectChoose_currentIndexChanged(int /*index*/)
{
}

// ---- Function menu ---------------------------------------------------------------------

namespace {


// One menu scroll step, and one display row, in pixels.
constexpr int kMenuStepPixels = 15;
constexpr int kDisplayRowPixels = 20;


const QString kNarrowScrollBar = QStringLiteral("QScrollBar {width:10px;}");
const QString kHiddenScrollBar = QStringLiteral("QScrollBar {width:0px;}");

// Main-list steps of the menu by type; a mouse button's step is its entry's.
constexpr int kMainStepDisabled = 9;
constexpr int kMainStepDpiSwitch = 13;
constexpr int kMainStepWheel = 10;
constexpr int kMainStepRapidFire = 7;
constexpr int kMainStepMultimedia = 16;
constexpr int kMainStepKeyCombo = 8;
constexpr int kMainStepMacro = 15;
constexpr int kMainStepReportRate = 5;
constexpr int kMainStepLightSwitch = 12;
constexpr int kMainStepProfile = 6;
constexpr int kMainStepDpiLock = 15;

struct ValueOption
{
    int value;
    const char* option;
};

// The option of a value, or null.
QToolButton* optionOf(const QWidget* page, int value, std::initializer_list<ValueOption> choices)
{
    for (const ValueOption& choice : choices)
        if (choice.value == value)
            return page->findChild<QToolButton*>(QLatin1String(choice.option));
    return nullptr;
}

void checkIfAny(QAbstractButton* button)
{
    if (button)
        button->setChecked(true);
}

} // namespace

int Buttoninterface::checkedDeviceIndex() const
{
    for (int k : kScreenOrderIndexes)
        if (displayButton(k)->isChecked())
            return k;
    return -1;
}

void Buttoninterface::showMenuOn(QWidget* subPage, QAbstractButton* entry, int mainStep)
{
    ui->stackedWidget->setCurrentWidget(ui->page_2);
    ui->stackedWidget_2->setCurrentWidget(subPage);
    checkIfAny(entry);
    ui->scrollArea_4->verticalScrollBar()->setValue(kMenuStepPixels * mainStep);
}

void Buttoninterface::ShowMenuForButton(int k)
{
    QToolButton* button = displayButton(k);
    if (!button)
        return;

    // The left click must stay on some button.
    const QString leftClick = ui->LeftKey_3->text();
    int leftClickButtons = 0;
    for (int i = 0; i < kDisplayButtons; ++i)
        leftClickButtons += displayButton(i)->text() == leftClick;
    if (button->text() == leftClick && leftClickButtons == 1) {
        ui->stackedWidget->setCurrentWidget(ui->page);
        ui->stackedWidget_2->setCurrentWidget(ui->page_9);
        uncheckDisplayButtons();
        LeftButtonOnly notice(nullptr);
        placeDialog(&notice, this, kMenuDialogDx, kMenuDialogDy);
        execForDevicePage(&notice);
        return;
    }

    // Rows 2 to 6 fit the list without its scroll bar under the open menu.
    const bool shortList = k >= 1 && k <= 5;
    ui->scrollArea_11->verticalScrollBar()->setStyleSheet(shortList ? kHiddenScrollBar : kNarrowScrollBar);

    // A page not filled yet holds no assignment for the button.
    const int t = k < buttonTypes.size() ? buttonTypes.at(k) : -1;
    const int v = k < buttonValues1.size() ? buttonValues1.at(k) : 0;
    QScrollBar* dpiLockList = ui->scrollArea_10->verticalScrollBar();
    int dpiLockStep = 0;

    switch (t) {
    case TypeDisabled:
        showMenuOn(ui->page_9, ui->DPI_5, kMainStepDisabled);
        break;
    case TypeMouseButton: {
        static const ValueOption buttons[] = {
            {1, "LeftKey_3"}, {2, "RightKey_3"}, {4, "MidKey"}, {8, "BackKey_2"}, {16, "ForWardKey"}};
        int step = 0;
        QToolButton* entry = nullptr;
        for (int i = 0; i < 5; ++i)
            if (buttons[i].value == v) {
                entry = findChild<QToolButton*>(QLatin1String(buttons[i].option));
                step = i;
            }
        showMenuOn(ui->page_9, entry, step);
        break;
    }
    case TypeDpiSwitch:
        showMenuOn(ui->page_7, ui->DPI_7, kMainStepDpiSwitch);
        checkIfAny(optionOf(this, v, {{1, "VolumeUp_8"}, {2, "VolumeUp_9"}, {3, "VolumeUp_10"}}));
        break;
    case TypeHorizontalWheel:
        showMenuOn(ui->page_4, ui->DPI_11, kMainStepWheel);
        checkIfAny(optionOf(this, v, {{1, "VolumeUp_2"}, {2, "VolumeDown_2"}}));
        break;
    case TypeRapidFire:
        showMenuOn(ui->page_9, ui->DPI_6, kMainStepRapidFire);
        break;
    case TypeKeyFunction: {
        // Menu and caption tell a multimedia key alike.
        const int row = multimediaRow(CurrentFlashData.keyBlocks[k]);
        if (row >= 0) {
            showMenuOn(ui->page_3, ui->DPI_12, kMainStepMultimedia);
            findChild<QToolButton*>(QLatin1String(kConsumerOptions[row].option))->setChecked(true);
        } else {
            showMenuOn(ui->page_9, ui->DPI_8, kMainStepKeyCombo);
        }
        ui->scrollArea_3->verticalScrollBar()->setValue(kMenuStepPixels * qMax(row, 0));
        break;
    }
    case TypeMacro: {
        showMenuOn(ui->page_5, ui->DPI_10, kMainStepMacro);
        const QString shown = QString(button->text()).remove(QChar(0));
        for (int i = 0; i < macroEntries.size(); ++i) {
            if (macroPrefix + macroEntries.at(i)->text() != shown)
                continue;
            macroEntries.at(i)->setChecked(true);
            ui->scrollArea_7->verticalScrollBar()->setValue(kMenuStepPixels * (i + 1));
        }
        break;
    }
    case TypeReportRateSwitch:
        showMenuOn(ui->page_9, ui->DPI_2, kMainStepReportRate);
        break;
    case TypeLightSwitch:
        showMenuOn(ui->page_6, ui->DPI_9, kMainStepLightSwitch);
        checkIfAny(optionOf(this, v, {{0, "VolumeUp_4"}, {1, "VolumeUp_5"}, {3, "VolumeUp_6"}, {4, "VolumeUp_7"}}));
        break;
    case TypeProfileSwitch:
        showMenuOn(ui->page_9, ui->DPI_3, kMainStepProfile);
        break;
    case TypeDpiLock: {
        showMenuOn(ui->page_8, ui->DPI_4, kMainStepDpiLock);
        const int dpi = SensorValueToDpi(v);
        if (dpi >= 100 && dpi <= 1200 && dpi % 100 == 0) {
            dpiLockStep = dpi / 100 - 1;
            findChild<QToolButton*>(QLatin1String(kDpiLocks[dpiLockStep]))->setChecked(true);
        }
        break;
    }
    case TypeVerticalWheel:
        showMenuOn(ui->page_10, ui->DPI_13, kMainStepWheel);
        checkIfAny(optionOf(this, v, {{1, "VolumeUp_14"}, {2, "VolumeDown_14"}}));
        break;
    default:
        ui->scrollArea_4->verticalScrollBar()->setValue(0);
        break;
    }
    if (t != TypeKeyFunction)
        dpiLockList->setValue(kMenuStepPixels * dpiLockStep);
}

void Buttoninterface::on_FireKey_clicked() { ShowMenuForButton(0); }
void Buttoninterface::on_RightKey_clicked() { ShowMenuForButton(1); }
void Buttoninterface::on_BackKey_clicked() { ShowMenuForButton(2); }
void Buttoninterface::on_StartPause_clicked() { ShowMenuForButton(4); }
void Buttoninterface::on_TopMusic_clicked() { ShowMenuForButton(3); }
void Buttoninterface::on_BackMusic_clicked() { ShowMenuForButton(5); }
void Buttoninterface::on_Button7_clicked() { ShowMenuForButton(6); }
void Buttoninterface::on_Button8_clicked() { ShowMenuForButton(7); }
void Buttoninterface::on_Button9_clicked() { ShowMenuForButton(8); }
void Buttoninterface::on_Button10_clicked() { ShowMenuForButton(9); }
void Buttoninterface::on_Button11_clicked() { ShowMenuForButton(10); }
void Buttoninterface::on_Button12_clicked() { ShowMenuForButton(11); }

void Buttoninterface::selectRow(int row)
{
    // The notice is all an offline device gets here: the selection holds.
    CheckDeviceOnline();
    QToolButton* button = displayButton(kScreenOrderIndexes[row - 1]);
    // The menu open for another button would offer that button's function.
    if (!button->isChecked())
        closeFunctionMenu();
    button->setChecked(true);
    ui->scrollArea_11->verticalScrollBar()->setValue(kDisplayRowPixels * (row - 1));
}

void Buttoninterface::on_Number1_clicked() { selectRow(1); }
void Buttoninterface::on_Number2_clicked() { selectRow(2); }
void Buttoninterface::on_Number3_clicked() { selectRow(3); }
void Buttoninterface::on_Number4_clicked() { selectRow(4); }
void Buttoninterface::on_Number5_clicked() { selectRow(5); }
void Buttoninterface::on_Number6_clicked() { selectRow(6); }
void Buttoninterface::on_Number7_clicked() { selectRow(7); }
void Buttoninterface::on_Number8_clicked() { selectRow(8); }
void Buttoninterface::on_Number9_clicked() { selectRow(9); }
void Buttoninterface::on_Number10_clicked() { selectRow(10); }
void Buttoninterface::on_Number11_clicked() { selectRow(11); }
void Buttoninterface::on_Number12_clicked() { selectRow(12); }

void Buttoninterface::on_DPI_11_clicked() { ui->stackedWidget_2->setCurrentWidget(ui->page_4); }
void Buttoninterface::on_DPI_12_clicked() { ui->stackedWidget_2->setCurrentWidget(ui->page_3); }
void Buttoninterface::on_DPI_13_clicked() { ui->stackedWidget_2->setCurrentWidget(ui->page_10); }
void Buttoninterface::on_DPI_4_clicked() { ui->stackedWidget_2->setCurrentWidget(ui->page_8); }
void Buttoninterface::on_DPI_7_clicked() { ui->stackedWidget_2->setCurrentWidget(ui->page_7); }
void Buttoninterface::on_DPI_9_clicked() { ui->stackedWidget_2->setCurrentWidget(ui->page_6); }

void Buttoninterface::on_stackedWidget_currentChanged(int arg1)
{
    // The open menu covers the right of the display list.
    if (arg1 == kClosedMainPage)
        ui->scrollArea_11->raise();
    else
        ui->stackedWidget->raise();
}

// ---- Assignments ------------------------------------------------------------------------

void Buttoninterface::assignChecked(int type, int value1, int value2, const QString& caption)
{
    const int k = checkedDeviceIndex();
    if (k >= 0 && SetButtonAssignment(k, type, value1, value2)) {
        displayButton(k)->setText(caption);
        StoreButtonParam(k, type, value1, value2);
    }
    closeFunctionMenu();
}

void Buttoninterface::assignFixed(bool checked, QToolButton* option, int type, int value1, bool clearsChecks)
{
    if (!checked)
        return;
    if (clearsChecks)
        ClearMenuChecks();
    assignChecked(type, value1, 0, option->text());
}

void Buttoninterface::assignDpiLock(bool checked, QToolButton* option, int dpi)
{
    if (!checked)
        return;
    assignChecked(TypeDpiLock, DpiToSensorValue(dpi), 0, ui->DPI_4->text() + QLatin1Char('-') + option->text());
}

void Buttoninterface::on_LeftKey_3_clicked(bool checked) { assignFixed(checked, ui->LeftKey_3, TypeMouseButton, 1, true); }
void Buttoninterface::on_RightKey_3_clicked(bool checked) { assignFixed(checked, ui->RightKey_3, TypeMouseButton, 2, true); }
void Buttoninterface::on_MidKey_clicked(bool checked) { assignFixed(checked, ui->MidKey, TypeMouseButton, 4, true); }
void Buttoninterface::on_BackKey_2_clicked(bool checked) { assignFixed(checked, ui->BackKey_2, TypeMouseButton, 8, true); }
void Buttoninterface::on_ForWardKey_clicked(bool checked) { assignFixed(checked, ui->ForWardKey, TypeMouseButton, 16, true); }
void Buttoninterface::on_DPI_5_clicked(bool checked) { assignFixed(checked, ui->DPI_5, TypeDisabled, 0, true); }
void Buttoninterface::on_DPI_2_clicked(bool checked) { assignFixed(checked, ui->DPI_2, TypeReportRateSwitch, 0, true); }
void Buttoninterface::on_DPI_3_clicked(bool checked) { assignFixed(checked, ui->DPI_3, TypeProfileSwitch, 0, true); }
void Buttoninterface::on_VolumeUp_8_clicked(bool checked) { assignFixed(checked, ui->VolumeUp_8, TypeDpiSwitch, 1, false); }
void Buttoninterface::on_VolumeUp_9_clicked(bool checked) { assignFixed(checked, ui->VolumeUp_9, TypeDpiSwitch, 2, false); }
void Buttoninterface::on_VolumeUp_10_clicked(bool checked) { assignFixed(checked, ui->VolumeUp_10, TypeDpiSwitch, 3, false); }
void Buttoninterface::on_VolumeUp_2_clicked(bool checked) { assignFixed(checked, ui->VolumeUp_2, TypeHorizontalWheel, 1, false); }
void Buttoninterface::on_VolumeDown_2_clicked(bool checked) { assignFixed(checked, ui->VolumeDown_2, TypeHorizontalWheel, 2, false); }
void Buttoninterface::on_VolumeUp_14_clicked(bool checked) { assignFixed(checked, ui->VolumeUp_14, TypeVerticalWheel, 1, false); }
void Buttoninterface::on_VolumeDown_14_clicked(bool checked) { assignFixed(checked, ui->VolumeDown_14, TypeVerticalWheel, 2, false); }
void Buttoninterface::on_VolumeUp_4_clicked(bool checked) { assignFixed(checked, ui->VolumeUp_4, TypeLightSwitch, 0, false); }
void Buttoninterface::on_VolumeUp_5_clicked(bool checked) { assignFixed(checked, ui->VolumeUp_5, TypeLightSwitch, 1, false); }
void Buttoninterface::on_VolumeUp_6_clicked(bool checked) { assignFixed(checked, ui->VolumeUp_6, TypeLightSwitch, 3, false); }
void Buttoninterface::on_VolumeUp_7_clicked(bool checked) { assignFixed(checked, ui->VolumeUp_7, TypeLightSwitch, 4, false); }

void Buttoninterface::on_VolumeUp_11_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_11, 100); }
void Buttoninterface::on_VolumeUp_12_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_12, 200); }
void Buttoninterface::on_VolumeUp_13_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_13, 300); }
void Buttoninterface::on_VolumeUp_16_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_16, 400); }
void Buttoninterface::on_VolumeUp_15_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_15, 500); }
void Buttoninterface::on_VolumeUp_19_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_19, 600); }
void Buttoninterface::on_VolumeUp_20_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_20, 700); }
void Buttoninterface::on_VolumeUp_22_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_22, 800); }
void Buttoninterface::on_VolumeUp_18_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_18, 900); }
void Buttoninterface::on_VolumeUp_24_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_24, 1000); }
void Buttoninterface::on_VolumeUp_23_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_23, 1100); }
void Buttoninterface::on_VolumeUp_21_clicked(bool checked) { assignDpiLock(checked, ui->VolumeUp_21, 1200); }

// ---- Rapid fire -----------------------------------------------------------------------------

void Buttoninterface::on_DPI_6_clicked(bool checked)
{
    if (!checked)
        return;
    ClearMenuChecks();
    assignChecked(TypeRapidFire, FireTime, FireCount, ui->DPI_6->text());
}

void Buttoninterface::on_DPI_6_clicked()
{
    if (!UsbFinderC_GetDeviceOnLine(devicePath) && !buttonPageFilling) {
        ui->stackedWidget->setCurrentWidget(ui->page);
        ui->stackedWidget_2->setCurrentWidget(ui->page_9);
        return;
    }
    // A button that fires already offers its own pair.
    FireKey dialog(nullptr);
    const int k = checkedDeviceIndex();
    if (k >= 0 && displayButton(k)->text() == ui->DPI_6->text() && k < buttonValues1.size()) {
        dialog.setTimeValue(buttonValues1.at(k));
        dialog.setCountValue(buttonValues2.at(k));
    } else {
        dialog.setTimeValue(10);
        dialog.setCountValue(3);
    }
    placeDialog(&dialog, this, kMenuDialogDx, kMenuDialogDy);
    // A page left meanwhile has no button selected to take it.
    if (!execForDevicePage(&dialog))
        return;
    if (dialog.IsOk) {
        FireTime = dialog.TimeValue;
        FireCount = dialog.CountValue;
        on_DPI_6_clicked(true);
    } else {
        showSelectedFunction();
    }
}

void Buttoninterface::showSelectedFunction()
{
    const int k = checkedDeviceIndex();
    if (k >= 0 && ui->stackedWidget->currentWidget() == ui->page_2)
        ShowMenuForButton(k);
}

void Buttoninterface::on_DPI_8_clicked()
{
    GroupKey dialog(nullptr);
    placeDialog(&dialog, this, kMenuDialogDx, kMenuDialogDy);
    if (!execForDevicePage(&dialog))
        return;
    if (!dialog.IsOk || !SetKeyComboButton(checkedDeviceIndex(), dialog.KeyText))
        showSelectedFunction();
}

// ---- Key and multimedia assignments ----------------------------------------------------

bool Buttoninterface::writeKeyBlock(int k, const KeyBlock& block, const QString& caption)
{
    const ButtonParam param{TypeKeyFunction, 0, 0};
    if (!SetButtonKeyBlock(k, &param, &block))
        return false;
    StoreButtonParam(k, TypeKeyFunction, 0, 0);
    displayButton(k)->setText(caption);
    return true;
}

void Buttoninterface::assignConsumer(bool checked, int usage, QToolButton* option)
{
    if (!checked)
        return;
    const int k = checkedDeviceIndex();
    if (k >= 0)
        writeKeyBlock(k, MakeConsumerKeyBlock(usage >> 8, usage & 0xFF), option->text());
    closeFunctionMenu();
}

void Buttoninterface::on_Player_clicked(bool checked) { assignConsumer(checked, 0x0183, ui->Player); }
void Buttoninterface::on_StartPause_2_clicked(bool checked) { assignConsumer(checked, 0x00CD, ui->StartPause_2); }
void Buttoninterface::on_BackMusic_2_clicked(bool checked) { assignConsumer(checked, 0x00B5, ui->BackMusic_2); }
void Buttoninterface::on_TopMusic_2_clicked(bool checked) { assignConsumer(checked, 0x00B6, ui->TopMusic_2); }
void Buttoninterface::on_Mute_clicked(bool checked) { assignConsumer(checked, 0x00B7, ui->Mute); }
void Buttoninterface::on_VolumeUp_clicked(bool checked) { assignConsumer(checked, 0x00E2, ui->VolumeUp); }
void Buttoninterface::on_VolumeDown_clicked(bool checked) { assignConsumer(checked, 0x00E9, ui->VolumeDown); }
void Buttoninterface::on_VolumeDown_4_clicked(bool checked) { assignConsumer(checked, 0x00EA, ui->VolumeDown_4); }
void Buttoninterface::on_VolumeDown_5_clicked(bool checked) { assignConsumer(checked, 0x018A, ui->VolumeDown_5); }
void Buttoninterface::on_VolumeDown_6_clicked(bool checked) { assignConsumer(checked, 0x0192, ui->VolumeDown_6); }
void Buttoninterface::on_VolumeDown_3_clicked(bool checked) { assignConsumer(checked, 0x0194, ui->VolumeDown_3); }
void Buttoninterface::on_VolumeDown_8_clicked(bool checked) { assignConsumer(checked, 0x0223, ui->VolumeDown_8); }
void Buttoninterface::on_VolumeDown_9_clicked(bool checked) { assignConsumer(checked, 0x0221, ui->VolumeDown_9); }
void Buttoninterface::on_VolumeDown_7_clicked(bool checked) { assignConsumer(checked, 0x0225, ui->VolumeDown_7); }
void Buttoninterface::on_VolumeDown_10_clicked(bool checked) { assignConsumer(checked, 0x0224, ui->VolumeDown_10); }
void Buttoninterface::on_VolumeDown_12_clicked(bool checked) { assignConsumer(checked, 0x0226, ui->VolumeDown_12); }
void Buttoninterface::on_VolumeDown_13_clicked(bool checked) { assignConsumer(checked, 0x0227, ui->VolumeDown_13); }
void Buttoninterface::on_VolumeDown_11_clicked(bool checked) { assignConsumer(checked, 0x022A, ui->VolumeDown_11); }

void Buttoninterface::SetConsumerKeyButton(int k, int lowByte)
{
    const int row = consumerRow(lowByte);
    if (row < 0 || k < 0 || k >= kDisplayButtons)
        return;
    const int usage = kConsumerOptions[row].usage;
    writeKeyBlock(k, MakeConsumerKeyBlock(usage >> 8, usage & 0xFF),
                  findChild<QToolButton*>(QLatin1String(kConsumerOptions[row].option))->text());
}

bool Buttoninterface::SetKeyComboButton(int k, const QString& text)
{
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
    ClearMenuChecks();
    bool written = false;
    if (k >= 0 && k < kDisplayButtons) {
        // The caption names the keys the block holds.
        const QString kept = splitKeyText(text).mid(0, kMaxComboKeys).join(QLatin1Char('+'));
        written = writeKeyBlock(k, KeyTextToKeyBlock(kept), kept);
    }
    // The function list stays open for the next choice.
    ui->stackedWidget->setCurrentWidget(ui->page_2);
    ui->scrollArea_11->verticalScrollBar()->setStyleSheet(kNarrowScrollBar);
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
    return written;
}
