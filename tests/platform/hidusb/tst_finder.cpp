#include "support/testsupport.h"

#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

#include <QThread>

namespace {

const char* const kQ3 = "/dev/hidsim/q3";
const char* const kQ7 = "/dev/hidsim/q7";
const char* const kRx = "/dev/hidsim/rx4k";

QStringList find(const char* vid, const char* pid)
{
    int count = 5;
    const char** paths = UsbFinderC_FindHidDevicesByDefaultDeviceId(vid, pid, &count);
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QString::fromLatin1(paths[i]);
    return out;
}

QByteArray info(const char* path)
{
    return QByteArray(reinterpret_cast<const char*>(UsbFinderC_GetDeviceInfo(path)), 3);
}

QByteArray receiverState(const char* path)
{
    unsigned char state[HIDUSB_RECEIVER_STATE_SIZE];
    memset(state, 0xcc, sizeof state);
    UsbFinderC_GetDeviceOnLineWithUsbAddress(path, state);
    return QByteArray(reinterpret_cast<char*>(state), sizeof state);
}

int g_calls = 0;
bool g_offGui = false;
int g_otherCalls = 0;
void onChanged()
{
    ++g_calls;
    if (QThread::currentThread() != qApp->thread())
        g_offGui = true;
}
void onOtherChanged()
{
    ++g_otherCalls;
}

} // namespace

class FinderTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        g_calls = 0;
        g_otherCalls = 0;
        g_offGui = false;
    }

    void findsByVendorAndProduct_data()
    {
        QTest::addColumn<QString>("vid");
        QTest::addColumn<QString>("pid");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("plain") << "3A5C" << "5114" << QStringList{kRx};
        QTest::newRow("0x, lower case") << "0x3a5c" << "0X5120" << QStringList{kQ3};
        QTest::newRow("mouse behind its receiver") << "3a5c" << "5110" << QStringList();
        QTest::newRow("other vendor") << "046D" << "5114" << QStringList();
        QTest::newRow("not a number") << "3A5C" << "zz" << QStringList();
        QTest::newRow("empty") << "" << "" << QStringList();
    }

    void findsByVendorAndProduct()
    {
        QFETCH(QString, vid);
        QFETCH(QString, pid);
        QFETCH(QStringList, paths);
        QCOMPARE(find(vid.toLatin1().constData(), pid.toLatin1().constData()), paths);

        int count = -1;
        const char** found = UsbFinderC_FindHidDevicesByDeviceId(vid.toLatin1().constData(), pid.toLatin1().constData(), 1, 5, &count);
        QCOMPARE(count, paths.size());
        QVERIFY(found);
        QCOMPARE(found[count], nullptr);
    }

    void countOnEntryLimitsTheAnswer()
    {
        QVERIFY(hidsim::plug("q7"));
        int count = 0;
        UsbFinderC_FindHidDevicesByDefaultDeviceId("3A5C", "5110", &count);
        QCOMPARE(count, 0);
        count = 1;
        UsbFinderC_FindHidDevicesByDefaultDeviceId("3A5C", "5110", &count);
        QCOMPARE(count, 1);
    }

    void identityOnlineAndVersions()
    {
        QCOMPARE(info(kRx), QByteArray("\x2a\x11\x01", 3));
        QCOMPARE(info(kQ3), QByteArray("\x2a\x12\x02", 3));
        QCOMPARE(info("/dev/hidsim/nothing"), QByteArray(3, '\0'));
        QCOMPARE(info(nullptr), QByteArray(3, '\0'));

        unsigned char attributes[HIDUSB_ATTRIBUTE_SIZE] = {};
        QVERIFY(UsbFinderC_GetUsbDeviceAttribute(kRx, attributes));
        QCOMPARE(QByteArray(reinterpret_cast<char*>(attributes), 10), QByteArray("\x0c\0\0\0\x5c\x3a\x14\x51\x04\x01", 10));
        QVERIFY(!UsbFinderC_GetUsbDeviceAttribute(kQ7, attributes));

        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 1);
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kQ3), 1);
        QCOMPARE(UsbFinderC_GetVersion(kRx), 0x0105);
        QCOMPARE(UsbFinderC_GetVersion(kQ3), 0x0101);
        int version = 0;
        QVERIFY(UsbFinderC_GetSlaveVersion(kRx, &version));
        QCOMPARE(version, 0x0104);
        QVERIFY(!UsbFinderC_GetSlaveVersion(kQ3, &version));

        QCOMPARE(receiverState(kRx).left(11), QByteArray("\0\0\0\0\0\0\x01\x5a\x31\x07\xcc", 11));
        QCOMPARE(receiverState(kQ3).left(11), QByteArray("\0\0\0\0\0\0\x01\0\0\0\xcc", 11));
    }

    // On its cable the Q7 answers there, with its receiver's id; the receiver
    // then sees no mouse.
    void wirelessMouseOnItsCable()
    {
        QVERIFY(hidsim::plug("q7"));
        QCOMPARE(find("3A5C", "5110"), QStringList{kQ7});
        QCOMPARE(info(kQ7), QByteArray("\x2a\x11\x02", 3));
        QCOMPARE(receiverState(kQ7).mid(6, 4), QByteArray("\x01\x5a\x31\x07", 4));
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 0);
        QVERIFY(hidsim::unplug("q7"));
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 1);
        QVERIFY(find("3A5C", "5110").isEmpty());
    }

    void unpluggedDeviceIsGone()
    {
        QVERIFY(hidsim::unplug("rx4k"));
        QVERIFY(find("3A5C", "5114").isEmpty());
        QCOMPARE(info(kRx), QByteArray(3, '\0'));
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 0);
        QCOMPARE(UsbServerC_Start(kRx, kRx, nullptr), 0);
        QVERIFY(!hidsim::unplug("nothing"));
        hidsim::DeviceStatus q7;
        QVERIFY(hidsim::device("q7", &q7));
        QVERIFY(!q7.online);
    }

    void receiverLedAndLongRange()
    {
        unsigned char rgb[HIDUSB_DONGLE_RGB_SIZE] = {};
        QVERIFY(UsbFinderC_Get4KDongleRGBValue(kRx, rgb));
        QCOMPARE(int(rgb[0]), 1);
        rgb[0] = 3;
        QVERIFY(UsbFinderC_Set4KDongleRGB(kRx, rgb));
        rgb[0] = 4;
        QVERIFY(!UsbFinderC_Set4KDongleRGB(kRx, rgb));
        QVERIFY(UsbFinderC_Get4KDongleRGBValue(kRx, rgb));
        QCOMPARE(int(rgb[0]), 3);
        QVERIFY(!UsbFinderC_Get4KDongleRGBValue(kQ3, rgb));

        unsigned char cell = 0x73;
        QVERIFY(!UsbFinderC_GetLongRangeMode(kQ3, &cell));
        QCOMPARE(int(cell), 0x73);
        QVERIFY(UsbFinderC_SetLongRangeMode(kRx, 1));
        QVERIFY(UsbFinderC_GetLongRangeMode(kRx, &cell));
        QCOMPARE(int(cell), 1);
    }

    void plugAndUnplugCallback()
    {
        StartUsbChanged(onChanged, 600);
        QCOMPARE(g_calls, 1); // before it returned
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(g_calls, 1);

        QVERIFY(hidsim::unplug("q3"));
        QVERIFY(hidsim::unplug("q3")); // already out: no event
        QVERIFY(hidsim::plug("q3"));
        QCOMPARE(g_calls, 1); // posted, not called in place
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(g_calls, 3);
        QVERIFY(!g_offGui);

        // An event from another thread still reaches the GUI thread.
        QThread* t = QThread::create([] { hidsim::unplug("rx4k"); });
        t->start();
        t->wait();
        delete t;
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(g_calls, 4);
        QVERIFY(!g_offGui);

        StartUsbChanged(onOtherChanged, 600);
        QCOMPARE(g_otherCalls, 1);
        hidsim::plug("rx4k");
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(g_calls, 4);
        QCOMPARE(g_otherCalls, 2);

        hidsim::unplug("rx4k");
        StopUsbChanged();
        hidsim::plug("rx4k");
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(g_otherCalls, 2);
    }
};

QUEMBREL_TEST_MAIN(FinderTest)
#include "tst_finder.moc"
