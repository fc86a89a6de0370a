#pragma once
// The macro page: the user's macros (one file each in the macro folder), the
// event list of the selected macro, its repeat and delay modes, and the
// macro files' import and export.
#include "core/flashdatamap.h"
#include "macro/capturehook.h"
#include "macro/macrofile.h"

#include <QHash>
#include <QModelIndex>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <functional>

class QButtonGroup;
class QListWidgetItem;
class QMenu;

namespace Ui {
class Macro;
}

class Macro : public QWidget
{
    Q_OBJECT
public:
    explicit Macro(QWidget* parent = nullptr);
    ~Macro() override;

    // ---- Key table ----------------------------------------------------------------
    // [usage code text, kind text] of a key name; empty outside the table.
    static QStringList hidCodesForKey(const QString& name);
    // Kind and code of event slot i of a macro block from a key name; a slot
    // outside the block is left alone.
    static void setBlockEventCode(const QString& name, int i, MacroBlock& block);

    // ---- Event list -------------------------------------------------------------------
    // Only while a macro is current: a key row at the end, made current.
    void appendKeyEvent(const QString& name, bool keyDown);
    // Only while a macro is current: a delay row at the end; the row before it
    // becomes current.
    void appendDelayEvent(double ms);
    // A key row and a "10ms" delay row, placed by the current row.
    void insertKeyEvent(const QString& name, bool keyDown);
    // Press, release and "10ms" delay rows of one key, placed by the current row.
    void insertKeyStroke(const QString& name);
    // Sets the delay before the current key row, or replaces the current delay row.
    void setDelayEvent(double ms);
    // The item data role of a key row's [code text, kind text].
    static constexpr int kRowKeyCodesRole = Qt::UserRole;
    // The row of the other half of key row `row`: the release of a press,
    // the press of a release; -1 when it has none.
    static int keyPartnerRow(const QVector<MacroRow>& rows, int row);
    // The rows as they stand, icons and key codes included.
    QVector<MacroRow> eventRows() const;
    // Puts the two option groups together (delay mode, repeat mode).
    void groupOptionButtons();

    // ---- Macro files ----------------------------------------------------------------
    // One item per macro file of the folder (see macroFolderFiles()).
    void fillMacroList();
    // Clears the event list and reads the current macro's file into it.
    void loadMacroFile();
    // Creates or empties the current macro's file; false when the name has
    // no file or the file cannot be written.
    bool createMacroFile();
    static void truncateFile(const QString& path);
    // Rewrites the current macro's existing file from the rows, atomically.
    bool saveMacroFile(const QString& repeat);
    // Appends the rows to the existing file of macro `name`.
    bool appendMacroFile(const QString& name);
    static void WaitMs(int ms);
    // The repeat value the repeat controls show: 253, 254, 255 or the count.
    QString repeatText() const;
    // Sets the repeat controls from line 1 of a macro file.
    void setRepeatControls(int value);
    // The text of the current macro list item; empty for none.
    QString currentMacroName() const;
    QString currentFilePath() const { return currentFile; }

    // ---- Transfer to and from the device (macrotransfer.cpp) ---------------------------
    // True once since the last call when the device did not take a macro sent
    // for a button (offline, or its macros no longer fit): a save that sent
    // the events keeps them marked changed, so the next save sends them again.
    bool takeMacroSendRefused();

    // ---- Recording ------------------------------------------------------------------
    // Key rows a recording holds at most.
    static constexpr int kMaxRecordedKeys = 70;
    // Milliseconds on a monotonic clock; the delays between recorded keys are
    // measured on it. Tests put their own clock in.
    using RecordingClock = std::function<qint64()>;
    void setRecordingClock(RecordingClock clock);
    bool isRecording() const { return recording; }

public slots:
    // A button's macro block from the device becomes that macro's file; the
    // page's own list follows only while it holds no unsaved work.
    void SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer);
    // Macro `MacroName` as it was saved goes to button `index` of the
    // device: the rows its last Save took, else its file.
    void SlotMacroDownLoadData(QString MacroName, int index);
    // The device page goes back to the home page: a running recording stops.
    void SlotSetMacroPage();
    // The recorder: one key message from the keyboard hook. The hook's repeat
    // flag is not used; the recorder filters repeats itself.
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    void SlotAllLanguage(int index);
    // Context-menu actions on the current macro, or a new one from a file.
    void ExPortMacro();
    void RenameMacro();
    void InPortMacro();

    // ---- Page actions ----------------------------------------------------------------
    // The context menu's delete and new.
    void DeleteMacro();
    void CreateMewMacro();

