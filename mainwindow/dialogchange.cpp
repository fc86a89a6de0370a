#include "mainwindow/dialogchange.h"

#include "ui_dialogchange.h"

#include "core/firmware.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/worker.h"
#include "mainwindow/paircheck.h"
#include "platform/hidusb/hidusb.h"
#include "settings/match.h"
#include "settings/updaterepair.h"
#include "widgets/confirmations.h"
#include "widgets/dialogframe.h"
#include "widgets/mytoolbuttonenter.h"
#include "widgets/notices.h"

#include <QDir>
#include <QListView>
#include <QSignalBlocker>
#include <QThread>
#include <QtEndian>

int modelTotal = 0;
int DialogChange::openSleepMs = 150;
DialogChange* homePage = nullptr;
QString homeKeyMessageText;

namespace {

const int kTilesPerPage = 3;
const int kIconY = 20;
const int kBadgeY = 10;
// Connection classes of the device count: a wired mouse, then the
// receivers of 1, 2, 4 and 8 kHz.
const int kConnectionClasses = 5;

QString homePictureDir;
QList<mytoolButtonEnter*> tileButtons;
QList<QLabel*> tileConnectionIcons;
QList<QLabel*> tileOfflineIcons;
QList<QLabel*> tileRateBadges;
QString homeNoticeText;
QString homeRepairText;
QString tileTipTitle;
QString tileTipText;
uint8_t receiverStateBuffer[HIDUSB_RECEIVER_STATE_SIZE];

QString option(const QString& key)
{
    return ConfigSettings::instance()->value(QStringLiteral("Option"), key);
}

QString driveValue(int model, const QString& key)
{
    return ConfigSettings::instance()->value(QStringLiteral("Drive") + QString::number(model), key);
}

QStringList optionList(const QString& key)
{
    return ConfigSettings::instance()->valueList(QStringLiteral("Option"), key);
}

bool repairPending()
{
    return !RegistryKey(mouseDriveTestRegistryKey()).value(QStringLiteral("UpdateFailInfo")).isEmpty();
}

QString arrowStyle(const QString& dir, const QString& name)
{
    return QStringLiteral("QToolButton{border-image: url(") + dir + name
        + QStringLiteral(".png);}QToolButton:hover{border-image: url(") + dir + name + QStringLiteral("Click.png);}");
}

QString tileButtonStyle(const QString& picture)
{
    return QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                          "background-image: url(")
        + homePictureDir + picture + QStringLiteral(");color: rgb(255, 255, 255);}");
}

QString tileIconStyle(const QString& picture)
{
    return QStringLiteral("QLabel{border:0px;background-position:center;background-repeat:no-repeat;"
                          "background-image: url(")
        + homePictureDir + picture + QStringLiteral(");color: rgb(255, 255, 255);}");
}

// The same picture for every model: the catalogue has one tile skin.
QString onlineTilePicture() { return QStringLiteral("OnLine") + QString::number(0) + QStringLiteral(".png"); }
QString offlineTilePicture() { return QStringLiteral("DisOnlin") + QString::number(0) + QStringLiteral(".png"); }
QString unknownTilePicture() { return QStringLiteral("Unknow.png"); }

QString rateBadgePicture(uint8_t deviceType)
{
    switch (deviceType) {
    case 0: return QStringLiteral("1KHz.png");
    case 4: return QStringLiteral("2KHz.png");
    case 1: return QStringLiteral("4KHz.png");
    case 3:
    case 5: return QStringLiteral("8KHz.png");
    default: return QString();
    }
}

// Row of the device count: 0 a wired mouse, 1..4 the receiver classes, -1
// not counted.
int connectionClass(const DeviceAllInfo& device)
{
    if (device.isMouse)
        return 0;
    switch (device.deviceType) {
    case 0: return 1;
    case 4: return 2;
    case 1: return 3;
    case 5: return 4;
    default: return -1;
    }
}

