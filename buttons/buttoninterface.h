#pragma once
// The button assignment page. It shows the open device's buttons with the
// function each carries, keeps a model of their assignments filled from the
// device's record, and owns the device connection worker: it creates the one
// Worker and shuts it down when the page goes.
#include "core/flashdatamap.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVector>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QToolButton;
class QVBoxLayout;
struct SensorDefineTable;

namespace Ui {
class Buttoninterface;
}

class Buttoninterface : public QWidget
{
    Q_OBJECT
public:
    explicit Buttoninterface(QWidget* parent = nullptr);
    ~Buttoninterface() override;

    // Number of display buttons; device indexes run 0..kDisplayButtons - 1.
    static constexpr int kDisplayButtons = 12;

    // The display button of a device index (rows 4 and 5 show indexes 4 and
    // 3), or null outside 0..11.
    QToolButton* displayButton(int deviceIndex) const;

    // The page model: type, first and second value per device index. The
    // three always have the same length.
    const QVector<int>& modelTypes() const { return buttonTypes; }
    const QVector<int>& modelValues1() const { return buttonValues1; }
    const QVector<int>& modelValues2() const { return buttonValues2; }
    // Stores one assignment the device took. An index the model does not
    // hold changes nothing.
    void StoreButtonParam(int index, int type, int value1, int value2);

    // The sensor model the last fill found for the open device.
    const QString& openSensorName() const { return sensorName; }

    // The short name of a key event's code: mode 0 a modifier bit, mode 1 a
    // keyboard usage. Empty for a code without a name.
    static QString KeyCodeToName(int code, int mode);

    // The key block of a key text: names joined by "+", pressed in order and
    // released in reverse. Names past the third are dropped, so the block's
    // six events always hold the text.
    static KeyBlock KeyTextToKeyBlock(const QString& text);
    // Press of one key at event i, its release at event 2n - 1 - i, 10 ms
    // each. Positions outside the block leave it as it was.
    static KeyBlock KeyNameToEvents(const QString& name, int i, int n, KeyBlock block);
    // Kind and code of macro event e from a key name of the macro editor;
    // an unknown name sets kind 1 and keeps the code.
    static void KeyNameToSlot(const QString& name, int e, MacroBlock& block);
    // A multimedia key: press and release of one consumer usage.
    static KeyBlock MakeConsumerKeyBlock(int high, int low);
    static void WaitMs(int ms);

    // Gives button k a key combination and leaves the function list open;
    // whether the device took it.
    bool SetKeyComboButton(int k, const QString& text);
    // Gives button k the multimedia key whose usage has this low byte; any
    // other value does nothing.
    void SetConsumerKeyButton(int k, int lowByte);

    // A DPI-lock assignment keeps the sensor's register value of the DPI.
    // Models without register defines use steps of 50 DPI.
    int DpiToSensorValue(int dpi) const;
    // 0 when the model has defines but none carries the value.
    int SensorValueToDpi(int value) const;
    static int DpiToSensorValue(int dpi, const QString& model, const SensorDefineTable& defines);
    static int SensorValueToDpi(int value, const QString& model, const SensorDefineTable& defines);

    // Captions display button `index` with its assignment, in the language
    // the menu's options show. Unknown types and values keep the caption.
    void SetButtonText(int index, int type, int value1, int value2, FlashDataMap record);

    // Opens the function menu on the current function of device button k;
    // the only left-click button keeps its function and closes the menu.
    void ShowMenuForButton(int k);

    // Unchecks every option of the sub-menus except the vertical wheel.
    void ClearMenuChecks();
    // Shows the closed menu: no option list, the debounce panel.
    void closeFunctionMenu();
    void uncheckDisplayButtons();

    // The macro entries of the menu, fillers included, in creation order.
    const QList<QToolButton*>& macroButtons() const { return macroEntries; }

    // The macro block of macro `name`'s file, and ok true; the zero block and
    // ok false while device writes are off or when the file cannot be read.
    // k is the button the block is meant for (the block does not depend on it).
    static MacroBlock LoadMacroBlock(QString name, int k, bool& ok);
    // The repeat value the macro page shows for the file's first line (a
    // count of 1 for what no repeat control shows); "0" without a file.
    static QString ReadMacroFileHead(QString name);
    // Writes the macro file of `name` whole, atomically, with `line` as its
    // only line; the macro page adds the events. Nothing for a name that
    // cannot be a file name or a file that cannot be written.
    static void AppendMacroFile(QString name, QString line);

