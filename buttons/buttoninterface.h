#pragma once
// The button assignment page. It shows the open device's buttons with the
// function each carries, keeps a model of their assignments filled from the
// device's record, and owns the device connection worker: it creates the one
// Worker and shuts it down when the page goes.
#include "core/flashdatamap.h"

#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

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

    // Unchecks every option of the sub-menus except the vertical wheel.
    void ClearMenuChecks();
    // Shows the closed menu: no option list, the debounce panel.
    void closeFunctionMenu();
    void uncheckDisplayButtons();

    // The macro entries of the menu, fillers included, in creation order.
    const QList<QToolButton*>& macroButtons() const { return macroEntries; }

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

    // Export, import and factory reset of the whole configuration.
    void on_OutputData_clicked();
    void on_ImportData_clicked();
    void on_Reset_clicked();
    // Writes the configuration file of this record, with the open model's
    // sensor name; a file that cannot be written is left alone.
    void SaveConfigFile(QString fileName, FlashDataMap data);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

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
    QString consumerCaption(int usage) const;

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
};
