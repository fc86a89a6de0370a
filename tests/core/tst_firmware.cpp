// Firmware image lookups over a temporary image folder.
#include "core/firmware.h"
#include "core/globals.h"
#include "core/settings.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstring>

namespace {

enum class Fault { None, Short, WrongLength, Unreadable, Huge };

struct TestImage
{
    QString file;
    quint32 version;
    Fault fault = Fault::None;
    int kind = 210;
    int mid = 17;
    QByteArray name = "Q7PRO_MOUSE";
};

QByteArray imageBytes(const TestImage& image)
{
    QByteArray file(HIDUSB_FIRMWARE_HEADER_SIZE + 64, '\0');
    uchar* d = reinterpret_cast<uchar*>(file.data());
    std::memcpy(d, HIDUSB_FIRMWARE_MAGIC, 4);
    const quint32 length = quint32(file.size()) + (image.fault == Fault::WrongLength ? 1 : 0);
    qToLittleEndian<quint32>(length, d + HIDUSB_FIRMWARE_LENGTH_OFFSET);
    qToLittleEndian<quint32>(image.version, d + HIDUSB_FIRMWARE_VERSION_OFFSET);
    d[HIDUSB_FIRMWARE_KIND_OFFSET] = uchar(image.kind);
    d[HIDUSB_FIRMWARE_CID_OFFSET] = 42;
    d[HIDUSB_FIRMWARE_MID_OFFSET] = uchar(image.mid);
    std::memcpy(d + HIDUSB_FIRMWARE_NAME_OFFSET, image.name.constData(), size_t(image.name.size()));
    if (image.fault == Fault::Short)
        file.truncate(HIDUSB_FIRMWARE_HEADER_SIZE - 1);
    // Longer than any device takes, its length field agreeing.
    if (image.fault == Fault::Huge) {
        file.append(QByteArray(HIDUSB_FIRMWARE_MAX_SIZE, '\0'));
        qToLittleEndian<quint32>(quint32(file.size()), reinterpret_cast<uchar*>(file.data()) + HIDUSB_FIRMWARE_LENGTH_OFFSET);
    }
    return file;
}

quint32 versionOf(const QList<QByteArray>& kept)
{
    if (kept.isEmpty())
        return 0;
    const uchar* d = reinterpret_cast<const uchar*>(kept.first().constData());
    return qFromLittleEndian<quint32>(d + HIDUSB_FIRMWARE_VERSION_OFFSET);
}

} // namespace

Q_DECLARE_METATYPE(QList<TestImage>)

class FirmwareTest : public QObject
{
    Q_OBJECT

    QString folder;

