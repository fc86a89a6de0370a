#include "support/testsupport.h"

#include "widgets/mybutton.h"
#include "widgets/myconmbobox.h"
#include "widgets/mylineedit.h"
#include "widgets/myslider.h"
#include "widgets/mytoolbutton.h"
#include "widgets/mytoolbuttonenter.h"

#include <QStyleOptionComboBox>

namespace {

// Counts the parent's notices of a slider press.
class PressNoticeCounter : public QWidget
{
public:
    int notices = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == MySlider::kPressedEventType)
            ++notices;
        return QWidget::event(e);
    }
};

// Stands in for the home page's hover handler.
QList<int> g_hovered;
void recordHover(int index)
{
    g_hovered.append(index);
}

void sendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint pos = QPoint(5, 5))
{
    QMouseEvent event(type, pos, w->mapToGlobal(pos), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// The horizontal centre of the red pixels inside a rectangle, or -1.
double inkCentre(const QImage& image, const QRect& rect)
{
    int left = -1, right = -1;
    for (int x = rect.left(); x <= rect.right(); ++x)
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
        }
    return left < 0 ? -1 : (left + right) / 2.0;
}

} // namespace

class CustomWidgetsTest : public QObject
{
    Q_OBJECT
private slots:
    void sliderJumpsToPress_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("expected");
        QTest::newRow("quarter") << 0 << 100 << 50 << int(Qt::LeftButton) << 25;
        QTest::newRow("last pixel truncates") << 0 << 100 << 199 << int(Qt::LeftButton) << 99;
        QTest::newRow("negative truncates toward zero") << -50 << 50 << 1 << int(Qt::LeftButton) << -49;
        QTest::newRow("right button jumps too") << 0 << 100 << 100 << int(Qt::RightButton) << 50;
    }
    void sliderJumpsToPress()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, x);
        QFETCH(int, button);
        QFETCH(int, expected);

        PressNoticeCounter parent;
        auto* slider = new MySlider(&parent);
        slider->setOrientation(Qt::Horizontal);
        slider->setRange(minimum, maximum);
        slider->setGeometry(0, 0, 200, 20);
        slider->setValue(maximum);
        QSignalSpy changed(slider, &QSlider::valueChanged);

        sendMouse(slider, QEvent::MouseButtonPress, Qt::MouseButton(button), QPoint(x, 10));

        QCOMPARE(slider->value(), expected);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(changed.last().at(0).toInt(), expected);
        QCOMPARE(parent.notices, 1);
    }

    void sliderWithoutWidthOrParentIsSafe()
    {
        QCOMPARE(MySlider::valueAt(10, 0, 5, 100), 5);
        MySlider slider;
        slider.setRange(0, 10);
        sendMouse(&slider, QEvent::MouseButtonPress, Qt::LeftButton);
    }

    void comboRemembersIndexOfLastMousePress()
    {
        MyConmboBox combo;
        combo.addItems({"a", "b", "c"});
        combo.resize(120, 24);
        QCOMPARE(combo.previousIndex, 0);
        combo.setCurrentIndex(2);

        sendMouse(&combo, QEvent::MouseButtonPress, Qt::LeftButton);
        combo.hidePopup();
        QCOMPARE(combo.previousIndex, 2);

        // Keyboard and wheel changes leave the remembered index alone.
        combo.setFocus();
        QTest::keyClick(&combo, Qt::Key_Up);
        QCOMPARE(combo.currentIndex(), 1);
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&combo, &wheel);
        QCOMPARE(combo.previousIndex, 2);
    }

    void comboDrawsItsTextCentred()
    {
        QPalette palette;
        palette.setColor(QPalette::Text, Qt::red);
        palette.setColor(QPalette::ButtonText, Qt::red);
        palette.setColor(QPalette::WindowText, Qt::red);

        MyConmboBox combo;
        combo.setPalette(palette);
        combo.addItem(QStringLiteral("WWW"));
        combo.resize(300, 30);
        QStyleOptionComboBox option;
        option.initFrom(&combo);
        option.editable = false;
        const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, &combo);

        const QImage image = combo.grab().toImage();
        const double centre = inkCentre(image, field);
        QVERIFY2(centre >= 0, "no text drawn");
        const double fieldCentre = field.left() + field.width() / 2.0;
        QVERIFY2(qAbs(centre - fieldCentre) <= 4,
                 qPrintable(QString("text centre %1, field centre %2").arg(centre).arg(fieldCentre)));
    }

    void toolButtonAnswersPressNotRelease()
    {
        MyToolButton button;
        button.setCheckable(true);
        QSignalSpy clicked(&button, &QToolButton::clicked);

        sendMouse(&button, QEvent::MouseButtonPress, Qt::LeftButton);
        sendMouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton);
        sendMouse(&button, QEvent::MouseButtonDblClick, Qt::LeftButton);
        sendMouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton);

        QCOMPARE(clicked.count(), 2);
        QCOMPARE(clicked.at(0).at(0).toBool(), false);
        QCOMPARE(clicked.at(1).at(0).toBool(), true);
        QVERIFY(button.isChecked());
        QVERIFY(!button.isDown());

        // A press on a checked button keeps it checked and reports again.
        sendMouse(&button, QEvent::MouseButtonPress, Qt::LeftButton);
        QCOMPARE(clicked.count(), 3);
        QVERIFY(button.isChecked());
    }

    void toolButtonIgnoresOtherButtons_data()
    {
        QTest::addColumn<int>("buttonValue");
        QTest::newRow("right") << int(Qt::RightButton);
        QTest::newRow("middle") << int(Qt::MiddleButton);
    }
    void toolButtonIgnoresOtherButtons()
    {
        QFETCH(int, buttonValue);
        const auto mouseButton = Qt::MouseButton(buttonValue);
        MyToolButton button;
        button.setCheckable(true);
        QSignalSpy clicked(&button, &QToolButton::clicked);
        sendMouse(&button, QEvent::MouseButtonPress, mouseButton);
        sendMouse(&button, QEvent::MouseButtonRelease, mouseButton);
        sendMouse(&button, QEvent::MouseButtonDblClick, mouseButton);
        QCOMPARE(clicked.count(), 0);
        QVERIFY(!button.isChecked());
    }

    void tileButtonReportsItsIndexOnHover_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("expected");
        QTest::newRow("btn12") << "btn12" << 12;
        QTest::newRow("btn0") << "btn0" << 0;
        QTest::newRow("no number") << "btn" << 0;
        QTest::newRow("not a number") << "btnx" << 0;
    }
    void tileButtonReportsItsIndexOnHover()
    {
        QFETCH(QString, name);
        QFETCH(int, expected);
        g_hovered.clear();
        mytoolButtonEnter::setHoverHandler(&recordHover);
        mytoolButtonEnter button;
        button.setObjectName(name);

        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(&button, &enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);

        QCOMPARE(g_hovered, QList<int>{expected});
        mytoolButtonEnter::setHoverHandler(nullptr);
        QApplication::sendEvent(&button, &enter);
        QCOMPARE(g_hovered.size(), 1);
    }

    void lineEditIgnoresTyping()
    {
        MyLineEdit edit;
        edit.setText(QStringLiteral("Ctrl + A"));
        QTest::keyClicks(&edit, QStringLiteral("xyz"));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral("Ctrl + A"));
    }

    void buttonShowsHandWhileHovered()
    {
        MyButton button;
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(&button, &enter);
        QCOMPARE(button.cursor().shape(), Qt::PointingHandCursor);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);
        QCOMPARE(button.cursor().shape(), Qt::ArrowCursor);
    }
};

QUEMBREL_TEST_MAIN(CustomWidgetsTest)
#include "tst_customwidgets.moc"