// Online flag and receiver id from the last receiver-state answer.
void takeReceiverState(DeviceAllInfo& device)
{
    device.online = receiverStateBuffer[6] == 1 ? 1 : 0;
    device.usbAddress = QByteArray(reinterpret_cast<const char*>(receiverStateBuffer) + 7, 3);
}

// Writes a refreshed record back: at its tile's place in foundDevices and
// over every record of the same device in allFoundDevices. After the
// wired-mouse merge the two lists no longer share indexes, so the path says
// which record is the same device.
void storeDevice(int index, const DeviceAllInfo& device)
{
    if (index >= 0 && index < foundDevices.size())
        foundDevices[index] = device;
    for (DeviceAllInfo& entry : allFoundDevices) {
        if (entry.path == device.path)
            entry = device;
    }
}

void clearTiles(QStackedWidget* pages)
{
    tileButtons.clear();
    tileConnectionIcons.clear();
    tileOfflineIcons.clear();
    tileRateBadges.clear();
    // Later, not now: a tile's own click can lead here (pairing re-registers
    // this callback), and its button must outlive that click.
    for (int i = pages->count() - 1; i >= 0; --i) {
        QWidget* page = pages->widget(i);
        pages->removeWidget(page);
        page->hide();
        page->setParent(nullptr);
        page->deleteLater();
    }
}

struct TilePlace
{
    int button;
    int icon;
    int badge;
};

const TilePlace kFullPage[] = {{0, 225, 7}, {300, 525, 307}, {600, 825, 607}};
const TilePlace kLastPageOfOne[] = {{305, 530, 312}};
const TilePlace kLastPageOfTwo[] = {{135, 360, 142}, {445, 665, 452}};

QLabel* makeIcon(QWidget* page, const QString& name, const QString& picture, const TilePlace& place)
{
    auto* icon = new QLabel(page);
    icon->setObjectName(name);
    icon->setFixedSize(32, 32);
    icon->setFocusPolicy(Qt::NoFocus);
    icon->setStyleSheet(tileIconStyle(picture));
    icon->move(place.icon, kIconY);
    icon->hide();
    return icon;
}

void makeTile(QWidget* page, int k, const TilePlace& place, const QFont& iconFont)
{
    const DeviceAllInfo& device = foundDevices.at(k);

    auto* button = new mytoolButtonEnter(page);
    button->setObjectName(QStringLiteral("btn") + QString::number(k));
    button->setFixedSize(284, 360);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(
        tileButtonStyle(device.modelIndex == modelTotal ? unknownTilePicture() : offlineTilePicture()));
    button->move(place.button, 0);
    tileButtons.append(button);

    QLabel* offline = makeIcon(page, QStringLiteral("label") + QString::number(k), QStringLiteral("DisOnline.png"), place);
    offline->setToolTip(tileTipTitle + QLatin1Char('\n') + tileTipText);
    offline->setFont(iconFont);
    tileOfflineIcons.append(offline);

    const QString connection = device.isMouse ? QStringLiteral("OnLineUsb.png") : QStringLiteral("OnLineWifi.png");
    tileConnectionIcons.append(makeIcon(page, QStringLiteral("UsbWifi") + QString::number(k), connection, place));

    // An unknown model's record keeps type 0 whatever the device is, which
    // would read as a 1 kHz receiver.
    const QString badgePicture = device.modelIndex == modelTotal ? QString() : rateBadgePicture(device.deviceType);
    if (!badgePicture.isEmpty()) {
        auto* badge = new QLabel(page);
        badge->setFixedSize(42, 26);
        badge->setFocusPolicy(Qt::NoFocus);
        badge->setStyleSheet(QStringLiteral("QLabel{background-image: url(") + homePictureDir + badgePicture
                             + QStringLiteral(");}"));
        badge->move(place.badge, kBadgeY);
        tileRateBadges.append(badge);
    }
}

} // namespace