    // How long a changed macro waits before it is sent again, so that the
    // macro page has its new events; tests shorten it.
    static int macroResendWaitMs;

    // Macros the device does not have as the user last saved or named them,
    // because it was offline then: the name the device's block carries, and
    // the name of the macro file that replaces it once the device is back.
    const QMap<QString, QString>& macrosAwaitingDevice() const { return pendingMacros; }

public slots:
    void SlotMouseIndex(int index);
    void SlotUpDataButtonUIB(FlashDataMap DataMap);
    void SlotAddMacroButton();
    void SlotDeleteMacroButton(QString MacroName);
    void SlotUpDataMacro(QString MacroName, int index);
    void SlotMacroRename(QString Rename, QString Name);
    void SlotAllLanguage(int index);
    // Delivered blocking-queued from the device connection.
    void SlotUpDataButtonUIButton(FlashDataMap DataMap);
    void SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SlotFormResetButton();
    // The device page comes or goes: a device opened next starts with the
    // menu closed and no button selected.
    void SlotChangeMainDialog(int index);

    // Export, import and factory reset of the whole configuration.
    void on_OutputData_clicked();
    void on_ImportData_clicked();
    void on_Reset_clicked();
    // Writes the configuration file of this record, with the open model's
    // sensor name. A file that cannot be written is left as it was (no
    // partial file) and the user is told so.
    void SaveConfigFile(QString fileName, FlashDataMap data);

    // The profile selector: a choice goes to the device, which answers with
    // the new profile's record; offline the selector returns.
    void on_ProjectChoose_activated(int index);
    void on_ProjectChoose_currentIndexChanged(int index);

    // A macro entry of the menu assigns its macro to the checked button.
    void slotButtonClicked(bool checked);
    // The macro option: the list of macros, or the notice that there is none.
    void on_DPI_10_clicked();

