#include "support/testsupport.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "core/setters.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

#include <cstddef>
#include <cstring>
#include <functional>

namespace {

struct Change
{
    int offset;
    int value;
};

struct SetterCase
{
    const char* name;
    std::function<bool()> call;
    QVector<Change> changes;  // every byte the call must write, and no other
};

const int kStage = offsetof(FlashDataMap, dpiStages);
const int kButtons = offsetof(FlashDataMap, buttons);
const int kKeyBlocks = offsetof(FlashDataMap, keyBlocks);
const int kMacroBlocks = offsetof(FlashDataMap, macroBlocks);

QVector<Change> bytesAt(int offset, const void* data, int size)
{
    QVector<Change> changes;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (int i = 0; i < size; ++i)
        changes.append({offset + i, bytes[i]});
    return changes;
}

KeyBlock sampleKeyBlock()
{
    KeyBlock block = {};
    block.count = 4;
    const uint16_t codes[] = {0x04, 0x04, 0x183, 0x183};
    for (int i = 0; i < 4; ++i) {
        block.events[i].action = uint8_t(i % 2);
        block.events[i].kind = i < 2 ? 1 : 2;
        block.events[i].setCode(codes[i]);
        block.events[i].setDelay(10);
    }
    return block;
}

MacroBlock macroBlock(int events)
{
    MacroBlock block = {};
    block.nameLength = 5;
    std::memcpy(block.name, "Macro", 5);
    block.eventCount = uint8_t(events);
    for (int i = 0; i < events; ++i) {
        block.events[i].action = uint8_t(i % 2);
        block.events[i].kind = 1;
        block.events[i].setCode(uint16_t(0x04 + i / 2));
        block.events[i].setDelay(uint32_t(20 + i));
    }
    return block;
}

const QVector<SetterCase>& setterCases()
{
    static const ButtonParam keyParam = {5, 0, 0};
    static const ButtonParam macroParam = {6, 1, 2};
    static const KeyBlock keys = sampleKeyBlock();
    static const MacroBlock macro = macroBlock(12);
    static const DpiStage first = {0x11, 0x11, 0x01, 255, 0, 0};
    static const DpiStage second = {0x22, 0x22, 0x02, 0, 255, 0};
    static const QVector<SetterCase> cases = {
        {"SetReportRate", [] { return SetReportRate(16); }, {{0x00, 16}}},
        {"SetCurrentDpiStage", [] { return SetCurrentDpiStage(5); }, {{0x02, 5}}},
        {"SetLiftOffDistance", [] { return SetLiftOffDistance(3); }, {{0x05, 3}}},
        {"SetDebounceTime", [] { return SetDebounceTime(7); }, {{0x06, 7}}},
        {"SetMotionSync", [] { return SetMotionSync(1); }, {{0x07, 1}}},
        {"SetSleepTime", [] { return SetSleepTime(240); }, {{0x08, 240}}},
        {"SetSleepTime low byte", [] { return SetSleepTime(256); }, {{0x08, 0}}},
        {"SetStraightLine", [] { return SetStraightLine(1); }, {{0x09, 1}}},
        {"SetRippleControl", [] { return SetRippleControl(1); }, {{0x0a, 1}}},
        {"SetLightRippleControl", [] { return SetLightRippleControl(1); }, {{0x0b, 1}}},
        {"SetPerformanceMode", [] { return SetPerformanceMode(1); }, {{0x0c, 1}}},
        {"SetPerformanceLevel", [] { return SetPerformanceLevel(150); }, {{0x0d, 150}}},
        {"SetSensorMode", [] { return SetSensorMode(1); }, {{0x0e, 1}}},
        {"SetDpiStageValue", [] { return SetDpiStageValue(7, 0x31, 0x32, 0x03); },
         {{kStage + 42, 0x31}, {kStage + 43, 0x32}, {kStage + 44, 0x03}}},
        {"SetDpiStageColor", [] { return SetDpiStageColor(0, 10, 20, 30); },
         {{kStage + 3, 10}, {kStage + 4, 20}, {kStage + 5, 30}}},
        {"SwapDpiStages", [] { return SwapDpiStages(&first, &second, 1, 4, 1); },
         bytesAt(kStage + 24, &first, 6) + bytesAt(kStage + 6, &second, 6) + QVector<Change>{{0x02, 1}, {0x01, 2}}},
        {"SwapDpiStages same slot", [] { return SwapDpiStages(&first, &first, 3, 3, 3); },
         bytesAt(kStage + 18, &first, 6) + QVector<Change>{{0x02, 3}, {0x01, 4}}},
        {"SetDpiLightMode on", [] { return SetDpiLightMode(2); }, {{0x3f, 2}, {0x42, 1}}},
        {"SetDpiLightMode off keeps mode", [] { return SetDpiLightMode(0); }, {{0x42, 0}}},
        {"SetDpiLightBrightness", [] { return SetDpiLightBrightness(128); }, {{0x40, 128}}},
        {"SetDpiLightSpeed", [] { return SetDpiLightSpeed(4); }, {{0x41, 4}}},
        {"SetLightMode on", [] { return SetLightMode(3); }, {{0x43, 3}, {0x49, 1}}},
        {"SetLightMode off keeps mode", [] { return SetLightMode(0); }, {{0x49, 0}}},
        {"SetLightColor", [] { return SetLightColor(1, 2, 255); }, {{0x44, 1}, {0x45, 2}, {0x46, 255}}},
        {"SetLightSpeed", [] { return SetLightSpeed(2); }, {{0x47, 2}}},
        {"SetLightBrightness", [] { return SetLightBrightness(9); }, {{0x48, 9}}},
        {"SetButtonAssignment", [] { return SetButtonAssignment(15, 1, 2, 3); },
         {{kButtons + 45, 1}, {kButtons + 46, 2}, {kButtons + 47, 3}}},
        {"SetButtonKeyBlock", [] { return SetButtonKeyBlock(3, &keyParam, &keys); },
         bytesAt(kButtons + 9, &keyParam, 3) + bytesAt(kKeyBlocks + 3 * 52, &keys, 52)},
        {"SetButtonMacro", [] { return SetButtonMacro(4, &macroParam, &macro); },
         bytesAt(kButtons + 12, &macroParam, 3) + bytesAt(kMacroBlocks + 4 * 592, &macro, 592)},
    };
    return cases;
}

unsigned char* recordBytes()
{
    return reinterpret_cast<unsigned char*>(&CurrentFlashData);
}

int updateCalls()
{
    int count = 0;
    for (const hidsim::Call& call : hidsim::callLog())
        count += call.name == QLatin1String("ProtocolDataUpdate");
    return count;
}

void ignoreReports(const unsigned char*, int, const unsigned char*, int) {}

} // namespace

