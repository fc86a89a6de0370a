#include "support/modalanswer.h"
#include "support/openeddevice.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/debouncetime.h"
#include "sensor/stopclosetime.h"

#include <QComboBox>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <memory>

// The debounce and sleep-time selectors offscreen against the simulated
// mouse: the byte a user's choice writes, the short-debounce notice, and the
// fills that write nothing.

using testsupport::ModalAnswer;
using testsupport::OpenedDevice;
using testsupport::child;
using testsupport::dragSlider;
using Records = QVector<QByteArray>;

namespace {

constexpr int kDebounce = 0x06;
constexpr int kSleep = 0x08;

} // namespace

class TimeSelectorsTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        deviceWriteEnabled = 1;
        sensorPageFilling = buttonPageFilling = lightPageFilling = 0;
    }

    // ---- Debounce -------------------------------------------------------------

    void debounceChoice_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("notice");
        for (int index : {0, 3, 7, 8, 12, 15})
            QTest::addRow("entry %d", index) << index << (index <= 7);
    }
    void debounceChoice()
    {
        QFETCH(int, index);
        QFETCH(bool, notice);
        OpenedDevice device;
        DebounceTime debounce;
        debounce.setCurrentIndex(index == 4 ? 5 : 4);
        const QByteArray before = device.record();
        QPoint noticeAt;
        ModalAnswer answer(testsupport::inspectThen([&](QDialog* d) { noticeAt = d->pos(); },
                                                    testsupport::clickButton(QStringLiteral("NewHong"))));

        child<QComboBox>(&debounce, "Debunce")->setCurrentIndex(index);

        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kDebounce, index}})});
        QCOMPARE(answer.answered(), notice ? QStringList{"LessThree"} : QStringList());
        // Centred on the selector, then moved by (-409, -202); halves truncate.
        if (notice)
            QCOMPARE(noticeAt, debounce.mapToGlobal(QPoint(0, 0))
                                   + QPoint((164 - 300) / 2 - 409, (37 - 140) / 2 - 202));
    }

    // A fill only shows the device's byte: nothing is written and no notice
    // shown, even for a byte outside the list, which then shows no entry.
    void debounceFillWritesNothing()
    {
        OpenedDevice device;
        DebounceTime debounce;
        auto* list = child<QComboBox>(&debounce, "Debunce");
        ModalAnswer answer(testsupport::clickButton(QStringLiteral("NewHong")));
        debounce.setCurrentIndex(2);
        QCOMPARE(list->currentIndex(), 2);
        debounce.setCurrentIndex(200);
        QCOMPARE(list->currentIndex(), -1);
        buttonPageFilling = 1;
        debounce.setCurrentIndex(4);
        list->setCurrentIndex(1);
        buttonPageFilling = 0;
        QVERIFY(hidsim::callLog().isEmpty());
        QCOMPARE(answer.answeredCount(), 0);
    }

    void debounceRefusedChoices()
    {
        OpenedDevice device;
        DebounceTime debounce;
        auto* list = child<QComboBox>(&debounce, "Debunce");
        ModalAnswer answer(testsupport::clickButton(QStringLiteral("NewHong")));
        // The current entry again: no change, nothing written.
        list->setCurrentIndex(list->currentIndex());
        deviceWriteEnabled = 0;
        list->setCurrentIndex(5);
        QVERIFY(hidsim::callLog().isEmpty());
        QCOMPARE(answer.answeredCount(), 0);

        // Offline: the entry stays, the device keeps its byte, both notices.
        deviceWriteEnabled = 1;
        device.goOffline();
        const QByteArray before = device.record();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        list->setCurrentIndex(1);
        QCOMPARE(list->currentIndex(), 1);
        QCOMPARE(device.record(), before);
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(offline.count(), 1);
        QCOMPARE(answer.answered(), QStringList{"LessThree"});
    }

    void debounceEntryTexts()
    {
        DebounceTime debounce;
        auto* list = child<QComboBox>(&debounce, "Debunce");
        QCOMPARE(list->count(), 16);
        QCOMPARE(list->itemText(0), QStringLiteral("1ms"));
        debounce.setItemSuffix(12, QStringLiteral(" ms"));
        QCOMPARE(list->itemText(12), QStringLiteral("12 ms"));
        debounce.setItemSuffix(16, QStringLiteral(" ms"));
        QCOMPARE(list->count(), 16);
    }

    void debounceSlider()
    {
        OpenedDevice device;
        DebouncetimeB debounce;
        auto* slider = child<QSlider>(&debounce, "Debunce");
        auto* number = child<QSpinBox>(&debounce, "spinBoxA");
        debounce.setValueSilent(9);
        QCOMPARE(number->value(), 9);
        QVERIFY(hidsim::callLog().isEmpty());

        const QByteArray before = device.record();
        slider->setSliderDown(true);
        slider->setSliderPosition(14);
        QCOMPARE(number->value(), 14);
        QVERIFY(device.recordsSent().isEmpty());
        slider->setSliderDown(false);
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kDebounce, 14}})});
    }

    void debounceSteps_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("add");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("written");  // -1: nothing written
        QTest::newRow("add from 5") << 5 << true << 6 << 6;
        QTest::newRow("add at 20") << 20 << true << 20 << -1;
        QTest::newRow("reduce from 5") << 5 << false << 4 << 4;
        QTest::newRow("reduce at 1") << 1 << false << 1 << -1;
        QTest::newRow("reduce at 0") << 0 << false << 0 << 0;
    }
    void debounceSteps()
    {
        QFETCH(int, start);
        QFETCH(bool, add);
        QFETCH(int, shown);
        QFETCH(int, written);
        OpenedDevice device;
        DebouncetimeC debounce;
        debounce.setValue(start);
        QVERIFY(hidsim::callLog().isEmpty());
        const QByteArray before = device.record();

        child<QToolButton>(&debounce, add ? "AddLevelA" : "ReduceLevelA")->click();

        QCOMPARE(child<QSpinBox>(&debounce, "spinBoxA")->value(), shown);
        QCOMPARE(device.recordsSent(),
                 written < 0 ? Records() : Records{device.withBytes(before, {{kDebounce, written}})});
    }

    // ---- Sleep time -----------------------------------------------------------

    void sleepChoice_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        const int values[] = {1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240};
        for (int i = 0; i < 11; ++i)
            QTest::addRow("entry %d", i) << i << values[i];
    }
    void sleepChoice()
    {
        QFETCH(int, index);
        QFETCH(int, value);
        OpenedDevice device;
        StopCloseTime sleep;
        auto* list = child<QComboBox>(&sleep, "StopClose");
        sleep.setCurrentIndexSilent(index);
        QCOMPARE(list->currentIndex(), index);
        QVERIFY(hidsim::callLog().isEmpty());
        const QByteArray before = device.record();

        // The user picks the current entry: it is written all the same.
        emit list->activated(index);
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kSleep, value}})});
    }

    void sleepRefusedChoices()
    {
        OpenedDevice device;
        StopCloseTime sleep;
        auto* list = child<QComboBox>(&sleep, "StopClose");
        buttonPageFilling = 1;
        emit list->activated(3);
        buttonPageFilling = 0;
        deviceWriteEnabled = 0;
        emit list->activated(3);
        QVERIFY(hidsim::callLog().isEmpty());

        deviceWriteEnabled = 1;
        device.goOffline();
        const QByteArray before = device.record();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        list->setCurrentIndex(4);
        emit list->activated(4);
        QCOMPARE(list->currentIndex(), 4);
        QCOMPARE(device.record(), before);
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(offline.count(), 1);
    }

    // Number and unit of each position of the slider layout.
    void sleepSliderShows_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("10 seconds") << 0 << "10 s";
        QTest::newRow("30 seconds") << 1 << "30 s";
        QTest::newRow("1 minute") << 2 << "1 min";
        QTest::newRow("40 minutes") << 10 << "40 min";
    }
    void sleepSliderShows()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        OpenedDevice device;
        StopCloseTimeB sleep;
        sleep.setItemText(0, QStringLiteral("10 s"));
        sleep.setItemText(5, QStringLiteral("15 min"));
        sleep.setItemText(3, QStringLiteral("ignored"));
        sleep.setCurrentIndexSilent(index);
        QCOMPARE(child<QSpinBox>(&sleep, "spinBoxA")->text(), text);
        QVERIFY(hidsim::callLog().isEmpty());
    }

    void sleepSliderWritesOnRelease()
    {
        OpenedDevice device;
        StopCloseTimeB sleep;
        auto* slider = child<QSlider>(&sleep, "StopClose");
        auto* number = child<QSpinBox>(&sleep, "spinBoxA");
        const QByteArray before = device.record();
        slider->setSliderDown(true);
        slider->setSliderPosition(2);
        QCOMPARE(number->value(), 30);
        slider->setSliderPosition(3);
        QCOMPARE(number->value(), 1);
        QVERIFY(device.recordsSent().isEmpty());
        slider->setSliderDown(false);
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{kSleep, 6}})});

        lightPageFilling = 1;
        dragSlider(slider, 11);
        lightPageFilling = 0;
        QCOMPARE(number->value(), 40);
        QCOMPARE(device.recordsSent().size(), 1);
    }
};

QUEMBREL_TEST_MAIN(TimeSelectorsTest)
#include "tst_timeselectors.moc"