    // The rapid-fire option: the bool handler assigns the kept interval and
    // count, the other asks for them first. Declared in this order, so a
    // click runs the assignment handler first.
    void on_DPI_6_clicked(bool checked);
    void on_DPI_6_clicked();
    void on_DPI_8_clicked();

private slots:
    // Display buttons, number badges and the entries that open a sub-page.
    void on_FireKey_clicked();
    void on_RightKey_clicked();
    void on_BackKey_clicked();
    void on_StartPause_clicked();
    void on_TopMusic_clicked();
    void on_BackMusic_clicked();
    void on_Button7_clicked();
    void on_Button8_clicked();
    void on_Button9_clicked();
    void on_Button10_clicked();
    void on_Button11_clicked();
    void on_Button12_clicked();
    void on_Number1_clicked();
    void on_Number2_clicked();
    void on_Number3_clicked();
    void on_Number4_clicked();
    void on_Number5_clicked();
    void on_Number6_clicked();
    void on_Number7_clicked();
    void on_Number8_clicked();
    void on_Number9_clicked();
    void on_Number10_clicked();
    void on_Number11_clicked();
    void on_Number12_clicked();
    void on_DPI_11_clicked();
    void on_DPI_12_clicked();
    void on_DPI_13_clicked();
    void on_DPI_4_clicked();
    void on_DPI_7_clicked();
    void on_DPI_9_clicked();
    void on_stackedWidget_currentChanged(int arg1);

public slots:
    // Fixed functions.
    void on_LeftKey_3_clicked(bool checked);
    void on_RightKey_3_clicked(bool checked);
    void on_MidKey_clicked(bool checked);
    void on_BackKey_2_clicked(bool checked);
    void on_ForWardKey_clicked(bool checked);
    void on_DPI_5_clicked(bool checked);
    void on_DPI_2_clicked(bool checked);
    void on_DPI_3_clicked(bool checked);
    void on_VolumeUp_8_clicked(bool checked);
    void on_VolumeUp_9_clicked(bool checked);
    void on_VolumeUp_10_clicked(bool checked);
    void on_VolumeUp_2_clicked(bool checked);
    void on_VolumeDown_2_clicked(bool checked);
    void on_VolumeUp_14_clicked(bool checked);
    void on_VolumeDown_14_clicked(bool checked);
    void on_VolumeUp_4_clicked(bool checked);
    void on_VolumeUp_5_clicked(bool checked);
    void on_VolumeUp_6_clicked(bool checked);
    void on_VolumeUp_7_clicked(bool checked);
    // DPI locks of 100 to 1200 DPI.
    void on_VolumeUp_11_clicked(bool checked);
    void on_VolumeUp_12_clicked(bool checked);
    void on_VolumeUp_13_clicked(bool checked);
    void on_VolumeUp_16_clicked(bool checked);
    void on_VolumeUp_15_clicked(bool checked);
    void on_VolumeUp_19_clicked(bool checked);
    void on_VolumeUp_20_clicked(bool checked);
    void on_VolumeUp_22_clicked(bool checked);
    void on_VolumeUp_18_clicked(bool checked);
    void on_VolumeUp_24_clicked(bool checked);
    void on_VolumeUp_23_clicked(bool checked);
    void on_VolumeUp_21_clicked(bool checked);
    // Multimedia keys.
    void on_Player_clicked(bool checked);
    void on_StartPause_2_clicked(bool checked);
    void on_BackMusic_2_clicked(bool checked);
    void on_TopMusic_2_clicked(bool checked);
    void on_Mute_clicked(bool checked);
    void on_VolumeUp_clicked(bool checked);
    void on_VolumeDown_clicked(bool checked);
    void on_VolumeDown_4_clicked(bool checked);
    void on_VolumeDown_5_clicked(bool checked);
    void on_VolumeDown_6_clicked(bool checked);
    void on_VolumeDown_3_clicked(bool checked);
    void on_VolumeDown_8_clicked(bool checked);
    void on_VolumeDown_9_clicked(bool checked);
    void on_VolumeDown_7_clicked(bool checked);
    void on_VolumeDown_10_clicked(bool checked);
    void on_VolumeDown_12_clicked(bool checked);
    void on_VolumeDown_13_clicked(bool checked);
    void on_VolumeDown_11_clicked(bool checked);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void AddButtonGroups();
    void CreateMacroButtons();
    // Deletes the macro entries and makes them again from the macro folder.
    void buildMacroEntries(double pointSize);
    void applySkin();
    void setMousePicture();
    void fillFromRecord(const FlashDataMap& record);
    // Model and captions from a record's first "KeyNumber" buttons.
    void rebuildFromRecord(const FlashDataMap& record);
    // Model and captions of the factory assignments.
    void loadFactoryModel();
    QString keyComboCaption(const KeyBlock& block) const;
    // The first checked display button in screen order, as a device index;
    // -1 when none is.
    int checkedDeviceIndex() const;
    // Writes the assignment to the checked button and, when the device took
    // it, captions the button and stores it; then closes the menu.
    void assignChecked(int type, int value1, int value2, const QString& caption);
    void assignFixed(bool checked, QToolButton* option, int type, int value1, bool clearsChecks);
    void assignDpiLock(bool checked, QToolButton* option, int dpi);
    void assignConsumer(bool checked, int usage, QToolButton* option);
    // Writes a key assignment with its block to button k; true when the
    // device took it, which then is in the model and the caption.
    bool writeKeyBlock(int k, const KeyBlock& block, const QString& caption);
    void showMenuOn(QWidget* subPage, QAbstractButton* entry, int mainStep);
    void selectRow(int row);
    // An open menu goes back to the selected button's function: an option
    // left checked by a cancelled dialog or a refused write is none of it.
    void showSelectedFunction();
    // Caption without NULs and without the macro prefix; the page model's
    // type, -1 for a button it does not hold.
    QString strippedMacroCaption(int k) const;
    bool isMacroButton(int k) const;
    // Device index k's factory function through its option, as a click on
    // it with k checked.
    void restoreFactoryOption(int k);
    // Remembers that the device still has `deviceName` where the user's file
    // is now `fileName`.
    void awaitDevice(const QString& deviceName, const QString& fileName);
    // Sends the macros the device missed while it was offline.
    void sendPendingMacros();

    Ui::Buttoninterface* ui;

    QButtonGroup* displayButtonGroup = nullptr;
    QButtonGroup* optionButtonGroup = nullptr;
    QButtonGroup* subOptionButtonGroup = nullptr;
    QButtonGroup* numberButtonGroup = nullptr;

    QVector<int> buttonTypes;
    QVector<int> buttonValues1;
    QVector<int> buttonValues2;
    QString sensorName;

    QString pictureFolder;
    QString buttonTextColor;
    QString macroPrefix;
    QString profilePrefix;
    int textsApplied = 0;

    // Rapid fire as the FireKey dialog last kept it.
    int FireTime = 10;
    int FireCount = 3;

    QVBoxLayout* macroListLayout = nullptr;
    QWidget* macroListWidget = nullptr;
    QList<QToolButton*> macroEntries;
    // The folder's files the entries were last made from.
    QStringList macroEntriesBuiltFrom;
    QMap<QString, QString> pendingMacros;
};