DialogChange::DialogChange(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::DialogChange)
{
    ui->setupUi(this);
    setFixedSize(size());
    homePage = this;

    homePictureDir = installDir() + QStringLiteral("/Picture/DialogChange/");
    const QString& d = homePictureDir;
    const QString textColour = skinColour(QStringLiteral("ComboxTextColor"));
    const QString selectColour = skinColour(QStringLiteral("ComboxSelectColor"));
    const QString backColour = skinColour(QStringLiteral("ComboxBackGroundColor"));
    ui->frameChange->setStyleSheet(QStringLiteral("#frameChange{border-image: url(") + d
                                   + QStringLiteral("MainBack.png);}"));
    ui->CloseButton->setStyleSheet(closeButtonStyleSheet(d));
    ui->MinButton->setStyleSheet(closeButtonStyleSheet(d, QStringLiteral("Min")));
    ui->Repair->setStyleSheet(QStringLiteral("#Repair{border:0px;background-image: url(") + d
                              + QStringLiteral("Repair.png);background-position:center;background-repeat:no-repeat;}"));
    ui->RightButton->setStyleSheet(arrowStyle(d, QStringLiteral("Right")));
    ui->LeftButton->setStyleSheet(arrowStyle(d, QStringLiteral("Left")));
    ui->comboBox->setStyleSheet(
        QStringLiteral("QComboBox{border: 1px solid gray; color: rgb(") + textColour
        + QStringLiteral("); border-image: url(") + d
        + QStringLiteral("ComboboxBack.png);}QComboBox::drop-down:button{border-radius:5px; background:rgb(")
        + backColour + QStringLiteral(");} QComboBox::down-arrow{image: url(") + d
        + QStringLiteral("Menu.png); right: 8px; }QComboBox::down-arrow:on{ image: url(") + d
        + QStringLiteral("MenuClicked.png);}QComboBox QAbstractItemView::item{height:25px;}"
                         "QComboBox QAbstractItemView {outline: 0px solid gray; border: 1px  solid gray;color: rgb(")
        + textColour + QStringLiteral("); border-image: url(") + d
        + QStringLiteral("ComboboxTextBack.png);selection-background-color: rgb(") + selectColour
        + QStringLiteral("); }"));

    const QString w = warningPictureDir();
    ui->FindVerlaebl->setStyleSheet(labelStyleSheet());
    ui->NewHong->setStyleSheet(confirmButtonStyleSheet(w));
    ui->CloseButton_2->setStyleSheet(closeButtonStyleSheet(w));
    ui->FindVer->setStyleSheet(frameStyleSheet(QStringLiteral("FindVer"), w));
    const QString labelColour = skinColour(QStringLiteral("LabelColor"));
    ui->NoApear->setStyleSheet(QStringLiteral("QCheckBox{color: rgb(") + labelColour
                               + QStringLiteral(");}QCheckBox::indicator:checked {image: url(") + w
                               + QStringLiteral("CheckBoxCheck.png);}QCheckBox::indicator:unchecked {image: url(") + w
                               + QStringLiteral("CheckBox.png);}"));

    auto* listView = new QListView(ui->comboBox);
    listView->setStyleSheet(QStringLiteral("QListView::item:selected{background-color: rgb(") + selectColour
                            + QStringLiteral(");}QListView::item:hover{background-color: rgb(") + selectColour
                            + QStringLiteral(");}"));
    ui->comboBox->setView(listView);
    ui->comboBox->setMaxVisibleItems(5);

    // The line under the tiles overlaps their lower edge; clicks and hovers
    // there belong to the tile.
    ui->label_3->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui->label_2->show();
    ui->label_3->show();
    ui->RightButton->hide();
    ui->LeftButton->hide();
    hubConnect(SIGNAL(SigLanguageSameA(int)), this, SLOT(SlotSameLanguageA(int)));
    hubConnect(SIGNAL(SigUpDateButton(bool)), this, SLOT(SlotUpDateButton(bool)));
    hubConnect(SIGNAL(SigEnterKey()), this, SLOT(SlotEnterKey()));

    ui->Repair->hide();
    if (repairPending())
        ui->Repair->show();

    modelTotal = option(QStringLiteral("DeviceTotal")).toInt();
    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(languageIndex);

    mytoolButtonEnter::setHoverHandler(&DialogChange::onTileHover);
    ui->FindVer->hide();
    homeUsbChanged = &DialogChange::onUsbChanged;
    StartUsbChanged(DialogChange::onUsbChanged, kUsbChangedInterval);
}

