#pragma once
// The home page: finds the plugged-in mice and receivers and shows one tile
// per device, three to a page.
#include "core/deviceinfo.h"

#include <QStringList>
#include <QWidget>

namespace Ui {
class DialogChange;
}

class DialogChange;

// "DeviceTotal" of the catalogue; a model index equal to it is an unknown model.
extern int modelTotal;
// The one home page; the static callbacks reach it through this.
extern DialogChange* homePage;
// The home page's key message of the current language, for the main window.
extern QString homeKeyMessageText;

class DialogChange : public QWidget
{
    Q_OBJECT
public:
    explicit DialogChange(QWidget* parent = nullptr);
    ~DialogChange() override;

    // The blocking pause between showing the device page and starting the
    // worker; tests shorten it.
    static int openSleepMs;

    // Plug/unplug callback: reads the devices again and rebuilds the tiles.
    static void onUsbChanged();
    // Appends every accepted device of these product ids to foundDevices and
    // allFoundDevices.
    static void findDevices(const QString& vid, const QStringList& productIds);
    // Reads the identity of the device at info.path and matches its model;
    // true when the device is to be listed.
    static bool readDeviceInfo(DeviceAllInfo& info);
    // Reads entry `index`'s online flag and receiver id again; true when the
    // id is not all zero.
    static bool refreshReceiverStates(int index);
    // Rebuilds the tiles from foundDevices.
    static void buildDeviceTiles();
    // Brings tile k's pictures up to date with its device.
    static void onTileHover(int k);

protected:
    void changeEvent(QEvent* event) override;

public slots:
    void WindowClosedA();
    void WindowMinA();
    void on_MinButton_clicked();
    void on_CloseButton_clicked();
    void on_RightButton_clicked();
    void on_LeftButton_clicked();
    void on_Repair_clicked();
    void on_comboBox_activated(int index);
    void SlotSameLanguageA(int index);
    void SlotUpDateButton(bool IsHide);
    void SlotEnterKey();
    void slotButtonClicked();
    void SlotAllLanguage(int index);
    void on_CloseButton_2_clicked();
    void on_NewHong_clicked();
    void on_NoApear_clicked(bool checked);

private:
    void showRepairState(bool pending);
    // Pairing or a firmware warning instead of opening the device; false
    // when the click goes on.
    bool pairingDecisionStops(const DeviceAllInfo& device);
    void openDevice(const DeviceAllInfo& device);

    Ui::DialogChange* ui;
};
