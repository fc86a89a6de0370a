// Firmware runs, boot mode, pairing and direct requests on the simulated bus.
#include "support/testsupport.h"

#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

#include <QMutex>
#include <QtEndian>

#include <cstring>

namespace {

const char* const kQ3 = "/dev/hidsim/q3";
const char* const kQ7 = "/dev/hidsim/q7";
const char* const kRx = "/dev/hidsim/rx4k";

// A firmware image as the installation ships one.
QByteArray makeImage(int kind, int mid, int version, const char* name, int payload = 1024)
{
    QByteArray file(HIDUSB_FIRMWARE_HEADER_SIZE + payload, '\x5a');
    std::memset(file.data(), 0, HIDUSB_FIRMWARE_HEADER_SIZE);
    uchar* d = reinterpret_cast<uchar*>(file.data());
    std::memcpy(d, HIDUSB_FIRMWARE_MAGIC, 4);
    qToLittleEndian<quint32>(quint32(file.size()), d + HIDUSB_FIRMWARE_LENGTH_OFFSET);
    qToLittleEndian<quint32>(quint32(version), d + HIDUSB_FIRMWARE_VERSION_OFFSET);
    d[HIDUSB_FIRMWARE_KIND_OFFSET] = uchar(kind);
    d[HIDUSB_FIRMWARE_CID_OFFSET] = 42;
    d[HIDUSB_FIRMWARE_MID_OFFSET] = uchar(mid);
    std::memcpy(d + HIDUSB_FIRMWARE_NAME_OFFSET, name, qstrlen(name));
    return file;
}

const uchar* bytes(const QByteArray& a)
{
    return reinterpret_cast<const uchar*>(a.constData());
}

QMutex g_mutex;
QVector<QByteArray> g_packets;
bool g_offGui = true;

void onUpgrade(const unsigned char* packet, int length)
{
    QMutexLocker lock(&g_mutex);
    g_packets.append(QByteArray(reinterpret_cast<const char*>(packet), length));
    if (QThread::currentThread() == qApp->thread())
        g_offGui = false;
}

QVector<QByteArray> packets()
{
    QMutexLocker lock(&g_mutex);
    return g_packets;
}

bool lastIsResult()
{
    const QVector<QByteArray> p = packets();
    return !p.isEmpty() && p.last().size() == 3 && p.last()[1] == char(HIDUSB_UPGRADE_RESULT);
}

QList<int> progressOf(const QVector<QByteArray>& p)
{
    QList<int> out;
    for (const QByteArray& packet : p) {
        if (packet[0] == char(HIDUSB_UPGRADE_STATUS) && packet[1] == char(HIDUSB_UPGRADE_PROGRESS))
            out << quint8(packet[2]);
    }
    return out;
}

int bootCount(const QByteArray& image, int limit = 5)
{
    int count = limit;
    UsbUpgradeC_FindBootDevices(bytes(image), &count);
    return count;
}

bool found(const char* pid, const char* path)
{
    int count = 5;
    const char** paths = UsbFinderC_FindHidDevicesByDefaultDeviceId("3A5C", pid, &count);
    for (int i = 0; i < count; ++i) {
        if (QByteArray(paths[i]) == path)
            return true;
    }
    return false;
}

struct PairSeen
{
    QMutex mutex;
    QVector<int> statuses;
} g_pair;

void onPairData(const unsigned char* header, int, const unsigned char* data, int length)
{
    QMutexLocker lock(&g_pair.mutex);
    if (header[1] == HIDUSB_REPORT_PAIR_STATUS && length >= 1)
        g_pair.statuses.append(data[0]);
}

QVector<int> pairStatuses()
{
    QMutexLocker lock(&g_pair.mutex);
    return g_pair.statuses;
}

} // namespace

class UpgradeTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        hidsim::setUpgradeStepMs(1);
        hidsim::setPairingMs(1);
        QMutexLocker lock(&g_mutex);
        g_packets.clear();
        g_offGui = true;
        QMutexLocker pairLock(&g_pair.mutex);
        g_pair.statuses.clear();
    }

    void successReportsEveryStepAndTakesTheVersion()
    {
        const QByteArray record = hidsim::storedRecord("q3");
        const QByteArray image = makeImage(210, 18, 0x0107, "Q3_MOUSE");
        QCOMPARE(UsbUpgrade_Start(bytes(image), onUpgrade, 10000), 1);
        QTRY_VERIFY(lastIsResult());
        QList<int> expected;
        for (int p = 0; p <= 100; p += 5)
            expected << p;
        QCOMPARE(progressOf(packets()), expected);
        QCOMPARE(packets().last(), QByteArray("\x07\x02\x01", 3));
        QVERIFY(g_offGui);
        QCOMPARE(UsbFinderC_GetVersion(kQ3), 0x0107);
        QCOMPARE(hidsim::storedRecord("q3"), record);
        const char** logs = UsbUpgradeC_GetLogs();
        QCOMPARE(QByteArray(logs[5]), QByteArray("result: success"));
        QVERIFY(QByteArray(logs[HIDUSB_UPGRADE_LOG_LINES - 1]).isEmpty());
    }

    // A failed run leaves the device in boot mode: no longer found as a
    // device, but as a boot device; the next run that succeeds brings it back
    // with its configuration.
    void failureLeavesBootModeUntilARunSucceeds_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<QList<int>>("lastProgress");
        QTest::newRow("0 %") << 0 << QList<int>{0};
        QTest::newRow("50 %") << 50 << QList<int>{40, 45, 50};
        QTest::newRow("99 %") << 99 << QList<int>{90, 95, 99};
    }
    void failureLeavesBootModeUntilARunSucceeds()
    {
        QFETCH(int, failAt);
        QFETCH(QList<int>, lastProgress);
        const QByteArray record = hidsim::storedRecord("q3");
        const QByteArray image = makeImage(210, 18, 0x0107, "Q3_MOUSE");
        hidsim::setUpgradeFailAt(failAt);
        QCOMPARE(UsbUpgrade_Start(bytes(image), onUpgrade, 10000), 1);
        QTRY_VERIFY(lastIsResult());
        const QList<int> progress = progressOf(packets());
        QCOMPARE(progress.mid(progress.size() - lastProgress.size()), lastProgress);
        QCOMPARE(packets().last(), QByteArray("\x07\x02\x00", 3));
        QCOMPARE(QByteArray(UsbUpgradeC_GetLogs()[5]), QByteArray("result: failed while writing"));

        QVERIFY(!found("5120", kQ3));
        QCOMPARE(UsbFinderC_GetDeviceInfo(kQ3)[1], uchar(0));
        QCOMPARE(bootCount(image), 1);
        QCOMPARE(bootCount(image, 0), 0);
        hidsim::DeviceStatus s;
        QVERIFY(hidsim::device("q3", &s));
        QVERIFY(s.bootMode);
        QCOMPARE(s.version, 0x0101);

        hidsim::setUpgradeFailAt(-1);
        {
            QMutexLocker lock(&g_mutex);
            g_packets.clear();
        }
        QCOMPARE(UsbUpgrade_Start(bytes(image), onUpgrade, 10000), 1);
        QTRY_VERIFY(lastIsResult());
        QCOMPARE(packets().last(), QByteArray("\x07\x02\x01", 3));
        QVERIFY(found("5120", kQ3));
        QCOMPARE(bootCount(image), 0);
        QCOMPARE(UsbFinderC_GetVersion(kQ3), 0x0107);
        QCOMPARE(hidsim::storedRecord("q3"), record);
    }

    void silentRunNeverAnswers()
    {
        const QByteArray image = makeImage(211, 17, 0x0104, "Q7PRO_RX4K");
        hidsim::setUpgradeSilent(true);
        QCOMPARE(UsbUpgrade_Start(bytes(image), onUpgrade, 10000), 1);
        QVERIFY(hidsim::waitForIdle());
        QVERIFY(hidsim::upgradeRunning());
        QVERIFY(packets().isEmpty());
        QVERIFY(!found("5114", kRx));
        QCOMPARE(bootCount(image), 1);
        // Its mouse no longer answers through it.
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 0);
    }

    // An image is flashed only when its header is whole and some device
    // takes it.
    void imagesTheLibraryRefuses_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<bool>("callback");
        const QByteArray good = makeImage(210, 18, 0x0107, "Q3_MOUSE");
        QByteArray badMagic = good;
        badMagic[0] = 'X';
        QByteArray shortLength = good;
        qToLittleEndian<quint32>(100, reinterpret_cast<uchar*>(shortLength.data()) + HIDUSB_FIRMWARE_LENGTH_OFFSET);
        QByteArray hugeLength = good;
        qToLittleEndian<quint32>(0x7fffffff, reinterpret_cast<uchar*>(hugeLength.data()) + HIDUSB_FIRMWARE_LENGTH_OFFSET);
        QByteArray badKind = good;
        badKind[HIDUSB_FIRMWARE_KIND_OFFSET] = char(212);
        QTest::newRow("no magic") << badMagic << true;
        QTest::newRow("length shorter than a header") << shortLength << true;
        QTest::newRow("length beyond any device") << hugeLength << true;
        QTest::newRow("unknown kind") << badKind << true;
        QTest::newRow("no device of that model") << makeImage(210, 99, 0x0107, "Q3_MOUSE") << true;
        QTest::newRow("receiver image for a mouse model") << makeImage(211, 18, 0x0107, "Q3_MOUSE") << true;
        QTest::newRow("no callback") << good << false;
    }
    void imagesTheLibraryRefuses()
    {
        QFETCH(QByteArray, image);
        QFETCH(bool, callback);
        QCOMPARE(UsbUpgrade_Start(bytes(image), callback ? onUpgrade : nullptr, 10000), 0);
        QVERIFY(!hidsim::upgradeRunning());
        QCOMPARE(QByteArray(UsbUpgradeC_GetLogs()[0]), QByteArray("result: not started"));
        QCOMPARE(UsbUpgrade_Start(nullptr, onUpgrade, 10000), 0);
        int count = 5;
        QCOMPARE(UsbUpgradeC_FindBootDevices(nullptr, &count), 0);
        QCOMPARE(count, 0);
        QCOMPARE(UsbUpgradeC_FindBootDevices(bytes(image), nullptr), 0);
    }

    // A run whose device, or the receiver it goes through, leaves the bus
    // fails at once and leaves the device waiting in boot mode, with its old
    // version; once back, the device takes the image again. Unplugging
    // anything else changes nothing.
    void unplugDuringARun_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("mouseOnCable");
        QTest::addColumn<QString>("unplugged");
        QTest::addColumn<bool>("fails");
        QTest::newRow("receiver") << 211 << "rx4k" << false << "rx4k" << true;
        QTest::newRow("mouse's cable") << 210 << "q7" << true << "q7" << true;
        QTest::newRow("receiver of a mouse off its cable") << 210 << "q7" << false << "rx4k" << true;
        QTest::newRow("receiver, mouse flashed over its cable") << 210 << "q7" << true << "rx4k" << false;
        QTest::newRow("another device") << 211 << "rx4k" << false << "q3" << false;
    }
    void unplugDuringARun()
    {
        QFETCH(int, kind);
        QFETCH(QString, target);
        QFETCH(bool, mouseOnCable);
        QFETCH(QString, unplugged);
        QFETCH(bool, fails);
        const QByteArray image = kind == 211 ? makeImage(211, 17, 0x0107, "Q7PRO_RX4K")
                                             : makeImage(210, 17, 0x0107, "Q7PRO_MOUSE");
        if (mouseOnCable)
            QVERIFY(hidsim::plug("q7"));
        hidsim::DeviceStatus before;
        QVERIFY(hidsim::device(target, &before));
        hidsim::setUpgradeHoldAt(20);
        QCOMPARE(UsbUpgrade_Start(bytes(image), onUpgrade, 10000), 1);
        QTRY_VERIFY(progressOf(packets()).contains(20));
        QVERIFY(hidsim::unplug(unplugged));
        if (!fails)
            hidsim::setUpgradeHoldAt(-1);
        QTRY_VERIFY(lastIsResult());
        QVERIFY(!hidsim::upgradeRunning());

        hidsim::DeviceStatus after;
        QVERIFY(hidsim::device(target, &after));
        QCOMPARE(after.bootMode, fails);
        QCOMPARE(after.version, fails ? before.version : 0x0107);
        if (!fails) {
            QCOMPARE(packets().last(), QByteArray("\x07\x02\x01", 3));
            return;
        }
        QCOMPARE(progressOf(packets()).last(), 20);
        QCOMPARE(packets().last(), QByteArray("\x07\x02\x00", 3));
        QCOMPARE(QByteArray(UsbUpgradeC_GetLogs()[4]), QByteArray("written: 20 %"));
        QCOMPARE(QByteArray(UsbUpgradeC_GetLogs()[5]), QByteArray("result: the device left the bus"));

        // Back on the bus, it waits for its image, and takes it.
        hidsim::setUpgradeHoldAt(-1);
        QVERIFY(hidsim::plug(unplugged));
        QCOMPARE(bootCount(image), 1);
        {
            QMutexLocker lock(&g_mutex);
            g_packets.clear();
        }
        QCOMPARE(UsbUpgrade_Start(bytes(image), onUpgrade, 10000), 1);
        QTRY_VERIFY(lastIsResult());
        QCOMPARE(packets().last(), QByteArray("\x07\x02\x01", 3));
        QVERIFY(hidsim::device(target, &after));
        QVERIFY(!after.bootMode);
        QCOMPARE(after.version, 0x0107);
    }

    // The control tool's boot mode is what a failed run leaves.
    void bootModeOnDemand()
    {
        const QByteArray image = makeImage(210, 17, 0x0107, "Q7PRO_MOUSE");
        QVERIFY(hidsim::setBootMode("q7", true));
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 0);
        QCOMPARE(bootCount(image), 1);
        QVERIFY(!hidsim::setBootMode("nobody", true));
        QCOMPARE(UsbUpgrade_Start(bytes(image), onUpgrade, 10000), 1);
        QTRY_VERIFY(lastIsResult());
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 1);
        QCOMPARE(UsbFinderC_GetVersion(kRx), 0x0107);
    }

    void pairingOutcomes_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("mouseAwake");
        QTest::addColumn<QVector<int>>("statuses");
        QTest::addColumn<bool>("paired");
        QTest::newRow("success") << 3 << true << QVector<int>{3} << true;
        QTest::newRow("no mouse to pair") << 3 << false << QVector<int>{2} << false;
        QTest::newRow("failure") << 2 << true << QVector<int>{2} << false;
        QTest::newRow("never answers") << 0 << true << QVector<int>{} << false;
    }
    void pairingOutcomes()
    {
        QFETCH(int, result);
        QFETCH(bool, mouseAwake);
        QFETCH(QVector<int>, statuses);
        QFETCH(bool, paired);
        QVERIFY(hidsim::unpair("q7"));
        hidsim::DeviceStatus rx;
        QVERIFY(hidsim::device("rx4k", &rx));
        QVERIFY(rx.pairedWith.isEmpty());
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 0);
        hidsim::setAwake("q7", mouseAwake);
        hidsim::setPairingResult(result);
        QVERIFY(UsbServerC_Start(kRx, kRx, onPairData));
        UsbServer_EnterDonglePairOnlyCid(42);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(pairStatuses(), statuses);
        QVERIFY(hidsim::device("rx4k", &rx));
        QCOMPARE(rx.pairedWith, paired ? QString("q7") : QString());
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), uchar(paired ? 1 : 0));
        UsbServer_Exit();
    }

    // While the receiver pairs it answers "still pairing"; another CID finds
    // no mouse.
    void pairingStatusAndCid()
    {
        hidsim::setPairingMs(60000);
        QVERIFY(UsbServerC_Start(kRx, kRx, onPairData));
        UsbServer_EnterDonglePairOnlyCid(42);
        UsbServer_ReadDonglePairStatus();
        QTRY_COMPARE(pairStatuses(), QVector<int>{1});
        hidsim::setPairingMs(1);
        UsbServer_EnterDonglePairOnlyCid(7);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(pairStatuses(), (QVector<int>{1, 2}));
        UsbServer_Exit();
    }

    // The receiver id written into a mouse pairs it with that receiver.
    void dongleIdToMouse()
    {
        QVERIFY(hidsim::unpair("q7"));
        QVERIFY(hidsim::plug("q7"));
        const unsigned char id[5] = {0x5a, 0x31, 0x07, 0, 1};
        QCOMPARE(UsbFinderC_SetDongleIDToMouse(kQ7, id), 1);
        hidsim::DeviceStatus q7;
        QVERIFY(hidsim::device("q7", &q7));
        QCOMPARE(q7.pairedWith, QString("rx4k"));
        QCOMPARE(q7.receiverId, QByteArray("\x5a\x31\x07"));
        QCOMPARE(UsbFinderC_SetDongleIDToMouse(kRx, id), 0);
        QCOMPARE(UsbFinderC_SetDongleIDToMouse("/dev/hidsim/none", id), 0);
        QCOMPARE(UsbFinderC_SetDongleIDToMouse(kQ7, nullptr), 0);
    }

    void directRequests()
    {
        unsigned char request[40] = {0xa5, 1, 2, 3, 4, 5, 6, 7};
        unsigned char reply[40] = {};
        QCOMPARE(UsbFinderC_OpenDevice("/dev/hidsim/none"), 0);
        QCOMPARE(UsbFinderC_ReadWriteDeviceData(request, reply, 40), 0);
        QCOMPARE(UsbFinderC_OpenDevice(kQ3), 1);
        QCOMPARE(UsbFinderC_ReadWriteDeviceData(request, reply, 40), 40);
        QVERIFY(std::memcmp(reply, request, 39) == 0);
        unsigned sum = 0;
        for (int i = 0; i < 39; ++i)
            sum += reply[i];
        QCOMPARE(reply[39], uchar(0x55 - sum));
        hidsim::unplug("q3");
        QCOMPARE(UsbFinderC_ReadWriteDeviceData(request, reply, 40), 0);
    }
};

QUEMBREL_TEST_MAIN(UpgradeTest)
#include "tst_upgrade.moc"
