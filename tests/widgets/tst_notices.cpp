#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "widgets/confirmations.h"
#include "widgets/dialogframe.h"
#include "widgets/exeisrun.h"
#include "widgets/fontscale.h"
#include "widgets/notices.h"
#include "widgets/questiondialog.h"

#include <QFrame>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>
#include <functional>
#include <memory>

using namespace testsupport;

namespace {

struct DialogKind
{
    std::function<QDialog*()> make;
    QString frame;
    QString labelSection; // language section of the label's text, "" when the caller sets it
    QStringList confirmButtons;
};

const QMap<QString, DialogKind>& dialogKinds()
{
    static const QMap<QString, DialogKind> kinds = {
        {"QuestiondialogB", {[] { return new QuestiondialogB; }, "QuestionB", "QuestionB", {}}},
        {"MouseOffLine", {[] { return new MouseOffLine; }, "MouseOffLineA", "MouseOffLine", {"NewHong"}}},
        {"LeftButtonOnly", {[] { return new LeftButtonOnly; }, "ButtonOnly", "ButtonOnly", {}}},
        {"MakeMacro", {[] { return new MakeMacro; }, "MakeMacroA", "MakeMacro", {"NewHong"}}},
        {"SameMacro", {[] { return new SameMacro; }, "SameMacroA", "SameMacro", {"NewHong"}}},
        {"GroupMaxThree", {[] { return new GroupMaxThree; }, "MaxThree", "MaxThree", {"NewHong"}}},
        {"KeyNumberLimit", {[] { return new KeyNumberLimit; }, "LimitA", "Limit", {"NewHong"}}},
        {"InportFail", {[] { return new InportFail; }, "InportFailA", "InportFail", {"NewHong"}}},
        {"UpDateWarning", {[] { return new UpDateWarning; }, "WarningFrame", "", {"NewHong"}}},
        {"LessThree", {[] { return new LessThree; }, "LessThreeframe", "LessThree", {"NewHong"}}},
        {"ContainReset", {[] { return new ContainReset; }, "ContainResetA", "ContainReset", {"OK", "Cancel"}}},
        {"RePair", {[] { return new RePair; }, "RePairA", "RePair", {"OK", "Cancel"}}},
        {"DeleteConfirm", {[] { return new DeleteConfirm; }, "DeleteConfirmA", "DeleteConfirm", {"NewHong"}}},
    };
    return kinds;
}

// The other dialogs of widgets/ that have a close button.
const QMap<QString, std::function<QDialog*()>>& otherDialogsWithCloseButton()
{
    static const QMap<QString, std::function<QDialog*()>> makers = {
        {"ExeIsRun", [] { return new ExeIsRun; }},
        {"QuestionDialog", [] { return new QuestionDialog; }},
    };
    return makers;
}

QDialog* makeDialogWithCloseButton(const QString& kind)
{
    return dialogKinds().contains(kind) ? dialogKinds()[kind].make() : otherDialogsWithCloseButton()[kind]();
}

QString labelText(QDialog* dialog)
{
    return dialog->findChild<QLabel*>("label")->text();
}

QString buttonText(QDialog* dialog, const QString& name)
{
    return dialog->findChild<QToolButton*>(name)->text();
}

bool okClickedOf(QDialog* dialog)
{
    if (auto* d = qobject_cast<ContainReset*>(dialog))
        return d->okClicked;
    if (auto* d = qobject_cast<RePair*>(dialog))
        return d->okClicked;
    if (auto* d = qobject_cast<DeleteConfirm*>(dialog))
        return d->okClicked;
    return false;
}

} // namespace

class NoticesTest : public QObject
{
    Q_OBJECT

    static void addKinds()
    {
        QTest::addColumn<QString>("kind");
        for (const QString& name : dialogKinds().keys())
            QTest::newRow(qPrintable(name)) << name;
    }

private slots:
    void initTestCase()
    {
        useSkinConfig();
    }

    void init()
    {
        fillLanguageTables(2);
        offlineNoticeKind = 0;
        importFailReason = 1;
    }