DialogChange::~DialogChange()
{
    if (homePage == this) {
        homePage = nullptr;
        mytoolButtonEnter::setHoverHandler(nullptr);
        tileButtons.clear();
        tileConnectionIcons.clear();
        tileOfflineIcons.clear();
        tileRateBadges.clear();
    }
    delete ui;
}

void DialogChange::showRepairState(bool pending)
{
    ui->Repair->setVisible(pending);
    ui->label_2->setText(pending ? homeRepairText : homeNoticeText);
}

void DialogChange::onUsbChanged()
{
    if (!homePage)
        return;
    homePage->showRepairState(repairPending());

    const QString vid = option(QStringLiteral("VID"));
    foundDevices.clear();
    allFoundDevices.clear();

    const QStringList usbPids = optionList(QStringLiteral("USB_PID"));
    const QStringList wirelessPids = optionList(QStringLiteral("Wireless_PID"));
    wireless2PidList = optionList(QStringLiteral("Wireless2_PID"));
    wireless4PidList = optionList(QStringLiteral("Wireless4_PID"));
    wireless8PidList = optionList(QStringLiteral("Wireless8_PID"));
    wirelessPidList = optionList(QStringLiteral("Wireless_PID"));

    QStringList searchList;
    const QList<const QStringList*> lists = {&usbPids, &wirelessPids, &wireless2PidList, &wireless4PidList,
                                             &wireless8PidList};
    for (const QStringList* list : lists) {
        for (const QString& pid : *list) {
            if (!pid.isEmpty())
                searchList.append(pid);
        }
    }
    scanVendorId = vid;
    scanProductIds = searchList;
    findDevices(vid, searchList);
    buildDeviceTiles();
    notifyRescanFollowers();

    if (repairDialogVisible && !repairRunning)
        PostMsg::GetInstance()->PostRepairCheckUpdate();
}

void DialogChange::findDevices(const QString& vid, const QStringList& productIds)
{
    const QByteArray vidText = vid.toLatin1();
    for (const QString& pid : productIds) {
        int count = 5;
        const char** found = UsbFinderC_FindHidDevicesByDefaultDeviceId(vidText.constData(), pid.toLatin1().constData(),
                                                                        &count);
        for (const QByteArray& path : keptSearchPaths(found, count)) {
            DeviceAllInfo info = searchedDeviceRecord(path, vid, pid);
            if (readDeviceInfo(info)) {
                foundDevices.append(info);
                allFoundDevices.append(info);
            }
        }
    }
}

bool DialogChange::readDeviceInfo(DeviceAllInfo& info)
{
    const QByteArray path = info.path.toLocal8Bit();
    uint8_t answer[3];
    const bool usable = readDeviceIdentity(path.constData(), answer);

    const int total = option(QStringLiteral("DeviceTotal")).toInt();
    if (usable) {
        const int cid = option(QStringLiteral("CID")).toInt();
        for (int n = 1; n <= total; ++n) {
            if (answer[0] == cid && answer[1] == driveValue(n, QStringLiteral("MID")).toInt()) {
                info.idPair = uint16_t(answer[0] | (answer[1] << 8));
                info.deviceType = answer[2];
                info.isMouse = isMouseType(answer[2]) ? 1 : 0;
                info.modelIndex = n - 1;
                if (UsbFinderC_GetDeviceOnLine(path.constData()))
                    info.online = 1;
                return true;
            }
        }
        if (total < 1)
            return false;
    }
    info.isMouse = isMouseType(answer[2]) ? 1 : 0;
    info.modelIndex = total;
    return true;
}

