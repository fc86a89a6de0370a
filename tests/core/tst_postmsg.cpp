#include "support/testsupport.h"

#include "core/globals.h"
#include "core/postmsg.h"

#include <QThread>

#include <cstring>
#include <tuple>

// Comparisons for the records the hub carries, for this test only.
static bool operator==(const FlashDataMap& a, const FlashDataMap& b)
{
    return std::memcmp(&a, &b, sizeof(FlashDataMap)) == 0;
}
static bool operator==(const DeviceAllInfo& a, const DeviceAllInfo& b)
{
    return a.path == b.path && a.idPair == b.idPair && a.usbAddress == b.usbAddress;
}

class Receiver : public QObject
{
    Q_OBJECT
public:
    int calls = 0;
    uint8_t seenRate = 0;
    Qt::HANDLE seenThread = nullptr;
public slots:
    void SlotLanguage(int) { ++calls; }
    void SlotRecord(FlashDataMap map)
    {
        ++calls;
        seenRate = map.reportRate;
        seenThread = QThread::currentThreadId();
    }
};

class PostMsgTest : public QObject
{
    Q_OBJECT

    FlashDataMap record = {};
    DeviceAllInfo info;

    // Calls the Post method and checks that exactly its signal was emitted,
    // once, with the arguments unchanged.
    template <typename... Args, typename... Values>
    void checkPost(void (PostMsg::*signal)(Args...), void (PostMsg::*post)(Args...), Values... values)
    {
        PostMsg* hub = PostMsg::GetInstance();
        int count = 0;
        std::tuple<std::decay_t<Args>...> seen;
        const auto connection = connect(hub, signal, this, [&](Args... args) {
            ++count;
            seen = std::make_tuple(args...);
        });
        (hub->*post)(values...);
        disconnect(connection);
        QCOMPARE(count, 1);
        QVERIFY(seen == std::make_tuple(std::decay_t<Args>(values)...));
    }

private slots:
    void instanceIsStable()
    {
        PostMsg* hub = PostMsg::GetInstance();
        QVERIFY(hub);
        QCOMPARE(PostMsg::GetInstance(), hub);
        QVERIFY(!hub->parent());
    }

