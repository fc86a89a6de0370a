// Font scaling of widget trees.
#include "support/testsupport.h"

#include "widgets/fontscale.h"

#include <QLabel>
#include <QToolTip>

class FontScaleTest : public QObject
{
    Q_OBJECT
private slots:
    void fontFactor_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<float>("factor");
        QTest::newRow("96") << 96.0 << 1.0f;
        QTest::newRow("120") << 120.0 << 0.8f;
        QTest::newRow("144") << 144.0 << 0.6666667f;
        QTest::newRow("unknown") << 0.0 << 1.0f;
    }

    void fontFactor()
    {
        QFETCH(double, dpi);
        QFETCH(float, factor);
        QCOMPARE(fontScaleFactor(dpi), factor);
    }

    void fontWalk()
    {
        QWidget top;
        QFont f = top.font();
        f.setPointSizeF(10);
        top.setFont(f);
        auto* receive = new QLabel(&top);
        receive->setObjectName("Receive_2");
        f.setPointSizeF(20);
        receive->setFont(f);
        auto* underReceive = new QLabel(receive);
        f.setPointSizeF(12);
        underReceive->setFont(f);
        auto* pixels = new QLabel(&top);
        QFont pf = pixels->font();
        pf.setPixelSize(15);
        pixels->setFont(pf);
        auto* noApear = new QLabel(&top);
        noApear->setObjectName("NoApear");
        f.setPointSizeF(9);
        noApear->setFont(f);

        scaleWidgetFonts(&top, 0.8);
        QCOMPARE(top.font().pointSizeF(), 8.0);
        QCOMPARE(receive->font().pointSizeF(), 20.0);
        QCOMPARE(underReceive->font().pointSizeF(), 12 * 0.8);
        QCOMPARE(pixels->font().pixelSize(), 15);
        QCOMPARE(noApear->font().pointSizeF(), 9 * 0.8);
        QCOMPARE(QToolTip::font().pointSizeF(), 9 * 0.8);
        scaleWidgetFonts(nullptr, 0.8);
    }
};

QUEMBREL_TEST_MAIN(FontScaleTest)
#include "tst_fontscale.moc"
