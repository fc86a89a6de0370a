#include "support/devicefixture.h"
#include "support/dialogfixture.h"
#include "support/openeddevice.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "buttons/buttoninterface.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/dpiencoding.h"
#include "sensor/sensor.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QSignalSpy>
#include <QThread>
#include <cstddef>
#include <functional>
#include <memory>

// The sensor page against the simulated mouse: what each model's record
// shows and offers, that fills, resets and device reports never write, and
// which records each of the page's controls sends.

using testsupport::OpenedDevice;
using testsupport::child;
using Records = QVector<QByteArray>;
using Bytes = QVector<QPair<int, int>>;
using Action = std::function<void(Sensor*)>;

Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Bytes)

using testsupport::recordOf;

namespace {

// The device record as the page takes it.
QByteArray withBytes(QByteArray base, const Bytes& bytes)
{
    for (const auto& byte : bytes)
        base[byte.first] = char(byte.second);
    return base;
}

// The installed catalogue plus models of our own: Drive3 a sensor that no
// feature switch lists, in the compact layout, with ten stages in its list;
// Drive4 sensor 3395 in the compact layout, whose second default stage is
// not the reset's 800 DPI.
void useFixtureCatalogue()
{
    QFile installed(installDir() + QStringLiteral("/usersetting/Config.ini"));
    QVERIFY(installed.open(QIODevice::ReadOnly | QIODevice::Text));
    QByteArray text = installed.readAll();
    text += "\n[Drive3]\nSensor=MzMxMQ==\nDPIMaxGrade=10\nXIn1=2\n"
            "DPIRange=100,10000,100,12000,26000,200,0x33\n"
            "\n[Drive4]\nSensor=MzM5NQ==\nDPIMaxGrade=8\nXIn1=2\n"
            "DPIGrade=400,1000,1600,3200,6400,12800,16000,26000\n"
            "DPIRange=50,10000,50,10100,20000,100,20200,22000,200,22200,26000,200,0x33\n";
    const QString path = testsupport::homeDir() + QStringLiteral("/Config-models.ini");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text);
    out.close();
    ConfigSettings::resetForTests(path);
}

void setDevice(int modelIndex, int type)
{
    currentDevice.modelIndex = modelIndex;
    currentDevice.deviceType = uint8_t(type);
    currentDevice.isMouse = isMouseType(uint8_t(type)) ? 1 : 0;
}

int checkedRateButton(Sensor* page)
{
    const QList<QAbstractButton*> buttons = child<QWidget>(page, "frameRate")->findChildren<QAbstractButton*>();
    for (int i = 0; i < buttons.size(); ++i)
        if (buttons.at(i)->isChecked())
            return i;
    return -1;
}

bool shown(Sensor* page, const char* name)
{
    return !child<QWidget>(page, name)->isHidden();
}

QComboBox* modeChoice(Sensor* page)
{
    return child<QComboBox>(page, "ModelChoose");
}

bool cordedRowHidden(Sensor* page)
{
    return qobject_cast<QListView*>(modeChoice(page)->view())->isRowHidden(2);
}

const char* const kStageButtons[8] = {"BlueButton",   "BrightRedButton", "RedButton",       "YellowButton",
                                      "GreenButton", "PurpleButton",    "LightBlueButton", "LightYellowButton"};

QAbstractButton* stageButton(Sensor* page, int k)
{
    return child<QAbstractButton>(child<QWidget>(page, "frameDpi"), kStageButtons[k]);
}

// The record of the edit tests: sensor 3395 behind a 4 kHz receiver, at
// 4000 Hz (Corded shown), LP, motion sync on, the rest off.
const Bytes kEditStartBytes = {{0x00, 32}, {0x01, 8}, {0x02, 0}, {0x05, 1},  {0x07, 1},  {0x09, 0}, {0x0a, 0},
                               {0x0c, 0},  {0x0d, 6}, {0x0e, 0}, {0x3f, 1}, {0x40, 128}, {0x42, 1}};

// What the page's controls show: every check state, list choice, slider and
// number, and the colours of the stage swatches.
QStringList controlState(QWidget* page)
{
    QStringList state;
    for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
        const QString skin = button->styleSheet();
        state << button->objectName() + QString::number(button->isChecked())
                + (skin.contains("background-color") ? skin : QString());
    }
    for (QComboBox* combo : page->findChildren<QComboBox*>())
        state << combo->objectName() + QString::number(combo->currentIndex());
    for (QSlider* slider : page->findChildren<QSlider*>())
        state << slider->objectName() + QString::number(slider->value());
    for (QSpinBox* box : page->findChildren<QSpinBox*>())
        state << box->objectName() + QString::number(box->value());
    return state;
}

} // namespace

class SensorPageTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        testsupport::resetDeviceState();
        ConfigSettings::resetForTests();
        deviceWriteEnabled = 1;
    }
    void cleanup()
    {
        ConfigSettings::resetForTests();
        currentDevice = DeviceAllInfo();
    }

    // ---- Fills by model ---------------------------------------------------------

    void fillByModel_data()
    {
        QTest::addColumn<QString>("mouse");      // whose stored record
        QTest::addColumn<int>("modelIndex");
        QTest::addColumn<int>("type");
        QTest::addColumn<Bytes>("bytes");       // changed in that record
        QTest::addColumn<bool>("modeEnabled");
        QTest::addColumn<int>("modeIndex");
        QTest::addColumn<int>("rateButton");
        QTest::addColumn<int>("lodItems");
        QTest::addColumn<bool>("lodEnabled");
        QTest::addColumn<bool>("compact");
        QTest::addColumn<bool>("rippleShown");
        QTest::addColumn<bool>("lineShown");

        // Sensor 3395 behind its 4 kHz receiver, at 1000 Hz in HP mode.
        QTest::newRow("3395 Q7 at 1000 Hz") << "q7" << 0 << 1 << Bytes{{0x00, 1}, {0x0e, 1}} << true << 1 << 3
                                            << 2 << true << false << true << true;
        QTest::newRow("3395 Q7 at 4000 Hz: Corded") << "q7" << 0 << 1 << Bytes{{0x00, 32}, {0x0e, 1}} << false << 2
                                                    << 5 << 2 << true << false << true << true;
        QTest::newRow("3395 on its cable") << "q7" << 0 << 2 << Bytes{{0x00, 1}, {0x0e, 0}} << false << 2 << 3 << 2
                                           << true << false << true << true;
        // 3950 offers 0.7 mm and no mode choice; a mouse at 2000 Hz shows 1000.
        QTest::newRow("3950 Q3 on its cable") << "q3" << 1 << 2 << Bytes{{0x00, 16}} << false << 0 << 3 << 3 << true
                                              << false << true << true;
        QTest::newRow("3950 Q3 at 8000 Hz") << "q3" << 1 << 2 << Bytes{{0x00, 64}} << false << 0 << 6 << 3 << true
                                            << false << true << true;
        QTest::newRow("unlisted model, compact") << "q3" << 2 << 1 << Bytes{{0x00, 2}} << false << 0 << 2 << 2
                                                 << false << true << false << false;
        QTest::newRow("3395 compact: listed switches stay") << "q7" << 3 << 5 << Bytes{{0x00, 8}, {0x0e, 0}} << true << 0 << 0
                                                            << 2 << true << true << true << true;
        QTest::newRow("unknown rate code") << "q7" << 0 << 1 << Bytes{{0x00, 3}, {0x0e, 0}} << true << 0 << -1 << 2
                                           << true << false << true << true;
    }
    void fillByModel()
    {
        QFETCH(QString, mouse);
        QFETCH(int, modelIndex);
        QFETCH(int, type);
        QFETCH(Bytes, bytes);
        QFETCH(bool, modeEnabled);
        QFETCH(int, modeIndex);
        QFETCH(int, rateButton);
        QFETCH(int, lodItems);
        QFETCH(bool, lodEnabled);
        QFETCH(bool, compact);
        QFETCH(bool, rippleShown);
        QFETCH(bool, lineShown);
        useFixtureCatalogue();
        OpenedDevice device;
        setDevice(modelIndex, type);
        Sensor page;
        const QByteArray bytesIn = withBytes(hidsim::storedRecord(mouse), bytes);
        const FlashDataMap record = recordOf(bytesIn);

        page.SlotUpDataSenSorUISensor(record);

        QCOMPARE(modeChoice(&page)->isEnabled(), modeEnabled);
        if (modeEnabled || modeIndex == 2)
            QCOMPARE(modeChoice(&page)->currentIndex(), modeIndex);
        if (modeEnabled)
            QVERIFY(cordedRowHidden(&page));
        QCOMPARE(checkedRateButton(&page), rateButton);
        auto* lod = child<QComboBox>(child<QWidget>(&page, "frameLOD"), "LOD");
        QCOMPARE(lod->count(), lodItems);
        QCOMPARE(lod->isEnabled(), lodEnabled);

        for (const char* name : {"TitleButton_4", "label_5", "label_11", "ModelChoose", "frameLOD", "Performance",
                                 "PerformanceOpen"})
            QVERIFY2(shown(&page, name) == !compact, name);
        QCOMPARE(shown(&page, "frame"), rippleShown);
        QCOMPARE(shown(&page, "frame_4"), lineShown);
        QVERIFY(shown(&page, "frame_3"));
        QCOMPARE(child<QWidget>(&page, "frameEffect")->pos(), compact ? QPoint(80, 316) : QPoint(80, 456));
        QCOMPARE(child<QWidget>(&page, "TitleButton_3")->pos(), compact ? QPoint(40, 323) : QPoint(40, 463));

        // The record's switches and full performance.
        QCOMPARE(child<QAbstractButton>(child<QWidget>(&page, "frame"), "RippeControl_2")->isChecked(),
                 record.rippleControl != 0);
        QCOMPARE(child<QAbstractButton>(child<QWidget>(&page, "frame_4"), "StraightLine_2")->isChecked(),
                 record.angleSnapping != 0);
        QCOMPARE(child<QAbstractButton>(child<QWidget>(&page, "frame_3"), "MotionSync_2")->isChecked(),
                 record.motionSync != 0);
        QCOMPARE(child<QAbstractButton>(&page, "Performance")->isChecked(), record.performanceMode != 0);
        QCOMPARE(child<QWidget>(&page, "PerformanceOpen")->isEnabled(), record.performanceMode != 0);

        // The DPI stages: the model's list, each stage's DPI, the current
        // stage selected.
        const int grades = modelIndex == 2 ? 10 : 8;
        QCOMPARE(child<QComboBox>(child<QWidget>(&page, "frameDpi"), "ChooseEvent")->count(), grades);
        for (int k = 0; k < 8; ++k)
            QCOMPARE(stageButton(&page, k)->text(),
                     QString::number(decodeDpiStage(record.dpiStages[k].codeX, record.dpiStages[k].range)));
        QVERIFY(stageButton(&page, record.currentDpiStage)->isChecked());

        QCOMPARE(sensorPageUpdated, uint8_t(1));
        QCOMPARE(sensorPageFilling, uint8_t(0));
        QVERIFY(device.recordsSent().isEmpty());
    }

    // Device bytes past the eight stages and a catalogue naming ten stages
    // fill the page without a read or write outside the record's stages.
    void fillOutOfRangeBytes()
    {
        useFixtureCatalogue();
        OpenedDevice device;
        setDevice(2, 1);
        Sensor page;
        const QByteArray bytes = withBytes(hidsim::storedRecord("q3"), {{0x01, 12}, {0x02, 9}});

        page.SlotUpDataSenSorUISensor(recordOf(bytes));
        page.SlotUpDataSenSorUIB(recordOf(withBytes(bytes, {{0x01, 0}, {0x02, 255}})));
        page.SlotUpDataDPI(9);
        page.SlotUpDataDPI(-1);

        auto* list = child<QComboBox>(child<QWidget>(&page, "frameDpi"), "ChooseEvent");
        QCOMPARE(list->count(), 10);
        QCOMPARE(list->itemText(9), QStringLiteral("10"));
        QCOMPARE(deviceWriteEnabled, uint8_t(1));
        QVERIFY(device.recordsSent().isEmpty());
        QVERIFY(!testsupport::callNames().contains(QStringLiteral("ProtocolDataUpdate")));
    }

    // Resets and device reports show; they never write, and a stage report
    // leaves device writes as it found them.
    void resetAndReportsWriteNothing()
    {
        useFixtureCatalogue();
        OpenedDevice device;
        setDevice(3, 1);
        Sensor page;
        page.SlotUpDataSenSorUISensor(CurrentFlashData);
        CurrentFlashData.sensorMode = 1;

        page.SlotFormReset();
        QCOMPARE(checkedRateButton(&page), 3);
        QCOMPARE(modeChoice(&page)->currentIndex(), 2);
        QVERIFY(stageButton(&page, 1)->isChecked());
        QCOMPARE(stageButton(&page, 1)->text(), QStringLiteral("800"));
        QCOMPARE(child<QSpinBox>(child<QWidget>(&page, "frameDpi"), "spinBoxA")->value(), 800);
        QVERIFY(!child<QAbstractButton>(&page, "Performance")->isChecked());
        QVERIFY(!child<QWidget>(&page, "PerformanceOpen")->isEnabled());
        QCOMPARE(child<QComboBox>(&page, "PerformanceOpen")->currentIndex(), 1);

        // A 4 kHz receiver at 2000 Hz shows Corded; back at 1000 Hz the
        // stored HP mode without Corded in the list.
        page.SlotUpDataReportRate(16);
        QCOMPARE(checkedRateButton(&page), 4);
        QCOMPARE(modeChoice(&page)->currentIndex(), 2);
        QVERIFY(!modeChoice(&page)->isEnabled());
        QVERIFY(!cordedRowHidden(&page));
        page.SlotUpDataReportRate(1);
        QCOMPARE(checkedRateButton(&page), 3);
        QCOMPARE(modeChoice(&page)->currentIndex(), 1);
        QVERIFY(modeChoice(&page)->isEnabled());
        QVERIFY(cordedRowHidden(&page));
        page.SlotUpDataReportRate(7);
        QCOMPARE(checkedRateButton(&page), 3);

        for (uint8_t enabled : {uint8_t(1), uint8_t(0)}) {
            deviceWriteEnabled = enabled;
            page.SlotUpDataDPI(4);
            QCOMPARE(deviceWriteEnabled, enabled);
            QVERIFY(stageButton(&page, 4)->isChecked());
        }
        deviceWriteEnabled = 1;

        QVERIFY(device.recordsSent().isEmpty());
    }

    // The reset after a device whose stage 6 was current shows stage 2, and
    // the editor works from stage 2: a click on the marker stays there, a
    // count of one exchanges stages 1 and 2.
    void resetStartsFromStageTwo_data()
    {
        QTest::addColumn<bool>("countOfOne");
        QTest::newRow("marker click") << false;
        QTest::newRow("count of one") << true;
    }
    void resetStartsFromStageTwo()
    {
        QFETCH(bool, countOfOne);
        useFixtureCatalogue();
        OpenedDevice device;
        setDevice(3, 1);
        CurrentFlashData.dpiStageCount = 8;
        CurrentFlashData.currentDpiStage = 5;
        Sensor page;
        page.SlotUpDataSenSorUISensor(CurrentFlashData);
        page.SlotFormReset();
        device.clearSent();
        const QByteArray before = device.record();
        QWidget* editor = child<QWidget>(&page, "frameDpi");
        auto* marker = child<QLabel>(editor, "label_8");
        QCOMPARE(marker->x(), 118);

        if (countOfOne) {
            child<QComboBox>(editor, "ChooseEvent")->setCurrentIndex(0);
            QCOMPARE(stageButton(&page, 0)->text(), QStringLiteral("800"));
            QCOMPARE(stageButton(&page, 1)->text(), QStringLiteral("400"));
            QVERIFY(stageButton(&page, 0)->isChecked());
            const Records sent = device.recordsSent();
            QVERIFY(!sent.isEmpty());
            const int stages = int(offsetof(FlashDataMap, dpiStages));
            QCOMPARE(sent.last().mid(stages, 6), before.mid(stages + 6, 6));
            QCOMPARE(sent.last().mid(stages + 6, 6), before.mid(stages, 6));
            QCOMPARE(int(sent.last().at(0x01)), 1);
        } else {
            testsupport::dragMouse(editor, marker->pos() + QPoint(5, 6), marker->pos() + QPoint(5, 6));
            QCOMPARE(marker->x(), 118);
            QVERIFY(stageButton(&page, 1)->isChecked());
            QVERIFY(device.recordsSent().isEmpty());
        }
    }

    void dpiLightReport_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("level");
        QTest::newRow("steady") << Bytes{{0x3f, 1}, {0x40, 128}, {0x41, 2}, {0x42, 1}} << 1 << 2 << 5;
        QTest::newRow("breathing, 255") << Bytes{{0x3f, 2}, {0x40, 255}, {0x41, 5}, {0x42, 1}} << 2 << 5 << 10;
        QTest::newRow("off keeps its mode byte") << Bytes{{0x3f, 2}, {0x40, 16}, {0x41, 1}, {0x42, 0}} << 0 << 1 << 1;
        // An unknown mode leaves the shown mode; a byte off the table is a
        // level of its own, held by the slider.
        QTest::newRow("unknown mode, byte 100") << Bytes{{0x3f, 7}, {0x40, 100}, {0x41, 3}, {0x42, 1}} << 2 << 3
                                                << 10;
    }
    void dpiLightReport()
    {
        QFETCH(Bytes, bytes);
        QFETCH(int, mode);
        QFETCH(int, speed);
        QFETCH(int, level);
        OpenedDevice device;
        setDevice(0, 1);
        Sensor page;
        page.SlotUpDataDPILed(recordOf(withBytes(device.record(), {{0x3f, 2}, {0x42, 1}})));
        page.SlotUpDataDPILed(recordOf(withBytes(device.record(), bytes)));
        QWidget* effect = child<QWidget>(&page, "frameEffect");
        QCOMPARE(child<QComboBox>(effect, "Model")->currentIndex(), mode);
        QCOMPARE(child<QSpinBox>(effect, "SpeedSpinBox")->value(), speed);
        QCOMPARE(child<QSpinBox>(effect, "LightSpinBox")->value(), level);
        QVERIFY(device.recordsSent().isEmpty());
    }

    // ---- The user's edits ---------------------------------------------------------

    void edits_data()
    {
        QTest::addColumn<Action>("act");
        QTest::addColumn<QVector<Bytes>>("records");  // the bytes each record sent changes, in order

        auto frameChild = [](const char* frame, const char* name) {
            return [=](Sensor* page) { return child<QWidget>(child<QWidget>(page, frame), name); };
        };
        auto click = [=](const char* frame, const char* name) {
            return Action([=](Sensor* page) { qobject_cast<QAbstractButton*>(frameChild(frame, name)(page))->click(); });
        };
        auto choose = [=](const char* frame, const char* name, int index) {
            return Action([=](Sensor* page) {
                QWidget* parent = frame ? child<QWidget>(page, frame) : page;
                child<QComboBox>(parent, name)->setCurrentIndex(index);
            });
        };

        QTest::newRow("full performance on") << Action([](Sensor* page) {
            child<QAbstractButton>(page, "Performance")->click();
        }) << QVector<Bytes>{{{0x0c, 1}}};
        QTest::newRow("full performance 5 min") << choose(nullptr, "PerformanceOpen", 3) << QVector<Bytes>{{{0x0d, 30}}};
        QTest::newRow("full performance 15 min") << choose(nullptr, "PerformanceOpen", 5)
                                                 << QVector<Bytes>{{{0x0d, 90}}};
        QTest::newRow("mode HP") << choose(nullptr, "ModelChoose", 1) << QVector<Bytes>{{{0x0e, 1}}};
        QTest::newRow("mode Corded writes nothing") << choose(nullptr, "ModelChoose", 2) << QVector<Bytes>{};
        QTest::newRow("lift-off 2 mm") << choose("frameLOD", "LOD", 1) << QVector<Bytes>{{{0x05, 2}}};
        QTest::newRow("ripple control") << click("frame", "RippeControl_2") << QVector<Bytes>{{{0x0a, 1}}};
        QTest::newRow("angle snapping") << click("frame_4", "StraightLine_2") << QVector<Bytes>{{{0x09, 1}}};
        QTest::newRow("motion sync off") << click("frame_3", "MotionSync_2") << QVector<Bytes>{{{0x07, 0}}};
        QTest::newRow("light breathing") << choose("frameEffect", "Model", 2)
                                         << QVector<Bytes>{{{0x3f, 2}, {0x42, 1}}};
        // A rate up to 1000 Hz brings the stored mode back, and sends it.
        QTest::newRow("500 Hz from 4000 Hz") << click("frameRate", "Button500HZ")
                                             << QVector<Bytes>{{{0x00, 2}}, {{0x00, 2}}};
        QTest::newRow("8000 Hz") << click("frameRate", "Button8000HZ") << QVector<Bytes>{{{0x00, 64}}};
        QTest::newRow("light brightness 10") << Action([](Sensor* page) {
            testsupport::dragSlider(child<QSlider>(child<QWidget>(page, "frameEffect"), "LightH"), 10);
        }) << QVector<Bytes>{{{0x40, 255}}};
        QTest::newRow("stage 3") << click("frameDpi", "YellowButton") << QVector<Bytes>{{{0x02, 3}}};
        QTest::newRow("3 stages") << choose("frameDpi", "ChooseEvent", 2) << QVector<Bytes>{{{0x01, 3}}};
    }
    void edits()
    {
        QFETCH(Action, act);
        QFETCH(QVector<Bytes>, records);
        OpenedDevice device;
        setDevice(0, 1);
        const QByteArray start = withBytes(device.record(), kEditStartBytes);
        CurrentFlashData = recordOf(start);
        Sensor page;
        page.SlotUpDataSenSorUISensor(CurrentFlashData);
        device.clearSent();

        act(&page);

        Records expected;
        QByteArray now = start;
        for (const Bytes& changes : records)
            expected << (now = withBytes(now, changes));
        QCOMPARE(device.recordsSent(), expected);
        QCOMPARE(hidsim::storedRecord("q3"), expected.isEmpty() ? hidsim::storedRecord("q3") : expected.last());
    }

    // A record the online mouse refuses: the control that sent it shows the
    // device's value again, with no offline notice.
    void refusedEditsShowTheDevice_data()
    {
        edits_data();
        QTest::newRow("stage colour") << Action([](Sensor* page) {
            QVERIFY(QMetaObject::invokeMethod(child<QWidget>(page, "frameDpi"), "SetColor",
                                              Q_ARG(QColor, QColor(1, 2, 3))));
        }) << QVector<Bytes>{{{0x12, 1}, {0x13, 2}, {0x14, 3}}};
        // The page's own switch slots refill from their own bytes as well.
        QTest::newRow("ripple control, page slot")
            << Action([](Sensor* page) { page->on_RippeControl_clicked(true); }) << QVector<Bytes>{{{0x0a, 1}}};
        QTest::newRow("angle snapping off, page slot")
            << Action([](Sensor* page) { page->on_StraightLine_clicked(false); }) << QVector<Bytes>{{{0x09, 0}}};
        QTest::newRow("1 mm lift-off back from 2 mm")
            << Action([](Sensor* page) {
                   child<QComboBox>(child<QWidget>(page, "frameLOD"), "LOD")->setCurrentIndex(1);
               })
            << QVector<Bytes>{{{0x05, 2}}};
    }
    void refusedEditsShowTheDevice()
    {
        QFETCH(Action, act);
        QFETCH(QVector<Bytes>, records);
        if (records.isEmpty())
            return; // nothing sent, nothing refused
        OpenedDevice device;
        setDevice(0, 1);
        // Angle snapping on and ripple control off: a switch shown from the
        // other's byte would show.
        const QByteArray start = withBytes(withBytes(device.record(), kEditStartBytes), {{0x09, 1}});
        CurrentFlashData = recordOf(start);
        QVERIFY(hidsim::setStoredRecord("q3", start));
        Sensor page;
        page.SlotUpDataSenSorUISensor(CurrentFlashData);
        const QStringList shown = controlState(&page);
        device.clearSent();
        hidsim::setRecordsRefused(true);
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));

        act(&page);

        QVERIFY(!device.recordsSent().isEmpty());
        QCOMPARE(hidsim::recordsTaken(), 0);
        QCOMPARE(device.record(), start);
        QCOMPARE(hidsim::storedRecord("q3"), start);
        QCOMPARE(offline.count(), 0);
        QCOMPARE(controlState(&page), shown);
        hidsim::setRecordsRefused(false);
    }

    // A stage DPI the online mouse refuses, from "+", "-" or the slider: the
    // stage, the number and the slider show the mouse's DPI of that stage
    // again, and showing it writes nothing more. The stage is the record's
    // current one, or one picked while the mouse was away (the mouse still
    // names stage 0 current).
    void refusedDpiShowsTheDevice_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<Action>("act");
        const Action add = [](Sensor* page) {
            child<QAbstractButton>(child<QWidget>(page, "frameDpi"), "AddLevelA")->click();
        };
        const Action reduce = [](Sensor* page) {
            child<QAbstractButton>(child<QWidget>(page, "frameDpi"), "ReduceLevelA")->click();
        };
        const Action slide = [](Sensor* page) {
            testsupport::dragSlider(child<QSlider>(child<QWidget>(page, "frameDpi"), "horizontalSliderC"), 5000);
        };
        for (int stage : {0, 3}) {
            const QByteArray which = stage == 0 ? "current stage" : "another stage";
            QTest::newRow(which + ", +") << stage << add;
            QTest::newRow(which + ", -") << stage << reduce;
            QTest::newRow(which + ", slider") << stage << slide;
        }
    }
    void refusedDpiShowsTheDevice()
    {
        QFETCH(int, stage);
        QFETCH(Action, act);
        OpenedDevice device;
        setDevice(0, 1);
        const QByteArray start = withBytes(device.record(), kEditStartBytes);
        CurrentFlashData = recordOf(start);
        QVERIFY(hidsim::setStoredRecord("q3", start));
        Sensor page;
        page.SlotUpDataSenSorUISensor(CurrentFlashData);
        const DpiStage entry = CurrentFlashData.dpiStages[stage];
        const QString stored = QString::number(decodeDpiStage(entry.codeX, entry.range));
        if (stage != 0) {
            device.goOffline();
            stageButton(&page, stage)->click();
            QVERIFY(hidsim::setOffline("q3", false));
            QCOMPARE(int(CurrentFlashData.currentDpiStage), 0);
            // Each stage its own DPI, so the one shown tells which it is.
            QVERIFY(CurrentFlashData.dpiStages[0].codeX != entry.codeX);
        }
        QVERIFY(stageButton(&page, stage)->isChecked());
        QWidget* dpi = child<QWidget>(&page, "frameDpi");
        device.clearSent();
        hidsim::setRecordsRefused(true);
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));

        act(&page);

        hidsim::setRecordsRefused(false);
        QCOMPARE(device.recordsSent().size(), 1);
        QCOMPARE(hidsim::recordsTaken(), 0);
        QCOMPARE(device.record(), start);
        QCOMPARE(offline.count(), 0);
        QVERIFY(stageButton(&page, stage)->isChecked());
        QCOMPARE(stageButton(&page, stage)->text(), stored);
        QCOMPARE(QString::number(child<QSpinBox>(dpi, "spinBoxA")->value()), stored);
        QCOMPARE(QString::number(child<QSlider>(dpi, "horizontalSliderC")->value()), stored);
    }

    // The page's own slots of the switches and the mode write only with
    // device writes on; the fills' index changes write nothing.
    void editsNeedWritesEnabled()
    {
        OpenedDevice device;
        setDevice(0, 1);
        CurrentFlashData.reportRate = 1;
        Sensor page;
        page.SlotUpDataSenSorUISensor(CurrentFlashData);
        device.clearSent();
        deviceWriteEnabled = 0;
        child<QAbstractButton>(&page, "Performance")->click();
        child<QComboBox>(&page, "PerformanceOpen")->setCurrentIndex(4);
        modeChoice(&page)->setCurrentIndex(modeChoice(&page)->currentIndex() ^ 1);
        page.on_RippeControl_clicked(true);
        page.on_StraightLine_clicked(true);
        page.on_MotionSync_clicked(false);
        QVERIFY(device.recordsSent().isEmpty());

        deviceWriteEnabled = 1;
        const QByteArray before = device.record();
        page.on_RippeControl_clicked(true);
        page.on_StraightLine_clicked(true);
        page.on_MotionSync_clicked(false);
        QCOMPARE(device.recordsSent().last(), withBytes(before, {{0x0a, 1}, {0x09, 1}, {0x07, 0}}));
        QCOMPARE(device.recordsSent().size(), 3);
    }

    // Back below 2000 Hz the stored mode returns and is sent again; a stored
    // byte that is no mode is neither shown nor sent.
    void storedModeAfterRateChange_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("sent");
        QTest::newRow("HP") << 1 << 1 << 1;
        QTest::newRow("byte 7") << 7 << -1 << 0;
    }
    void storedModeAfterRateChange()
    {
        QFETCH(int, stored);
        QFETCH(int, shown);
        QFETCH(int, sent);
        OpenedDevice device;
        setDevice(0, 1);
        CurrentFlashData.reportRate = 32;
        CurrentFlashData.sensorMode = uint8_t(stored);
        Sensor page;
        page.SlotUpDataSenSorUISensor(CurrentFlashData);
        QCOMPARE(modeChoice(&page)->currentIndex(), 2);

        page.SlotHideModel(0);
        QCOMPARE(modeChoice(&page)->currentIndex(), shown);
        QCOMPARE(device.recordsSent().size(), sent);
        if (sent)
            QCOMPARE(device.recordsSent().first().at(0x0e), char(stored));
    }

    // ---- Acknowledgement, hub delivery, texts ---------------------------------------

    void acknowledgement()
    {
        OpenedDevice device;
        setDevice(1, 2);
        Sensor page;
        QCOMPARE(hubConnectFailures(), 0);

        // A record from another thread is delivered blocking: the page has
        // filled and acknowledged when the emit returns.
        const FlashDataMap record = CurrentFlashData;
        uint8_t seenAfterEmit = 0;
        std::unique_ptr<QThread> thread(QThread::create([&] {
            PostMsg::GetInstance()->PostUpDataLightSensor(record);
            seenAfterEmit = sensorPageUpdated;
        }));
        thread->start();
        QTRY_VERIFY(thread->isFinished());
        QCOMPARE(seenAfterEmit, uint8_t(1));

        // An imported file fills without acknowledging.
        sensorPageUpdated = 0;
        PostMsg::GetInstance()->PostUpDataSensorUIB(record);
        QCOMPARE(sensorPageUpdated, uint8_t(0));
        QCOMPARE(sensorPageFilling, uint8_t(0));
        QVERIFY(device.recordsSent().isEmpty());
    }

    void languageChange()
    {
        testsupport::fillLanguageTables(2);
        Sensor page;
        QCOMPARE(page.findChild<QLabel*>(QStringLiteral("label_5"))->text(),
                 testsupport::tableText(QStringLiteral("Sensor"), 0, 2));

        PostMsg::GetInstance()->PostAllLanguage(1);

        QStringList texts;
        for (QWidget* widget : page.findChildren<QWidget*>()) {
            texts << widget->toolTip();
            if (auto* label = qobject_cast<QLabel*>(widget))
                texts << label->text();
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                texts << button->text();
            if (auto* combo = qobject_cast<QComboBox*>(widget))
                for (int i = 0; i < combo->count(); ++i)
                    texts << combo->itemText(i);
        }
        for (int item = 0; item < 27; ++item)
            QVERIFY2(texts.contains(testsupport::tableText(QStringLiteral("Sensor"), 1, item)),
                     qPrintable(QString::number(item)));
        QVERIFY(!texts.contains(testsupport::tableText(QStringLiteral("Sensor"), 0, 2)));
        SensorTexts.clear();
        languageIndex = 0;
    }

    // The group frames are raised styled panels, which the look the page was
    // laid out for draws without an outline: no light rectangle may cross
    // the page.
    void groupFramesDrawNoOutline()
    {
        Sensor page;
        page.resize(883, 630);
        for (const char* name : {"SenSorPage", "frameDpi", "frameRate", "frameLOD", "frameEffect", "frame",
                                 "frame_3", "frame_4"}) {
            QWidget* frame = child<QWidget>(&page, name);
            const QImage look = frame->grab().toImage();
            const QPoint corner(look.width() - 1, look.height() - 1);
            QVERIFY2(!frame->childAt(corner), name);
            QVERIFY2(look.pixel(corner) == frame->palette().color(QPalette::Window).rgb(), name);
        }
    }

    // A long list opens below its box, at most five entries high, and
    // scrolls, whatever the style would do with a list.
    void listsShowFiveEntries()
    {
        Sensor page;
        page.show();
        for (const char* name : {"PerformanceOpen", "ChooseEvent"}) {
            auto* list = page.findChild<QComboBox*>(QLatin1String(name));
            list->setEnabled(true);
            while (list->count() < 8)
                list->addItem(QString::number(list->count()));
            list->showPopup();
            QAbstractItemView* view = list->view();
            QVERIFY2(view->isVisible(), name);
            QVERIFY2(view->indexAt(QPoint(5, view->viewport()->height() - 2)).row() < 5, name);
            QVERIFY2(view->verticalScrollBar()->isVisible(), name);
            list->hidePopup();
        }
    }

    void levelFile()
    {
        const QString path = userDir() + QStringLiteral("/usersetting/SensorPage/Level.ini");
        Sensor page;
        QVERIFY(QFileInfo(path).dir().exists());
        page.saveLevelFile(12);
        page.saveLevelFile(5);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("5"));
    }
};

QUEMBREL_TEST_MAIN(SensorPageTest)
#include "tst_sensorpage.moc"
