#include "support/testsupport.h"

// Proves the harness itself: offscreen, isolated home folder.
class SmokeTest : public QObject
{
    Q_OBJECT
private slots:
    void homeIsIsolated()
    {
        QCOMPARE(QDir::homePath(), testsupport::homeDir());
        QVERIFY(QDir::homePath() != QStringLiteral("/root"));
    }
};

QUEMBREL_TEST_MAIN(SmokeTest)
#include "tst_smoke.moc"