bool DialogChange::refreshReceiverStates(int index)
{
    if (index < 0 || index >= foundDevices.size())
        return false;
    DeviceAllInfo device = foundDevices.at(index);
    UsbFinderC_GetDeviceOnLineWithUsbAddress(device.path.toLocal8Bit().constData(), receiverStateBuffer);
    takeReceiverState(device);
    storeDevice(index, device);
    return receiverStateBuffer[7] != 0 || receiverStateBuffer[8] != 0 || receiverStateBuffer[9] != 0;
}

void DialogChange::buildDeviceTiles()
{
    if (!homePage)
        return;
    Ui::DialogChange* ui = homePage->ui;
    clearTiles(ui->stackedWidget);

    if (foundDevices.isEmpty()) {
        ui->label_2->show();
        ui->label_3->hide();
        ui->RightButton->hide();
        ui->LeftButton->hide();
        return;
    }

    // Sized from the devices themselves, so no "DeviceTotal" and no model
    // index can run past the table.
    int columns = modelTotal + 1;
    for (const DeviceAllInfo& device : foundDevices)
        columns = qMax(columns, device.modelIndex + 1);
    QVector<QVector<int>> counts(kConnectionClasses, QVector<int>(qMax(columns, 0)));
    for (int i = 0; i < foundDevices.size(); ++i) {
        const DeviceAllInfo& device = foundDevices.at(i);
        const int row = connectionClass(device);
        if (row >= 0 && device.modelIndex >= 0)
            ++counts[row][device.modelIndex];
        refreshReceiverStates(i);
    }

    // Two devices of one known model on one kind of connection cannot be
    // told apart. A single wired mouse stands for its model: its receivers
    // leave the tiles (allFoundDevices keeps them).
    bool duplicate = false;
    for (int model = 0; model < modelTotal && model < columns; ++model) {
        for (int row = 0; row < kConnectionClasses; ++row) {
            if (counts[row][model] > 1)
                duplicate = true;
        }
        if (duplicate || counts[0][model] != 1)
            continue;
        for (int i = foundDevices.size() - 1; i >= 0; --i) {
            if (!foundDevices.at(i).isMouse && foundDevices.at(i).modelIndex == model)
                foundDevices.removeAt(i);
        }
    }

    if (duplicate) {
        ui->label_2->show();
        ui->label_3->hide();
        ui->RightButton->hide();
        ui->LeftButton->hide();
        QuestiondialogB notice;
        placeDialog(&notice, homePage, 0, 0);
        notice.exec();
        return;
    }

    ui->label_2->hide();
    ui->label_3->show();
    const int n = foundDevices.size();
    const QFont iconFont = ui->NoApear->font();
    for (int first = 0; first < n; first += kTilesPerPage) {
        const int onPage = qMin(kTilesPerPage, n - first);
        const TilePlace* places = onPage == 3 ? kFullPage : onPage == 2 ? kLastPageOfTwo : kLastPageOfOne;
        auto* page = new QWidget;
        for (int t = 0; t < onPage; ++t)
            makeTile(page, first + t, places[t], iconFont);
        ui->stackedWidget->addWidget(page);
    }
    ui->stackedWidget->setCurrentIndex(0);
    ui->RightButton->setVisible(n > kTilesPerPage);
    ui->LeftButton->hide();

    for (mytoolButtonEnter* button : QList<mytoolButtonEnter*>(tileButtons)) {
        onTileHover(mytoolButtonEnter::tileIndex(button->objectName()));
        connect(button, SIGNAL(clicked()), homePage, SLOT(slotButtonClicked()));
    }
}