    void writeImages(const QList<TestImage>& images)
    {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (const TestImage& image : images) {
            const QString path = folder + QLatin1Char('/') + image.file;
            if (image.fault == Fault::Unreadable) {
                // Opens but never reads, also for root, whom file modes do not stop.
                QVERIFY(QFile::link(QStringLiteral("/proc/self/clear_refs"), path));
                continue;
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(imageBytes(image));
        }
    }

private slots:
    void init()
    {
        folder = testsupport::homeDir() + QStringLiteral("/install/bin");
        setFirmwareFolderForTests(folder);
        ConfigSettings::resetForTests();
        currentDevice = DeviceAllInfo();
    }

    void versionText_data()
    {
        QTest::addColumn<quint32>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("minor below ten") << quint32(0x0105) << "v1.05";
        QTest::newRow("hex minor") << quint32(0x010A) << "v1.0A";
        QTest::newRow("two-digit major") << quint32(0x0A0F) << "v10.0F";
        QTest::newRow("upper bytes are major") << quint32(0x00010203) << "v258.03";
    }
    void versionText()
    {
        QFETCH(quint32, version);
        QFETCH(QString, text);
        QCOMPARE(firmwareVersionText(version), text);
    }

    void lookups_data()
    {
        QTest::addColumn<QList<TestImage>>("images");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("current");
        QTest::addColumn<quint32>("kept");        // version findFirmwareUpdateFile keeps, 0 none
        QTest::addColumn<bool>("probe");
        QTest::addColumn<quint32>("repairKept");  // version findFirmwareFile keeps, 0 none

        const QList<TestImage> none;
        QTest::newRow("missing folder") << none << false << "v1.03" << 0u << false << 0u;
        QTest::newRow("empty folder") << none << true << "v1.03" << 0u << false << 0u;
        QTest::newRow("equal version")
            << QList<TestImage>{{"a.bin", 0x0105}} << true << "v1.05" << 0u << false << 0u;
        QTest::newRow("older version counts as update")
            << QList<TestImage>{{"a.bin", 0x0104}} << true << "v1.05" << 0x0104u << true << 0x0104u;
        QTest::newRow("newer version")
            << QList<TestImage>{{"a.bin", 0x0106}} << true << "v1.05" << 0x0106u << true << 0x0106u;
        QTest::newRow("empty current version: taken, probe says no")
            << QList<TestImage>{{"a.bin", 0x0105}} << true << "" << 0x0105u << false << 0x0105u;
        QTest::newRow("last match in name order, case ignored")
            << QList<TestImage>{{"B.bin", 0x0107}, {"a.bin", 0x0106}} << true << "v1.05" << 0x0107u << true
            << 0x0107u;
        QTest::newRow("other kind, MID or name")
            << QList<TestImage>{{"a.bin", 0x0106, Fault::None, 211},
                                {"b.bin", 0x0106, Fault::None, 210, 18},
                                {"c.bin", 0x0106, Fault::None, 210, 17, "Q7PRO_MOUSE2"}}
            << true << "v1.05" << 0u << false << 0u;
        QTest::newRow("short image skipped")
            << QList<TestImage>{{"a.bin", 0x0104}, {"b.bin", 0x0106, Fault::Short}} << true << "v1.05" << 0x0104u
            << true << 0x0104u;
        QTest::newRow("only a short image")
            << QList<TestImage>{{"a.bin", 0x0106, Fault::Short}} << true << "v1.05" << 0u << false << 0u;
        QTest::newRow("length field disagrees")
            << QList<TestImage>{{"a.bin", 0x0104}, {"b.bin", 0x0106, Fault::WrongLength}} << true << "v1.05"
            << 0x0104u << true << 0x0104u;
        QTest::newRow("image longer than any device takes skipped")
            << QList<TestImage>{{"a.bin", 0x0104}, {"b.bin", 0x0106, Fault::Huge}} << true << "v1.05" << 0x0104u
            << true << 0x0104u;
        QTest::newRow("unreadable image skipped, scan goes on")
            << QList<TestImage>{{"a.bin", 0x0104}, {"b.bin", 0, Fault::Unreadable}, {"c.bin", 0x0106}} << true
            << "v1.05" << 0x0106u << true << 0x0106u;
        QTest::newRow("only an unreadable image")
            << QList<TestImage>{{"a.bin", 0, Fault::Unreadable}} << true << "v1.05" << 0u << false << 0u;
        // 1.0B and 1.0A both read as the number 0: the update scan stops
        // there, the repair scan does not.
        QTest::newRow("same number stops the update scan only")
            << QList<TestImage>{{"a.bin", 0x010B}, {"b.bin", 0x0104}} << true << "v1.0A" << 0u << false << 0x0104u;
        QTest::newRow("1.05 against 1.0A does not stop")
            << QList<TestImage>{{"a.bin", 0x0105}, {"b.bin", 0x0104}} << true << "v1.0A" << 0x0104u << true
            << 0x0104u;
    }
    void lookups()
    {
        QFETCH(QList<TestImage>, images);
        QFETCH(bool, folderExists);
        QFETCH(QString, current);
        QFETCH(quint32, kept);
        QFETCH(bool, probe);
        QFETCH(quint32, repairKept);

        writeImages(images);
        if (!folderExists)
            QDir(folder).removeRecursively();

        // A pending image from an earlier scan must never survive a new one.
        firmwareImages = {QByteArray("stale")};
        repairFirmwareList = {QByteArray("stale")};
        const QString name = QStringLiteral("Q7PRO_MOUSE");

        QCOMPARE(findFirmwareUpdateFile(210, current, name, 42, 17), kept != 0);
        QCOMPARE(firmwareImages.size(), kept != 0 ? 1 : 0);
        QCOMPARE(versionOf(firmwareImages), kept);

        QCOMPARE(probeFirmwareUpdateFile(210, current, name, 42, 17), probe);

        QCOMPARE(findFirmwareFile(210, current, name, 42, 17), repairKept != 0);
        QCOMPARE(repairFirmwareList.size(), repairKept != 0 ? 1 : 0);
        QCOMPARE(versionOf(repairFirmwareList), repairKept);
        // The repair scan has a list of its own.
        QCOMPARE(versionOf(firmwareImages), kept);
    }

    // An image is offered exactly when the library would flash it: at the
    // bounds of its length, with a damaged magic, of an unknown kind.
    void offeredAsTheLibraryFlashes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("offered");
        const QByteArray magic(HIDUSB_FIRMWARE_MAGIC);
        const int largest = HIDUSB_FIRMWARE_MAX_SIZE;
        const int header = HIDUSB_FIRMWARE_HEADER_SIZE;
        QTest::newRow("largest a device takes") << largest << magic << 210 << true;
        QTest::newRow("one byte over the largest") << largest + 1 << magic << 210 << false;
        QTest::newRow("header alone") << header << magic << 210 << true;
        QTest::newRow("damaged magic") << header + 64 << QByteArray("QFW2") << 210 << false;
        QTest::newRow("neither mouse nor receiver") << header + 64 << magic << 212 << false;
    }
    void offeredAsTheLibraryFlashes()
    {
        QFETCH(int, size);
        QFETCH(QByteArray, magic);
        QFETCH(int, kind);
        QFETCH(bool, offered);
        // The default bus's Q7 Pro mouse, reached through its receiver,
        // takes a Q7 Pro mouse image.
        hidsim::resetToDefaultBus();
        hidsim::setUpgradeStepMs(1);
        QByteArray image = imageBytes({"a.bin", 0x0107, Fault::None, kind});
        image.resize(size);
        uchar* d = reinterpret_cast<uchar*>(image.data());
        std::memcpy(d, magic.constData(), 4);
        qToLittleEndian<quint32>(quint32(size), d + HIDUSB_FIRMWARE_LENGTH_OFFSET);
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + QStringLiteral("/a.bin"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(image) == size);
        file.close();

        QCOMPARE(findFirmwareUpdateFile(kind, "v1.05", "Q7PRO_MOUSE", 42, 17), offered);
        QCOMPARE(probeFirmwareUpdateFile(kind, "v1.05", "Q7PRO_MOUSE", 42, 17), offered);
        QCOMPARE(findFirmwareFile(kind, QString(), "Q7PRO_MOUSE", 42, 17), offered);
        const auto ignore = [](const unsigned char*, int) {};
        QCOMPARE(UsbUpgrade_Start(reinterpret_cast<const unsigned char*>(image.constData()), ignore, 10000) != 0,
                 offered);
        QVERIFY(hidsim::waitForIdle());
    }

