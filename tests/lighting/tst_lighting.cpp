// The lighting page and the light mode dialog offscreen: the light modes'
// layout and the colour editor they share, the page's record <-> widgets and
// its device writes against the simulated mouse, and the dialog's texts and
// close signal.
#include "support/dialogfixture.h"
#include "support/openeddevice.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "lighting/lamplight.h"
#include "lighting/lightcontrols.h"
#include "lighting/lightmodeset.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/stopclosetime.h"

#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <memory>

using testsupport::OpenedDevice;
using testsupport::child;
using testsupport::sendMouse;
using Records = QVector<QByteArray>;
using Bytes = QList<QPair<int, int>>;

namespace {

using Factory = std::function<QWidget*()>;
using Action = std::function<void(QWidget*)>;

const QList<QPair<const char*, Factory>> kScreens = {
    {"page", [] { return new LampLight; }},
    {"dialog", [] { return new LightModeSet; }},
};

const char* const kColourGroup[] = {"label_6",  "label_7",  "label_8",  "labelPreView", "label_10", "label_11",
                                    "label_12", "RSpinBox", "GSpinBox", "BSpinBox",     "AddR",     "AddG",
                                    "AddB",     "ReduceR",  "ReduceG",  "ReduceB",      "label_13"};

// 1 when every widget of the group is shown, 0 when every one is hidden, -1
// when they disagree.
int groupShown(QWidget* owner, const QStringList& names)
{
    int shown = -2;
    for (const QString& name : names) {
        QWidget* widget = owner->findChild<QWidget*>(name);
        if (!widget)
            continue;
        const int visible = widget->isVisibleTo(owner) ? 1 : 0;
        if (shown == -2)
            shown = visible;
        else if (shown != visible)
            return -1;
    }
    return shown;
}

// line, line_2, colour group, brightness group, speed group.
QVector<int> layoutOf(QWidget* owner)
{
    QStringList colour;
    for (const char* name : kColourGroup)
        colour << QLatin1String(name);
    for (const LightPreset& preset : kLightPresets)
        colour << QStringLiteral("toolButtonColor") + QLatin1Char(preset.letter);
    return {groupShown(owner, {QStringLiteral("line")}), groupShown(owner, {QStringLiteral("line_2")}),
            groupShown(owner, colour),
            groupShown(owner, {QStringLiteral("horizontalLight"), QStringLiteral("LightSpinBox_2")}),
            groupShown(owner, {QStringLiteral("horizontalSpeed"), QStringLiteral("SpeedSpinBox_2")})};
}

QVector<int> colourOf(QWidget* owner)
{
    return {child<QSpinBox>(owner, "RSpinBox")->value(), child<QSpinBox>(owner, "GSpinBox")->value(),
            child<QSpinBox>(owner, "BSpinBox")->value()};
}

void setColour(QWidget* owner, int r, int g, int b)
{
    child<QSpinBox>(owner, "RSpinBox")->setValue(r);
    child<QSpinBox>(owner, "GSpinBox")->setValue(g);
    child<QSpinBox>(owner, "BSpinBox")->setValue(b);
}

QString previewStyle(QWidget* owner)
{
    return child<QLabel>(owner, "labelPreView")->styleSheet();
}

// A press in the middle of a widget of the owner's form.
void pressOn(QWidget* owner, const char* name, QEvent::Type type = QEvent::MouseButtonPress)
{
    QWidget* target = child<QWidget>(owner, name);
    const QPoint at = target->mapTo(owner, target->rect().center());
    sendMouse(owner, type, at, Qt::LeftButton, Qt::LeftButton);
}

QImage filledImage(const QColor& colour)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

FlashDataMap flashWith(const Bytes& bytes)
{
    FlashDataMap data = CurrentFlashData;
    auto* raw = reinterpret_cast<unsigned char*>(&data);
    for (const auto& byte : bytes)
        raw[byte.first] = uchar(byte.second);
    return data;
}

// Starting values of the write tests: mode 2 on, brightness byte 4, speed 4,
// colour black, lights stay on while moving, 1 minute.
const Bytes kStartBytes = {{0x43, 2}, {0x49, 1}, {0x48, 4}, {0x47, 4}, {0x44, 0}, {0x45, 0},
                           {0x46, 0}, {0x0b, 0}, {0x08, 6}};

} // namespace

Q_DECLARE_METATYPE(Factory)
Q_DECLARE_METATYPE(Action)

class LightingTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        testsupport::fillLanguageTables(3);
    }

    void init()
    {
        setScreenGrab(nullptr);
        hidsim::resetToDefaultBus();
        deviceWriteEnabled = 1;
        sensorPageFilling = buttonPageFilling = lightPageFilling = 0;
        languageIndex = 0;
    }

    // ---- Shared: the light modes' layout -----------------------------------------

    void modeLayout_data()
    {
        QTest::addColumn<Factory>("make");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QVector<int>>("layout");
        // line, line_2, colour group, brightness, speed; index -1 (a mode the
        // combo lacks) keeps the layout of mode 2 chosen before it.
        const QList<QPair<int, QVector<int>>> table = {
            {0, {1, 1, 0, 0, 0}}, {1, {0, 0, 0, 1, 1}}, {2, {0, 0, 1, 1, 1}}, {3, {0, 1, 1, 1, 0}},
            {4, {0, 0, 0, 1, 1}}, {5, {0, 0, 0, 1, 1}}, {-1, {0, 0, 1, 1, 1}},
        };
        for (const auto& screen : kScreens)
            for (const auto& row : table)
                QTest::addRow("%s mode %d", screen.first, row.first) << screen.second << row.first << row.second;
    }
    void modeLayout()
    {
        QFETCH(Factory, make);
        QFETCH(int, mode);
        QFETCH(QVector<int>, layout);
        deviceWriteEnabled = 0;
        std::unique_ptr<QWidget> screen(make());
        // Built in the off layout.
        QCOMPARE(layoutOf(screen.get()), (QVector<int>{1, 1, 0, 0, 0}));
        auto* combo = child<QComboBox>(screen.get(), "LightMod");
        combo->setCurrentIndex(2);
        combo->setCurrentIndex(mode);
        QCOMPARE(layoutOf(screen.get()), layout);
        // The captions and the mode choice never go.
        for (const char* name : {"label", "LightMod", "label_2", "label_3"})
            QVERIFY2(child<QWidget>(screen.get(), name)->isVisibleTo(screen.get()), name);
    }

    // ---- Shared: the colour editor -------------------------------------------------

    void colourEditor_data()
    {
        QTest::addColumn<Factory>("make");
        for (const auto& screen : kScreens)
            QTest::newRow(screen.first) << screen.second;
    }
    void colourEditor()
    {
        QFETCH(Factory, make);
        deviceWriteEnabled = 0;
        std::unique_ptr<QWidget> screen(make());
        QWidget* owner = screen.get();
        QVERIFY(previewStyle(owner).contains(QStringLiteral("PreviewColor.png")));

        // Every preset sets its colour; the preview shows it.
        for (const LightPreset& preset : kLightPresets) {
            setColour(owner, 0, 0, 0);
            child<QToolButton>(owner, QByteArray("toolButtonColor") + preset.letter)->click();
            QCOMPARE(colourOf(owner), (QVector<int>{preset.red, preset.green, preset.blue}));
            QCOMPARE(previewStyle(owner), lightPreviewStyleSheet(preset.red, preset.green, preset.blue));
        }
        child<QToolButton>(owner, "toolButtonColorF")->click();
        QCOMPARE(previewStyle(owner),
                 QStringLiteral("QLabel{background-color: rgb(255,80,0);border: 2px solid  rgb(220,220,220);}"));

        // Steps move one channel by one, within 0..255.
        child<QToolButton>(owner, "AddG")->click();
        child<QToolButton>(owner, "ReduceR")->click();
        QCOMPARE(colourOf(owner), (QVector<int>{254, 81, 0}));
        child<QLabel>(owner, "labelPreView")->setStyleSheet(QString());
        child<QToolButton>(owner, "ReduceB")->click();
        setColour(owner, 254, 81, 255);
        child<QLabel>(owner, "labelPreView")->setStyleSheet(QString());
        child<QToolButton>(owner, "AddB")->click();
        QCOMPARE(colourOf(owner), (QVector<int>{254, 81, 255}));
        QCOMPARE(previewStyle(owner), QString()); // nothing changed, nothing redrawn
    }

    // Each colour button reaches its own slot once: the right colour, one
    // edit run per click and one colourEdited per channel that changes (a
    // button wired twice, or to another button's slot, shows here).
    void colourButtonsRunOnce_data()
    {
        QTest::addColumn<Factory>("make");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QVector<int>>("start");
        QTest::addColumn<QVector<int>>("colour");
        for (const auto& screen : kScreens) {
            for (const LightPreset& preset : kLightPresets)
                QTest::addRow("%s preset %c", screen.first, preset.letter)
                    << screen.second << QByteArray("toolButtonColor") + preset.letter << QVector<int>{0, 0, 0}
                    << QVector<int>{preset.red, preset.green, preset.blue};
            const QList<QPair<const char*, QVector<int>>> steps = {
                {"AddR", {101, 100, 100}},   {"AddG", {100, 101, 100}},   {"AddB", {100, 100, 101}},
                {"ReduceR", {99, 100, 100}}, {"ReduceG", {100, 99, 100}}, {"ReduceB", {100, 100, 99}},
            };
            for (const auto& step : steps)
                QTest::addRow("%s %s", screen.first, step.first)
                    << screen.second << QByteArray(step.first) << QVector<int>{100, 100, 100} << step.second;
        }
    }
    void colourButtonsRunOnce()
    {
        QFETCH(Factory, make);
        QFETCH(QByteArray, button);
        QFETCH(QVector<int>, start);
        QFETCH(QVector<int>, colour);
        deviceWriteEnabled = 0;
        std::unique_ptr<QWidget> screen(make());
        QWidget* owner = screen.get();
        setColour(owner, start[0], start[1], start[2]);
        auto* controls = owner->findChild<LightControls*>();
        QVERIFY(controls);
        int runs = 0;
        const std::function<bool()> previous = controls->mayEditColour;
        controls->mayEditColour = [&] {
            ++runs;
            return !previous || previous();
        };
        QSignalSpy edited(controls, &LightControls::colourEdited);

        child<QToolButton>(owner, button.constData())->click();
        QCOMPARE(colourOf(owner), colour);
        QCOMPARE(runs, 1);
        int changed = 0;
        for (int channel = 0; channel < 3; ++channel)
            changed += start[channel] != colour[channel] ? 1 : 0;
        QCOMPARE(edited.count(), changed);
        QCOMPARE(previewStyle(owner), lightPreviewStyleSheet(colour[0], colour[1], colour[2]));
    }

    // The screen grab: a good one sets the colour, a failed one changes nothing.
    void picker_data()
    {
        QTest::addColumn<Factory>("make");
        QTest::addColumn<QImage>("grab");
        QTest::addColumn<int>("pressType");
        QTest::addColumn<bool>("picks");
        for (const auto& screen : kScreens) {
            QTest::addRow("%s good grab", screen.first)
                << screen.second << filledImage(QColor(12, 34, 56)) << int(QEvent::MouseButtonPress) << true;
            QTest::addRow("%s null image", screen.first)
                << screen.second << QImage() << int(QEvent::MouseButtonPress) << false;
            QTest::addRow("%s empty image", screen.first)
                << screen.second << QImage(0, 0, QImage::Format_RGB32) << int(QEvent::MouseButtonPress) << false;
        }
        for (const auto& screen : kScreens)
            QTest::addRow("%s double click", screen.first)
                << screen.second << filledImage(QColor(12, 34, 56)) << int(QEvent::MouseButtonDblClick) << false;
    }
    void picker()
    {
        QFETCH(Factory, make);
        QFETCH(QImage, grab);
        QFETCH(int, pressType);
        QFETCH(bool, picks);
        deviceWriteEnabled = 0;
        std::unique_ptr<QWidget> screen(make());
        QWidget* owner = screen.get();
        child<QComboBox>(owner, "LightMod")->setCurrentIndex(2);
        setColour(owner, 1, 2, 3);
        const QString preview = previewStyle(owner);
        QList<QPoint> grabbedAt;
        setScreenGrab([&](const QPoint& at) {
            grabbedAt << at;
            return grab;
        });

        pressOn(owner, "label_7", QEvent::Type(pressType));
        if (pressType == QEvent::MouseButtonPress)
            QCOMPARE(grabbedAt, QList<QPoint>{QCursor::pos()});
        else
            QVERIFY(grabbedAt.isEmpty());
        if (picks) {
            QCOMPARE(colourOf(owner), (QVector<int>{12, 34, 56}));
            QCOMPARE(previewStyle(owner), lightPreviewStyleSheet(12, 34, 56));
        } else {
            QCOMPARE(colourOf(owner), (QVector<int>{1, 2, 3}));
            QCOMPARE(previewStyle(owner), preview);
        }

        // A press beside the colour board grabs nothing.
        grabbedAt.clear();
        pressOn(owner, "label_6");
        QVERIFY(grabbedAt.isEmpty());
    }

    // Only a board the mode shows picks: elsewhere its place is empty page,
    // where a click grabs nothing, writes nothing and raises no notice.
    void pickerOnlyOnTheShownBoard_data()
    {
        QTest::addColumn<Factory>("make");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("shown");
        for (const auto& screen : kScreens)
            for (int mode = 0; mode < kLightModeCount; ++mode)
                QTest::addRow("%s mode %d", screen.first, mode) << screen.second << mode << (mode == 2 || mode == 3);
    }
    void pickerOnlyOnTheShownBoard()
    {
        QFETCH(Factory, make);
        QFETCH(int, mode);
        QFETCH(bool, shown);
        deviceWriteEnabled = 0;
        std::unique_ptr<QWidget> screen(make());
        QWidget* owner = screen.get();
        child<QComboBox>(owner, "LightMod")->setCurrentIndex(mode);
        setColour(owner, 10, 20, 30);
        int grabs = 0;
        setScreenGrab([&](const QPoint&) {
            ++grabs;
            return filledImage(QColor(30, 30, 30));
        });

        pressOn(owner, "label_7");
        QCOMPARE(grabs, shown ? 1 : 0);
        QCOMPARE(colourOf(owner), (shown ? QVector<int>{30, 30, 30} : QVector<int>{10, 20, 30}));

        // The page with writes on and no device: the shown board's pick is
        // refused with the offline notice, the hidden one's place stays quiet.
        if (!qobject_cast<LampLight*>(owner))
            return;
        deviceWriteEnabled = 1;
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        pressOn(owner, "label_7");
        QCOMPARE(offline.count(), shown ? 1 : 0);
        QCOMPARE(grabs, shown ? 1 : 0);
    }

    // The grab the program uses reads what the screen shows.
    void screenGrab()
    {
        QWidget swatch;
        swatch.setStyleSheet(QStringLiteral("background: rgb(12,200,56);"));
        swatch.setGeometry(100, 100, 50, 50);
        swatch.show();
        QVERIFY(QTest::qWaitForWindowExposed(&swatch));
        const QPoint centre = swatch.mapToGlobal(QPoint(25, 25));
        QTRY_COMPARE(screenColourAt(centre).value_or(Qt::transparent), QColor(12, 200, 56));
    }

    // ---- The page: record <-> widgets --------------------------------------------

    void pageFill_data()
    {
        QTest::addColumn<bool>("imported");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QVector<int>>("colour");
        QTest::addColumn<bool>("movingOff");
        QTest::addColumn<int>("idle");
        QTest::addColumn<QVector<int>>("layout");
        for (bool imported : {false, true}) {
            const char* slot = imported ? "import" : "device";
            QTest::addRow("%s: mode 2 on, brightest, slowest", slot)
                << imported
                << Bytes{{0x43, 2}, {0x49, 1}, {0x48, 9}, {0x47, 0}, {0x44, 10}, {0x45, 20}, {0x46, 30},
                         {0x0b, 1}, {0x08, 6}}
                << 2 << 10 << 1 << QVector<int>{10, 20, 30} << true << 2 << QVector<int>{0, 0, 1, 1, 1};
            QTest::addRow("%s: light off keeps mode 4", slot)
                << imported
                << Bytes{{0x43, 4}, {0x49, 0}, {0x48, 0}, {0x47, 9}, {0x44, 255}, {0x45, 0}, {0x46, 255},
                         {0x0b, 0}, {0x08, 240}}
                << 0 << 1 << 10 << QVector<int>{255, 0, 255} << false << 10 << QVector<int>{1, 1, 0, 0, 0};
            QTest::addRow("%s: mode 3, 10 seconds", slot)
                << imported
                << Bytes{{0x43, 3}, {0x49, 1}, {0x48, 4}, {0x47, 5}, {0x44, 1}, {0x45, 2}, {0x46, 3},
                         {0x0b, 1}, {0x08, 1}}
                << 3 << 5 << 6 << QVector<int>{1, 2, 3} << true << 0 << QVector<int>{0, 1, 1, 1, 0};
            // A mode the combo lacks shows no item and keeps the layout; an
            // idle byte outside the table keeps the idle time.
            QTest::addRow("%s: mode 7, idle byte 7", slot)
                << imported
                << Bytes{{0x43, 7}, {0x49, 1}, {0x48, 2}, {0x47, 2}, {0x44, 0}, {0x45, 0}, {0x46, 0},
                         {0x0b, 0}, {0x08, 7}}
                << -1 << 3 << 3 << QVector<int>{0, 0, 0} << false << 3 << QVector<int>{0, 1, 1, 1, 0};
        }
    }
    void pageFill()
    {
        QFETCH(bool, imported);
        QFETCH(Bytes, bytes);
        QFETCH(int, mode);
        QFETCH(int, brightness);
        QFETCH(int, speed);
        QFETCH(QVector<int>, colour);
        QFETCH(bool, movingOff);
        QFETCH(int, idle);
        QFETCH(QVector<int>, layout);
        OpenedDevice device;
        LampLight page;
        // What the page showed before: mode 3, 5 minutes, sliders the other way.
        const FlashDataMap earlier = flashWith({{0x43, 3}, {0x49, 1}, {0x08, 30}});
        if (imported)
            page.SlotUpDataLightUILight(earlier);
        else
            page.SlotUpDataLightUIA(earlier);

        const FlashDataMap data = flashWith(bytes);
        if (imported)
            page.SlotUpDataLightUIA(data);
        else
            page.SlotUpDataLightUILight(data);

        QCOMPARE(child<QComboBox>(&page, "LightMod")->currentIndex(), mode);
        QCOMPARE(child<QSlider>(&page, "horizontalLight")->value(), brightness);
        QCOMPARE(child<QSpinBox>(&page, "LightSpinBox_2")->value(), brightness);
        QCOMPARE(child<QSlider>(&page, "horizontalSpeed")->value(), speed);
        QCOMPARE(child<QSpinBox>(&page, "SpeedSpinBox_2")->value(), speed);
        QCOMPARE(colourOf(&page), colour);
        QCOMPARE(previewStyle(&page), lightPreviewStyleSheet(colour[0], colour[1], colour[2]));
        QCOMPARE(child<QToolButton>(&page, "RippeControl")->isChecked(), movingOff);
        QCOMPARE(child<QComboBox>(&page, "StopClose")->currentIndex(), idle);
        QCOMPARE(layoutOf(&page), layout);
        QCOMPARE(child<QSlider>(&page, "horizontalLight")->isEnabled(), !imported);
        QCOMPARE(child<QSlider>(&page, "horizontalSpeed")->isEnabled(), !imported);
        QCOMPARE(lightPageFilling, uint8_t(0));
        QVERIFY(device.recordsSent().isEmpty());
    }

    void pageIdleTimes()
    {
        OpenedDevice device;
        LampLight page;
        for (int index = 0; index < 11; ++index) {
            page.SlotUpDataLightUILight(flashWith({{0x08, kSleepTimeValues[index]}}));
            QCOMPARE(child<QComboBox>(&page, "StopClose")->currentIndex(), index);
        }
        QVERIFY(device.recordsSent().isEmpty());
    }

    // The factory-default view: shown, never sent; the colour stays.
    void pageReset()
    {
        OpenedDevice device;
        LampLight page;
        page.SlotUpDataLightUIA(flashWith({{0x43, 3}, {0x49, 1}, {0x48, 1}, {0x47, 1}, {0x44, 7}, {0x45, 8},
                                           {0x46, 9}, {0x0b, 0}, {0x08, 240}}));
        device.clearSent();

        page.SlotFormResetLight();
        QCOMPARE(child<QComboBox>(&page, "LightMod")->currentIndex(), 1);
        QCOMPARE(layoutOf(&page), (QVector<int>{0, 0, 0, 1, 1}));
        QCOMPARE(child<QSlider>(&page, "horizontalLight")->value(), 10);
        QCOMPARE(child<QSpinBox>(&page, "LightSpinBox_2")->value(), 10);
        QCOMPARE(child<QSlider>(&page, "horizontalSpeed")->value(), 8);
        QCOMPARE(child<QSpinBox>(&page, "SpeedSpinBox_2")->value(), 8);
        QVERIFY(child<QToolButton>(&page, "RippeControl")->isChecked());
        QCOMPARE(child<QComboBox>(&page, "StopClose")->currentIndex(), 2);
        QCOMPARE(colourOf(&page), (QVector<int>{7, 8, 9}));
        QVERIFY(!child<QSlider>(&page, "horizontalLight")->isEnabled()); // as the import left them
        QCOMPARE(lightPageFilling, uint8_t(0));
        QVERIFY(device.recordsSent().isEmpty());
    }

    // Constructing, filling, resetting and re-texting the page send nothing,
    // with the device online and writes enabled.
    void pageWritesNothingOnItsOwn()
    {
        OpenedDevice device;
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        LampLight page;
        page.SlotUpDataLightUILight(flashWith({{0x43, 5}, {0x49, 1}}));
        page.SlotUpDataLightUIA(flashWith({{0x43, 2}, {0x49, 1}, {0x44, 9}}));
        page.SlotFormResetLight();
        PostMsg::GetInstance()->PostAllLanguage(2);
        LightModeSet dialog;
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(offline.count(), 0);
    }

    void pageTexts()
    {
        LampLight page;
        PostMsg::GetInstance()->PostAllLanguage(2);
        const auto text = [](int item) { return testsupport::tableText(QStringLiteral("Light"), 2, item); };
        const QList<QPair<const char*, int>> labels = {
            {"label", 0},     {"label_2", 8},   {"label_3", 9},   {"label_4", 10},  {"label_5", 11},
            {"label_6", 23},  {"label_8", 24},  {"label_13", 25}, {"label_11", 26}, {"label_10", 27},
            {"label_12", 28},
        };
        for (const auto& label : labels)
            QCOMPARE(child<QLabel>(&page, label.first)->text(), text(label.second));
        auto* mode = child<QComboBox>(&page, "LightMod");
        QCOMPARE(mode->count(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(mode->itemText(i), text(1 + i));
        auto* idle = child<QComboBox>(&page, "StopClose");
        for (int i = 0; i < 11; ++i)
            QCOMPARE(idle->itemText(i), text(12 + i));
    }

    // ---- The page: one user change, one device write -------------------------------

    void pageWrites_data()
    {
        QTest::addColumn<Action>("act");
        QTest::addColumn<QList<Bytes>>("writes");
        const auto combo = [](int index) {
            return Action([index](QWidget* page) { child<QComboBox>(page, "LightMod")->setCurrentIndex(index); });
        };
        const auto click = [](const char* name) {
            return Action([name](QWidget* page) { child<QToolButton>(page, name)->click(); });
        };
        QTest::newRow("mode 3") << combo(3) << QList<Bytes>{{{0x43, 3}, {0x49, 1}}};
        QTest::newRow("mode 0 keeps the mode byte") << combo(0) << QList<Bytes>{{{0x49, 0}}};
        QTest::newRow("mode 5") << combo(5) << QList<Bytes>{{{0x43, 5}, {0x49, 1}}};
        QTest::newRow("brightness")
            << Action([](QWidget* page) { testsupport::dragSlider(child<QSlider>(page, "horizontalLight"), 10); })
            << QList<Bytes>{{{0x48, 9}}};
        QTest::newRow("speed")
            << Action([](QWidget* page) { testsupport::dragSlider(child<QSlider>(page, "horizontalSpeed"), 1); })
            << QList<Bytes>{{{0x47, 0}}};
        QTest::newRow("lights off while moving") << click("RippeControl") << QList<Bytes>{{{0x0b, 1}}};
        QTest::newRow("red box")
            << Action([](QWidget* page) { child<QSpinBox>(page, "RSpinBox")->setValue(100); })
            << QList<Bytes>{{{0x44, 100}}};
        QTest::newRow("AddG") << click("AddG") << QList<Bytes>{{{0x45, 1}}};
        QTest::newRow("ReduceB at 0") << click("ReduceB") << QList<Bytes>{};
        QTest::newRow("preset C: one write") << click("toolButtonColorC") << QList<Bytes>{{{0x45, 255}}};
        QTest::newRow("preset F: two writes")
            << click("toolButtonColorF") << QList<Bytes>{{{0x44, 255}}, {{0x44, 255}, {0x45, 80}}};
        QTest::newRow("preset K: three writes")
            << click("toolButtonColorK")
            << QList<Bytes>{{{0x44, 255}}, {{0x44, 255}, {0x45, 255}}, {{0x44, 255}, {0x45, 255}, {0x46, 255}}};
        QTest::newRow("idle time")
            << Action([](QWidget* page) {
                   auto* idle = child<QComboBox>(page, "StopClose");
                   idle->setCurrentIndex(4);
                   QVERIFY(QMetaObject::invokeMethod(idle, "activated", Q_ARG(int, 4)));
               })
            << QList<Bytes>{{{0x08, 60}}};
        QTest::newRow("picker")
            << Action([](QWidget* page) {
                   setScreenGrab([](const QPoint&) { return filledImage(QColor(0, 0, 7)); });
                   pressOn(page, "label_7");
               })
            << QList<Bytes>{{{0x46, 7}}};
        QTest::newRow("picker on the same colour")
            << Action([](QWidget* page) {
                   setScreenGrab([](const QPoint&) { return filledImage(Qt::black); });
                   pressOn(page, "label_7");
               })
            << QList<Bytes>{};
    }
    void pageWrites()
    {
        QFETCH(Action, act);
        QFETCH(QList<Bytes>, writes);
        OpenedDevice device;
        const FlashDataMap start = flashWith(kStartBytes);
        CurrentFlashData = start;
        LampLight page;
        page.SlotUpDataLightUILight(start);
        device.clearSent();
        const QByteArray before = device.record();

        act(&page);
        Records expected;
        for (const Bytes& write : writes) {
            QByteArray record = before;
            for (const auto& byte : write)
                record[byte.first] = char(byte.second);
            expected << record;
        }
        QCOMPARE(device.recordsSent(), expected);
    }

    // A record the online mouse refuses: the page shows the device's values
    // again (the preset buttons only toggle their own check), no notice.
    void pageRefusedWritesShowTheDevice_data() { pageWrites_data(); }
    void pageRefusedWritesShowTheDevice()
    {
        QFETCH(Action, act);
        OpenedDevice device;
        CurrentFlashData = flashWith(kStartBytes);
        const QByteArray start = device.record();
        QVERIFY(hidsim::setStoredRecord("q3", start));
        LampLight page;
        page.SlotUpDataLightUILight(CurrentFlashData);
        auto shown = [&page] {
            QStringList state;
            for (QComboBox* combo : page.findChildren<QComboBox*>())
                state << combo->objectName() + QString::number(combo->currentIndex());
            for (QSlider* slider : page.findChildren<QSlider*>())
                state << slider->objectName() + QString::number(slider->value());
            for (QSpinBox* box : page.findChildren<QSpinBox*>())
                state << box->objectName() + QString::number(box->value());
            for (QAbstractButton* button : page.findChildren<QAbstractButton*>())
                if (!button->objectName().startsWith("toolButtonColor"))
                    state << button->objectName() + QString::number(button->isChecked());
            return state << previewStyle(&page) << QString::number(layoutOf(&page).value(2));
        };
        const QStringList before = shown();
        device.clearSent();
        hidsim::setRecordsRefused(true);
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));

        act(&page);

        QCOMPARE(hidsim::recordsTaken(), 0);
        QCOMPARE(device.record(), start);
        QCOMPARE(hidsim::storedRecord("q3"), start);
        QCOMPARE(offline.count(), 0);
        QCOMPARE(shown(), before);
        hidsim::setRecordsRefused(false);
    }

    void pageSliderDrag()
    {
        OpenedDevice device;
        CurrentFlashData = flashWith(kStartBytes);
        LampLight page;
        page.SlotUpDataLightUILight(CurrentFlashData);
        device.clearSent();
        const QByteArray before = device.record();
        auto* slider = child<QSlider>(&page, "horizontalSpeed");
        slider->setSliderDown(true);
        for (int position : {7, 3, 2}) {
            slider->setSliderPosition(position);
            QCOMPARE(child<QSpinBox>(&page, "SpeedSpinBox_2")->value(), position);
        }
        QVERIFY(device.recordsSent().isEmpty());
        slider->setSliderDown(false);
        QCOMPARE(device.recordsSent(), Records{device.withBytes(before, {{0x47, 1}})});
    }

    // Offline: a colour action is refused with the notice and changes nothing;
    // other controls change the page and the setter raises the notice.
    void pageOffline()
    {
        OpenedDevice device;
        CurrentFlashData = flashWith(kStartBytes);
        LampLight page;
        page.SlotUpDataLightUILight(CurrentFlashData);
        device.goOffline();
        device.clearSent();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        QList<QPoint> grabbedAt;
        setScreenGrab([&](const QPoint& at) {
            grabbedAt << at;
            return filledImage(Qt::red);
        });

        child<QToolButton>(&page, "AddR")->click();
        child<QToolButton>(&page, "ReduceG")->click();
        child<QToolButton>(&page, "toolButtonColorA")->click();
        pressOn(&page, "label_7");
        QCOMPARE(colourOf(&page), (QVector<int>{0, 0, 0}));
        QVERIFY(grabbedAt.isEmpty());
        QCOMPARE(offline.count(), 4);
        QCOMPARE(offline.first().first().toInt(), 0);

        child<QComboBox>(&page, "LightMod")->setCurrentIndex(4);
        QCOMPARE(child<QComboBox>(&page, "LightMod")->currentIndex(), 4);
        QCOMPARE(offline.count(), 5);
        QVERIFY(device.recordsSent().isEmpty());

        // With writes off every action only changes the page.
        deviceWriteEnabled = 0;
        child<QToolButton>(&page, "toolButtonColorA")->click();
        child<QComboBox>(&page, "LightMod")->setCurrentIndex(2);
        QCOMPARE(colourOf(&page), (QVector<int>{255, 0, 0}));
        QCOMPARE(offline.count(), 5);
        QVERIFY(device.recordsSent().isEmpty());
    }

    // ---- The dialog ---------------------------------------------------------------

    // The dialog's slider handles have margins of their own; the page keeps the
    // shared skin's.
    void sliderHandleMargins()
    {
        LightModeSet dialog;
        LampLight page;
        for (const char* name : {"horizontalLight", "horizontalSpeed"}) {
            const QString dialogSkin = child<QSlider>(&dialog, name)->styleSheet();
            QVERIFY2(dialogSkin.contains("margin-top: -9px;margin-left: -1px; margin-bottom: -9px;margin-right: -1px;"),
                     qPrintable(dialogSkin));
            QVERIFY(dialogSkin.contains("Slider.png"));
            const QString pageSkin = child<QSlider>(&page, name)->styleSheet();
            QVERIFY(pageSkin.contains("margin-left: 0px; margin-bottom: -9px;margin-right: 0px;"));
        }
    }

    void dialogTexts()
    {
        LightModeSet dialog;
        PostMsg::GetInstance()->PostAllLanguage(1);
        const auto text = [](int item) { return testsupport::tableText(QStringLiteral("ScreenInfo"), 1, item); };
        const QList<QPair<const char*, int>> labels = {
            {"label", 5},     {"label_2", 13},  {"label_3", 14},  {"label_6", 15},
            {"label_8", 16},  {"label_13", 17}, {"label_11", 18}, {"label_10", 19}, {"label_12", 20},
        };
        for (const auto& label : labels)
            QCOMPARE(child<QLabel>(&dialog, label.first)->text(), text(label.second));
        auto* mode = child<QComboBox>(&dialog, "LightMod");
        for (int i = 0; i < 6; ++i)
            QCOMPARE(mode->itemText(i), text(6 + i));
    }

    // With the installed language files: each language's own texts, none of
    // the form's defaults left.
    void dialogLanguages_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("breathing");
        QTest::addColumn<QString>("preview");
        QTest::newRow("English") << 0 << "Light mode" << "Single-color breathing" << "Preview";
        QTest::newRow("Czech") << 1 << QString::fromUtf8("Režim osvětlení") << QString::fromUtf8("Jednobarevné dýchání")
                               << QString::fromUtf8("Náhled");
        QTest::newRow("Slovak") << 2 << QString::fromUtf8("Režim osvetlenia")
                                << QString::fromUtf8("Jednofarebné dýchanie") << QString::fromUtf8("Náhľad");
    }
    void dialogLanguages()
    {
        QFETCH(int, language);
        QFETCH(QString, caption);
        QFETCH(QString, breathing);
        QFETCH(QString, preview);
        clearLanguageTables();
        LanguageLoader().loadLanguageFiles(installDir() + QStringLiteral("/Language"));
        languageIndex = language;
        LightModeSet dialog;
        QCOMPARE(child<QLabel>(&dialog, "label")->text(), caption);
        QCOMPARE(child<QComboBox>(&dialog, "LightMod")->itemText(2), breathing);
        QCOMPARE(child<QLabel>(&dialog, "label_8")->text(), preview);
        const auto cjk = [](const QString& text) {
            return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x2E80; });
        };
        for (QLabel* label : dialog.findChildren<QLabel*>())
            QVERIFY2(!cjk(label->text()), qPrintable(label->objectName()));
        auto* mode = child<QComboBox>(&dialog, "LightMod");
        for (int i = 0; i < mode->count(); ++i)
            QVERIFY2(!cjk(mode->itemText(i)) && !mode->itemText(i).isEmpty(), qPrintable(mode->itemText(i)));
        testsupport::fillLanguageTables(3);
    }

    void dialogClose()
    {
        OpenedDevice device;
        LightModeSet dialog;
        dialog.show();
        QVERIFY(dialog.isVisible());
        QSignalSpy check(PostMsg::GetInstance(), SIGNAL(SigButtonCheck()));
        child<QToolButton>(&dialog, "CloseButton")->click();
        QCOMPARE(check.count(), 1);
        QVERIFY(!dialog.isVisible());
        QVERIFY(hidsim::callLog().isEmpty());
    }

    void dialogFocus()
    {
        LightModeSet dialog;
        child<QComboBox>(&dialog, "LightMod")->setCurrentIndex(2);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* red = child<QSpinBox>(&dialog, "RSpinBox");
        red->setFocus();
        QVERIFY(red->hasFocus());
        pressOn(&dialog, "RSpinBox");
        QVERIFY(red->hasFocus());
        pressOn(&dialog, "label_13");
        QVERIFY(!red->hasFocus());
        QVERIFY(dialog.hasFocus());
    }
};

QUEMBREL_TEST_MAIN(LightingTest)
#include "tst_lighting.moc"