    void frameAndSkin_data() { addKinds(); }
    void frameAndSkin()
    {
        QFETCH(QString, kind);
        const DialogKind& k = dialogKinds()[kind];
        std::unique_ptr<QDialog> dialog(k.make());

        // Without a parent the toolkit makes the sub-window a top-level window.
        QCOMPARE(int(dialog->windowFlags() & ~Qt::Window), kDialogWindowFlags);
        QVERIFY(dialog->isWindow());
        QCOMPARE(dialog->size(), QSize(300, 140));
        QCOMPARE(dialog->objectName(), kind);
        const QString dir = warningPictureDir();
        QCOMPARE(dir, QCoreApplication::applicationDirPath() + "/Picture/WarningDialog/");

        auto* label = dialog->findChild<QLabel*>("label");
        QCOMPARE(label->styleSheet(), QStringLiteral("QLabel{color: rgb(1,2,3);}"));
        QCOMPARE(label->font().family(), QStringLiteral("微软雅黑"));
        // The form's size, scaled to the screen's logical DPI.
        const double formPoints = kind == "LessThree" ? 9.0 : 11.0;
        QCOMPARE(qRound(label->font().pointSizeF() * 100), qRound(formPoints * screenFontFactor() * 100));
        QVERIFY(dialog->findChild<QToolButton*>("CloseButton")->styleSheet().contains(dir + "CloseHover.png"));
        auto* frame = dialog->findChild<QFrame*>(k.frame);
        QVERIFY(frame);
        QVERIFY(frame->styleSheet().startsWith("#" + k.frame + "{"));
        QVERIFY(frame->styleSheet().contains(dir + "BackGround.png"));

        const QString confirm = kind == "MouseOffLine" ? "ConFirm.png" : "Confirm.png";
        for (const QString& name : k.confirmButtons) {
            const QString style = dialog->findChild<QToolButton*>(name)->styleSheet();
            QVERIFY2(style.contains("rgb(4,5,6)") && style.contains(dir + confirm), qPrintable(style));
        }
        if (k.confirmButtons.isEmpty())
            QVERIFY(!dialog->findChild<QToolButton*>("NewHong"));
    }

    void missingColourFallsBackToWhite()
    {
        ConfigSettings::resetForTests(homeDir() + "/no-such-Config.ini");
        QCOMPARE(skinColour("LabelColor"), QStringLiteral("255,255,255"));
        useSkinConfig();
        QCOMPARE(skinColour("LabelColor"), QStringLiteral("1,2,3"));
    }

    void textsComeFromTheLanguageRow_data() { addKinds(); }
    void textsComeFromTheLanguageRow()
    {
        QFETCH(QString, kind);
        const DialogKind& k = dialogKinds()[kind];
        languageIndex = 1;
        std::unique_ptr<QDialog> dialog(k.make());

        if (!k.labelSection.isEmpty())
            QCOMPARE(labelText(dialog.get()), tableText(k.labelSection, 1, 0));
        if (kind == "ContainReset") {
            QCOMPARE(buttonText(dialog.get(), "OK"), tableText("DialogChange", 1, 4));
            QCOMPARE(buttonText(dialog.get(), "Cancel"), tableText("Question", 1, 3));
        } else if (kind == "RePair") {
            QCOMPARE(buttonText(dialog.get(), "OK"), tableText("Question", 1, 2));
            QCOMPARE(buttonText(dialog.get(), "Cancel"), tableText("Question", 1, 3));
        } else if (!k.confirmButtons.isEmpty()) {
            QCOMPARE(buttonText(dialog.get(), "NewHong"), tableText("Question", 1, 2));
        }
    }