class SettersTest : public QObject
{
    Q_OBJECT

    QByteArray devicePathText;
    QByteArray storedRecord;

    // A record the device can hold, with marked reserved bytes, and every
    // byte the case writes set to something else beforehand.
    void prepareRecord(const SetterCase& setter)
    {
        if (storedRecord.size() != int(sizeof(FlashDataMap)) || !flashDataFromBytes(storedRecord, &CurrentFlashData))
            CurrentFlashData = FlashDataMap{};
        CurrentFlashData.reserved03 = 0xa5;
        CurrentFlashData.reserved04 = 0x5a;
        CurrentFlashData.reserved7a[0] = 0xc3;
        CurrentFlashData.reserved7a[1] = 0x3c;
        for (const Change& change : setter.changes)
            recordBytes()[change.offset] = uint8_t(change.value ^ 0x5a);
    }

    void addCaseRows()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < setterCases().size(); ++i)
            QTest::newRow(setterCases()[i].name) << i;
    }

private slots:
    void initTestCase()
    {
        hidsim::resetToDefaultBus();
        // The default bus always has the wired mouse: without it the fixture
        // is broken, and no case may pass by not running.
        hidsim::DeviceStatus q3;
        QVERIFY2(hidsim::device(QStringLiteral("q3"), &q3), "the simulated bus has no wired mouse q3");
        devicePathText = q3.path.toLocal8Bit();
        storedRecord = hidsim::storedRecord(QStringLiteral("q3"));
        QVERIFY(UsbServerC_Start(devicePathText.constData(), devicePathText.constData(), ignoreReports));
    }

    void cleanupTestCase()
    {
        UsbServer_Exit();
    }

    void init()
    {
        setDevicePath(devicePathText);
        deviceRecordReceived = 1;
        sensorPageFilling = buttonPageFilling = lightPageFilling = 0;
        hidsim::clearCallLog();
    }

    void online_data() { addCaseRows(); }
    void online()
    {
        QFETCH(int, index);
        const SetterCase& setter = setterCases()[index];
        prepareRecord(setter);
        QByteArray expected = flashDataBytes(CurrentFlashData);
        for (const Change& change : setter.changes)
            expected[change.offset] = char(change.value);
        const int sentBefore = hidsim::recordsSent().size();
        const int takenBefore = hidsim::recordsTaken();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));

        QVERIFY(setter.call());

        QCOMPARE(flashDataBytes(CurrentFlashData), expected);
        QCOMPARE(updateCalls(), 1);
        QCOMPARE(hidsim::recordsSent().size(), sentBefore + 1);
        QCOMPARE(hidsim::recordsSent().last(), expected);
        QCOMPARE(hidsim::recordsTaken(), takenBefore + 1);
        QCOMPARE(offline.count(), 0);
    }

    void offline_data() { addCaseRows(); }
    void offline()
    {
        QFETCH(int, index);
        const SetterCase& setter = setterCases()[index];
        // No device answers at the worker's dummy path.
        setDevicePath(QByteArray("a"));
        struct Filling { uint8_t* flag; int notices; };
        const Filling states[] = {{nullptr, 1}, {&sensorPageFilling, 0}, {&buttonPageFilling, 0},
                                  {&lightPageFilling, 1}};
        for (const Filling& state : states) {
            prepareRecord(setter);
            const QByteArray before = flashDataBytes(CurrentFlashData);
            if (state.flag)
                *state.flag = 1;
            QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));

            QVERIFY(!setter.call());

            if (state.flag)
                *state.flag = 0;
            QCOMPARE(flashDataBytes(CurrentFlashData), before);
            QCOMPARE(updateCalls(), 0);
            QCOMPARE(offline.count(), state.notices);
            if (state.notices)
                QCOMPARE(offline.first().first().toInt(), 0);
        }
    }

    void checkDeviceOnline()
    {
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        setDevicePath(QByteArray("a"));
        QVERIFY(!CheckDeviceOnline());
        QCOMPARE(offline.count(), 1);
        sensorPageFilling = 1;
        QVERIFY(!CheckDeviceOnline());
        QCOMPARE(offline.count(), 1);
        QCOMPARE(updateCalls(), 0);

        sensorPageFilling = 0;
        setDevicePath(devicePathText);
        QVERIFY(CheckDeviceOnline());
        QCOMPARE(offline.count(), 1);
        QCOMPARE(updateCalls(), 0);
    }

    // A device opened while its record has not arrived yet must not receive
    // whatever CurrentFlashData still holds.
    void noWriteBeforeTheRecordArrives()
    {
        deviceRecordReceived = 0;
        const QByteArray before = flashDataBytes(CurrentFlashData);
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        QVERIFY(!SetReportRate(2));
        QVERIFY(!CheckDeviceOnline());
        QCOMPARE(flashDataBytes(CurrentFlashData), before);
        QCOMPARE(updateCalls(), 0);
        QCOMPARE(offline.count(), 2);
    }

    void indexesOutOfRange_data()
    {
        QTest::addColumn<int>("index");
        static const ButtonParam param = {5, 0, 0};
        static const KeyBlock keys = {};
        static const MacroBlock macro = {};
        static const DpiStage entry = {};
        static const QVector<std::function<bool()>> calls = {
            [] { return SetCurrentDpiStage(8); },
            [] { return SetCurrentDpiStage(-1); },
            [] { return SetDpiStageValue(8, 1, 1, 1); },
            [] { return SetDpiStageColor(-1, 1, 1, 1); },
            [] { return SwapDpiStages(&entry, &entry, 8, 0, 0); },
            [] { return SwapDpiStages(&entry, &entry, 0, -1, 0); },
            [] { return SwapDpiStages(&entry, &entry, 0, 1, 8); },
            [] { return SwapDpiStages(nullptr, &entry, 0, 1, 1); },
            [] { return SetButtonAssignment(16, 1, 1, 1); },
            [] { return SetButtonAssignment(-1, 1, 1, 1); },
            [] { return SetButtonKeyBlock(16, &param, &keys); },
            [] { return SetButtonKeyBlock(0, &param, nullptr); },
            [] { return SetButtonMacro(-1, &param, &macro); },
            [] { return SetButtonMacro(0, nullptr, &macro); },
        };
        const char* names[] = {"stage 8", "stage -1", "stage value 8", "stage colour -1", "swap first slot 8",
                               "swap second slot -1", "swap stage 8", "swap null entry", "button 16",
                               "button -1", "key block button 16", "key block null", "macro button -1",
                               "macro null param"};
        static_assert(sizeof(names) / sizeof(names[0]) == 14, "one name per call");
        for (int i = 0; i < calls.size(); ++i)
            QTest::newRow(names[i]) << i;
        refusedCalls = &calls;
    }
    void indexesOutOfRange()
    {
        QFETCH(int, index);
        CurrentFlashData = FlashDataMap{};
        CurrentFlashData.reserved03 = 0xa5;
        const QByteArray before = flashDataBytes(CurrentFlashData);
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("nothing is written"));

        QVERIFY(!(*refusedCalls)[index]());

        QCOMPARE(flashDataBytes(CurrentFlashData), before);
        QCOMPARE(hidsim::callLog().size(), 0);
        QCOMPARE(offline.count(), 0);
    }

    // A record the device cannot hold is refused; the setter takes its change
    // back and reports failure.
    void refusedSendIsTakenBack()
    {
        FlashDataMap full = {};
        QVERIFY(flashDataFromBytes(storedRecord, &full));
        const MacroBlock longest = macroBlock(kMacroBlockEvents);
        for (int button = 0; button < kButtonCount - 1; ++button)
            full.macroBlocks[button] = longest;
        full.reserved7a[1] = 0x3c;
        CurrentFlashData = full;
        const QByteArray before = flashDataBytes(CurrentFlashData);
        const int takenBefore = hidsim::recordsTaken();
        const ButtonParam param = {6, 0, 0};
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("hidsim: .* refused a record"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("the device refused the record"));

        QVERIFY(!SetButtonMacro(15, &param, &longest));

        QCOMPARE(flashDataBytes(CurrentFlashData), before);
        QCOMPARE(updateCalls(), 1);
        QCOMPARE(hidsim::recordsTaken(), takenBefore);
    }

    void dpiLightModeSequence()
    {
        QVERIFY(flashDataFromBytes(storedRecord, &CurrentFlashData));
        QVERIFY(SetDpiLightMode(2));
        QVERIFY(SetDpiLightMode(0));
        QCOMPARE(int(CurrentFlashData.dpiLightMode), 2);
        QCOMPARE(int(CurrentFlashData.dpiLightOn), 0);
        QVERIFY(SetDpiLightMode(1));
        QCOMPARE(int(CurrentFlashData.dpiLightMode), 1);
        QCOMPARE(int(CurrentFlashData.dpiLightOn), 1);
        QCOMPARE(updateCalls(), 3);
    }

private:
    const QVector<std::function<bool()>>* refusedCalls = nullptr;
};

QUEMBREL_TEST_MAIN(SettersTest)
#include "tst_setters.moc"