    void signalsInMetaObjectOrder_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<QByteArray>("parameterNames");
        QTest::newRow("SigChangeMainDialog") << 0 << QByteArray("SigChangeMainDialog(int)") << QByteArray("index");
        QTest::newRow("SigChangeSize") << 1 << QByteArray("SigChangeSize(int)") << QByteArray("index");
        QTest::newRow("SigUpDataConfigUI") << 2 << QByteArray("SigUpDataConfigUI(int,int,bool)") << QByteArray("ToTalItem,SelectIndex,ItemEnable");
        QTest::newRow("SigUpDataLightUIButton") << 3 << QByteArray("SigUpDataLightUIButton(FlashDataMap)") << QByteArray("DataMap");
        QTest::newRow("SigUpDataLightLight") << 4 << QByteArray("SigUpDataLightLight(FlashDataMap)") << QByteArray("DataMap");
        QTest::newRow("SigUpDataLightSensor") << 5 << QByteArray("SigUpDataLightSensor(FlashDataMap)") << QByteArray("DataMap");
        QTest::newRow("SigUpDataLightUIA") << 6 << QByteArray("SigUpDataLightUIA(FlashDataMap)") << QByteArray("DataMap");
        QTest::newRow("SigUpDataSensorUIB") << 7 << QByteArray("SigUpDataSensorUIB(FlashDataMap)") << QByteArray("DataMap");
        QTest::newRow("SigUpDataButtonUIC") << 8 << QByteArray("SigUpDataButtonUIC(FlashDataMap)") << QByteArray("DataMap");
        QTest::newRow("SigButtonToMacro") << 9 << QByteArray("SigButtonToMacro(FlashDataMap,int)") << QByteArray("DataMap,KeyNumer");
        QTest::newRow("SigSelectMouseInfo") << 10 << QByteArray("SigSelectMouseInfo(DeviceAllInfo)") << QByteArray("SelectInfo");
        QTest::newRow("SigMouseOffLineo") << 11 << QByteArray("SigMouseOffLineo(int)") << QByteArray("index");
        QTest::newRow("SigMainPageChange") << 12 << QByteArray("SigMainPageChange()") << QByteArray("");
        QTest::newRow("SigSecondPageChange") << 13 << QByteArray("SigSecondPageChange()") << QByteArray("");
        QTest::newRow("SigUpPageLight") << 14 << QByteArray("SigUpPageLight()") << QByteArray("");
        QTest::newRow("SigAddMacroButton") << 15 << QByteArray("SigAddMacroButton()") << QByteArray("");
        QTest::newRow("SigDeleteMacroButton") << 16 << QByteArray("SigDeleteMacroButton(QString)") << QByteArray("MacroName");
        QTest::newRow("SigMacroDownLoadData") << 17 << QByteArray("SigMacroDownLoadData(QString,int)") << QByteArray("MacroName,index");
        QTest::newRow("SigUpDataMacro") << 18 << QByteArray("SigUpDataMacro(QString,int)") << QByteArray("MacroName,index");
        QTest::newRow("SigUpDataParam") << 19 << QByteArray("SigUpDataParam(int)") << QByteArray("index");
        QTest::newRow("SigUpDataReportRate") << 20 << QByteArray("SigUpDataReportRate(int)") << QByteArray("index");
        QTest::newRow("SigUpDataDPI") << 21 << QByteArray("SigUpDataDPI(int)") << QByteArray("index");
        QTest::newRow("SigUpDataDPILed") << 22 << QByteArray("SigUpDataDPILed(FlashDataMap)") << QByteArray("DataMap");
        QTest::newRow("SigTimerStop") << 23 << QByteArray("SigTimerStop()") << QByteArray("");
        QTest::newRow("SigButtonEnable") << 24 << QByteArray("SigButtonEnable(int)") << QByteArray("index");
        QTest::newRow("SigLabelText") << 25 << QByteArray("SigLabelText(int,QString)") << QByteArray("index,Text");
        QTest::newRow("SigLabelTextB") << 26 << QByteArray("SigLabelTextB(QString,QString)") << QByteArray("TextA,Text");
        QTest::newRow("SigCloseUpdate") << 27 << QByteArray("SigCloseUpdate()") << QByteArray("");
        QTest::newRow("SigProgress") << 28 << QByteArray("SigProgress(int,int)") << QByteArray("index,value");
        QTest::newRow("SigBattery") << 29 << QByteArray("SigBattery(bool,int,bool)") << QByteArray("IsCharg,Number,IsText");
        QTest::newRow("SigAutoRepair") << 30 << QByteArray("SigAutoRepair(int)") << QByteArray("index");
        QTest::newRow("SigAutoRepairProgress") << 31 << QByteArray("SigAutoRepairProgress(int)") << QByteArray("index");
        QTest::newRow("SigChangeLanguage") << 32 << QByteArray("SigChangeLanguage(int)") << QByteArray("index");
        QTest::newRow("SigLanguageSameA") << 33 << QByteArray("SigLanguageSameA(int)") << QByteArray("index");
        QTest::newRow("SigLanguageSameB") << 34 << QByteArray("SigLanguageSameB(int)") << QByteArray("index");
        QTest::newRow("SigCloseOffOnline") << 35 << QByteArray("SigCloseOffOnline()") << QByteArray("");
        QTest::newRow("SigSetMacroPage") << 36 << QByteArray("SigSetMacroPage()") << QByteArray("");
        QTest::newRow("SigStartRecord") << 37 << QByteArray("SigStartRecord(int)") << QByteArray("index");
        QTest::newRow("SigUpDateButton") << 38 << QByteArray("SigUpDateButton(bool)") << QByteArray("IsHide");
        QTest::newRow("SigMacroRename") << 39 << QByteArray("SigMacroRename(QString,QString)") << QByteArray("Rename,Name");
        QTest::newRow("SigSetver") << 40 << QByteArray("SigSetver(int)") << QByteArray("index");
        QTest::newRow("SigCloseProgress") << 41 << QByteArray("SigCloseProgress()") << QByteArray("");
        QTest::newRow("SigRGBValue") << 42 << QByteArray("SigRGBValue(DongleRGB*)") << QByteArray("Rgb");
        QTest::newRow("SigLongRangeMode") << 43 << QByteArray("SigLongRangeMode(bool)") << QByteArray("Select");
        QTest::newRow("SigForm") << 44 << QByteArray("SigForm()") << QByteArray("");
        QTest::newRow("SigFormB") << 45 << QByteArray("SigFormB()") << QByteArray("");
        QTest::newRow("SigEnterKey") << 46 << QByteArray("SigEnterKey()") << QByteArray("");
        QTest::newRow("SigFormReset") << 47 << QByteArray("SigFormReset()") << QByteArray("");
        QTest::newRow("SigHideModel") << 48 << QByteArray("SigHideModel(int)") << QByteArray("index");
        QTest::newRow("SigContinue") << 49 << QByteArray("SigContinue(int)") << QByteArray("");
        QTest::newRow("SigMouseIndex") << 50 << QByteArray("SigMouseIndex(int)") << QByteArray("index");
        QTest::newRow("SigUpdateStart") << 51 << QByteArray("SigUpdateStart()") << QByteArray("");
        QTest::newRow("SigCheckUpdate") << 52 << QByteArray("SigCheckUpdate()") << QByteArray("");
        QTest::newRow("SigRepairCheckUpdate") << 53 << QByteArray("SigRepairCheckUpdate()") << QByteArray("");
        QTest::newRow("SigSetNewVer") << 54 << QByteArray("SigSetNewVer()") << QByteArray("");
        QTest::newRow("SigLightToFrom") << 55 << QByteArray("SigLightToFrom(int)") << QByteArray("index");
        QTest::newRow("SigButtonCheck") << 56 << QByteArray("SigButtonCheck()") << QByteArray("");
        QTest::newRow("SigAllLanguage") << 57 << QByteArray("SigAllLanguage(int)") << QByteArray("Index");
        QTest::newRow("SigUpdateFrame") << 58 << QByteArray("SigUpdateFrame(bool)") << QByteArray("IsVis");    }
    void signalsInMetaObjectOrder()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, signature);
        QFETCH(QByteArray, parameterNames);
        const QMetaObject& meta = PostMsg::staticMetaObject;
        QCOMPARE(meta.methodCount() - meta.methodOffset(), 59);
        const QMetaMethod method = meta.method(meta.methodOffset() + index);
        QCOMPARE(method.methodType(), QMetaMethod::Signal);
        QCOMPARE(method.methodSignature(), signature);
        QCOMPARE(method.parameterNames().join(','), parameterNames);
        QCOMPARE(meta.indexOfSignal(QMetaObject::normalizedSignature(signature.constData())),
                 meta.methodOffset() + index);
    }

    void postEmitsItsSignal()
    {
        record.reportRate = 4;
        record.reserved7a[1] = 0x99;
        record.macroBlocks[15].eventCount = 70;
        info.path = QStringLiteral("/dev/sim/q3");
        info.idPair = 0x122a;
        info.usbAddress = QByteArray("\x01\x02\x03", 3);
        checkPost(&PostMsg::SigChangeMainDialog, &PostMsg::PostChangeMainDialog, 7);
        checkPost(&PostMsg::SigChangeSize, &PostMsg::PostChangeSize, 7);
        checkPost(&PostMsg::SigUpDataConfigUI, &PostMsg::PostUpDataConfigUI, 7, -3, true);
        checkPost(&PostMsg::SigUpDataLightUIButton, &PostMsg::PostUpDataLightUIButton, record);
        checkPost(&PostMsg::SigUpDataLightLight, &PostMsg::PostUpDataLightLight, record);
        checkPost(&PostMsg::SigUpDataLightSensor, &PostMsg::PostUpDataLightSensor, record);
        checkPost(&PostMsg::SigUpDataLightUIA, &PostMsg::PostUpDataLightUIA, record);
        checkPost(&PostMsg::SigUpDataSensorUIB, &PostMsg::PostUpDataSensorUIB, record);
        checkPost(&PostMsg::SigUpDataButtonUIC, &PostMsg::PostUpDataButtonUIC, record);
        checkPost(&PostMsg::SigButtonToMacro, &PostMsg::PostButtonToMacro, record, 7);
        checkPost(&PostMsg::SigSelectMouseInfo, &PostMsg::PostSelectMouseInfo, info);
        checkPost(&PostMsg::SigMouseOffLineo, &PostMsg::PostMouseOffLineo, 7);
        checkPost(&PostMsg::SigMainPageChange, &PostMsg::PostMainPageChange);
        checkPost(&PostMsg::SigSecondPageChange, &PostMsg::PostSecondPageChange);
        checkPost(&PostMsg::SigUpPageLight, &PostMsg::PostUpPageLight);
        checkPost(&PostMsg::SigAddMacroButton, &PostMsg::PostAddMacroButton);
        checkPost(&PostMsg::SigDeleteMacroButton, &PostMsg::PostDeleteMacroButton, QStringLiteral("a"));
        checkPost(&PostMsg::SigMacroDownLoadData, &PostMsg::PostMacroDownLoadData, QStringLiteral("a"), 7);
        checkPost(&PostMsg::SigUpDataMacro, &PostMsg::PostUpDataMacro, QStringLiteral("a"), 7);
        checkPost(&PostMsg::SigUpDataParam, &PostMsg::PostUpDataParam, 7);
        checkPost(&PostMsg::SigUpDataReportRate, &PostMsg::PostUpDataReportRate, 7);
        checkPost(&PostMsg::SigUpDataDPI, &PostMsg::PostUpDataDPI, 7);
        checkPost(&PostMsg::SigUpDataDPILed, &PostMsg::PostUpDataDPILed, record);
        checkPost(&PostMsg::SigTimerStop, &PostMsg::PostTimerStop);
        checkPost(&PostMsg::SigButtonEnable, &PostMsg::PostButtonEnable, 7);
        checkPost(&PostMsg::SigLabelText, &PostMsg::PostLabelText, 7, QStringLiteral("a"));
        checkPost(&PostMsg::SigLabelTextB, &PostMsg::PostLabelTextB, QStringLiteral("a"), QStringLiteral("b"));
        checkPost(&PostMsg::SigCloseUpdate, &PostMsg::PostCloseUpdate);
        checkPost(&PostMsg::SigProgress, &PostMsg::PostProgress, 7, -3);
        checkPost(&PostMsg::SigBattery, &PostMsg::PostBattery, true, 7, false);
        checkPost(&PostMsg::SigAutoRepair, &PostMsg::PostAutoRepair, 7);
        checkPost(&PostMsg::SigAutoRepairProgress, &PostMsg::PostAutoRepairProgress, 7);
        checkPost(&PostMsg::SigChangeLanguage, &PostMsg::PostChangeLanguage, 7);
        checkPost(&PostMsg::SigLanguageSameA, &PostMsg::PostLanguageSameA, 7);
        checkPost(&PostMsg::SigLanguageSameB, &PostMsg::PostLanguageSameB, 7);
        checkPost(&PostMsg::SigCloseOffOnline, &PostMsg::PostCloseOffOnline);
        checkPost(&PostMsg::SigSetMacroPage, &PostMsg::PostSetMacroPage);
        checkPost(&PostMsg::SigStartRecord, &PostMsg::PostStartRecord, 7);
        checkPost(&PostMsg::SigUpDateButton, &PostMsg::PostUpDateButton, true);
        checkPost(&PostMsg::SigMacroRename, &PostMsg::PostMacroRename, QStringLiteral("a"), QStringLiteral("b"));
        checkPost(&PostMsg::SigSetver, &PostMsg::PostSetver, 7);
        checkPost(&PostMsg::SigCloseProgress, &PostMsg::PostCloseProgress);
        checkPost(&PostMsg::SigRGBValue, &PostMsg::PostRGBValue, dongleRgb);
        checkPost(&PostMsg::SigLongRangeMode, &PostMsg::PostLongRangeMode, true);
        checkPost(&PostMsg::SigForm, &PostMsg::PostForm);
        checkPost(&PostMsg::SigFormB, &PostMsg::PostFormB);
        checkPost(&PostMsg::SigEnterKey, &PostMsg::PostEnterKey);
        checkPost(&PostMsg::SigFormReset, &PostMsg::PostFormReset);
        checkPost(&PostMsg::SigHideModel, &PostMsg::PostHideModel, 7);
        checkPost(&PostMsg::SigContinue, &PostMsg::PostContinue, 7);
        checkPost(&PostMsg::SigMouseIndex, &PostMsg::PostMouseIndex, 7);
        checkPost(&PostMsg::SigUpdateStart, &PostMsg::PostUpdateStart);
        checkPost(&PostMsg::SigCheckUpdate, &PostMsg::PostCheckUpdate);
        checkPost(&PostMsg::SigRepairCheckUpdate, &PostMsg::PostRepairCheckUpdate);
        checkPost(&PostMsg::SigSetNewVer, &PostMsg::PostSetNewVer);
        checkPost(&PostMsg::SigLightToFrom, &PostMsg::PostLightToFrom, 7);
        checkPost(&PostMsg::SigButtonCheck, &PostMsg::PostButtonCheck);
        checkPost(&PostMsg::SigAllLanguage, &PostMsg::PostAllLanguage, 7);
        checkPost(&PostMsg::SigUpdateFrame, &PostMsg::PostUpdateFrame, true);    }

    void hubConnectReportsFailures()
    {
        resetHubConnectFailures();
        Receiver receiver;
        QVERIFY(hubConnect(SIGNAL(SigAllLanguage(int)), &receiver, SLOT(SlotLanguage(int))));
        QCOMPARE(hubConnectFailures(), 0);
        PostMsg::GetInstance()->PostAllLanguage(1);
        QCOMPARE(receiver.calls, 1);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No such signal"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("hub connection failed: SigAllLanguages\\(int\\)"));
        QVERIFY(!hubConnect(SIGNAL(SigAllLanguages(int)), &receiver, SLOT(SlotLanguage(int))));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No such slot"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("hub connection failed"));
        QVERIFY(!hubConnect(SIGNAL(SigButtonCheck()), &receiver, SLOT(SlotButtonCheck())));
        QCOMPARE(hubConnectFailures(), 2);
        resetHubConnectFailures();
        QCOMPARE(hubConnectFailures(), 0);
    }

    // A record crosses threads only blocking-queued: the slot runs on the GUI
    // thread with the emitter's own argument, and the emitter waits for it.
    void blockingQueuedRecordCrossesThreads()
    {
        resetHubConnectFailures();
        Receiver receiver;
        QVERIFY(hubConnect(SIGNAL(SigUpDataLightSensor(FlashDataMap)), &receiver,
                           SLOT(SlotRecord(FlashDataMap)), Qt::BlockingQueuedConnection));
        QCOMPARE(hubConnectFailures(), 0);
        int callsSeenByEmitter = -1;
        QThread* thread = QThread::create([&] {
            FlashDataMap map = {};
            map.reportRate = 64;
            PostMsg::GetInstance()->PostUpDataLightSensor(map);
            callsSeenByEmitter = receiver.calls;
        });
        thread->start();
        QTRY_VERIFY(thread->isFinished());
        delete thread;
        QCOMPARE(callsSeenByEmitter, 1);
        QCOMPARE(int(receiver.seenRate), 64);
        QCOMPARE(receiver.seenThread, QThread::currentThreadId());
    }
};

QUEMBREL_TEST_MAIN(PostMsgTest)
#include "tst_postmsg.moc"
