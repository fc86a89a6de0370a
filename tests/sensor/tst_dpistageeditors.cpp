#include "support/openeddevice.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/dpiencoding.h"
#include "sensor/sensordpi.h"
#include "sensor/sensordpib.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include <cstddef>

// The two DPI stage editors against the simulated mouse: what each user edit
// sends (exactly which records, with which bytes), what a fill sends
// (nothing), and how the slider snaps and steps through the model's ranges.

using testsupport::OpenedDevice;
using testsupport::child;
using testsupport::dragMouse;
using testsupport::dragSlider;
using testsupport::sendMouse;
using Records = QVector<QByteArray>;

namespace {

// Three ranges with gaps between them; range mode 0 keeps the codes plain.
const QStringList kRanges = {"100", "1000", "50", "1200", "4000", "100", "5000", "10000", "500", "0"};

const char* const kStageButtons[8] = {"BlueButton",   "BrightRedButton", "RedButton",      "YellowButton",
                                      "GreenButton",  "PurpleButton",    "LightBlueButton", "LightYellowButton"};
const char* const kLetters = "ABCDEFGH";

const int kStageOffset = int(offsetof(FlashDataMap, dpiStages));
constexpr int kCountByte = 0x01;
constexpr int kCurrentByte = 0x02;

// Object name of a second-layout row widget, e.g. "spinBox" + "C".
QByteArray rowName(const char* prefix, int k)
{
    return QByteArray(prefix) + kLetters[k];
}

QString swatchName(int k)
{
    return QString::fromLatin1(kStageButtons[k]) + QLatin1Char('A');
}

// Every stage entry different, so an exchange shows.
void giveDistinctStages()
{
    for (int k = 0; k < 8; ++k)
        CurrentFlashData.dpiStages[k] = {uint8_t(k + 1), uint8_t(k + 1), 0, uint8_t(10 * k), uint8_t(20 * k),
                                         uint8_t(30 * k)};
}

QByteArray stagesSwapped(QByteArray record, int a, int b)
{
    const QByteArray entryA = record.mid(kStageOffset + 6 * a, 6);
    record.replace(kStageOffset + 6 * a, 6, record.mid(kStageOffset + 6 * b, 6));
    record.replace(kStageOffset + 6 * b, 6, entryA);
    return record;
}

QByteArray stageEntry(const QByteArray& record, int k)
{
    return record.mid(kStageOffset + 6 * k, 6);
}

// The three code bytes the encoder gives `dpi` in the test catalogue.
QByteArray codeBytes(int dpi)
{
    DpiStageCode code;
    if (!dpiStageCode(dpi, 0, currentSensorModel, dpiRangeTable, sensorDefineTable, &code))
        return QByteArray();
    return QByteArray() + char(code.code) + char(code.code) + char(code.flags);
}

// Macros that overflow the device's macro memory make it refuse every record.
void makeDeviceRefuseRecords()
{
    MacroBlock longest = {};
    longest.eventCount = kMacroBlockEvents;
    for (int i = 0; i < kMacroBlockEvents; ++i) {
        longest.events[i].action = uint8_t(i % 2);
        longest.events[i].kind = 1;
        longest.events[i].setCode(uint16_t(0x04 + i / 2));
    }
    for (int button = 0; button < kButtonCount; ++button)
        CurrentFlashData.macroBlocks[button] = longest;
    CurrentFlashData.reserved7a[1] = 0x3c;
}

// The stage colour as its swatch or colour button shows it.
QString colourOf(int k)
{
    return QStringLiteral("%1,%2,%3").arg(10 * k).arg(20 * k).arg(30 * k);
}

QString hexColourOf(int k)
{
    return QStringLiteral("#%1%2%3")
        .arg(10 * k, 2, 16, QLatin1Char('0'))
        .arg(20 * k, 2, 16, QLatin1Char('0'))
        .arg(30 * k, 2, 16, QLatin1Char('0'));
}

QList<int> currentStagesSent(const Records& records)
{
    QList<int> stages;
    for (const QByteArray& record : records)
        stages << int(uint8_t(record.at(kCurrentByte)));
    return stages;
}

// The sensor page's fill of the first layout: `count` stages of DPI 100 k + 100
// and the test colours, stage `current` selected, the list offering `items`.
void fillEditor(SensorDPI* editor, int count, int current, int items = 8)
{
    editor->blockSliderSignals(true);
    sensorPageFilling = 1;
    editor->clearStageCombo();
    editor->blockStageSignals(true);
    for (int i = 0; i < items; ++i)
        editor->insertStageItem(i, QString::number(i + 1));
    editor->blockStageSignals(false);
    editor->storeStageCount(count);
    editor->storeCurrentStage(current);
    for (int k = 0; k < 8; ++k) {
        editor->setStageText(k, QString::number(100 * (k + 1)));
        editor->setStageColor(k, hexColourOf(k));
    }
    editor->restyleSwatches(current);
    editor->setSliderMinimum(50);
    editor->setSliderMaximum(10000);
    editor->setSliderValue(100 * (current + 1));
    editor->setDpiSpinValue(100 * (current + 1));
    editor->setStageCount(count - 1);
    editor->setStageComboIndex(count - 1);
    editor->moveMarkerToStage(current + 1);
    editor->selectStage(current);
    editor->blockSliderSignals(false);
    sensorPageFilling = 0;
}

// The same for the second layout.
void fillEditorB(SensorDPIB* editor, int count, int current)
{
    sensorPageFilling = 1;
    editor->clearCountCombo();
    for (int i = 0; i < 8; ++i)
        editor->insertCountItem(i, QString::number(i + 1));
    editor->blockSliderSignals(true);
    editor->setSlidersMinimum(50);
    editor->setSlidersMaximum(10000);
    for (int k = 0; k < 8; ++k) {
        editor->setLevelValue(k, QString::number(100 * (k + 1)));
        editor->setLevelColorText(k, hexColourOf(k));
    }
    editor->blockSliderSignals(false);
    editor->restyleLevelButtons();
    editor->storeCurrentLevel(current);
    editor->checkLevel(current);
    editor->storeLevelCount(count);
    editor->setCountComboIndex(count - 1);
    editor->showLevelRows(count - 1);
    sensorPageFilling = 0;
}

QStringList visibleStages(QWidget* editor)
{
    QStringList shown;
    for (const char* name : kStageButtons)
        if (!child<QToolButton>(editor, name)->isHidden())
            shown << QLatin1String(name);
    return shown;
}

QStringList firstStages(int count)
{
    QStringList names;
    for (int k = 0; k < count; ++k)
        names << QLatin1String(kStageButtons[k]);
    return names;
}

} // namespace

class DpiStageEditorsTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        currentSensorModel = QStringLiteral("TEST");
        sensorDefineTable = SensorDefineTable();
        QString minText, maxText;
        refillDpiRangeTable(kRanges, &dpiRangeTable, &minText, &maxText);
        deviceWriteEnabled = 1;
        sensorPageFilling = buttonPageFilling = lightPageFilling = 0;
        waitDialogShown = 0;
    }

    // ---- Snapping, Add and Reduce ----------------------------------------------------

    // "slide" releases the slider at `value`: after a fill the user's first
    // release is already an edit; "add" and "reduce" click from `value`.
    void steps_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("pageStep");
        QTest::addColumn<bool>("written");

        QTest::newRow("slide inside a range rounds down") << "slide" << 990 << 950 << 50 << true;
        QTest::newRow("slide lowest of all") << "slide" << 100 << 100 << 50 << true;
        QTest::newRow("slide top of a range") << "slide" << 1000 << 1000 << 50 << true;
        QTest::newRow("slide first gap") << "slide" << 1075 << 1200 << 100 << true;
        QTest::newRow("slide steps from zero") << "slide" << 1234 << 1200 << 100 << true;
        QTest::newRow("slide second gap") << "slide" << 4500 << 5000 << 500 << true;
        QTest::newRow("slide last range") << "slide" << 9999 << 9500 << 500 << true;
        QTest::newRow("slide highest of all") << "slide" << 10000 << 10000 << 500 << true;
        QTest::newRow("slide below every range") << "slide" << 60 << 60 << 50 << true;  // page step left as it was

        QTest::newRow("add inside a range") << "add" << 950 << 1000 << 50 << true;
        QTest::newRow("add at a range's top") << "add" << 1000 << 1200 << 100 << true;
        QTest::newRow("add in a gap") << "add" << 1100 << 1200 << 100 << true;
        QTest::newRow("add at second top") << "add" << 4000 << 5000 << 500 << true;
        QTest::newRow("add at the top stays") << "add" << 10000 << 10000 << 500 << false;
        QTest::newRow("add below every range") << "add" << 60 << 60 << 500 << false;

        QTest::newRow("reduce inside a range") << "reduce" << 1000 << 950 << 50 << true;
        QTest::newRow("reduce at a range's bottom snaps back") << "reduce" << 1200 << 1200 << 100 << true;
        QTest::newRow("reduce in a gap") << "reduce" << 1100 << 1200 << 100 << true;
        QTest::newRow("reduce at last bottom") << "reduce" << 5000 << 5000 << 500 << true;
        QTest::newRow("reduce lowest of all") << "reduce" << 100 << 50 << 500 << true;
    }
    void steps()
    {
        QFETCH(QString, action);
        QFETCH(int, value);
        QFETCH(int, shown);
        QFETCH(int, pageStep);
        QFETCH(bool, written);
        OpenedDevice device;
        SensorDPI editor;
        fillEditor(&editor, 8, 2);
        auto* slider = child<QSlider>(&editor, "horizontalSliderC");
        auto* spin = child<QSpinBox>(&editor, "spinBoxA");
        auto* stage = child<QToolButton>(&editor, kStageButtons[2]);

        if (action == QLatin1String("slide")) {
            dragSlider(slider, value);
            QCOMPARE(slider->value(), value);  // the handle stays where it was let go
        } else {
            slider->setPageStep(500);
            editor.blockSliderSignals(true);
            editor.setSliderValue(value);
            editor.setDpiSpinValue(value);
            editor.blockSliderSignals(false);
            child<QToolButton>(&editor, action == QLatin1String("add") ? "AddLevelA" : "ReduceLevelA")->click();
        }

        QCOMPARE(spin->value(), shown);
        QCOMPARE(slider->pageStep(), pageStep);
        const Records sent = device.recordsSent();
        QCOMPARE(sent.size(), written ? 1 : 0);
        if (written) {
            QCOMPARE(stage->text(), QString::number(shown));
            QCOMPARE(stageEntry(sent.first(), 2).left(3), codeBytes(shown));
        }
    }

    // Choosing a stage whose DPI the slider already shows moves nothing, so
    // the user's next release is the edit and reaches the device.
    void firstReleaseAfterSameDpiStageIsWritten()
    {
        OpenedDevice device;
        SensorDPI editor;
        fillEditor(&editor, 8, 0);
        editor.setStageText(1, QStringLiteral("100"));  // same DPI as stage 0
        child<QToolButton>(&editor, kStageButtons[1])->click();
        hidsim::clearCallLog();

        dragSlider(child<QSlider>(&editor, "horizontalSliderC"), 1600);
        const Records sent = device.recordsSent();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(stageEntry(sent.first(), 1).left(3), codeBytes(1600));
    }

    // While the handle is dragged the number follows it, snapped, and
    // nothing is written or even asked of the device.
    void dragFollowsHandle()
    {
        OpenedDevice device;
        SensorDPI editor;
        fillEditor(&editor, 8, 0);
        auto* slider = child<QSlider>(&editor, "horizontalSliderC");
        hidsim::clearCallLog();

        slider->setSliderDown(true);
        slider->setSliderPosition(1075);
        QCOMPARE(child<QSpinBox>(&editor, "spinBoxA")->value(), 1200);
        slider->setSliderPosition(990);
        QCOMPARE(child<QSpinBox>(&editor, "spinBoxA")->value(), 950);
        QVERIFY(hidsim::callLog().isEmpty());
        slider->setSliderDown(false);
        QCOMPARE(device.recordsSent().size(), 1);
    }

    // The second layout snaps its own rows by the same ranges and writes its
    // own level; the first change after a selection only arms.
    void rowSlider()
    {
        OpenedDevice device;
        SensorDPIB editor;
        fillEditorB(&editor, 8, 0);
        auto* slider = child<QSlider>(&editor, "horizontalSliderF");
        auto* spin = child<QSpinBox>(&editor, "spinBoxF");

        editor.selectLevel(0);
        dragSlider(slider, 2000);
        QCOMPARE(spin->value(), 2000);
        QVERIFY(device.recordsSent().isEmpty());

        dragSlider(slider, 1075);
        QCOMPARE(spin->value(), 1200);
        QCOMPARE(slider->value(), 1075);
        QCOMPARE(slider->pageStep(), 100);
        const Records sent = device.recordsSent();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(stageEntry(sent.first(), 5).left(3), codeBytes(1200));
    }

    // A wait dialog or a fill (the page's reset moves the slider with its
    // signals open) shows the value and writes nothing, in both layouts.
    void sliderWritesNothingWhileHeld_data()
    {
        QTest::addColumn<bool>("waitDialog");
        QTest::newRow("wait dialog") << true;
        QTest::newRow("page fill") << false;
    }
    void sliderWritesNothingWhileHeld()
    {
        QFETCH(bool, waitDialog);
        OpenedDevice device;
        SensorDPI editor;
        SensorDPIB rows;
        fillEditor(&editor, 8, 0);
        fillEditorB(&rows, 8, 0);
        dragSlider(child<QSlider>(&rows, "horizontalSliderA"), 3000);  // arms
        QVERIFY(device.recordsSent().isEmpty());

        (waitDialog ? waitDialogShown : sensorPageFilling) = 1;
        editor.setSliderValue(800);
        rows.setSliderValue(800, 0);
        QCOMPARE(child<QSpinBox>(&editor, "spinBoxA")->value(), 800);
        QCOMPARE(child<QSpinBox>(&rows, "spinBoxA")->value(), 800);
        QVERIFY(device.recordsSent().isEmpty());
    }

    // Offline the slider shows the raw value and raises the notice; Add and
    // Reduce only raise it.
    void offlineSliderAndSteps()
    {
        OpenedDevice device;
        SensorDPI editor;
        fillEditor(&editor, 8, 0);
        auto* spin = child<QSpinBox>(&editor, "spinBoxA");
        const QByteArray before = device.record();
        device.goOffline();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));

        dragSlider(child<QSlider>(&editor, "horizontalSliderC"), 1234);
        QCOMPARE(spin->value(), 1234);
        QCOMPARE(child<QToolButton>(&editor, kStageButtons[0])->text(), QStringLiteral("100"));
        child<QToolButton>(&editor, "AddLevelA")->click();
        child<QToolButton>(&editor, "ReduceLevelA")->click();
        QCOMPARE(spin->value(), 1234);
        QCOMPARE(offline.count(), 3);
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(device.record(), before);
    }

    // ---- Stage count ------------------------------------------------------------------

    void stageCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("index");
        QTest::newRow("one stage while the fifth is current") << 8 << 4 << 0;
        QTest::newRow("three stages while the last is current") << 8 << 7 << 2;
        QTest::newRow("raise the count") << 3 << 2 << 6;
        QTest::newRow("count ends at the current stage") << 8 << 3 << 3;
    }
    void stageCount()
    {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(int, index);
        OpenedDevice device;
        giveDistinctStages();
        SensorDPI editor;
        fillEditor(&editor, count, current);
        QVERIFY(device.recordsSent().isEmpty());
        const QByteArray before = device.record();

        child<QComboBox>(&editor, "ChooseEvent")->setCurrentIndex(index);

        QCOMPARE(visibleStages(&editor), firstStages(index + 1));
        const bool exchange = index < current;
        const int nowCurrent = exchange ? index : current;
        QVERIFY(child<QToolButton>(&editor, kStageButtons[nowCurrent])->isChecked());
        if (exchange) {
            // The user's stage keeps its DPI and colour and becomes the last.
            QCOMPARE(child<QToolButton>(&editor, kStageButtons[index])->text(), QString::number(100 * (current + 1)));
            QCOMPARE(child<QToolButton>(&editor, kStageButtons[current])->text(), QString::number(100 * (index + 1)));
            QVERIFY(child<QToolButton>(&editor, qPrintable(swatchName(index)))
                        ->styleSheet()
                        .contains(QStringLiteral("rgb(") + colourOf(current) + QLatin1Char(')')));
            QVERIFY(child<QToolButton>(&editor, qPrintable(swatchName(current)))
                        ->styleSheet()
                        .contains(QStringLiteral("rgb(") + colourOf(index) + QLatin1Char(')')));
            QCOMPARE(child<QLabel>(&editor, "label_8")->x(), QList<int>({27, 118, 209}).value(index));

            // Current stage, then the exchange, then the count.
            const QByteArray selected = device.withBytes(before, {{kCurrentByte, index}});
            const QByteArray exchanged =
                device.withBytes(stagesSwapped(selected, index, current), {{kCountByte, index + 1}});
            QCOMPARE(device.recordsSent(), Records({selected, exchanged, exchanged}));
        } else {
            QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kCountByte, index + 1}})});
        }
    }

    void stageCountB_data()
    {
        stageCount_data();
    }
    void stageCountB()
    {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(int, index);
        OpenedDevice device;
        giveDistinctStages();
        SensorDPIB editor;
        fillEditorB(&editor, count, current);
        QVERIFY(device.recordsSent().isEmpty());
        const QByteArray before = device.record();

        child<QComboBox>(&editor, "ChooseEvent")->setCurrentIndex(index);

        for (int k = 0; k < 8; ++k) {
            const bool shown = k <= index;
            QCOMPARE(!child<QWidget>(&editor, rowName("M", k))->isHidden(), shown);
            QCOMPARE(!child<QWidget>(&editor, rowName("horizontalSlider", k))->isHidden(),
                     shown);
            QCOMPARE(!child<QWidget>(&editor, rowName("spinBox", k))->isHidden(), shown);
            QCOMPARE(!child<QWidget>(&editor, qPrintable(swatchName(k)))->isHidden(), shown);
        }
        if (index < current) {
            QVERIFY(child<QCheckBox>(&editor, rowName("M", index))->isChecked());
            QCOMPARE(child<QSpinBox>(&editor, rowName("spinBox", index))->value(),
                     100 * (current + 1));
            QCOMPARE(child<QSlider>(&editor, rowName("horizontalSlider", current))->value(),
                     100 * (index + 1));
            QVERIFY(child<QToolButton>(&editor, qPrintable(swatchName(index)))
                        ->styleSheet()
                        .contains(QStringLiteral("background-color:") + hexColourOf(current)));
            const QByteArray selected = device.withBytes(before, {{kCurrentByte, index}});
            const QByteArray exchanged =
                device.withBytes(stagesSwapped(selected, index, current), {{kCountByte, index + 1}});
            QCOMPARE(device.recordsSent(), Records({selected, exchanged, exchanged}));
        } else {
            QVERIFY(child<QCheckBox>(&editor, rowName("M", current))->isChecked());
            QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kCountByte, index + 1}})});
        }
    }

    // A list offering more stages than the record holds: a choice past the
    // eighth sends eight and shows eight, in both layouts.
    void countBeyondEight_data()
    {
        QTest::addColumn<bool>("rows");
        QTest::newRow("stage editor") << false;
        QTest::newRow("second layout") << true;
    }
    void countBeyondEight()
    {
        QFETCH(bool, rows);
        OpenedDevice device;
        SensorDPI editor;
        SensorDPIB editorB;
        fillEditor(&editor, 3, 1, 10);
        fillEditorB(&editorB, 3, 1);
        editorB.insertCountItem(8, QStringLiteral("9"));
        editorB.insertCountItem(9, QStringLiteral("10"));
        QWidget* host = rows ? static_cast<QWidget*>(&editorB) : &editor;
        const QByteArray before = device.record();
        auto* list = child<QComboBox>(host, "ChooseEvent");

        list->setCurrentIndex(9);

        QCOMPARE(list->currentIndex(), 7);
        for (int k = 0; k < 8; ++k)
            QVERIFY2(!child<QWidget>(host, qPrintable(swatchName(k)))->isHidden(), qPrintable(swatchName(k)));
        if (!rows)
            QCOMPARE(visibleStages(&editor), firstStages(8));
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kCountByte, 8}})});
    }

    // A DPI the sensor's definitions cannot express is not written, and the
    // editor shows the device's DPI of that stage again, on the slider too; so
    // does the stage editor for a DPI the device itself refuses. The second
    // layout leaves a refused DPI on screen.
    void refusedDpi_data()
    {
        QTest::addColumn<bool>("rows");
        QTest::addColumn<bool>("expressible");
        QTest::addColumn<int>("shown");
        QTest::newRow("stage editor, no define") << false << false << 450;
        QTest::newRow("stage editor, device refuses") << false << true << 450;
        QTest::newRow("second layout, no define") << true << false << 450;
        QTest::newRow("second layout, device refuses") << true << true << 700;
    }
    void refusedDpi()
    {
        QFETCH(bool, rows);
        QFETCH(bool, expressible);
        QFETCH(int, shown);
        OpenedDevice device;
        // Defines for 100..800 in steps of 50, code = DPI / 50; no 1200.
        for (int dpi = 100; dpi <= 800; dpi += 50)
            sensorDefineTable.append(QStringLiteral("SENSOR_TEST_DPI_%1").arg(dpi), dpi / 50);
        CurrentFlashData.dpiStages[2] = {9, 9, 0, 0, 0, 0};  // 450 DPI on the device
        SensorDPI editor;
        SensorDPIB editorB;
        fillEditor(&editor, 8, 2);
        fillEditorB(&editorB, 8, 2);
        editorB.selectLevel(2);
        dragSlider(child<QSlider>(&editorB, "horizontalSliderC"), 250);  // arms
        if (expressible)
            makeDeviceRefuseRecords();
        const QByteArray before = device.record();
        device.clearSent();
        if (expressible) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("hidsim: .* refused a record"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("the device refused the record"));
        } else {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no register value for 1200 DPI"));
        }

        QWidget* host = rows ? static_cast<QWidget*>(&editorB) : &editor;
        dragSlider(child<QSlider>(host, "horizontalSliderC"), expressible ? 700 : 1234);

        QCOMPARE(child<QSpinBox>(host, rows ? "spinBoxC" : "spinBoxA")->value(), shown);
        if (!rows) {
            QCOMPARE(child<QToolButton>(&editor, kStageButtons[2])->text(), QString::number(shown));
            QCOMPARE(child<QSlider>(&editor, "horizontalSliderC")->value(), shown);
        }
        QCOMPARE(device.recordsSent().size(), expressible ? 1 : 0);
        QCOMPARE(device.record(), before);
    }

    // A count the device refuses is not kept in the record.
    void refusedCountIsTakenBack()
    {
        OpenedDevice device;
        SensorDPI editor;
        fillEditor(&editor, 8, 0);
        makeDeviceRefuseRecords();
        CurrentFlashData.dpiStageCount = 8;
        const QByteArray before = device.record();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("hidsim: .* refused a record"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("refused the DPI stage count"));

        child<QComboBox>(&editor, "ChooseEvent")->setCurrentIndex(3);

        QCOMPARE(device.recordsSent().size(), 1);
        QCOMPARE(device.record(), before);
    }

    // While the page fills, a count choice changes neither rows nor device.
    void stageCountWhileFilling()
    {
        OpenedDevice device;
        SensorDPI editor;
        SensorDPIB rows;
        fillEditor(&editor, 8, 5);
        fillEditorB(&rows, 8, 5);
        sensorPageFilling = 1;
        child<QComboBox>(&editor, "ChooseEvent")->setCurrentIndex(1);
        child<QComboBox>(&rows, "ChooseEvent")->setCurrentIndex(1);
        QCOMPARE(child<QToolButton>(&editor, kStageButtons[5])->text(), QStringLiteral("600"));
        QVERIFY(child<QCheckBox>(&rows, "MF")->isChecked());
        QVERIFY(!child<QWidget>(&rows, "MH")->isHidden());
        QVERIFY(device.recordsSent().isEmpty());
    }

    // ---- Bytes out of range ------------------------------------------------------------

    // A record whose current stage is 9 and whose model offers ten stages
    // fills without a write; later choices never reach past stage entry 7 and
    // never send more than eight stages.
    void outOfRangeBytes()
    {
        OpenedDevice device;
        giveDistinctStages();
        SensorDPI editor;
        SensorDPIB rows;
        dragSlider(child<QSlider>(&editor, "horizontalSliderC"), 3000);  // armed before the fill
        fillEditor(&editor, 12, 9, 10);
        fillEditorB(&rows, 12, 9);
        sensorPageFilling = 1;
        editor.restyleSwatches(9);
        editor.setSliderValue(4000);
        rows.selectLevel(9);
        rows.showLevelRows(11);
        sensorPageFilling = 0;
        QVERIFY(device.recordsSent().isEmpty());
        const QByteArray before = device.record();

        child<QComboBox>(&editor, "ChooseEvent")->setCurrentIndex(2);
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kCountByte, 3}})});
        device.clearSent();
        child<QComboBox>(&editor, "ChooseEvent")->setCurrentIndex(9);
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kCountByte, 8}})});

        device.clearSent();
        rows.setCountComboIndex(1);
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kCountByte, 2}})});

        // A marker drag from an unknown stage leaves marker and device alone.
        device.clearSent();
        auto* marker = child<QLabel>(&editor, "label_8");
        const QPoint home = marker->pos();
        dragMouse(&editor, home + QPoint(5, 6), QPoint(100, home.y() + 6));
        QVERIFY(device.recordsSent().isEmpty());
    }

    // ---- Stage selection and colour ------------------------------------------------------

    void stageClick()
    {
        OpenedDevice device;
        SensorDPI editor;
        fillEditor(&editor, 8, 0);
        const QByteArray before = device.record();

        child<QToolButton>(&editor, kStageButtons[6])->click();
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kCurrentByte, 6}})});
        QVERIFY(child<QToolButton>(&editor, qPrintable(swatchName(6)))->isChecked());
        QCOMPARE(child<QLabel>(&editor, "label_8")->x(), 573);
        QCOMPARE(child<QSpinBox>(&editor, "spinBoxA")->value(), 700);
        QCOMPARE(child<QToolButton>(&editor, kStageButtons[6])->size(), QSize(68, 70));
        QCOMPARE(child<QToolButton>(&editor, kStageButtons[0])->size(), QSize(54, 56));

        // Moving the slider to the stage's DPI was no edit, but the user's
        // next release is.
        device.clearSent();
        dragSlider(child<QSlider>(&editor, "horizontalSliderC"), 3000);
        const Records sent = device.recordsSent();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(stageEntry(sent.first(), 6).left(3), codeBytes(3000));
    }

    void levelCheck()
    {
        OpenedDevice device;
        SensorDPIB editor;
        fillEditorB(&editor, 8, 0);
        const QByteArray before = device.record();
        auto* third = child<QCheckBox>(&editor, "MC");

        third->click();
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kCurrentByte, 2}})});
        device.clearSent();
        sensorPageFilling = 1;
        editor.checkLevel(4);
        QVERIFY(child<QCheckBox>(&editor, "ME")->isChecked());
        QVERIFY(device.recordsSent().isEmpty());

        // Offline, selecting a level raises the notice and changes nothing.
        sensorPageFilling = 0;
        device.goOffline();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        editor.selectLevel(6);
        QCOMPARE(offline.count(), 1);
        QVERIFY(child<QCheckBox>(&editor, "ME")->isChecked());
    }

    // The colour dialog opens without blocking; the chosen colour goes to
    // the selected stage (first layout) or the clicked row (second layout).
    void colourChoice_data()
    {
        QTest::addColumn<bool>("rows");
        QTest::newRow("stage editor") << false;
        QTest::newRow("second layout") << true;
    }
    void colourChoice()
    {
        QFETCH(bool, rows);
        OpenedDevice device;
        SensorDPI editor;
        SensorDPIB editorB;
        fillEditor(&editor, 8, 3);
        fillEditorB(&editorB, 8, 0);
        QWidget* host = rows ? static_cast<QWidget*>(&editorB) : &editor;
        const QByteArray before = device.record();

        auto* swatch = child<QToolButton>(host, qPrintable(swatchName(3)));
        swatch->click();
        auto* dialog = host->findChild<QColorDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!dialog->isModal());
        dialog->setCurrentColor(QColor(10, 200, 0));
        dialog->accept();

        QByteArray expected = before;
        expected.replace(kStageOffset + 6 * 3 + 3, 3, QByteArray("\x0a\xc8\x00", 3));
        QCOMPARE(device.recordsSent(), Records{expected});
        const QString look = rows ? QStringLiteral("background-color:#0ac800") : QStringLiteral("rgb(10,200,0)");
        QVERIFY2(swatch->styleSheet().contains(look), qPrintable(swatch->styleSheet()));
    }

    void colourWithoutStage()
    {
        OpenedDevice device;
        SensorDPI editor;
        QMetaObject::invokeMethod(&editor, "SetColor", Q_ARG(QColor, QColor(1, 2, 3)));
        QVERIFY(device.recordsSent().isEmpty());
    }

    // "DPIColor" gives whole triples only, and "DPIGrade" stage texts only
    // when it names all eight.
    void stageColoursFromCatalogue_data()
    {
        QTest::addColumn<QString>("colours");
        QTest::addColumn<QString>("grades");
        QTest::addColumn<QStringList>("expectedColours");
        QTest::addColumn<QStringList>("expectedTexts");
        const QStringList defaults = {"255,0,0",   "0,0,255",   "0,255,0",     "255,255,0",
                                      "0,255,255", "255,0,255", "255,255,255", "0,255,255"};
        const QStringList formTexts = {"100", "200", "200", "100", "100", "200", "100", "200"};
        QStringList four = defaults;
        for (int k = 0; k < 4; ++k)
            four[k] = QStringLiteral("%1,%1,%1").arg(k + 1);
        QTest::newRow("four colours, seven grades")
            << "1,1,1,2,2,2,3,3,3,4,4,4" << "1,2,3,4,5,6,7" << four << formTexts;
        QStringList nine = four;
        nine[4] = QStringLiteral("5,5,5");
        QTest::newRow("a cut triple, nine grades")
            << "1,1,1,2,2,2,3,3,3,4,4,4,5,5,5,6,6" << "11,12,13,14,15,16,17,18,19" << nine
            << QStringList({"11", "12", "13", "14", "15", "16", "17", "18"});
    }
    void stageColoursFromCatalogue()
    {
        QFETCH(QString, colours);
        QFETCH(QString, grades);
        QFETCH(QStringList, expectedColours);
        QFETCH(QStringList, expectedTexts);
        const QString path = testsupport::homeDir() + QStringLiteral("/stages-Config.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("[Drive1]\nDPIColor=%1\nDPIGrade=%2\n").arg(colours, grades).toUtf8());
        file.close();
        ConfigSettings::resetForTests(path);
        currentDevice.modelIndex = 0;

        SensorDPI editor;
        editor.loadStageColors();
        editor.restyleSwatches(-1);
        ConfigSettings::resetForTests();
        for (int k = 0; k < 8; ++k) {
            const QString look = child<QToolButton>(&editor, qPrintable(swatchName(k)))->styleSheet();
            QVERIFY2(look.contains(QStringLiteral("rgb(") + expectedColours[k] + QLatin1Char(')')), qPrintable(look));
            QCOMPARE(child<QToolButton>(&editor, kStageButtons[k])->text(), expectedTexts[k]);
        }
    }

    // ---- Marker drag -------------------------------------------------------------------

    // The marker is pressed 5 px right of its left edge and released at
    // `release`; `records` lists the current stage of each record sent.
    void markerDrag_data()
    {
        QTest::addColumn<int>("countIndex");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("release");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("markerX");
        QTest::addColumn<QList<int>>("records");
        using L = QList<int>;
        QTest::newRow("one stage right") << 7 << 0 << 130 << 1 << 118 << L{1, 1};
        QTest::newRow("one stage right, far end") << 7 << 0 << 140 << 1 << 118 << L{1, 1};
        QTest::newRow("between windows") << 7 << 0 << 160 << 0 << 27 << L{};
        QTest::newRow("click without moving") << 7 << 0 << 32 << 0 << 27 << L{};
        QTest::newRow("five stages right") << 7 << 0 << 492 << 5 << 483 << L{5, 5};
        QTest::newRow("one stage left") << 7 << 3 << 214 << 2 << 209 << L{2, 2};
        QTest::newRow("seven stages left") << 7 << 7 << 40 << 0 << 27 << L{0, 0};
        QTest::newRow("past the count") << 2 << 0 << 260 << 0 << 27 << L{0};
        QTest::newRow("within the count") << 2 << 0 << 240 << 2 << 209 << L{2, 2};
        QTest::newRow("left of the first stage") << 7 << 0 << 10 << 0 << 27 << L{};
        QTest::newRow("right of the last stage") << 7 << 7 << 712 << 7 << 664 << L{};
        QTest::newRow("out of the editor") << 7 << 0 << -20 << 0 << 27 << L{};
    }
    void markerDrag()
    {
        QFETCH(int, countIndex);
        QFETCH(int, current);
        QFETCH(int, release);
        QFETCH(int, stage);
        QFETCH(int, markerX);
        QFETCH(QList<int>, records);
        OpenedDevice device;
        SensorDPI editor;
        fillEditor(&editor, countIndex + 1, current);
        auto* marker = child<QLabel>(&editor, "label_8");
        const QPoint home = marker->pos();
        QVERIFY(device.recordsSent().isEmpty());

        dragMouse(&editor, home + QPoint(5, 6), QPoint(release, home.y() + 6));

        QCOMPARE(marker->x(), markerX);
        QVERIFY(child<QToolButton>(&editor, kStageButtons[stage])->isChecked());
        QCOMPARE(currentStagesSent(device.recordsSent()), records);
        // The editor's own stage moved with it: a count below it moves it.
        device.clearSent();
        if (stage > 0) {
            child<QComboBox>(&editor, "ChooseEvent")->setCurrentIndex(0);
            QCOMPARE(child<QToolButton>(&editor, kStageButtons[0])->text(), QString::number(100 * (stage + 1)));
        }
    }

    // A press off the marker drags nothing.
    void pressBesideMarker()
    {
        OpenedDevice device;
        SensorDPI editor;
        fillEditor(&editor, 8, 0);
        auto* marker = child<QLabel>(&editor, "label_8");
        sendMouse(&editor, QEvent::MouseButtonPress, QPoint(300, 20), Qt::LeftButton, Qt::LeftButton);
        sendMouse(&editor, QEvent::MouseMove, QPoint(130, 160), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(marker->x(), 27);
        sendMouse(&editor, QEvent::MouseButtonRelease, QPoint(130, 160), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(marker->x(), 27);
        QVERIFY(device.recordsSent().isEmpty());
    }

    // Offline the drag changes nothing: marker, current stage and checked
    // stage button stay together, and the notice is raised once.
    void offlineMarkerDrag()
    {
        OpenedDevice device;
        SensorDPI editor;
        fillEditor(&editor, 8, 0);
        auto* marker = child<QLabel>(&editor, "label_8");
        device.goOffline();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));

        dragMouse(&editor, marker->pos() + QPoint(5, 6), QPoint(130, 160));

        QCOMPARE(offline.count(), 1);
        QCOMPARE(marker->x(), 27);
        QVERIFY(child<QToolButton>(&editor, kStageButtons[0])->isChecked());
        QVERIFY(device.recordsSent().isEmpty());
        // Still on stage 0: a count of one keeps it without an exchange.
        deviceWriteEnabled = 0;
        child<QComboBox>(&editor, "ChooseEvent")->setCurrentIndex(0);
        QCOMPARE(child<QToolButton>(&editor, kStageButtons[0])->text(), QStringLiteral("100"));
    }
};

QUEMBREL_TEST_MAIN(DpiStageEditorsTest)
#include "tst_dpistageeditors.moc"
