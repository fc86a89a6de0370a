#pragma once
// The process-wide signal hub. Every notification between screens, and all
// device data on its way to a screen, is a signal of this one object.
// Senders call the Post method of a signal; receivers connect to it in their
// constructors through hubConnect().
//
// FlashDataMap and DeviceAllInfo are not registered with the meta-type system:
// they travel only by direct or blocking-queued delivery.

#include "core/deviceinfo.h"
#include "core/flashdatamap.h"

#include <QObject>
#include <QString>

class PostMsg : public QObject
{
    Q_OBJECT
public:
    // The hub, created on the first call and never destroyed.
    static PostMsg* GetInstance();

    // One emit method per signal: "Post" + the signal's name without "Sig".
    void PostChangeMainDialog(int index);
    void PostChangeSize(int index);
    void PostUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void PostUpDataLightUIButton(FlashDataMap DataMap);
    void PostUpDataLightLight(FlashDataMap DataMap);
    void PostUpDataLightSensor(FlashDataMap DataMap);
    void PostUpDataLightUIA(FlashDataMap DataMap);
    void PostUpDataSensorUIB(FlashDataMap DataMap);
    void PostUpDataButtonUIC(FlashDataMap DataMap);
    void PostButtonToMacro(FlashDataMap DataMap, int KeyNumer);
    void PostSelectMouseInfo(DeviceAllInfo SelectInfo);
    void PostMouseOffLineo(int index);
    void PostMainPageChange();
    void PostSecondPageChange();
    void PostUpPageLight();
    void PostAddMacroButton();
    void PostDeleteMacroButton(QString MacroName);
    void PostMacroDownLoadData(QString MacroName, int index);
    void PostUpDataMacro(QString MacroName, int index);
    void PostUpDataParam(int index);
    void PostUpDataReportRate(int index);
    void PostUpDataDPI(int index);
    void PostUpDataDPILed(FlashDataMap DataMap);
    void PostTimerStop();
    void PostButtonEnable(int index);
    void PostLabelText(int index, QString Text);
    void PostLabelTextB(QString TextA, QString Text);
    void PostCloseUpdate();
    void PostProgress(int index, int value);
    void PostBattery(bool IsCharg, int Number, bool IsText);
    void PostAutoRepair(int index);
    void PostAutoRepairProgress(int index);
    void PostChangeLanguage(int index);
    void PostLanguageSameA(int index);
    void PostLanguageSameB(int index);
    void PostCloseOffOnline();
    void PostSetMacroPage();
    void PostStartRecord(int index);
    void PostUpDateButton(bool IsHide);
    void PostMacroRename(QString Rename, QString Name);
    void PostSetver(int index);
    void PostCloseProgress();
    void PostRGBValue(DongleRGB* Rgb);
    void PostLongRangeMode(bool Select);
    void PostForm();
    void PostFormB();
    void PostEnterKey();
    void PostFormReset();
    void PostHideModel(int index);
    void PostContinue(int value);
    void PostMouseIndex(int index);
    void PostUpdateStart();
    void PostCheckUpdate();
    void PostRepairCheckUpdate();
    void PostSetNewVer();
    void PostLightToFrom(int index);
    void PostButtonCheck();
    void PostAllLanguage(int Index);
    void PostUpdateFrame(bool IsVis);
signals:
    // The order of these declarations is the meta-object order; keep it.
    void SigChangeMainDialog(int index);
    void SigChangeSize(int index);
    void SigUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SigUpDataLightUIButton(FlashDataMap DataMap);
    void SigUpDataLightLight(FlashDataMap DataMap);
    void SigUpDataLightSensor(FlashDataMap DataMap);
    void SigUpDataLightUIA(FlashDataMap DataMap);
    void SigUpDataSensorUIB(FlashDataMap DataMap);
    void SigUpDataButtonUIC(FlashDataMap DataMap);
    void SigButtonToMacro(FlashDataMap DataMap, int KeyNumer);
    void SigSelectMouseInfo(DeviceAllInfo SelectInfo);
    void SigMouseOffLineo(int index);
    void SigMainPageChange();
    void SigSecondPageChange();
    void SigUpPageLight();
    void SigAddMacroButton();
    void SigDeleteMacroButton(QString MacroName);
    void SigMacroDownLoadData(QString MacroName, int index);
    void SigUpDataMacro(QString MacroName, int index);
    void SigUpDataParam(int index);
    void SigUpDataReportRate(int index);
    void SigUpDataDPI(int index);
    void SigUpDataDPILed(FlashDataMap DataMap);
    void SigTimerStop();
    void SigButtonEnable(int index);
    void SigLabelText(int index, QString Text);
    void SigLabelTextB(QString TextA, QString Text);
    void SigCloseUpdate();
    void SigProgress(int index, int value);
    void SigBattery(bool IsCharg, int Number, bool IsText);
    void SigAutoRepair(int index);
    void SigAutoRepairProgress(int index);
    void SigChangeLanguage(int index);
    void SigLanguageSameA(int index);
    void SigLanguageSameB(int index);
    void SigCloseOffOnline();
    void SigSetMacroPage();
    void SigStartRecord(int index);
    void SigUpDateButton(bool IsHide);
    void SigMacroRename(QString Rename, QString Name);
    void SigSetver(int index);
    void SigCloseProgress();
    void SigRGBValue(DongleRGB* Rgb);
    void SigLongRangeMode(bool Select);
    void SigForm();
    void SigFormB();
    void SigEnterKey();
    void SigFormReset();
    void SigHideModel(int index);
    void SigContinue(int);
    void SigMouseIndex(int index);
    void SigUpdateStart();
    void SigCheckUpdate();
    void SigRepairCheckUpdate();
    void SigSetNewVer();
    void SigLightToFrom(int index);
    void SigButtonCheck();
    void SigAllLanguage(int Index);
    void SigUpdateFrame(bool IsVis);
private:
    explicit PostMsg(QObject* parent);
};

// Connects a hub signal to a receiver's slot in the string form,
// hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int))).
// A failed connection is logged with qCritical and counted, so a misspelt
// signature fails a test instead of silently doing nothing.
bool hubConnect(const char* signal, const QObject* receiver, const char* method,
                Qt::ConnectionType type = Qt::AutoConnection);

// Connections that hubConnect() could not make since the start or the last reset.
int hubConnectFailures();
void resetHubConnectFailures();