void DialogChange::onTileHover(int k)
{
    if (foundDevices.isEmpty() || k < 0 || k >= foundDevices.size())
        return;
    DeviceAllInfo device = foundDevices.at(k);
    UsbFinderC_GetDeviceOnLineWithUsbAddress(device.path.toLocal8Bit().constData(), receiverStateBuffer);
    readDeviceInfo(device);
    takeReceiverState(device);
    storeDevice(k, device);

    if (k >= tileButtons.size())
        return;
    QLabel* connection = tileConnectionIcons.at(k);
    QLabel* offline = tileOfflineIcons.at(k);
    mytoolButtonEnter* button = tileButtons.at(k);
    if (device.modelIndex == modelTotal) {
        button->setStyleSheet(tileButtonStyle(unknownTilePicture()));
        connection->show();
    } else if (device.online) {
        connection->show();
        offline->hide();
        button->setStyleSheet(tileButtonStyle(onlineTilePicture()));
    } else {
        offline->show();
        connection->hide();
        button->setStyleSheet(tileButtonStyle(offlineTilePicture()));
    }
}

void DialogChange::SlotAllLanguage(int index)
{
    homeNoticeText = DialogChangeTexts.text(index, 0);
    if (ui->Repair->isHidden())
        ui->label_2->setText(homeNoticeText);
    ui->label_3->setText(DialogChangeTexts.text(index, 1));
    tileTipTitle = DialogChangeTexts.text(index, 5);
    tileTipText = DialogChangeTexts.text(index, 6);
    homeRepairText = DialogChangeTexts.text(index, 2);
    if (!ui->Repair->isHidden())
        ui->label_2->setText(homeRepairText);
    ui->FindVerlaebl->setText(DialogChangeTexts.text(index, 3));
    ui->NewHong->setText(DialogChangeTexts.text(index, 4));
    ui->NoApear->setText(DialogChangeTexts.text(index, 7));
    homeKeyMessageText = DialogChangeTexts.text(index, 8);
    for (QLabel* icon : tileOfflineIcons) {
        icon->setToolTip(tileTipTitle + QLatin1Char('\n') + tileTipText);
        icon->setFont(ui->NoApear->font());
    }
}

void DialogChange::SlotUpDateButton(bool IsHide)
{
    showRepairState(!IsHide);
}

void DialogChange::SlotEnterKey()
{
    if (!ui->FindVer->isHidden())
        ui->FindVer->hide();
    else if (!ui->Repair->isHidden())
        on_Repair_clicked();
}

void DialogChange::SlotSameLanguageA(int index)
{
    const QSignalBlocker blocker(ui->comboBox);
    ui->comboBox->setCurrentIndex(index);
}

void DialogChange::on_comboBox_activated(int index)
{
    chooseLanguage(index);
    PostMsg::GetInstance()->PostLanguageSameB(index);
}

// ---- Opening a device and the page's own buttons ------------------------------

void DialogChange::slotButtonClicked()
{
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostSetver(6);

    QString name = sender() ? sender()->objectName() : QString();
    bool isNumber = false;
    const int k = name.remove(QStringLiteral("btn")).toInt(&isNumber);
    if (!isNumber || k < 0 || k >= foundDevices.size())
        return;
    const DeviceAllInfo device = foundDevices.at(k);

    const int mid = driveValue(device.modelIndex + 1, QStringLiteral("MID")).toInt();
    if (mid == 1)
        hub->PostMouseIndex(0);
    else if (mid == 2)
        hub->PostMouseIndex(1);

    // The offline one of two entries of one model: its mouse may be paired
    // with the other receiver.
    if (foundDevices.size() == 2 && (k == 0 || k == 1)
        && foundDevices.at(0).idPair == foundDevices.at(1).idPair) {
        const bool firstOnline = UsbFinderC_GetDeviceOnLine(foundDevices.at(0).path.toLocal8Bit().constData());
        if (firstOnline == (k == 1)) {
            const bool secondOnline = UsbFinderC_GetDeviceOnLine(foundDevices.at(1).path.toLocal8Bit().constData());
            if (secondOnline == (k == 0) && pairingDecisionStops(device))
                return;
        }
    }

    if (device.modelIndex == modelTotal && device.isMouse == 0 && pairingDecisionStops(device))
        return;

    if (device.modelIndex == modelTotal)
        return;
    openDevice(device);
}

