#include "core/postmsg.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDebug>

namespace {
QAtomicInt connectFailures;
}

PostMsg::PostMsg(QObject* parent)
    : QObject(parent)
{
}

PostMsg* PostMsg::GetInstance()
{
    static PostMsg* const instance = [] {
        PostMsg* hub = new PostMsg(nullptr);
        // The hub belongs to the GUI thread, whichever thread asks first.
        if (QCoreApplication::instance() && hub->thread() != QCoreApplication::instance()->thread())
            hub->moveToThread(QCoreApplication::instance()->thread());
        return hub;
    }();
    return instance;
}

bool hubConnect(const char* signal, const QObject* receiver, const char* method, Qt::ConnectionType type)
{
    const bool connected = QObject::connect(PostMsg::GetInstance(), signal, receiver, method, type);
    if (!connected) {
        connectFailures.ref();
        qCritical().nospace() << "hub connection failed: " << (signal ? signal + 1 : "(null)") << " -> "
                              << (receiver ? receiver->metaObject()->className() : "(null)")
                              << "::" << (method ? method + 1 : "(null)");
    }
    return connected;
}

int hubConnectFailures()
{
    return connectFailures.loadAcquire();
}

void resetHubConnectFailures()
{
    connectFailures.storeRelease(0);
}

void PostMsg::PostChangeMainDialog(int index)
{
    emit SigChangeMainDialog(index);
}

void PostMsg::PostChangeSize(int index)
{
    emit SigChangeSize(index);
}

void PostMsg::PostUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable)
{
    emit SigUpDataConfigUI(ToTalItem, SelectIndex, ItemEnable);
}

void PostMsg::PostUpDataLightUIButton(FlashDataMap DataMap)
{
    emit SigUpDataLightUIButton(DataMap);
}

void PostMsg::PostUpDataLightLight(FlashDataMap DataMap)
{
    emit SigUpDataLightLight(DataMap);
}

void PostMsg::PostUpDataLightSensor(FlashDataMap DataMap)
{
    emit SigUpDataLightSensor(DataMap);
}

void PostMsg::PostUpDataLightUIA(FlashDataMap DataMap)
{
    emit SigUpDataLightUIA(DataMap);
}

void PostMsg::PostUpDataSensorUIB(FlashDataMap DataMap)
{
    emit SigUpDataSensorUIB(DataMap);
}

void PostMsg::PostUpDataButtonUIC(FlashDataMap DataMap)
{
    emit SigUpDataButtonUIC(DataMap);
}

void PostMsg::PostButtonToMacro(FlashDataMap DataMap, int KeyNumer)
{
    emit SigButtonToMacro(DataMap, KeyNumer);
}

void PostMsg::PostSelectMouseInfo(DeviceAllInfo SelectInfo)
{
    emit SigSelectMouseInfo(SelectInfo);
}

void PostMsg::PostMouseOffLineo(int index)
{
    emit SigMouseOffLineo(index);
}

void PostMsg::PostMainPageChange()
{
    emit SigMainPageChange();
}

void PostMsg::PostSecondPageChange()
{
    emit SigSecondPageChange();
}

void PostMsg::PostUpPageLight()
{
    emit SigUpPageLight();
}

void PostMsg::PostAddMacroButton()
{
    emit SigAddMacroButton();
}

void PostMsg::PostDeleteMacroButton(QString MacroName)
{
    emit SigDeleteMacroButton(MacroName);
}

void PostMsg::PostMacroDownLoadData(QString MacroName, int index)
{
    emit SigMacroDownLoadData(MacroName, index);
}

void PostMsg::PostUpDataMacro(QString MacroName, int index)
{
    emit SigUpDataMacro(MacroName, index);
}

void PostMsg::PostUpDataParam(int index)
{
    emit SigUpDataParam(index);
}

void PostMsg::PostUpDataReportRate(int index)
{
    emit SigUpDataReportRate(index);
}

void PostMsg::PostUpDataDPI(int index)
{
    emit SigUpDataDPI(index);
}

void PostMsg::PostUpDataDPILed(FlashDataMap DataMap)
{
    emit SigUpDataDPILed(DataMap);
}

void PostMsg::PostTimerStop()
{
    emit SigTimerStop();
}

void PostMsg::PostButtonEnable(int index)
{
    emit SigButtonEnable(index);
}

void PostMsg::PostLabelText(int index, QString Text)
{
    emit SigLabelText(index, Text);
}

void PostMsg::PostLabelTextB(QString TextA, QString Text)
{
    emit SigLabelTextB(TextA, Text);
}

void PostMsg::PostCloseUpdate()
{
    emit SigCloseUpdate();
}

void PostMsg::PostProgress(int index, int value)
{
    emit SigProgress(index, value);
}

void PostMsg::PostBattery(bool IsCharg, int Number, bool IsText)
{
    emit SigBattery(IsCharg, Number, IsText);
}

void PostMsg::PostAutoRepair(int index)
{
    emit SigAutoRepair(index);
}

void PostMsg::PostAutoRepairProgress(int index)
{
    emit SigAutoRepairProgress(index);
}

void PostMsg::PostChangeLanguage(int index)
{
    emit SigChangeLanguage(index);
}

void PostMsg::PostLanguageSameA(int index)
{
    emit SigLanguageSameA(index);
}

void PostMsg::PostLanguageSameB(int index)
{
    emit SigLanguageSameB(index);
}

void PostMsg::PostCloseOffOnline()
{
    emit SigCloseOffOnline();
}

void PostMsg::PostSetMacroPage()
{
    emit SigSetMacroPage();
}

void PostMsg::PostStartRecord(int index)
{
    emit SigStartRecord(index);
}

void PostMsg::PostUpDateButton(bool IsHide)
{
    emit SigUpDateButton(IsHide);
}

void PostMsg::PostMacroRename(QString Rename, QString Name)
{
    emit SigMacroRename(Rename, Name);
}

void PostMsg::PostSetver(int index)
{
    emit SigSetver(index);
}

void PostMsg::PostCloseProgress()
{
    emit SigCloseProgress();
}

void PostMsg::PostRGBValue(DongleRGB* Rgb)
{
    emit SigRGBValue(Rgb);
}

void PostMsg::PostLongRangeMode(bool Select)
{
    emit SigLongRangeMode(Select);
}

void PostMsg::PostForm()
{
    emit SigForm();
}

void PostMsg::PostFormB()
{
    emit SigFormB();
}

void PostMsg::PostEnterKey()
{
    emit SigEnterKey();
}

void PostMsg::PostFormReset()
{
    emit SigFormReset();
}

void PostMsg::PostHideModel(int index)
{
    emit SigHideModel(index);
}

void PostMsg::PostContinue(int value)
{
    emit SigContinue(value);
}

void PostMsg::PostMouseIndex(int index)
{
    emit SigMouseIndex(index);
}

void PostMsg::PostUpdateStart()
{
    emit SigUpdateStart();
}

void PostMsg::PostCheckUpdate()
{
    emit SigCheckUpdate();
}

void PostMsg::PostRepairCheckUpdate()
{
    emit SigRepairCheckUpdate();
}

void PostMsg::PostSetNewVer()
{
    emit SigSetNewVer();
}

void PostMsg::PostLightToFrom(int index)
{
    emit SigLightToFrom(index);
}

void PostMsg::PostButtonCheck()
{
    emit SigButtonCheck();
}

void PostMsg::PostAllLanguage(int Index)
{
    emit SigAllLanguage(Index);
}

void PostMsg::PostUpdateFrame(bool IsVis)
{
    emit SigUpdateFrame(IsVis);
}