    void hasUpdate_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("rateClass");
        QTest::addColumn<bool>("expected");
        QTest::newRow("receiver, older") << 211 << "v1.02" << 4 << true;
        QTest::newRow("receiver, same") << 211 << "v1.04" << 4 << false;
        QTest::newRow("receiver, no image of its class") << 211 << "v1.02" << 2 << false;
        QTest::newRow("receiver, unknown class") << 211 << "v1.02" << 3 << false;
        QTest::newRow("mouse ignores the class") << 210 << "v1.03" << 3 << true;
        QTest::newRow("mouse, version unknown") << 210 << "" << 0 << false;
    }
    void hasUpdate()
    {
        QFETCH(int, kind);
        QFETCH(QString, current);
        QFETCH(int, rateClass);
        QFETCH(bool, expected);
        // The installation's catalogue: model 1 is the Q7 Pro, CID 42, MID 17.
        writeImages({{"mouse.bin", 0x0105},
                     {"rx4k.bin", 0x0104, Fault::None, 211, 17, "Q7PRO_RX4K"}});
        upgradeCid = 0;
        firmwareImages.clear();
        QCOMPARE(hasFirmwareUpdate(kind, current, rateClass), expected);
        QCOMPARE(upgradeCid, 42);
        QVERIFY(firmwareImages.isEmpty());
    }

    // Version bytes of 0x10 and more: the minor byte shows as two whole hex
    // digits, a major byte of 0x80 and more as a number above 127, and the
    // update lookup compares the whole text.
    void versionBytesFrom0x10_data()
    {
        QTest::addColumn<quint32>("image");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("offered");
        QTest::newRow("minor 0x10, same") << 0x0110u << "v1.10" << "v1.10" << false;
        QTest::newRow("minor 0x10 against 0x00") << 0x0110u << "v1.10" << "v1.00" << true;
        QTest::newRow("minor 0x10 against 0x0F") << 0x0110u << "v1.10" << "v1.0F" << true;
        QTest::newRow("minor 0xFF, same") << 0x01FFu << "v1.FF" << "v1.FF" << false;
        QTest::newRow("major 0x80, same") << 0x8005u << "v128.05" << "v128.05" << false;
        QTest::newRow("major 0x80 against 0x00") << 0x8005u << "v128.05" << "v0.05" << true;
        QTest::newRow("major 0xFF, same") << 0xFF10u << "v255.10" << "v255.10" << false;
    }
    void versionBytesFrom0x10()
    {
        QFETCH(quint32, image);
        QFETCH(QString, text);
        QFETCH(QString, current);
        QFETCH(bool, offered);
        QCOMPARE(firmwareVersionText(image), text);
        writeImages({{"a.bin", image}});
        const QString name = QStringLiteral("Q7PRO_MOUSE");
        QCOMPARE(findFirmwareUpdateFile(210, current, name, 42, 17), offered);
        QCOMPARE(versionOf(firmwareImages), offered ? image : 0u);
        QCOMPARE(probeFirmwareUpdateFile(210, current, name, 42, 17), offered);
    }
};

QUEMBREL_TEST_MAIN(FirmwareTest)
#include "tst_firmware.moc"