bool DialogChange::pairingDecisionStops(const DeviceAllInfo& device)
{
    const PairCheck check(device);
    if (check.mouseVersion().isEmpty()) {
        pairTargetSet = 1;
        pairTargetDevice = device;
        runPairingDialog(this);
        return true;
    }
    const bool mouseUpdate = check.mouseUpdate();
    const bool receiverUpdate = check.receiverUpdate();
    if (!mouseUpdate && receiverUpdate)
        return false;
    if (mouseUpdate && !receiverUpdate) {
        UpDateWarning warning(nullptr);
        warning.setWarningText(updateWarningText);
        placeDialog(&warning, this, -20, 0);
        warning.exec();
        return true;
    }
    RePair confirm(nullptr);
    placeDialog(&confirm, this, 0, 0);
    confirm.exec();
    if (confirm.okClicked) {
        pairTargetSet = 1;
        pairTargetDevice = device;
        runPairingDialog(this);
    }
    return true;
}

void DialogChange::openDevice(const DeviceAllInfo& device)
{
    PostMsg* hub = PostMsg::GetInstance();
    // Direct delivery: the worker makes it the current device before the
    // firmware lookup reads the current device's model.
    hub->PostSelectMouseInfo(device);
    const int rateClass = receiverRateClass(device.deviceType);
    const QString version = device.usbVersionText;
    if (QDir(firmwareFolder()).exists()) {
        receiverUpdateAvailable = hasFirmwareUpdate(kReceiverFirmware, version, rateClass) ? 1 : 0;
        hub->PostLabelTextB(version, receiverUpdateAvailable ? QStringLiteral("true") : QString());
    } else {
        hub->PostLabelTextB(version, QString());
    }
    hub->PostChangeMainDialog(1);
    // The device page's first rescan sets devicePath meanwhile.
    QThread::msleep(static_cast<unsigned long>(openSleepMs));
    deviceSessionActive = 1;
    workerRunAllowed = 1;
    if (deviceWorker)
        deviceWorker->start(QThread::InheritPriority);
}

void DialogChange::changeEvent(QEvent* event)
{
    if (event->type() != QEvent::LanguageChange)
        return;
    const QSignalBlocker blocker(ui->comboBox);
    ui->retranslateUi(this);
    ui->comboBox->setCurrentIndex(0);
}

void DialogChange::WindowClosedA() {}
void DialogChange::WindowMinA() {}

void DialogChange::on_MinButton_clicked()
{
    PostMsg::GetInstance()->PostChangeSize(2);
}

void DialogChange::on_CloseButton_clicked()
{
    PostMsg::GetInstance()->PostChangeSize(3);
}

void DialogChange::on_RightButton_clicked()
{
    ui->label_2->hide();
    ui->label_3->show();
    const int c = ui->stackedWidget->currentIndex();
    if (c == ui->stackedWidget->count() - 2) {
        ui->LeftButton->show();
        ui->RightButton->hide();
    }
    ui->stackedWidget->setCurrentIndex(c + 1);
}

void DialogChange::on_LeftButton_clicked()
{
    ui->label_2->hide();
    ui->label_3->show();
    const int c = ui->stackedWidget->currentIndex();
    if (c == 1) {
        ui->LeftButton->hide();
        ui->RightButton->show();
    }
    ui->stackedWidget->setCurrentIndex(c - 1);
}

void DialogChange::on_Repair_clicked()
{
    UpDateRepair* repair = settingsRepairDialog;
    if (!repair)
        return;
    const QPoint centre = mapToGlobal(rect().center());
    repair->move(centre - repair->rect().center());
    repair->resetView();
    repair->setModal(true);
    PostMsg::GetInstance()->PostRepairCheckUpdate();
    repair->show();
}

void DialogChange::on_CloseButton_2_clicked()
{
    ui->FindVer->hide();
}

void DialogChange::on_NewHong_clicked()
{
    ui->FindVer->hide();
}

void DialogChange::on_NoApear_clicked(bool checked)
{
    UserSettings::instance()->setValue(QStringLiteral("FindNew"), QStringLiteral("IsShow"),
                                       checked ? QStringLiteral("1") : QStringLiteral("0"));
}
