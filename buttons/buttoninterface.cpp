#include "buttons/buttoninterface.h"

#include "ui_buttoninterface.h"

#include "core/configfile.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/setters.h"
#include "core/settings.h"
#include "core/worker.h"
#include "platform/hidusb/hidusb.h"
#include "sensor/sensordefinitions.h"
#include "widgets/confirmations.h"
#include "widgets/dialogframe.h"
#include "widgets/updataparam.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
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

// The multimedia option of each consumer usage (low byte).
struct ConsumerOption
{
    int usage;
    const char* option;
};
const ConsumerOption kConsumerOptions[] = {
    {0x83, "Player"},       {0xCD, "StartPause_2"},  {0xB5, "BackMusic_2"},   {0xB6, "TopMusic_2"},
    {0xB7, "Mute"},         {0xE2, "VolumeUp"},      {0xE9, "VolumeDown"},    {0xEA, "VolumeDown_4"},
    {0x8A, "VolumeDown_5"}, {0x92, "VolumeDown_6"},  {0x94, "VolumeDown_3"},  {0x21, "VolumeDown_9"},
    {0x25, "VolumeDown_7"}, {0x24, "VolumeDown_10"}, {0x26, "VolumeDown_12"}, {0x27, "VolumeDown_13"},
    {0x2A, "VolumeDown_11"}, {0x23, "VolumeDown_8"}};

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