private slots:
    void on_StartRecord_clicked();
    void on_StopRecord_clicked();
    void on_listWidgetHong_clicked(QModelIndex index);

    // ---- Page actions ----------------------------------------------------------------
    void on_NewHong_clicked();
    void on_DeleteHong_clicked();
    void on_Amend_clicked();
    void on_ChooseEvent_activated(int index);
    void on_DeleteKey_clicked();
    void on_Save_clicked();
    void on_listWidgetKey_itemChanged(QListWidgetItem* item);
    void on_NumberEdit_valueChanged(int value);
    void on_listWidgetHong_customContextMenuRequested(QPoint pos);
    void on_DelayTime_valueChanged(int value);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applySkin();
    // The current macro's rows and repeat mode from its file, Save inactive;
    // no rows while no macro is current.
    void showCurrentMacro();
    void setSaveActive(bool active);
    QListWidgetItem* newKeyRow(const QString& name, bool keyDown) const;
    QListWidgetItem* newDelayRow(const QString& text) const;
    QListWidgetItem* newRow(const MacroRow& row) const;
    // Inserts at row, or at the end for a row beyond it.
    void insertRow(int row, QListWidgetItem* item);
    bool macroListHas(const QString& name) const;
    // Appends rows to the existing file of macro `name`.
    bool appendMacroFile(const QString& name, const QVector<MacroRow>& rows);

    // ---- Transfer (macrotransfer.cpp) ----
    void connectTransfer();
    // Unsaved edits or a recording the device's macros must not wipe.
    bool holdsUnsavedWork() const;
    // Adds a device macro's item unless listed; makes it current only when asked
    // and no item is current.
    QListWidgetItem* listDeviceMacro(const QString& name, bool makeCurrent);
    bool macroSendRefused = false;
    // The rows each Save took, for the sends that Save asks for: the macro
    // saved is the macro sent, whatever is open by the time the send runs.
    QHash<QString, QVector<MacroRow>> savedRows;

    // Asks for a new or a renamed macro's name: empty when the user gave none,
    // when the name is taken (after the notice), or when it cannot name a file.
    QString askMacroName(bool rename);
    // The notice that a name cannot name a macro, placed as by a dialog of that size.
    void showNameRefused(const QSize& placedBy);
    // The notice that a file to import is no exported macro.
    void showImportRefused();

    // ---- Recording ------------------------------------------------------------------
    void restartDelayTimer();
    qint64 delayElapsed() const;
    qint64 clockNow() const;
    void showRecordingControls(bool on);

    // ---- Page actions ----------------------------------------------------------------
    // While a recording runs: the notice that it must be stopped first.
    bool refusedWhileRecording();
    void showRunningNotice(bool pleaseStop);

    Ui::Macro* ui;
    QString macroFolderPath;
    QString currentFile;
    QString pictureFolder;
    QButtonGroup* delayModeGroup = nullptr;
    QButtonGroup* repeatModeGroup = nullptr;
    QStringList buttonColorList;
    QString buttonTextColor;
    QString activeButtonStyle;
    QString inactiveSaveStyle;
    bool recording = false;
    bool eventsChanged = false;
    bool repeatChanged = false;
    QString exportMenuText;
    QString renameMenuText;
    QString deleteMenuText;
    QString newMenuText;
    QString importMenuText;
    QString macroCaptionPrefix;

    // ---- Recording ------------------------------------------------------------------
    CaptureHook<1> hookObject;
    RecordingClock recordingClock;
    qint64 delayTimerStart = 0;
    // Keys down since the recording started and not yet up.
    QSet<int> heldKeys;
    bool firstEvent = false;
    int recordedKeyCount = 0;

    // ---- Page actions ----------------------------------------------------------------
    QPointer<QMenu> listMenu;
};
