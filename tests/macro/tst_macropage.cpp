// The macro page: its form and skin, the user's macros listed from the macro
// folder, a clicked macro's events with their pictures, the texts of each
// language, and its own handling of keys, clicks and language events.
#include "support/buttonfixture.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "macro/keynames.h"
#include "macro/macro.h"
#include "widgets/macroname.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

using testsupport::child;
using testsupport::styleSheetPictures;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void clickRow(QListWidget* list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

} // namespace

class MacroPageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Macro> page;

    template <typename T>
    T* get(const char* name)
    {
        return child<T>(page.get(), name);
    }

private slots:
    void init()
    {
        languageIndex = 0;
        testsupport::loadInstalledLanguages();
        testsupport::writeMacroFiles({});
    }

    void cleanup() { page.reset(); }

    void formAndIdleState()
    {
        page = std::make_unique<Macro>();
        QCOMPARE(page->size(), QSize(883, 630));
        QCOMPARE(page->minimumSize(), QSize(883, 630));
        QCOMPARE(page->maximumSize(), QSize(883, 630));
        QCOMPARE(get<QWidget>("listWidgetHong")->geometry(), QRect(70, 87, 261, 421));
        QCOMPARE(get<QWidget>("listWidgetKey")->geometry(), QRect(350, 87, 261, 421));
        QCOMPARE(get<QWidget>("StartRecord")->geometry(), get<QWidget>("StopRecord")->geometry());
        QVERIFY(!get<QWidget>("StartRecord")->isHidden());
        QVERIFY(get<QWidget>("StopRecord")->isHidden());
        QVERIFY(get<QCheckBox>("AutoInsertDelay")->isChecked());
        QVERIFY(get<QCheckBox>("ReNumber")->isChecked());
        QVERIFY(!get<QToolButton>("Save")->isEnabled());
        QVERIFY(get<QToolButton>("Save")->styleSheet().contains("rgb(127,127,127)"));
        QCOMPARE(get<QSpinBox>("DelayTime")->value(), 10);
        QCOMPARE(get<QSpinBox>("DelayTime")->maximum(), 99999);
        QCOMPARE(get<QSpinBox>("NumberEdit")->value(), 1);
        QCOMPARE(get<QSpinBox>("NumberEdit")->maximum(), 250);
        QCOMPARE(get<QComboBox>("ChooseEvent")->count(), 9);
        QCOMPARE(get<QComboBox>("ChooseEvent")->itemText(0), QString());
        QCOMPARE(get<QComboBox>("ChooseEvent")->maxVisibleItems(), 5);
        QCOMPARE(get<QListWidget>("listWidgetHong")->count(), 0);
        QCOMPARE(get<QListWidget>("listWidgetKey")->count(), 0);
        QCOMPARE(get<QWidget>("StartRecord")->focusPolicy(), Qt::NoFocus);
    }

    // Every picture the skin names is installed.
    void skinPicturesExist()
    {
        page = std::make_unique<Macro>();
        const QStringList urls = styleSheetPictures(page.get());
        QVERIFY(urls.size() > 20);
        for (const QString& url : urls) {
            QVERIFY2(url.startsWith(installDir() + "/Picture/Macro/"), qPrintable(url));
            QVERIFY2(QFile::exists(url), qPrintable(url));
        }
    }

    // One group of each kind: checking one option unchecks the other; the
    // repeat group's toggle activates Save.
    void optionGroups()
    {
        page = std::make_unique<Macro>();
        get<QCheckBox>("DefaultDelay")->click();
        QVERIFY(!get<QCheckBox>("AutoInsertDelay")->isChecked());
        get<QCheckBox>("DefaultDelay")->click();
        QVERIFY(get<QCheckBox>("DefaultDelay")->isChecked());
        QVERIFY(!get<QToolButton>("Save")->isEnabled());

        get<QCheckBox>("ReUntil")->click();
        QVERIFY(!get<QCheckBox>("ReNumber")->isChecked());
        QVERIFY(get<QToolButton>("Save")->isEnabled());
        QVERIFY(get<QToolButton>("Save")->styleSheet().contains("ButtonHover.png"));
        QCOMPARE(page->repeatText(), QStringLiteral("253"));
    }

    // The page lists the user's macros; a click opens one with its events
    // and their pictures, and Save is not active after it.
    void listsAndOpensMacros()
    {
        testsupport::writeMacroFiles({"Combo.ini", "jump.ini"});
        writeFile(macroFolder() + "/Combo.ini", "255\n0x01 0 0\n10ms\n0x06 1 0\n20ms\n0x06 1 1\n10ms\n0x01 0 1\n");
        writeFile(macroFolder() + "/jump.ini", "3\n0x2C 1 0\n50ms\n0x2C 1 1\n");
        page = std::make_unique<Macro>();
        page->show();
        auto* macros = get<QListWidget>("listWidgetHong");
        auto* events = get<QListWidget>("listWidgetKey");
        QCOMPARE(macros->count(), 2);
        QCOMPARE(macros->item(0)->text(), QStringLiteral("Combo"));
        QCOMPARE(macros->item(1)->text(), QStringLiteral("jump"));

        clickRow(macros, 0);
        QStringList texts;
        for (int i = 0; i < events->count(); ++i)
            texts << events->item(i)->text();
        QCOMPARE(texts, (QStringList{"LCtrl", "10ms", "C", "20ms", "C", "10ms", "LCtrl"}));
        QVERIFY(get<QCheckBox>("ReUntilClick")->isChecked());
        QVERIFY(!get<QToolButton>("Save")->isEnabled());
        const QStringList pictures{"MacroDown", "MacroTime", "MacroDown", "MacroTime", "MacroUp", "MacroTime",
                                   "MacroUp"};
        for (int i = 0; i < events->count(); ++i) {
            const QImage expected(installDir() + "/Picture/Macro/" + pictures.at(i) + ".png");
            QCOMPARE(events->item(i)->icon().pixmap(expected.size()).toImage().convertToFormat(QImage::Format_ARGB32),
                     expected.convertToFormat(QImage::Format_ARGB32));
            QCOMPARE(events->item(i)->type(), pictures.at(i) == "MacroUp" ? 1 : 0);
        }

        clickRow(macros, 1);
        QCOMPARE(events->count(), 3);
        QCOMPARE(events->item(0)->text(), QStringLiteral("Space"));
        QVERIFY(get<QCheckBox>("ReNumber")->isChecked());
        QCOMPARE(get<QSpinBox>("NumberEdit")->value(), 3);
        QVERIFY(!get<QToolButton>("Save")->isEnabled());
    }

    void followsTheLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("Czech") << 1;
        QTest::newRow("Slovak") << 2;
    }

    void followsTheLanguage()
    {
        QFETCH(int, language);
        page = std::make_unique<Macro>();
        PostMsg::GetInstance()->PostAllLanguage(language);
        auto text = [language](int item) { return MacroTexts.text(language, item); };
        const QList<QPair<const char*, int>> labels = {
            {"label", 0},         {"label_2", 1},          {"AutoInsertDelayLabel", 8}, {"ReUntilLooseLabel", 10},
            {"ReUntilClickLabel", 11}, {"ReUntilLabel", 12}, {"label_3", 14}};
        for (const auto& label : labels) {
            QVERIFY(!text(label.second).isEmpty());
            QCOMPARE(get<QLabel>(label.first)->text(), text(label.second));
        }
        const QList<QPair<const char*, int>> buttons = {{"NewHong", 2},     {"DeleteHong", 3}, {"Amend", 4},
                                                        {"DeleteKey", 5},   {"Save", 18}};
        for (const auto& button : buttons)
            QCOMPARE(get<QToolButton>(button.first)->text(), text(button.second));
        QCOMPARE(get<QPushButton>("StartRecord")->text(), text(6));
        QCOMPARE(get<QPushButton>("StopRecord")->text(), text(7));
        QCOMPARE(get<QCheckBox>("DefaultDelay")->text(), text(9));
        QCOMPARE(get<QCheckBox>("ReNumber")->text(), text(13));
        QCOMPARE(get<QToolButton>("NewHong")->toolTip(), QString());

        auto* choose = get<QComboBox>("ChooseEvent");
        QCOMPARE(choose->itemText(0), QString());
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(choose->itemText(i), text(14 + i));
        const QStringList mice{leftButtonName, rightButtonName, middleButtonName, forwardButtonName, backButtonName};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(mice.at(i), ButtoninterfaceTexts.text(language, 4 + i));
            QVERIFY(!mice.at(i).isEmpty());
            QCOMPARE(choose->itemText(4 + i), mice.at(i));
        }
        // The names reach the key table.
        QCOMPARE(keyNameForCode("0x08", 4), backButtonName);
        PostMsg::GetInstance()->PostAllLanguage(0);
    }

    // Qt's own language event brings back the form's texts and keeps the
    // values, without a value signal.
    void languageChangeEventKeepsValues()
    {
        page = std::make_unique<Macro>();
        get<QComboBox>("ChooseEvent")->setCurrentIndex(3);
        get<QSpinBox>("DelayTime")->setValue(321);
        get<QSpinBox>("NumberEdit")->setValue(42);
        get<QToolButton>("Save")->setEnabled(false);
        QSignalSpy delay(get<QSpinBox>("DelayTime"), QOverload<int>::of(&QSpinBox::valueChanged));
        QSignalSpy count(get<QSpinBox>("NumberEdit"), QOverload<int>::of(&QSpinBox::valueChanged));
        QEvent event(QEvent::LanguageChange);
        QCoreApplication::sendEvent(page.get(), &event);
        QCOMPARE(get<QComboBox>("ChooseEvent")->currentIndex(), 3);
        QCOMPARE(get<QComboBox>("ChooseEvent")->itemText(1), QString::fromUtf8("按键按下"));
        QCOMPARE(get<QSpinBox>("DelayTime")->value(), 321);
        QCOMPARE(get<QSpinBox>("NumberEdit")->value(), 42);
        QCOMPARE(delay.count(), 0);
        QCOMPARE(count.count(), 0);
        QVERIFY(!get<QToolButton>("Save")->isEnabled());
        QCOMPARE(get<QLabel>("label")->text(), QString::fromUtf8("宏列表"));
    }

    void escapeAndF12AreSwallowed()
    {
        QWidget parent;
        page = std::make_unique<Macro>(&parent);
        parent.show();
        QSignalSpy hub(PostMsg::GetInstance(), &PostMsg::SigStartRecord);
        for (int key : {Qt::Key_Escape, Qt::Key_F12}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(page.get(), &press);
            QVERIFY(press.isAccepted());
        }
        QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
        QCoreApplication::sendEvent(page.get(), &other);
        QVERIFY(!other.isAccepted());
        page.reset();
    }

    // A click beside the spin boxes takes their focus.
    void clickBesideTheSpinBoxes()
    {
        page = std::make_unique<Macro>();
        page->show();
        QApplication::setActiveWindow(page.get());
        auto* delay = get<QSpinBox>("DelayTime");
        delay->setFocus();
        QTRY_VERIFY(delay->hasFocus());
        QTest::mouseClick(page.get(), Qt::LeftButton, Qt::NoModifier, delay->geometry().center());
        QVERIFY(delay->hasFocus());
        QTest::mouseClick(page.get(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QVERIFY(!delay->hasFocus());
        QVERIFY(page->hasFocus());
    }
};

QUEMBREL_TEST_MAIN(MacroPageTest)
#include "tst_macropage.moc"