// A macro's name as a record keeps it: the bytes before the first NUL.
QString macroNameOf(const MacroBlock& block)
{
    const void* end = std::memchr(block.name, 0, sizeof block.name);
    const int length = end ? int(static_cast<const uint8_t*>(end) - block.name) : int(sizeof block.name);
    return QString::fromLocal8Bit(reinterpret_cast<const char*>(block.name), length);
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

void Buttoninterface::buildMacroEntries(double pointSize)
{
    qDeleteAll(macroEntries);
    macroEntries.clear();

    QFileInfoList files = QDir(userDir() + QStringLiteral("/usersetting/MacroPage"))
                              .entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
    // The macro editor keeps one file of its own in the folder.
    for (int i = 0; i < files.size(); ++i) {
        if (files.at(i).fileName().contains(QLatin1String("xml"))) {
            files.removeAt(i);
            break;
        }
    }

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
    for (const QFileInfo& file : files) {
        const QString name = file.fileName();
        if (name.contains(QLatin1String("xml")))
            continue;
        subOptionButtonGroup->addButton(makeEntry(QString(name).remove(QStringLiteral(".ini")), 22));
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

void Buttoninterface::SlotDeleteMacroButton(QString /*MacroName*/)
{
}

void Buttoninterface::SlotUpDataMacro(QString /*MacroName*/, int /*index*/)
{
}

void Buttoninterface::SlotMacroRename(QString /*Rename*/, QString /*Name*/)
{
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
    buttonPageFilling = 0;
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap DataMap)
{
    buttonPageUpdated = 0;
    fillFromRecord(DataMap);
    buttonPageUpdated = 1;
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
    default:
        break;
    }
    if (code >= 0x05 && code <= 0x1D)
        return QString(QChar('A' + code - 0x04));
    if (code >= 0x1E && code <= 0x26)
        return QString::number(code - 0x1D);
    if (code >= 0x3A && code <= 0x3F)
        return QStringLiteral("F%1").arg(code - 0x39);
    if (code >= 0x41 && code <= 0x45)
        return QStringLiteral("F%1").arg(code - 0x39);
    if (code >= 0x59 && code <= 0x61)
        return QStringLiteral("Num%1").arg(code - 0x58);
    switch (code) {
    case 0x27: return QStringLiteral("0");
    case 0x28: return QStringLiteral("Enter");
    case 0x29: return QStringLiteral("Esc");
    case 0x2A: return QStringLiteral("BackSpace");
    case 0x2B: return QStringLiteral("Tab");
    case 0x2C: return QStringLiteral("Space");
    case 0x2D: return QStringLiteral("-");
    case 0x2E: return QStringLiteral("=");
    case 0x2F: return QStringLiteral("[");
    case 0x30: return QStringLiteral("]");
    case 0x31: return QStringLiteral("\\");
    case 0x33: return QStringLiteral(";");
    case 0x34: return QStringLiteral("'");
    case 0x35: return QStringLiteral("`");
    case 0x36: return QStringLiteral(",");
    case 0x37: return QStringLiteral(".");
    case 0x38: return QStringLiteral("/");
    case 0x39: return QStringLiteral("CapsLock");
    case 0x46: return QStringLiteral("Screen");
    case 0x47: return QStringLiteral("Scroll");
    case 0x48: return QStringLiteral("Pause");
    case 0x49: return QStringLiteral("Insert");
    case 0x4A: return QStringLiteral("Home");
    case 0x4B: return QStringLiteral("PgUp");
    case 0x4C: return QStringLiteral("Del");
    case 0x4D: return QStringLiteral("End");
    case 0x4E: return QStringLiteral("PgDn");
    case 0x4F: return QString(QChar(0x2192));
    case 0x50: return QString(QChar(0x2190));
    case 0x51: return QString(QChar(0x2193));
    case 0x52: return QString(QChar(0x2191));
    case 0x53: return QStringLiteral("NumLock");
    case 0x54: return QStringLiteral("Num/");
    case 0x55: return QStringLiteral("Num*");
    case 0x56: return QStringLiteral("Num-");
    case 0x57: return QStringLiteral("Num+");
    case 0x58: return QStringLiteral("Enter");
    case 0x62: return QStringLiteral("Num0");
    case 0x63: return QStringLiteral("Num.");
    case 0x65: return QStringLiteral("APPs");
    default: return QString();
    }
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

QString Buttoninterface::consumerCaption(int usage) const
{
    for (const ConsumerOption& option : kConsumerOptions)
        if (option.usage == usage)
            return findChild<QToolButton*>(QLatin1String(option.option))->text();
    return QString();
}

void Buttoninterface::SetButtonText(int index, int type, int value1, int /*value2*/, FlashDataMap record)
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
            const QString caption = consumerCaption(block.events[0].codeLE[0]);
            if (!caption.isEmpty())
                display->setText(caption);
        } else {
            display->setText(keyComboCaption(block));
        }
        break;
    }
    case TypeMacro:
        display->setText(macroPrefix + macroNameOf(record.macroBlocks[index]));
        break;
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
    const QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("FileSave"), QDir::homePath(),
                                                          QLatin1String(kConfigFileFilter));
    if (!fileName.isEmpty())
        SaveConfigFile(fileName, CurrentFlashData);
}

void Buttoninterface::SaveConfigFile(QString fileName, FlashDataMap data)
{
    const QString group = QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
    const QString sensor = ConfigSettings::instance()->value(group, QStringLiteral("Sensor"));
    writeConfigFile(fileName, sensor.toUtf8(), data);
}

void Buttoninterface::on_ImportData_clicked()
{
    if (!UsbFinderC_GetDeviceOnLine(devicePath)) {
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        return;
    }
    waitDialogShown = 1;
    const QString fileName = QFileDialog::getOpenFileName(this, QStringLiteral("SelectFile"), QDir::homePath(),
                                                          QLatin1String(kConfigFileFilter));
    if (!fileName.isEmpty()) {
        importWaitText = 1;
        UpDataParam wait(nullptr);
        wait.startWaitTimer();
        wait.importMode = 1;
        wait.filePath = fileName;
        placeDialog(&wait, this, kDialogDx, kDialogDy);
        wait.exec();
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
    confirm.exec();
    if (!confirm.okClicked)
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
    wait.exec();
    waitDialogShown = 0;
    if (onlineTimer)
        onlineTimer->start();
}
