// The button page: its form and skin, the model it fills from a record, the
// captions of every assignment in each language, key names and the DPI lock
// conversion. Fills, resets and language changes never write to the device.
#include "support/buttonfixture.h"
#include "support/devicefixture.h"
#include "support/openeddevice.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "buttons/buttoninterface.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "core/worker.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "sensor/sensordefinitions.h"
#include "widgets/dialogframe.h"
#include "widgets/macroname.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QToolButton>

#include <cstring>

using testsupport::OpenedDevice;
using testsupport::child;
using testsupport::buttonCaption;
using testsupport::kButtonRows;
using testsupport::styleSheetPictures;

using testsupport::recordOf;

namespace {

QString pageText(int language, int item)
{
    return ButtoninterfaceTexts.text(language, item);
}

// A key block pressing the keys in order and releasing them in reverse.
QByteArray keyBlock(const QVector<QPair<int, int>>& keys, int count = -1)
{
    KeyBlock block;
    std::memset(&block, 0, sizeof block);
    const int n = keys.size();
    block.count = uint8_t(count >= 0 ? count : 2 * n);
    for (int i = 0; i < n && i < 3; ++i) {
        for (DeviceEvent* event : {&block.events[i], &block.events[2 * n - 1 - i]}) {
            event->kind = uint8_t(keys.at(i).first);
            event->setCode(uint16_t(keys.at(i).second));
            event->setDelay(10);
        }
        block.events[2 * n - 1 - i].action = 1;
    }
    return QByteArray(reinterpret_cast<const char*>(&block), sizeof block);
}

FlashDataMap zeroRecord()
{
    FlashDataMap record;
    std::memset(&record, 0, sizeof record);
    return record;
}

SensorDefineTable definesOf(const QVector<QPair<QString, int>>& defines)
{
    SensorDefineTable table;
    for (const auto& define : defines)
        table.append(define.first, define.second);
    return table;
}

} // namespace

Q_DECLARE_METATYPE(SensorDefineTable)

class ButtonPageTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        testsupport::loadInstalledLanguages();
        QCOMPARE(ButtoninterfaceTexts.rowCount() >= 3, true);
    }

    void init() { testsupport::startButtonPageTest(); }
    void cleanup() { testsupport::endButtonPageTest(); }

    // ---- Form ---------------------------------------------------------------------

    void formAsTheUserFirstSeesIt()
    {
        resetHubConnectFailures();
        Buttoninterface page;
        QCOMPARE(hubConnectFailures(), 0);
        page.show();
        for (int row = 0; row < 12; ++row) {
            const bool offered = row < 6;
            QCOMPARE(child<QWidget>(&page, kButtonRows[row])->isVisible(), offered);
            QCOMPARE(child<QWidget>(&page, qPrintable(QStringLiteral("Number%1").arg(row + 1)))->isVisible(), offered);
        }
        QVERIFY(child<QWidget>(&page, "DPI_3")->isHidden());
        QVERIFY(child<QWidget>(&page, "DPI_9")->isHidden());
        QCOMPARE(child<QStackedWidget>(&page, "stackedWidget")->currentWidget()->objectName(), QStringLiteral("page"));
        QCOMPARE(child<QStackedWidget>(&page, "stackedWidget_2")->currentWidget()->objectName(),
                 QStringLiteral("page_9"));
        QVERIFY(child<QWidget>(&page, "DebunceButton")->isVisible());
        // The sixth row ends at the list's bottom.
        QWidget* sixth = child<QWidget>(&page, "BackMusic");
        QCOMPARE(sixth->geometry().bottom() + 1, 205);

        // Each group lets one of its buttons be checked.
        QList<QButtonGroup*> groups = page.findChildren<QButtonGroup*>();
        QList<int> sizes;
        for (QButtonGroup* group : groups) {
            QVERIFY(group->exclusive());
            sizes << group->buttons().size();
        }
        std::sort(sizes.begin(), sizes.end());
        QCOMPARE(sizes, (QList<int>{12, 12, 17, 41}));
        child<QToolButton>(&page, "RightKey")->click();
        child<QToolButton>(&page, "TopMusic")->click();
        QVERIFY(!child<QToolButton>(&page, "RightKey")->isChecked());
        QVERIFY(child<QToolButton>(&page, "TopMusic")->isChecked());
    }

    // The options of every sub-page draw on their menu picture, also on the
    // pages hidden while the skin was set.
    void subPageOptionsAreSkinned_data()
    {
        QTest::addColumn<QString>("subPage");
        QTest::addColumn<QString>("option");
        QTest::newRow("multimedia") << "page_3" << "Player";
        QTest::newRow("horizontal wheel") << "page_4" << "VolumeUp_2";
        QTest::newRow("light switches") << "page_6" << "VolumeUp_4";
        QTest::newRow("DPI switch") << "page_7" << "VolumeUp_8";
        QTest::newRow("DPI lock") << "page_8" << "VolumeUp_11";
        QTest::newRow("vertical wheel") << "page_10" << "VolumeUp_14";
    }

    void subPageOptionsAreSkinned()
    {
        QFETCH(QString, subPage);
        QFETCH(QString, option);
        Buttoninterface page;
        page.show();
        child<QStackedWidget>(&page, "stackedWidget_2")->setCurrentWidget(child<QWidget>(&page, qPrintable(subPage)));
        QCoreApplication::processEvents();
        QToolButton* button = child<QToolButton>(&page, qPrintable(option));
        const QImage picture(installDir() + QStringLiteral("/Picture/Buttoninterface/CMenuTitle.png"));
        const QImage drawn = button->grab().toImage();
        // Beside the text, left of the middle: the picture's own colour.
        const QPoint at(drawn.width() / 8, drawn.height() / 2);
        QCOMPARE(drawn.pixelColor(at).name(),
                 picture.pixelColor(at.x() * picture.width() / drawn.width(), at.y() * picture.height() / drawn.height())
                     .name());
        button->setChecked(true);
        const QImage checked = button->grab().toImage();
        QVERIFY(checked.pixelColor(at) != drawn.pixelColor(at));
    }

    // Every skin is one Qt reads, and every picture it names is installed.
    void skinParsesAndFindsItsPictures()
    {
        static QStringList warnings;
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type == QtWarningMsg)
                    warnings << text;
            });
        {
            Buttoninterface page;
            page.show();
            for (QWidget* widget : page.findChildren<QWidget*>())
                widget->ensurePolished();
            const QStringList urls = styleSheetPictures(&page);
            QVERIFY(urls.size() > 20);
            for (const QString& url : urls)
                QVERIFY2(QFileInfo::exists(url), qPrintable(url));
            QVERIFY(child<QWidget>(&page, "widget")->styleSheet().contains(QStringLiteral("/mouse0.png")));
        }
        qInstallMessageHandler(previous);
        QCOMPARE(warnings, QStringList());
    }

    void clearMenuChecksKeepsTheVerticalWheel()
    {
        testsupport::writeMacroFiles({QStringLiteral("a.ini")});
        Buttoninterface page;
        QToolButton* macro = page.macroButtons().first();
        macro->click();
        child<QToolButton>(&page, "Player")->click();
        QVERIFY(!macro->isChecked());  // one group for every sub-menu option
        child<QToolButton>(&page, "VolumeUp_22")->click();
        page.ClearMenuChecks();
        for (QToolButton* button : page.findChildren<QToolButton*>())
            QVERIFY2(!button->isChecked() || button->objectName().startsWith(QLatin1String("Number")), qPrintable(button->objectName()));
        child<QToolButton>(&page, "VolumeUp_14")->click();
        page.ClearMenuChecks();
        QVERIFY(child<QToolButton>(&page, "VolumeUp_14")->isChecked());
        child<QToolButton>(&page, "VolumeUp_2")->click();
        QVERIFY(!child<QToolButton>(&page, "VolumeUp_14")->isChecked());
    }

    void macroList_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("fillers");
        QTest::newRow("three") << QStringList{"c.ini", "a.ini", "B.ini"} << QStringList{"a", "B", "c"} << 4;
        QTest::newRow("eight") << QStringList{"1.ini", "2.ini", "3.ini", "4.ini", "5.ini", "6.ini", "7.ini", "8.ini"}
                               << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"} << 0;
        QTest::newRow("editor's file") << QStringList{"a.ini", "list.xml"} << QStringList{"a"} << 6;
        QTest::newRow("two xml files count") << QStringList{"a.ini", "x1.xml", "x2.xml"} << QStringList{"a"} << 5;
        QTest::newRow("only the editor's file") << QStringList{"x.xml"} << QStringList{} << 0;
        QTest::newRow("none") << QStringList{} << QStringList{} << 0;
        QTest::newRow("ending twice") << QStringList{"m.ini.ini"} << QStringList{"m"} << 6;
    }
    void macroList()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, entries);
        QFETCH(int, fillers);
        testsupport::writeMacroFiles(files);
        Buttoninterface page;
        for (int pass = 0; pass < 2; ++pass) {
            QStringList texts;
            int hidden = 0;
            for (QToolButton* entry : page.macroButtons()) {
                if (entry->isEnabled())
                    texts << entry->text();
                else
                    hidden += entry->isHidden() && entry->text().isEmpty();
            }
            QCOMPARE(texts, entries);
            QCOMPARE(hidden, fillers);
            QCOMPARE(page.macroButtons().size(), entries.size() + fillers);
            // The list is made again when the page is shown.
            PostMsg::GetInstance()->PostAddMacroButton();
        }
    }

    void profileEntries()
    {
        Buttoninterface page;
        PostMsg::GetInstance()->PostAllLanguage(0);
        auto* profiles = child<QComboBox>(&page, "ProjectChoose");
        page.SlotUpDataConfigUI(4, 2, true);
        QCOMPARE(profiles->count(), 4);
        QCOMPARE(profiles->itemText(3), pageText(0, 49) + QStringLiteral("4"));
        QCOMPARE(profiles->currentIndex(), 2);
        QVERIFY(profiles->isEnabled());
        page.SlotUpDataConfigUI(0, 3, false);
        QCOMPARE(profiles->count(), 1);
        QCOMPARE(profiles->currentIndex(), 0);
        QVERIFY(!profiles->isEnabled());
        page.SlotUpDataConfigUI(4, 9, true);
        QCOMPARE(profiles->count(), 4);
        QCOMPARE(profiles->currentIndex(), 0);
    }

    // Presses on the page background close the menu; which also uncheck the
    // display buttons depends on where they land.
    void backgroundPress_data()
    {
        QTest::addColumn<int>("mainPage");
        QTest::addColumn<int>("subPage");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("buttonCode");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("unchecked");
        QTest::newRow("right press") << 1 << 0 << QPoint(100, 300) << int(Qt::RightButton) << false << false;
        QTest::newRow("closed, on the picture") << 0 << 4 << QPoint(300, 100) << int(Qt::LeftButton) << true << true;
        QTest::newRow("main list, on the picture") << 1 << 4 << QPoint(300, 100) << int(Qt::LeftButton) << true << true;
        QTest::newRow("sub-menu, background") << 1 << 0 << QPoint(100, 300) << int(Qt::LeftButton) << true << true;
        QTest::newRow("sub-menu, beside the picture") << 1 << 0 << QPoint(180, 100) << int(Qt::LeftButton) << true << false;
    }
    void backgroundPress()
    {
        QFETCH(int, mainPage);
        QFETCH(int, subPage);
        QFETCH(QPoint, at);
        QFETCH(int, buttonCode);
        const auto button = Qt::MouseButton(buttonCode);
        QFETCH(bool, closed);
        QFETCH(bool, unchecked);
        Buttoninterface page;
        auto* main = child<QStackedWidget>(&page, "stackedWidget");
        auto* sub = child<QStackedWidget>(&page, "stackedWidget_2");
        child<QToolButton>(&page, "RightKey")->setChecked(true);
        main->setCurrentIndex(mainPage);
        sub->setCurrentIndex(subPage);
        QMouseEvent press(QEvent::MouseButtonPress, at, button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(&page, &press);
        QCOMPARE(main->currentIndex() == 0 && sub->currentIndex() == 4, closed);
        QCOMPARE(!child<QToolButton>(&page, "RightKey")->isChecked(), unchecked);
    }

    // ---- Key names -------------------------------------------------------------------

    void keyNames_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name");
        const struct
        {
            int code;
            const char* modifier;
            const char* usage;
        } twoMeanings[] = {{0x04, "Alt", "A"}, {0x08, "Win", "E"}, {0x10, "Ctrl", "M"}, {0x20, "Shift", "3"},
                           {0x40, "Alt", "F7"}};
        for (const auto& c : twoMeanings) {
            QTest::addRow("0x%02x modifier", c.code) << c.code << 0 << QString::fromLatin1(c.modifier);
            QTest::addRow("0x%02x usage", c.code) << c.code << 1 << QString::fromLatin1(c.usage);
            QTest::addRow("0x%02x consumer", c.code) << c.code << 2 << QString();
        }
        const QVector<QPair<int, QString>> oneName = {
            {0x00, ""},          {0x01, "Ctrl"},     {0x02, "Shift"},    {0x80, "Win"},      {0x05, "B"},
            {0x07, "D"},         {0x1D, "Z"},        {0x1E, "1"},        {0x26, "9"},        {0x27, "0"},
            {0x28, "Enter"},     {0x29, "Esc"},      {0x2A, "BackSpace"}, {0x2C, "Space"},   {0x31, "\\"},
            {0x35, "`"},         {0x39, "CapsLock"}, {0x3A, "F1"},       {0x3F, "F6"},       {0x41, "F8"},
            {0x45, "F12"},       {0x46, "Screen"},   {0x4C, "Del"},      {0x4F, QString(QChar(0x2192))},
            {0x52, QString(QChar(0x2191))},          {0x53, "NumLock"},  {0x57, "Num+"},     {0x58, "Enter"},
            {0x59, "Num1"},      {0x5B, "Num3"},     {0x62, "Num0"},     {0x63, "Num."},     {0x65, "APPs"},
            {0x03, ""},          {0x32, ""},         {0x64, ""},         {0x66, ""},         {0x7F, ""},
            {0x81, ""},          {0xFF, ""}};
        for (const auto& c : oneName)
            for (int mode : {0, 1, 2})
                QTest::addRow("0x%02x mode %d", c.first, mode) << c.first << mode << c.second;
    }
    void keyNames()
    {
        QFETCH(int, code);
        QFETCH(int, mode);
        QFETCH(QString, name);
        QCOMPARE(Buttoninterface::KeyCodeToName(code, mode), name);
    }

    // ---- DPI lock ----------------------------------------------------------------------

    void dpiLock_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<SensorDefineTable>("defines");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("dpiBack");
        const SensorDefineTable none = definesOf({{"SENSOR_3395_DPI_100", 1}});
        SensorDefineTable perOption;
        for (int dpi = 100; dpi <= 1200; dpi += 100)
            perOption.append(QStringLiteral("SENSOR_3950_DPI_%1").arg(dpi), 0x40 + dpi / 100);
        for (int dpi = 100; dpi <= 1200; dpi += 100) {
            QTest::addRow("no defines, %d", dpi) << "3311" << none << dpi << dpi / 50 - 1 << dpi;
            QTest::addRow("a define each, %d", dpi) << "3950" << perOption << dpi << 0x40 + dpi / 100 << dpi;
        }
        QTest::newRow("empty model") << "" << none << 800 << 15 << 800;
        const SensorDefineTable two = definesOf({{"SENSOR_3950_DPI_100", 0x02}, {"SENSOR_3950_DPI_200", 0x04}});
        QTest::newRow("3950, 100 defined") << "3950" << two << 100 << 0x02 << 100;
        QTest::newRow("3950, 200 defined") << "3950" << two << 200 << 0x04 << 200;
        QTest::newRow("3950, 300 not defined") << "3950" << two << 300 << 6 << 0;
        const SensorDefineTable same = definesOf({{"SENSOR_3950_DPI_400", 7}, {"SENSOR_3950_DPI_500", 7}});
        QTest::newRow("two defines, one value") << "3950" << same << 500 << 7 << 400;
    }
    void dpiLock()
    {
        QFETCH(QString, model);
        QFETCH(SensorDefineTable, defines);
        QFETCH(int, dpi);
        QFETCH(int, value);
        QFETCH(int, dpiBack);
        QCOMPARE(Buttoninterface::DpiToSensorValue(dpi, model, defines), value);
        QCOMPARE(Buttoninterface::SensorValueToDpi(value, model, defines), dpiBack);
    }

    // The page converts with the open model and the installation's defines.
    void dpiLockCaptionOfAnUndefinedValue()
    {
        const SensorDefineTable installed = sensorDefineTable;
        Buttoninterface page;
        PostMsg::GetInstance()->PostAllLanguage(0);
        page.SlotUpDataButtonUIB(zeroRecord());
        QCOMPARE(page.openSensorName(), QStringLiteral("3950"));
        QCOMPARE(page.SensorValueToDpi(0x0F), 800);  // the installed defines

        sensorDefineTable = definesOf({{"SENSOR_3950_DPI_100", 0x02}, {"SENSOR_3950_DPI_200", 0x04}});
        const int value = page.DpiToSensorValue(300);
        QCOMPARE(value, 6);
        page.SetButtonText(0, 10, value, 0, zeroRecord());
        sensorDefineTable = installed;
        QCOMPARE(buttonCaption(&page, 0), pageText(0, 21) + QStringLiteral("-0"));
    }

    // ---- Captions ------------------------------------------------------------------------

    void captions_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("value1");
        QTest::addColumn<int>("value2");
        QTest::addColumn<QByteArray>("block");  // key block, or the macro's name field
        QTest::addColumn<int>("item");          // the language item shown, -1 none
        QTest::addColumn<QString>("suffix");    // after it; "=" keeps the caption

        QTest::newRow("no function") << 11 << 0 << 7 << 0 << QByteArray() << 14 << "";
        QTest::newRow("left") << 0 << 1 << 1 << 0 << QByteArray() << 4 << "";
        QTest::newRow("right") << 1 << 1 << 2 << 0 << QByteArray() << 5 << "";
        QTest::newRow("middle") << 2 << 1 << 4 << 0 << QByteArray() << 6 << "";
        QTest::newRow("back") << 3 << 1 << 8 << 0 << QByteArray() << 8 << "";
        QTest::newRow("forward") << 4 << 1 << 16 << 0 << QByteArray() << 7 << "";
        QTest::newRow("mouse button 3") << 4 << 1 << 3 << 0 << QByteArray() << -1 << "=";
        QTest::newRow("DPI cycle") << 5 << 2 << 1 << 0 << QByteArray() << 9 << "";
        QTest::newRow("DPI up") << 6 << 2 << 2 << 0 << QByteArray() << -1 << "DPI+";
        QTest::newRow("DPI down") << 7 << 2 << 3 << 0 << QByteArray() << -1 << "DPI-";
        QTest::newRow("DPI switch 4") << 7 << 2 << 4 << 0 << QByteArray() << -1 << "=";
        QTest::newRow("wheel left") << 3 << 3 << 1 << 0 << QByteArray() << 44 << "";
        QTest::newRow("wheel right") << 3 << 3 << 2 << 0 << QByteArray() << 45 << "";
        QTest::newRow("wheel 0") << 3 << 3 << 0 << 0 << QByteArray() << -1 << "=";
        QTest::newRow("rapid fire") << 10 << 4 << 10 << 3 << QByteArray() << 12 << "";
        QTest::newRow("mute") << 3 << 5 << 0 << 0 << keyBlock({{2, 0x01E2}}) << 27 << "";
        QTest::newRow("volume up") << 4 << 5 << 0 << 0 << keyBlock({{2, 0xE9}}) << 28 << "";
        QTest::newRow("browser home") << 5 << 5 << 0 << 0 << keyBlock({{2, 0x23}}) << 51 << "";
        QTest::newRow("unlisted usage") << 5 << 5 << 0 << 0 << keyBlock({{2, 0x0105}}) << -1 << "=";
        QTest::newRow("Ctrl+A") << 1 << 5 << 0 << 0 << keyBlock({{0, 0x01}, {1, 0x04}}) << -1 << "Ctrl+A";
        QTest::newRow("Alt+Shift+F7") << 1 << 5 << 0 << 0 << keyBlock({{0, 0x04}, {0, 0x20}, {1, 0x40}}) << -1
                                      << "Alt+Shift+F7";
        QTest::newRow("no keys") << 1 << 5 << 0 << 0 << keyBlock({}) << -1 << "";
        QTest::newRow("one event") << 1 << 5 << 0 << 0 << keyBlock({{1, 0x04}}, 1) << -1 << "";
        QTest::newRow("unnamed key") << 1 << 5 << 0 << 0 << keyBlock({{0, 0x01}, {1, 0x32}}) << -1 << "Ctrl+";
        // A count past the block's six events names six events at most.
        QTest::newRow("count 255") << 1 << 5 << 0 << 0 << keyBlock({{1, 0x04}, {1, 0x05}, {1, 0x06}}, 255) << -1
                                   << "A+B+C+C+B+A";
        QTest::newRow("macro") << 2 << 6 << 2 << 1 << QByteArray("Fire\0junk", 9) << 48 << "Fire";
        QTest::newRow("macro, 30 bytes") << 2 << 6 << 2 << 1 << QByteArray(30, 'm') << 48 << QString(30, 'm');
        QTest::newRow("report rate") << 8 << 7 << 0 << 0 << QByteArray() << 10 << "";
        QTest::newRow("all lights") << 0 << 8 << 0 << 0 << QByteArray() << 39 << "";
        QTest::newRow("DPI light") << 0 << 8 << 1 << 0 << QByteArray() << 40 << "";
        QTest::newRow("light bar") << 0 << 8 << 3 << 0 << QByteArray() << 41 << "";
        QTest::newRow("light effect") << 0 << 8 << 4 << 0 << QByteArray() << 42 << "";
        QTest::newRow("light 2") << 0 << 8 << 2 << 0 << QByteArray() << -1 << "=";
        QTest::newRow("profile switch") << 9 << 9 << 0 << 0 << QByteArray() << 11 << "";
        QTest::newRow("DPI lock 800") << 9 << 10 << 0x0F << 0 << QByteArray() << 21 << "-800";
        QTest::newRow("wheel up") << 5 << 11 << 1 << 0 << QByteArray() << 46 << "";
        QTest::newRow("wheel down") << 5 << 11 << 2 << 0 << QByteArray() << 47 << "";
        QTest::newRow("vertical wheel 0") << 5 << 11 << 0 << 0 << QByteArray() << -1 << "=";
        QTest::newRow("type 12") << 5 << 12 << 1 << 0 << QByteArray() << -1 << "=";
        QTest::newRow("type 255") << 5 << 255 << 1 << 0 << QByteArray() << -1 << "=";
    }
    void captions()
    {
        QFETCH(int, index);
        QFETCH(int, type);
        QFETCH(int, value1);
        QFETCH(int, value2);
        QFETCH(QByteArray, block);
        QFETCH(int, item);
        QFETCH(QString, suffix);
        currentDevice.modelIndex = 0;  // sensor 3395: 800 DPI is 0x0F
        Buttoninterface page;
        page.SlotUpDataButtonUIB(zeroRecord());
        FlashDataMap record = zeroRecord();
        if (type == 6)
            std::memcpy(record.macroBlocks[index].name, block.constData(), size_t(block.size()));
        else if (!block.isEmpty())
            std::memcpy(&record.keyBlocks[index], block.constData(), sizeof(KeyBlock));

        for (int language = 0; language < 3; ++language) {
            PostMsg::GetInstance()->PostAllLanguage(language);
            child<QToolButton>(&page, kButtonRows[index])->setText(QStringLiteral("before"));
            page.SetButtonText(index, type, value1, value2, record);
            const QString expected = suffix == QLatin1String("=")
                ? QStringLiteral("before")
                : (item >= 0 ? pageText(language, item) : QString()) + suffix;
            QCOMPARE(buttonCaption(&page, index), expected);
        }
        // The three languages differ where a text is shown.
        if (item >= 0)
            QVERIFY(pageText(0, item) != pageText(1, item));
    }

    void captionOutsideTheDisplayButtons()
    {
        Buttoninterface page;
        PostMsg::GetInstance()->PostAllLanguage(0);
        QStringList before;
        for (int i = 0; i < 12; ++i)
            before << buttonCaption(&page, i);
        page.SetButtonText(12, 0, 0, 0, zeroRecord());
        page.SetButtonText(-1, 0, 0, 0, zeroRecord());
        for (int i = 0; i < 12; ++i)
            QCOMPARE(buttonCaption(&page, i), before.at(i));
    }

    // ---- Fills ------------------------------------------------------------------------

    void fillFromEachModel_data()
    {
        QTest::addColumn<QString>("mouse");
        QTest::addColumn<int>("modelIndex");
        QTest::addColumn<QString>("sensor");
        QTest::newRow("Q7 Pro") << "q7" << 0 << "3395";
        QTest::newRow("Q3") << "q3" << 1 << "3950";
    }
    void fillFromEachModel()
    {
        QFETCH(QString, mouse);
        QFETCH(int, modelIndex);
        QFETCH(QString, sensor);
        OpenedDevice device;
        currentDevice.modelIndex = modelIndex;
        Buttoninterface page;
        PostMsg::GetInstance()->PostAllLanguage(0);
        QByteArray bytes = hidsim::storedRecord(mouse);
        bytes[0x06] = 9;                          // debounce
        bytes[0x08] = 12;                         // idle 120 s
        bytes[0x4A + 3 * 11] = 10;                // button 11: DPI lock
        bytes[0x4A + 3 * 11 + 1] = 0x0F;          // 800 DPI on both sensors
        const FlashDataMap record = recordOf(bytes);
        QSignalSpy idle(PostMsg::GetInstance(), &PostMsg::SigLightToFrom);
        buttonPageUpdated = 0;

        page.SlotUpDataButtonUIButton(record);

        QCOMPARE(page.openSensorName(), sensor);
        QCOMPARE(page.modelTypes().size(), 12);
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(page.modelTypes().at(i), int(record.buttons[i].type));
            QCOMPARE(page.modelValues1().at(i), int(record.buttons[i].value1));
            QCOMPARE(page.modelValues2().at(i), int(record.buttons[i].value2));
        }
        QCOMPARE(buttonCaption(&page, 11), pageText(0, 21) + QStringLiteral("-800"));
        QCOMPARE(idle.size(), 1);
        QCOMPARE(idle.first().first().toInt(), 120);
        QCOMPARE(child<QComboBox>(&page, "Debunce")->currentIndex(), 9);
        QCOMPARE(buttonPageUpdated, uint8_t(1));
        QCOMPARE(buttonPageFilling, uint8_t(0));
        QVERIFY(!testsupport::callNames().contains(QStringLiteral("ProtocolDataUpdate")));
    }

    // The default Q3 record: what a user sees on first opening it.
    void factoryRecordOfTheQ3()
    {
        OpenedDevice device;
        Buttoninterface page;
        PostMsg::GetInstance()->PostAllLanguage(0);
        page.SlotUpDataButtonUIButton(CurrentFlashData);
        QCOMPARE(buttonCaption(&page, 0), pageText(0, 4));
        QCOMPARE(buttonCaption(&page, 3), pageText(0, 28));          // volume up
        QCOMPARE(buttonCaption(&page, 4), QStringLiteral("Ctrl+C"));
        QCOMPARE(buttonCaption(&page, 5), pageText(0, 9));
    }

    // Bytes no model or catalogue should hold fill the page without a
    // single write, and no handler reaches past the model.
    void outOfRangeRecordWritesNothing()
    {
        testsupport::useConfigWith({QStringLiteral("KeyNumber=99")});  // the first model's
        OpenedDevice device;
        currentDevice.modelIndex = 0;
        Buttoninterface page;
        QByteArray bytes(HIDUSB_RECORD_SIZE, char(0xFF));
        for (int k = 0; k < 16; ++k) {
            bytes[0x4A + 3 * k] = char(k % 2 ? 5 : 6);                   // keys, macros
            bytes[0x3BC + 592 * k] = 30;
        }
        const FlashDataMap record = recordOf(bytes);

        page.SlotUpDataButtonUIButton(record);
        page.SlotUpDataButtonUIB(record);
        CurrentFlashData = record;
        PostMsg::GetInstance()->PostAllLanguage(1);
        page.SlotFormResetButton();
        page.SlotUpDataButtonUIB(record);

        QCOMPARE(page.modelTypes().size(), 16);
        QCOMPARE(buttonCaption(&page, 0), pageText(1, 48) + safeMacroName(QString::fromLocal8Bit(QByteArray(30, char(0xFF)))));
        QCOMPARE(buttonCaption(&page, 1).count(QLatin1Char('+')), 5);
        QCOMPARE(child<QComboBox>(&page, "Debunce")->currentIndex(), -1);
        QCOMPARE(buttonPageFilling, uint8_t(0));
        QVERIFY(!testsupport::callNames().contains(QStringLiteral("ProtocolDataUpdate")));
        QVERIFY(device.recordsSent().isEmpty());
    }

    void keyNumberMissingOrZero_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("zero") << "KeyNumber=0";
        QTest::newRow("missing") << "KeyNumber=";
        QTest::newRow("not a number") << "KeyNumber=twelve";
    }
    void keyNumberMissingOrZero()
    {
        QFETCH(QString, line);
        testsupport::useConfigWith({line});
        OpenedDevice device;
        currentDevice.modelIndex = 0;
        Buttoninterface page;
        PostMsg::GetInstance()->PostAllLanguage(0);
        const QString before = buttonCaption(&page, 0);
        page.SlotUpDataButtonUIButton(CurrentFlashData);
        QVERIFY(page.modelTypes().isEmpty());
        QVERIFY(page.modelValues1().isEmpty() && page.modelValues2().isEmpty());
        QCOMPARE(buttonCaption(&page, 0), before);
        page.StoreButtonParam(0, 1, 1, 0);
        QVERIFY(page.modelTypes().isEmpty());
        PostMsg::GetInstance()->PostAllLanguage(1);
        QVERIFY(page.modelTypes().isEmpty());
    }

    void factoryReset()
    {
        OpenedDevice device;
        Buttoninterface page;
        PostMsg::GetInstance()->PostAllLanguage(2);
        page.SlotUpDataButtonUIButton(recordOf(OpenedDevice::withBytes(OpenedDevice::record(), {{0x4A, 0}, {0x06, 9}})));
        QCOMPARE(buttonCaption(&page, 0), pageText(2, 14));
        child<QStackedWidget>(&page, "stackedWidget")->setCurrentIndex(1);
        child<QStackedWidget>(&page, "stackedWidget_2")->setCurrentIndex(0);
        QSignalSpy idle(PostMsg::GetInstance(), &PostMsg::SigLightToFrom);
        QSignalSpy mouse(PostMsg::GetInstance(), &PostMsg::SigMouseIndex);

        page.SlotFormResetButton();

        QCOMPARE(page.modelTypes(), (QVector<int>{1, 1, 1, 1, 1, 2, 2, 2, 7, 7, 4, 0}));
        QCOMPARE(page.modelValues1(), (QVector<int>{1, 2, 4, 8, 16, 1, 2, 3, 0, 0, 10, 0}));
        QCOMPARE(page.modelValues2(), (QVector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0}));
        const QList<int> items = {4, 5, 6, 8, 7, 9};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(buttonCaption(&page, i), pageText(2, items.at(i)));
        QCOMPARE(buttonCaption(&page, 10), pageText(2, 12));
        QCOMPARE(buttonCaption(&page, 11), pageText(2, 14));
        QCOMPARE(child<QComboBox>(&page, "Debunce")->currentIndex(), 4);
        QCOMPARE(idle.size(), 1);
        QCOMPARE(idle.first().first().toInt(), 60);
        QCOMPARE(mouse.size(), 1);
        QCOMPARE(child<QStackedWidget>(&page, "stackedWidget")->currentIndex(), 0);
        QCOMPARE(child<QStackedWidget>(&page, "stackedWidget_2")->currentIndex(), 4);
        QVERIFY(device.recordsSent().isEmpty());
    }

    // ---- Texts --------------------------------------------------------------------------

    void textsOfEachLanguage()
    {
        Buttoninterface page;
        // The menu font: 9 points on the first pass, which the program-wide
        // font scaling then scales; later passes scale it themselves.
        PostMsg::GetInstance()->PostAllLanguage(0);
        QCOMPARE(child<QToolButton>(&page, "DPI_10")->font().pointSizeF(), 9.0);
        for (int language : {0, 1, 2, 0}) {
            PostMsg::GetInstance()->PostAllLanguage(language);
            QCOMPARE(child<QToolButton>(&page, "Reset")->text(), pageText(language, 1));
            QCOMPARE(child<QToolButton>(&page, "DPI_8")->text(), pageText(language, 13));
            QCOMPARE(child<QToolButton>(&page, "VolumeDown_8")->text(), pageText(language, 51));
            QCOMPARE(child<QLabel>(&page, "label_3")->text(), pageText(language, 43));
            QCOMPARE(child<QComboBox>(&page, "Debunce")->itemText(15), QStringLiteral("15") + pageText(language, 50));
            QVERIFY(child<QToolButton>(&page, "ImportData")->toolTip().isEmpty());
            // Before any device the display buttons name the factory functions.
            QCOMPARE(buttonCaption(&page, 3), pageText(language, 8));
            QCOMPARE(buttonCaption(&page, 4), pageText(language, 7));
            QCOMPARE(buttonCaption(&page, 6), QStringLiteral("DPI+"));
        }
        QCOMPARE(child<QToolButton>(&page, "VolumeUp_9")->text(), QStringLiteral("DPI+"));
        QCOMPARE(child<QToolButton>(&page, "VolumeUp_21")->text(), QStringLiteral("1200"));
        QCOMPARE(child<QToolButton>(&page, "DPI_10")->font().pointSizeF(), 9.0 * screenFontFactor());
    }

    // Qt's own language change puts the form's texts back and keeps the
    // chosen profile; no translator is ever installed, so it is never seen.
    void languageChangeEventKeepsTheProfile()
    {
        Buttoninterface page;
        PostMsg::GetInstance()->PostAllLanguage(0);
        page.SlotUpDataConfigUI(4, 3, true);
        auto* profiles = child<QComboBox>(&page, "ProjectChoose");
        QSignalSpy changed(profiles, SIGNAL(currentIndexChanged(int)));
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(&page, &change);
        QCOMPARE(profiles->currentIndex(), 3);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(child<QToolButton>(&page, "VolumeUp_21")->text(), QStringLiteral("1200"));
        QVERIFY(child<QToolButton>(&page, "Reset")->text() != pageText(0, 1));
    }

    // A language change captions the buttons from this device's own record
    // once it has arrived, else from its cache, else the factory functions.
    void languageChangeSource_data()
    {
        QTest::addColumn<bool>("received");
        QTest::addColumn<bool>("cached");
        QTest::addColumn<int>("item");
        QTest::newRow("own record, cache too") << true << true << 44;
        QTest::newRow("own record, no cache") << true << false << 44;
        QTest::newRow("cache") << false << true << 45;
        QTest::newRow("neither") << false << false << 4;
    }
    void languageChangeSource()
    {
        QFETCH(bool, received);
        QFETCH(bool, cached);
        QFETCH(int, item);
        OpenedDevice device;
        selectedCacheName = deviceCacheFileName(0x42, 0x12);
        FlashDataMap cache = CurrentFlashData;
        cache.buttons[0] = {3, 2, 0};  // wheel right
        if (cached)
            Worker::writeDeviceCache(selectedCacheName, cache);
        CurrentFlashData.buttons[0] = {3, 1, 0};  // wheel left
        deviceRecordReceived = received ? 1 : 0;
        Buttoninterface page;
        page.SlotUpDataConfigUI(4, 2, true);
        hidsim::clearCallLog();

        PostMsg::GetInstance()->PostAllLanguage(1);

        QCOMPARE(buttonCaption(&page, 0), pageText(1, item));
        QCOMPARE(page.modelTypes().size(), 12);
        auto* profiles = child<QComboBox>(&page, "ProjectChoose");
        QCOMPARE(profiles->count(), 4);
        QCOMPARE(profiles->itemText(0), pageText(1, 49) + QStringLiteral("1"));
        QCOMPARE(profiles->currentIndex(), 2);
        QVERIFY(testsupport::callNames().isEmpty());
    }
};

QUEMBREL_TEST_MAIN(ButtonPageTest)
#include "tst_buttonpage.moc"
