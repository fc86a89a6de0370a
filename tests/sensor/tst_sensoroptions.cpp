#include "support/dialogfixture.h"
#include "support/openeddevice.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/debouncetime.h"
#include "sensor/sensoreffect.h"
#include "sensor/sensorlod.h"
#include "sensor/sensorrate.h"
#include "sensor/sensorswitches.h"
#include "sensor/stopclosetime.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <functional>
#include <memory>

// The sensor page's option widgets offscreen against the simulated mouse:
// what a user's choice writes, what the page's operations write (nothing),
// and what an offline device keeps.

using testsupport::OpenedDevice;
using testsupport::child;
using testsupport::dragSlider;
using Records = QVector<QByteArray>;

namespace {

using Factory = std::function<QFrame*()>;

} // namespace

Q_DECLARE_METATYPE(Factory)

class SensorOptionsTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        deviceWriteEnabled = 1;
        sensorPageFilling = buttonPageFilling = lightPageFilling = 0;
    }

    // ---- Report rate ----------------------------------------------------------

    void rateClick_data()
    {
        QTest::addColumn<Factory>("make");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("highRate");
        const char* names[] = {"Button125HZ", "Button250HZ", "Button500HZ", "Button1000HZ",
                               "Button2000HZ", "Button4000HZ", "Button8000HZ"};
        const int codes[] = {8, 4, 2, 1, 16, 32, 64};
        const QList<QPair<const char*, Factory>> layouts = {
            {"SensorRate", [] { return new SensorRate; }}, {"SensorRateB", [] { return new SensorRateB; }}};
        for (const auto& layout : layouts)
            for (int i = 0; i < 7; ++i)
                QTest::addRow("%s %s", layout.first, names[i]) << layout.second << names[i] << codes[i] << int(i >= 4);
    }
    void rateClick()
    {
        QFETCH(Factory, make);
        QFETCH(QString, button);
        QFETCH(int, code);
        QFETCH(int, highRate);
        OpenedDevice device;
        std::unique_ptr<QFrame> rate(make());
        auto* target = rate->findChild<QAbstractButton*>(button);
        QSignalSpy hide(PostMsg::GetInstance(), SIGNAL(SigHideModel(int)));
        const QByteArray before = device.record();

        target->click();
        QVERIFY(target->isChecked());
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{0x00, code}})});
        QCOMPARE(hide.count(), 1);
        QCOMPARE(hide.first().first().toInt(), highRate);

        // The checked button again: the same code and signal again.
        target->click();
        QVERIFY(target->isChecked());
        QCOMPARE(device.recordsSent().size(), 2);
        QCOMPARE(hide.count(), 2);
    }

    void rateRefusedClicks()
    {
        OpenedDevice device;
        SensorRate rate;
        auto* button = child<QAbstractButton>(&rate, "Button2000HZ");
        QSignalSpy hide(PostMsg::GetInstance(), SIGNAL(SigHideModel(int)));
        const QByteArray before = device.record();

        deviceWriteEnabled = 0;
        button->click();
        QVERIFY(button->isChecked());
        QVERIFY(hidsim::callLog().isEmpty());

        deviceWriteEnabled = 1;
        device.goOffline();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        child<QAbstractButton>(&rate, "Button500HZ")->click();
        QVERIFY(child<QAbstractButton>(&rate, "Button500HZ")->isChecked());
        QCOMPARE(device.record(), before);
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(offline.count(), 1);
        QCOMPARE(hide.count(), 0);
    }

    // A device type's receiver class offers exactly its rates.
    void ratesOfDeviceType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("highestRate");
        QTest::newRow("1 kHz receiver") << 0 << 1000;
        QTest::newRow("4 kHz receiver") << 1 << 4000;
        QTest::newRow("mouse on its cable") << 2 << 1000;
        QTest::newRow("type 3") << 3 << 8000;
        QTest::newRow("2 kHz receiver") << 4 << 2000;
        QTest::newRow("8 kHz receiver") << 5 << 8000;
    }
    void ratesOfDeviceType()
    {
        QFETCH(int, type);
        QFETCH(int, highestRate);
        SensorRate rate;
        rate.showRateButtons(rateButtonClass(type));
        QStringList offered, expected;
        for (int hz : {125, 250, 500, 1000, 2000, 4000, 8000}) {
            const QString name = QStringLiteral("Button%1HZ").arg(hz);
            if (hz <= highestRate)
                expected << name;
            if (!child<QAbstractButton>(&rate, qPrintable(name))->isHidden())
                offered << name;
        }
        QCOMPARE(offered, expected);
        QCOMPARE(rateButtonClass(6), -1);
    }

    // The page's operations show; they never write.
    void rateOperations()
    {
        OpenedDevice device;
        SensorRate rate;
        const QList<QAbstractButton*> buttons = rate.findChildren<QAbstractButton*>();
        QCOMPARE(buttons.size(), 7);
        auto checked = [&] {
            for (int i = 0; i < buttons.size(); ++i)
                if (buttons.at(i)->isChecked())
                    return i;
            return -1;
        };
        rate.checkRateButton(3);
        QCOMPARE(checked(), 3);
        rate.checkRateButton(7);
        rate.checkRateButton(-1);
        QCOMPARE(checked(), 3);

        // Receiver classes: which of 2000, 4000, 8000 Hz are shown.
        const QVector<QVector<bool>> shown = {{false, false, false}, {true, true, false}, {true, false, false},
                                              {true, true, true}};
        for (int cls = 0; cls < 4; ++cls) {
            rate.showRateButtons(cls);
            for (int i = 0; i < 3; ++i)
                QCOMPARE(!buttons.at(4 + i)->isHidden(), shown[cls][i]);
            for (int i = 0; i < 4; ++i)
                QVERIFY(!buttons.at(i)->isHidden());
        }
        rate.showRateButtons(4);
        QVERIFY(!buttons.at(6)->isHidden());
        rate.showRateButtons(0);
        // A hidden button can still be checked: then no visible one is.
        rate.checkRateButton(6);
        QCOMPARE(checked(), 6);
        QVERIFY(buttons.at(6)->isHidden());
        QVERIFY(hidsim::callLog().isEmpty());
    }

    // ---- Lift-off distance ----------------------------------------------------

    void lodChoice_data()
    {
        QTest::addColumn<bool>("smallLod");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("code");
        QTest::newRow("0.7mm") << true << 0 << 3;
        QTest::newRow("1mm of three") << true << 1 << 1;
        QTest::newRow("2mm of three") << true << 2 << 2;
        QTest::newRow("1mm of two") << false << 0 << 1;
        QTest::newRow("2mm of two") << false << 1 << 2;
    }
    void lodChoice()
    {
        QFETCH(bool, smallLod);
        QFETCH(int, index);
        QFETCH(int, code);
        OpenedDevice device;
        SensorLOD lod;
        if (smallLod)
            lod.addSmallLod();
        // Start from another item: 1mm before a choice of 2mm, else 2mm.
        lod.setCurrentLod(code == 2 ? 0 : 1);
        auto* combo = child<QComboBox>(&lod, "LOD");
        QVERIFY(combo->currentIndex() != index);
        QVERIFY(device.recordsSent().isEmpty());
        const QByteArray before = device.record();

        combo->setCurrentIndex(index);
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{0x05, code}})});
    }

    // What the list shows for a device byte, and that showing writes nothing
    // even with writes enabled and no fill flag raised.
    void lodShowsDeviceByte_data()
    {
        QTest::addColumn<bool>("smallLod");
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("shown");
        QTest::newRow("two: 1") << false << 1 << "1mm";
        QTest::newRow("two: 2") << false << 2 << "2mm";
        QTest::newRow("two: 3") << false << 3 << "";
        QTest::newRow("two: 0") << false << 0 << "";
        QTest::newRow("three: 1") << true << 1 << "1mm";
        QTest::newRow("three: 3") << true << 3 << "0.7mm";
        QTest::newRow("three: 0 keeps") << true << 0 << "2mm";
        QTest::newRow("three: 6 keeps") << true << 6 << "2mm";
    }
    void lodShowsDeviceByte()
    {
        QFETCH(bool, smallLod);
        QFETCH(int, byte);
        QFETCH(QString, shown);
        OpenedDevice device;
        SensorLOD lod;
        lod.setCurrentLod(1);
        if (smallLod)
            lod.addSmallLod();
        lod.setCurrentLod(byte - 1);
        QCOMPARE(child<QComboBox>(&lod, "LOD")->currentText(), shown);
        lod.removeSmallLod();
        QVERIFY(hidsim::callLog().isEmpty());
    }

    void lodItemSets()
    {
        SensorLOD lod;
        auto* combo = child<QComboBox>(&lod, "LOD");
        QVERIFY(!combo->isEnabled());
        lod.removeSmallLod();
        QCOMPARE(combo->count(), 2);
        lod.addSmallLod();
        lod.addSmallLod();
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), QStringLiteral("0.7mm"));
        lod.removeSmallLod();
        QCOMPARE(combo->itemText(0), QStringLiteral("1mm"));
    }

    void lodRefusedChoices()
    {
        OpenedDevice device;
        SensorLOD lod;
        auto* combo = child<QComboBox>(&lod, "LOD");
        sensorPageFilling = 1;
        combo->setCurrentIndex(1);
        sensorPageFilling = 0;
        deviceWriteEnabled = 0;
        combo->setCurrentIndex(0);
        QVERIFY(hidsim::callLog().isEmpty());

        deviceWriteEnabled = 1;
        device.goOffline();
        const QByteArray before = device.record();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        combo->setCurrentIndex(1);
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(device.record(), before);
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(offline.count(), 1);
    }

    void lodSecondLayout()
    {
        OpenedDevice device;
        SensorLODB lod;
        auto* mm0 = child<QAbstractButton>(&lod, "MM0");
        lod.setCurrentLod(0);
        lod.setCurrentLod(2);
        QVERIFY(!mm0->isChecked());
        lod.showSmallLod();
        lod.setCurrentLod(2);
        QVERIFY(mm0->isChecked());
        QVERIFY(hidsim::callLog().isEmpty());

        const QByteArray before = device.record();
        const char* names[] = {"MM0", "MM1", "MM2", "MM2"};
        const int codes[] = {3, 1, 2, 2};
        Records expected;
        for (int i = 0; i < 4; ++i) {
            child<QAbstractButton>(&lod, names[i])->click();
            expected << device.withBytes(before, {{0x05, codes[i]}});
        }
        QCOMPARE(device.recordsSent(), expected);
    }

    // ---- DPI light effect -------------------------------------------------------

    void effectBrightness_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("byte");
        const int bytes[] = {16, 30, 60, 90, 128, 150, 180, 210, 230, 255};
        for (int level = 1; level <= 10; ++level)
            QTest::addRow("level %d", level) << level << bytes[level - 1];
    }
    void effectBrightness()
    {
        QFETCH(int, level);
        QFETCH(int, byte);
        OpenedDevice device;
        SensorEffect effect;
        effect.setBrightnessLevel(level == 1 ? 2 : 1);
        const QByteArray before = device.record();
        auto* slider = child<QSlider>(&effect, "LightH");
        slider->setSliderDown(true);
        slider->setSliderPosition(level);
        QCOMPARE(child<QSpinBox>(&effect, "LightSpinBox")->value(), level);
        QVERIFY(device.recordsSent().isEmpty());
        slider->setSliderDown(false);
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{0x40, byte}})});
        QCOMPARE(dpiLightBrightnessLevel(byte), level);
    }

    void effectModeAndSpeed()
    {
        OpenedDevice device;
        SensorEffect effect;
        auto* model = child<QComboBox>(&effect, "Model");
        CurrentFlashData.dpiLightMode = 2;
        CurrentFlashData.dpiLightOn = 1;
        const QByteArray start = device.record();

        model->setCurrentIndex(1);
        const QByteArray steady = device.withBytes(start, {{0x3f, 1}, {0x42, 1}});
        // Off keeps the last mode.
        model->setCurrentIndex(0);
        const QByteArray off = device.withBytes(steady, {{0x42, 0}});
        model->setCurrentIndex(2);
        const QByteArray breathing = device.withBytes(off, {{0x3f, 2}, {0x42, 1}});
        dragSlider(child<QSlider>(&effect, "SpeedH"), 4);
        const QByteArray speed = device.withBytes(breathing, {{0x41, 4}});
        QCOMPARE(device.recordsSent(), (Records{steady, off, breathing, speed}));
        QCOMPARE(child<QSpinBox>(&effect, "SpeedSpinBox")->value(), 4);
    }

    void effectRows_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("speedShown");
        QTest::addColumn<bool>("lightShown");
        QTest::newRow("off") << 0 << false << false;
        QTest::newRow("steady") << 1 << false << true;
        QTest::newRow("breathing") << 2 << true << false;
    }
    void effectRows()
    {
        QFETCH(int, mode);
        QFETCH(bool, speedShown);
        QFETCH(bool, lightShown);
        SensorEffect effect;
        effect.setEffectMode(mode == 0 ? 1 : 0);
        effect.setEffectMode(mode);
        const auto shown = [&](const char* name) { return !child<QWidget>(&effect, name)->isHidden(); };
        QCOMPARE(shown("SpeedH"), speedShown);
        QCOMPARE(shown("SpeedSpinBox"), speedShown);
        QCOMPARE(shown("line"), !speedShown);
        QCOMPARE(shown("LightH"), lightShown);
        QCOMPARE(shown("LightSpinBox"), lightShown);
        QCOMPARE(shown("line_2"), !lightShown);
        QVERIFY(shown("label_14") && shown("label_15"));
        effect.setEffectMode(7);
        QCOMPARE(shown("SpeedH"), speedShown);
        QCOMPARE(child<QComboBox>(&effect, "Model")->currentIndex(), mode);
    }

    // The page's fill and its reaction to a DPI-light report from the device
    // only show the values: with writes enabled and no fill flag raised, the
    // device receives nothing.
    void effectShowsDeviceValues()
    {
        OpenedDevice device;
        SensorEffect effect;
        effect.setEffectMode(2);
        effect.setSpeed(9);
        effect.setBrightnessLevel(dpiLightBrightnessLevel(100));
        QCOMPARE(child<QComboBox>(&effect, "Model")->currentIndex(), 2);
        QCOMPARE(child<QSpinBox>(&effect, "SpeedSpinBox")->value(), 5);
        QCOMPARE(child<QSpinBox>(&effect, "LightSpinBox")->value(), 10);
        effect.setBrightnessLevel(0);
        QCOMPARE(child<QSlider>(&effect, "LightH")->value(), 1);
        effect.setEffectMode(1);
        QVERIFY(hidsim::callLog().isEmpty());
    }

    void effectRefusedChanges()
    {
        OpenedDevice device;
        SensorEffect effect;
        auto* model = child<QComboBox>(&effect, "Model");
        sensorPageFilling = 1;
        model->setCurrentIndex(1);
        dragSlider(child<QSlider>(&effect, "SpeedH"), 3);
        sensorPageFilling = 0;
        QVERIFY(hidsim::callLog().isEmpty());

        device.goOffline();
        const QByteArray before = device.record();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        model->setCurrentIndex(2);
        QCOMPARE(model->currentIndex(), 2);
        QCOMPARE(device.record(), before);
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(offline.count(), 1);
    }

    void effectSecondLayout()
    {
        OpenedDevice device;
        SensorEffectB effect;
        CurrentFlashData.dpiLightMode = 1;
        CurrentFlashData.dpiLightOn = 1;
        effect.setEffectMode(2);
        QVERIFY(child<QAbstractButton>(&effect, "MM2")->isChecked());
        QVERIFY(hidsim::callLog().isEmpty());

        const QByteArray before = device.record();
        child<QAbstractButton>(&effect, "MM3")->click();
        QVERIFY(child<QWidget>(&effect, "SpeedH")->isHidden());
        QVERIFY(child<QWidget>(&effect, "LightH")->isHidden());
        const QByteArray off = device.withBytes(before, {{0x42, 0}});
        child<QAbstractButton>(&effect, "MM1")->click();
        QVERIFY(!child<QWidget>(&effect, "LightH")->isHidden());
        const QByteArray steady = device.withBytes(off, {{0x3f, 1}, {0x42, 1}});
        dragSlider(child<QSlider>(&effect, "LightH"), 5);
        QCOMPARE(device.recordsSent(), (Records{off, steady, device.withBytes(steady, {{0x40, 128}})}));
    }

    // ---- On/off switches ----------------------------------------------------------

    void switches_data()
    {
        QTest::addColumn<Factory>("make");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("offset");
        QTest::newRow("RippeControl") << Factory([] { return new RippeControl; }) << "RippeControl_2" << 0x0a;
        QTest::newRow("RippeControlB") << Factory([] { return new RippeControlB; }) << "RippeControl_2" << 0x0a;
        QTest::newRow("StraightLine") << Factory([] { return new StraightLine; }) << "StraightLine_2" << 0x09;
        QTest::newRow("StraightLineB") << Factory([] { return new StraightLineB; }) << "StraightLine_2" << 0x09;
        QTest::newRow("MotionSync") << Factory([] { return new MotionSync; }) << "MotionSync_2" << 0x07;
        QTest::newRow("MotionSyncB") << Factory([] { return new MotionSyncB; }) << "MotionSync_2" << 0x07;
    }
    void switches()
    {
        QFETCH(Factory, make);
        QFETCH(QString, button);
        QFETCH(int, offset);
        OpenedDevice device;
        std::unique_ptr<QFrame> widget(make());
        auto* sw = dynamic_cast<SensorSwitch*>(widget.get());
        QVERIFY(sw);
        auto* toggle = widget->findChild<QToolButton*>(button);
        QVERIFY(toggle);

        // The device's byte 2 shows as on; showing writes nothing.
        recordByte(offset) = 2;
        sw->setChecked(true);
        QVERIFY(toggle->isChecked());
        QVERIFY(hidsim::callLog().isEmpty());

        const QByteArray before = device.record();
        toggle->click();
        const QByteArray off = device.withBytes(before, {{offset, 0}});
        toggle->click();
        const QByteArray on = device.withBytes(off, {{offset, 1}});
        QCOMPARE(device.recordsSent(), (Records{off, on}));

        deviceWriteEnabled = 0;
        toggle->click();
        QVERIFY(!toggle->isChecked());
        deviceWriteEnabled = 1;
        device.goOffline();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        toggle->click();
        QVERIFY(toggle->isChecked());
        QCOMPARE(device.record(), on);
        QCOMPARE(device.recordsSent().size(), 2);
        QCOMPARE(offline.count(), 1);
    }

    // The caption's colour is the three numbers joined by commas, then the
    // fixed tail.
    void switchCaptionSkin()
    {
        testsupport::useSkinConfig();
        StraightLineB line;
        ConfigSettings::resetForTests();
        QCOMPARE(child<QLabel>(&line, "label")->styleSheet(), QStringLiteral("QLabel{color: rgb(1,2,3;);}"));
        line.setCaptionText(QStringLiteral("Angle snapping"));
        line.setCaptionToolTip(QStringLiteral("tip"));
        QCOMPARE(child<QLabel>(&line, "label")->text(), QStringLiteral("Angle snapping"));
        QCOMPARE(child<QLabel>(&line, "label")->toolTip(), QStringLiteral("tip"));
    }

    // Every skin is one Qt can read: an unreadable sheet leaves its widget
    // without pictures or colours.
    void skinsParse()
    {
        static QStringList warnings;
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&,
                                                                    const QString& text) {
            if (type == QtWarningMsg)
                warnings << text;
        });
        const QList<Factory> widgets = {
            [] { return new SensorRate; },   [] { return new SensorRateB; },   [] { return new SensorLOD; },
            [] { return new SensorLODB; },   [] { return new SensorEffect; },  [] { return new SensorEffectB; },
            [] { return new RippeControl; }, [] { return new RippeControlB; }, [] { return new StraightLine; },
            [] { return new StraightLineB; }, [] { return new MotionSync; },   [] { return new MotionSyncB; },
            [] { return new DebounceTime; }, [] { return new DebouncetimeB; }, [] { return new DebouncetimeC; },
            [] { return new StopCloseTime; }, [] { return new StopCloseTimeB; }};
        for (const Factory& make : widgets) {
            std::unique_ptr<QFrame> widget(make());
            widget->show();
            for (QWidget* w : widget->findChildren<QWidget*>())
                w->ensurePolished();
        }
        qInstallMessageHandler(previous);
        QCOMPARE(warnings, QStringList());
    }

private:
    static uint8_t& recordByte(int offset) { return reinterpret_cast<uint8_t*>(&CurrentFlashData)[offset]; }
};

QUEMBREL_TEST_MAIN(SensorOptionsTest)
#include "tst_sensoroptions.moc"