    void everyWayOutEndsExec_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("way");
        for (const QString& name : dialogKinds().keys()) {
            QTest::newRow(qPrintable(name + " close button")) << name << "CloseButton";
            QTest::newRow(qPrintable(name + " Escape")) << name << "Escape";
            for (const QString& button : dialogKinds()[name].confirmButtons)
                QTest::newRow(qPrintable(name + " " + button)) << name << button;
        }
    }
    void everyWayOutEndsExec()
    {
        QFETCH(QString, kind);
        QFETCH(QString, way);
        std::unique_ptr<QDialog> dialog(dialogKinds()[kind].make());
        ModalAnswer answer(way == "Escape" ? pressKey(Qt::Key_Escape) : clickButton(way));
        dialog->exec();
        QCOMPARE(answer.answered(), QStringList{kind});
        QVERIFY(!answer.forced());
        QVERIFY(!dialog->isVisible());
        const bool saidYes = way == "OK" || (kind == "DeleteConfirm" && way == "NewHong");
        QCOMPARE(okClickedOf(dialog.get()), saidYes);
    }

    // A sibling stacked over the close button swallows the clicks on the part
    // it covers, though the button still looks whole.
    void closeButtonTakesAClickAnywhere_data()
    {
        QTest::addColumn<QString>("kind");
        for (const QString& name : dialogKinds().keys() + otherDialogsWithCloseButton().keys())
            QTest::newRow(qPrintable(name)) << name;
    }
    void closeButtonTakesAClickAnywhere()
    {
        QFETCH(QString, kind);
        std::unique_ptr<QDialog> dialog(makeDialogWithCloseButton(kind));
        dialog->show();
        auto* closeButton = child<QToolButton>(dialog.get(), "CloseButton");
        const QRect area(closeButton->mapTo(dialog.get(), QPoint(0, 0)), closeButton->size());
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QWidget* hit = dialog->childAt(x, y);
                QVERIFY2(hit == closeButton,
                         qPrintable(QString("(%1, %2) of the close button hits %3")
                                        .arg(x)
                                        .arg(y)
                                        .arg(hit ? hit->objectName() : QString("no widget"))));
            }
        }

        // Through the window, so that the toolkit picks the widget under the point.
        QSignalSpy finished(dialog.get(), &QDialog::finished);
        QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, Qt::NoModifier, area.center());
        QVERIFY(!dialog->isVisible());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
        QVERIFY(!okClickedOf(dialog.get()));
    }

    void returnKey_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("closes");
        QTest::newRow("UpDateWarning") << "UpDateWarning" << true;
        QTest::newRow("ContainReset") << "ContainReset" << true;
        QTest::newRow("RePair") << "RePair" << false;
        QTest::newRow("DeleteConfirm") << "DeleteConfirm" << false;
        QTest::newRow("MakeMacro") << "MakeMacro" << false;
        QTest::newRow("InportFail") << "InportFail" << false;
    }
    void returnKey()
    {
        QFETCH(QString, kind);
        QFETCH(bool, closes);
        std::unique_ptr<QDialog> dialog(dialogKinds()[kind].make());
        bool openAfterReturn = false;
        ModalAnswer answer([&](QDialog* d) {
            // Shortcuts only fire in the active window; activation is
            // asynchronous.
            QVERIFY(QTest::qWaitForWindowActive(d, kTryTimeoutMs));
            QTest::keyClick(d, Qt::Key_Return);
            QTest::keyClick(d, Qt::Key_Enter);
            testsupport::waitForShortcutClicks();
            openAfterReturn = d->isVisible();
            if (openAfterReturn)
                clickButton("CloseButton")(d);
        });
        dialog->exec();
        QVERIFY(!answer.forced());
        QCOMPARE(openAfterReturn, !closes);
        // Only ContainReset's Return is its OK.
        QCOMPARE(okClickedOf(dialog.get()), kind == "ContainReset");
    }

    void offlineNoticeText_data()
    {
        QTest::addColumn<int>("noticeKind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("setter") << 0 << tableText("MouseOffLine", 0, 0);
        QTest::newRow("wait timed out") << 1 << tableText("MouseOffLine", 0, 1);
        QTest::newRow("other") << 2 << "   The mouse is offline. Please move first";
    }
    void offlineNoticeText()
    {
        QFETCH(int, noticeKind);
        QFETCH(QString, expected);
        offlineNoticeKind = noticeKind;
        MouseOffLine dialog;
        QCOMPARE(labelText(&dialog), expected);
    }

    void offlineNoticeClosesWhenDeviceAnswers()
    {
        MouseOffLine dialog;
        ModalAnswer answer([](QDialog*) { PostMsg::GetInstance()->PostCloseOffOnline(); });
        dialog.exec();
        QCOMPARE(answer.answeredCount(), 1);
        QVERIFY(!answer.forced());
    }

    void importFailureText_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QString>("expected");
        QTest::newRow("not a configuration file") << 1 << tableText("InportFail", 0, 0);
        QTest::newRow("does not fit") << 2 << tableText("InportFail", 0, 1);
        QTest::newRow("not a macro") << 3 << tableText("InportFail", 0, 2);
        QTest::newRow("export not written") << 4 << tableText("InportFail", 0, 3);
        QTest::newRow("other") << 0 << "Config does not match the device";
    }
    void importFailureText()
    {
        QFETCH(int, reason);
        QFETCH(QString, expected);
        importFailReason = reason;
        InportFail dialog;
        QCOMPARE(labelText(&dialog), expected);
    }

    void languageChangeRetextsOpenDialogs()
    {
        MakeMacro notice;
        UpDateWarning warning;
        warning.setWarningText("update first");
        ContainReset question;
        question.setMessageText("repair now?");

        ModalAnswer answer(inspectThen([](QDialog*) { PostMsg::GetInstance()->PostAllLanguage(1); },
                                       clickButton("NewHong")));
        notice.exec();
        QVERIFY(!answer.forced());
        QCOMPARE(labelText(&notice), tableText("MakeMacro", 1, 0));
        QCOMPARE(buttonText(&notice, "NewHong"), tableText("Question", 1, 2));
        // The caller's message stays; the buttons follow the language.
        QCOMPARE(labelText(&warning), QStringLiteral("update first"));
        QCOMPARE(buttonText(&warning, "NewHong"), tableText("Question", 1, 2));
        QCOMPARE(buttonText(&question, "OK"), tableText("DialogChange", 1, 4));
        QCOMPARE(hubConnectFailures(), 0);
    }

    void fontsFollowTheScreen_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<double>("labelPoints");
        QTest::newRow("96 dpi") << "MakeMacro" << 96.0 << 11.0;
        QTest::newRow("120 dpi") << "MakeMacro" << 120.0 << 8.8;
        QTest::newRow("120 dpi LessThree") << "LessThree" << 120.0 << 7.2;
    }
    void fontsFollowTheScreen()
    {
        QFETCH(QString, kind);
        QFETCH(double, dpi);
        QFETCH(double, labelPoints);
        std::unique_ptr<QDialog> dialog(dialogKinds()[kind].make());
        // Undo the scaling to this test screen, then scale as on a screen of `dpi`.
        scaleWidgetFonts(dialog.get(), 1.0 / screenFontFactor());
        scaleWidgetFonts(dialog.get(), fontScaleFactor(dpi));
        QCOMPARE(qRound(dialog->findChild<QLabel*>("label")->font().pointSizeF() * 10), qRound(labelPoints * 10));
        QCOMPARE(qRound(dialog->findChild<QToolButton*>("NewHong")->font().pointSizeF() * 10),
                 qRound(11.0 * fontScaleFactor(dpi) * 10));
    }

    void placement_data()
    {
        QTest::addColumn<QPoint>("caller");
        QTest::addColumn<QSize>("callerSize");
        QTest::addColumn<QSize>("dialogSize");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<QPoint>("expected");
        const QSize notice(300, 140);
        QTest::newRow("offline on main window") << QPoint(100, 50) << QSize(1020, 700) << notice << 0 << -20
                                                << QPoint(460, 310);
        QTest::newRow("button page") << QPoint(0, 0) << QSize(1020, 620) << notice << -50 << -70 << QPoint(310, 170);
        QTest::newRow("macro page, import size") << QPoint(10, 20) << QSize(1021, 621) << QSize(300, 110) << -100
                                                 << -50 << QPoint(270, 225);
        QTest::newRow("warning") << QPoint(0, 0) << QSize(1020, 700) << notice << -20 << 0 << QPoint(340, 280);
        QTest::newRow("reset") << QPoint(0, 0) << QSize(1020, 620) << notice << -75 << -65 << QPoint(285, 175);
        QTest::newRow("debounce") << QPoint(500, 400) << QSize(200, 40) << notice << -409 << -202
                                  << QPoint(41, 148);
        QTest::newRow("narrow caller truncates toward zero") << QPoint(0, 0) << QSize(101, 41) << notice << 0 << 0
                                                             << QPoint(-99, -49);
    }
    void placement()
    {
        QFETCH(QPoint, caller);
        QFETCH(QSize, callerSize);
        QFETCH(QSize, dialogSize);
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(QPoint, expected);
        QCOMPARE(dialogPosition(caller, callerSize, dialogSize, dx, dy), expected);
    }

    // The save dialog adds its filter's extension to a name typed without one.
    void saveDialogSuffix_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answer");
        QTest::newRow("bin, none typed") << "File(*.bin)" << "cfg1" << "cfg1.bin";
        QTest::newRow("ini, none typed") << "File(*.ini)" << "m1" << "m1.ini";
        QTest::newRow("own extension") << "File(*.ini)" << "m2.ini" << "m2.ini";
        QTest::newRow("another extension") << "File(*.bin)" << "cfg.old" << "cfg.old";
    }
    void saveDialogSuffix()
    {
        QFETCH(QString, filter);
        QFETCH(QString, typed);
        QFETCH(QString, answer);
        QTemporaryDir dir;
        QString caption;
        ModalAnswer modal(inspectThen([&](QDialog* dialog) { caption = dialog->windowTitle(); },
                                      chooseFile(dir.filePath(typed))));
        QCOMPARE(askSaveFileName(nullptr, "FileSave", filter), dir.filePath(answer));
        QCOMPARE(caption, QString("FileSave"));

        ModalAnswer cancel(closeWindow());
        QCOMPARE(askSaveFileName(nullptr, "FileSave", filter), QString());
    }

    void placeOnCallerWindow()
    {
        QWidget page;
        page.setGeometry(100, 50, 1020, 700);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page, kTryTimeoutMs));
        MouseOffLine notice;
        placeDialog(&notice, &page, 0, -20);
        QCOMPARE(notice.pos(), page.mapToGlobal(QPoint(0, 0)) + QPoint(360, 260));
    }
};

QUEMBREL_TEST_MAIN(NoticesTest)
#include "tst_notices.moc"
