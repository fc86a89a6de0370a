#include "support/testsupport.h"

#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

#include <QRandomGenerator>

namespace image = hidsim::image;

namespace {

unsigned char* bytes(QByteArray& a)
{
    return reinterpret_cast<unsigned char*>(a.data());
}

const unsigned char* bytes(const QByteArray& a)
{
    return reinterpret_cast<const unsigned char*>(a.constData());
}

// A record with noise in every byte the image carries verbatim, and `macros`
// macro blocks of `nameLength` name bytes and `events` events each.
QByteArray makeRecord(int macros, int nameLength, int events, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray rec(HIDUSB_RECORD_SIZE, '\0');
    for (int i = 0; i < image::kMacroBlocks; ++i)
        rec[i] = char(rng.bounded(256));
    for (int k = 0; k < image::kBlocks; ++k)
        rec[image::kKeyBlocks + k * image::kKeyBlockSize] = char(rng.bounded(image::kKeyEventsMax + 1));
    for (int k = 0; k < macros; ++k) {
        char* block = rec.data() + image::kMacroBlocks + k * image::kMacroBlockSize;
        block[0] = char(nameLength);
        for (int i = 0; i < nameLength; ++i)
            block[1 + i] = char('A' + rng.bounded(26));
        block[image::kMacroCountByte] = char(events);
        for (int i = 0; i < events * image::kEventSize; ++i)
            block[image::kMacroEvents + i] = char(rng.bounded(256));
    }
    return rec;
}

// Ten full macros, five empty ones, and a last one of a 12-byte name and
// one event: together exactly the device's macro space, `extraNameBytes` more
// with a longer last name.
QByteArray recordFillingTheMacroSpace(int extraNameBytes = 0)
{
    QByteArray rec = makeRecord(10, image::kMacroNameMax, image::kMacroEventsMax, 14);
    char* last = rec.data() + image::kMacroBlocks + 15 * image::kMacroBlockSize;
    last[0] = char(12 + extraNameBytes);
    for (int i = 0; i < 12 + extraNameBytes; ++i)
        last[1 + i] = char('a' + i);
    last[image::kMacroCountByte] = 1;
    for (int i = 0; i < image::kEventSize; ++i)
        last[image::kMacroEvents + i] = char(0xf0 + i);
    return rec;
}

} // namespace

class FlashImageTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
    }

    void recordSurvivesImage_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("factory") << image::factoryRecord(0);
        QTest::newRow("noise, no macros") << makeRecord(0, 0, 0, 1);
        QTest::newRow("16 short macros") << makeRecord(16, 5, 10, 2);
        QTest::newRow("10 full macros") << makeRecord(10, image::kMacroNameMax, image::kMacroEventsMax, 3);
        QTest::newRow("16 long names, no events") << makeRecord(16, image::kMacroNameMax, 0, 4);
    }

    void recordSurvivesImage()
    {
        QFETCH(QByteArray, record);
        QVERIFY(image::recordProblem(bytes(record)).isEmpty());
        QByteArray img(HIDUSB_IMAGE_SIZE, '\0');
        QVERIFY(image::pack(bytes(record), bytes(img)));
        QByteArray back(HIDUSB_RECORD_SIZE, '\x55');
        QVERIFY(ProtocolDataParser(bytes(img), back.data()));
        QCOMPARE(back, record);
    }

    // Bytes behind a macro's name and events are not part of the macro: the
    // device keeps them as zero, the same as an image round trip gives.
    void paddingBehindMacrosReadsAsZero()
    {
        QByteArray rec = makeRecord(3, 4, 2, 12);
        rec[image::kMacroBlocks + 10] = 'x';
        rec[image::kMacroBlocks + image::kMacroBlockSize - 1] = 'y';
        QByteArray img(HIDUSB_IMAGE_SIZE, '\0');
        QVERIFY(image::pack(bytes(rec), bytes(img)));
        QByteArray back(HIDUSB_RECORD_SIZE, '\0');
        QVERIFY(image::unpack(bytes(img), bytes(back)));
        QCOMPARE(image::canonical(rec), back);
        QCOMPARE(back[image::kMacroBlocks + 10], '\0');
        QCOMPARE(back[image::kMacroBlocks + image::kMacroBlockSize - 1], '\0');
        rec[image::kMacroBlocks + 10] = 0;
        rec[image::kMacroBlocks + image::kMacroBlockSize - 1] = 0;
        QCOMPARE(back, rec);
    }

    void recordThatDoesNotFit_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("reason");
        QTest::newRow("11 full macros") << makeRecord(11, image::kMacroNameMax, image::kMacroEventsMax, 5)
                                        << "the macros need";
        QByteArray longName = makeRecord(1, 3, 1, 6);
        longName[image::kMacroBlocks] = char(image::kMacroNameMax + 1);
        QTest::newRow("name of 31 bytes") << longName << "name of 31 bytes";
        QByteArray manyEvents = makeRecord(1, 3, 1, 7);
        manyEvents[image::kMacroBlocks + image::kMacroCountByte] = char(image::kMacroEventsMax + 1);
        QTest::newRow("71 macro events") << manyEvents << "71 events";
        QByteArray manyKeys = makeRecord(0, 0, 0, 8);
        manyKeys[image::kKeyBlocks + 3 * image::kKeyBlockSize] = char(image::kKeyEventsMax + 1);
        QTest::newRow("7 key events") << manyKeys << "key block 3 holds 7";
    }

    // The device refuses the record whole, says so once, and keeps what it had.
    void recordThatDoesNotFit()
    {
        QFETCH(QByteArray, record);
        QFETCH(QString, reason);
        QByteArray img(HIDUSB_IMAGE_SIZE, '\x33');
        const QByteArray untouched = img;
        QVERIFY(!image::pack(bytes(record), bytes(img)));
        QCOMPARE(img, untouched);

        QVERIFY(UsbServerC_Start("/dev/hidsim/q3", "/dev/hidsim/q3", nullptr));
        const QByteArray before = hidsim::storedRecord("q3");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("q3 refused a record: .*" + QRegularExpression::escape(reason)));
        QCOMPARE(ProtocolDataUpdate(record.constData()), 0);
        QCOMPARE(hidsim::storedRecord("q3"), before);
        QCOMPARE(hidsim::recordsSent().size(), 1);
        QCOMPARE(hidsim::recordsSent().first(), record);
        QCOMPARE(hidsim::recordsTaken(), 0);
        UsbServer_Exit();
    }

    void parserRejectsInvalidImage_data()
    {
        QTest::addColumn<QByteArray>("img");
        QByteArray good(HIDUSB_IMAGE_SIZE, '\0');
        QVERIFY(image::pack(bytes(makeRecord(4, 8, 12, 9)), bytes(good)));
        QTest::newRow("zeros") << QByteArray(HIDUSB_IMAGE_SIZE, '\0');
        QByteArray flipped = good;
        flipped[image::kMacroBlocks + 20] = char(flipped[image::kMacroBlocks + 20] ^ 0x01);
        QTest::newRow("one bit flipped") << flipped;
        QByteArray noise(HIDUSB_IMAGE_SIZE, '\0');
        QRandomGenerator rng(10);
        for (char& c : noise)
            c = char(rng.bounded(256));
        QTest::newRow("noise") << noise;
    }

    void parserRejectsInvalidImage()
    {
        QFETCH(QByteArray, img);
        QByteArray record(HIDUSB_RECORD_SIZE, '\x5a');
        const QByteArray untouched = record;
        QCOMPARE(ProtocolDataParser(bytes(img), record.data()), 0);
        QCOMPARE(record, untouched);
    }

    // Macros that fill the device's macro space to the last byte are taken
    // and read back whole; one byte more is refused.
    void macrosFillingTheMacroSpace()
    {
        const QByteArray rec = recordFillingTheMacroSpace();
        QVERIFY(image::recordProblem(bytes(rec)).isEmpty());
        QByteArray img(HIDUSB_IMAGE_SIZE, '\0');
        QVERIFY(image::pack(bytes(rec), bytes(img)));
        QByteArray back(HIDUSB_RECORD_SIZE, '\x55');
        QVERIFY(image::unpack(bytes(img), bytes(back)));
        QCOMPARE(back, rec);

        QVERIFY(UsbServerC_Start("/dev/hidsim/q3", "/dev/hidsim/q3", nullptr));
        QCOMPARE(ProtocolDataUpdate(rec.constData()), 1);
        QCOMPARE(hidsim::storedRecord("q3"), rec);
        const QByteArray over = recordFillingTheMacroSpace(1);
        QCOMPARE(image::recordProblem(bytes(over)),
                 QStringLiteral("the macros need %1 bytes, the device holds %2").arg(image::kMacroSpace + 1).arg(int(image::kMacroSpace)));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("q3 refused a record: the macros need"));
        QCOMPARE(ProtocolDataUpdate(over.constData()), 0);
        QCOMPARE(hidsim::storedRecord("q3"), rec);
        UsbServer_Exit();
    }

    // One flipped bit in any 32-bit word of an image, trailer included, makes
    // it invalid. The image has no padding, so only the checksum and the
    // macro counts can tell.
    void flippedBitInAnyWord()
    {
        QByteArray good(HIDUSB_IMAGE_SIZE, '\0');
        QVERIFY(image::pack(bytes(recordFillingTheMacroSpace()), bytes(good)));
        QByteArray record(HIDUSB_RECORD_SIZE, '\x5a');
        const QByteArray untouched = record;
        QByteArray img = good;
        for (int word = 0; word < HIDUSB_IMAGE_SIZE / 4; ++word) {
            for (int bit = 0; bit < 32; ++bit) {
                char* byte = img.data() + 4 * word + bit / 8;
                *byte = char(*byte ^ (1 << (bit % 8)));
                if (image::unpack(bytes(img), bytes(record)))
                    QFAIL(qPrintable(QStringLiteral("bit %1 of word %2 flipped went unseen").arg(bit).arg(word)));
                *byte = char(*byte ^ (1 << (bit % 8)));
            }
        }
        QCOMPARE(img, good);
        QCOMPARE(record, untouched);
    }

    // A sealed image with stray bytes behind its macros is refused, however
    // the checksum agrees.
    void strayBytesAfterTheMacros_data()
    {
        QTest::addColumn<int>("offset");
        // Four macros of 8 name bytes and 12 events, twelve empty ones.
        const int end = image::kMacroBlocks + 4 * (2 + 8 + 12 * image::kEventSize) + 12 * 2;
        QTest::newRow("first byte behind the macros") << end;
        QTest::newRow("last byte before the trailer") << HIDUSB_IMAGE_SIZE - image::kTrailerSize - 1;
    }
    void strayBytesAfterTheMacros()
    {
        QFETCH(int, offset);
        QByteArray img(HIDUSB_IMAGE_SIZE, '\0');
        QVERIFY(image::pack(bytes(makeRecord(4, 8, 12, 15)), bytes(img)));
        QByteArray record(HIDUSB_RECORD_SIZE, '\x5a');
        QVERIFY(image::unpack(bytes(img), bytes(record)));
        QCOMPARE(img.at(offset), '\0');
        img[offset] = 1;
        image::seal(bytes(img));
        const QByteArray before = record;
        QVERIFY(!image::unpack(bytes(img), bytes(record)));
        QCOMPARE(ProtocolDataParser(bytes(img), record.data()), 0);
        QCOMPARE(record, before);
    }

    // The payload decoders fill exactly the record bytes the reports stand for.
    void payloadsDecodeToRecordBytes()
    {
        QByteArray rec = makeRecord(0, 0, 0, 11);
        QByteArray out(HIDUSB_RECORD_SIZE, '\0');
        BufferToDPILed(bytes(image::dpiLedPayload(rec)), bytes(out) + image::kDpiLed);
        BufferToLedBar(bytes(image::ledBarPayload(rec)), bytes(out) + image::kLedBar);
        QCOMPARE(out.mid(image::kDpiLed, image::kDpiLedSize + image::kLedBarSize),
                 rec.mid(image::kDpiLed, image::kDpiLedSize + image::kLedBarSize));
        QCOMPARE(out.left(image::kDpiLed), QByteArray(image::kDpiLed, '\0'));
        QCOMPARE(out.mid(image::kLedBar + image::kLedBarSize), QByteArray(HIDUSB_RECORD_SIZE - image::kLedBar - image::kLedBarSize, '\0'));

        unsigned char battery[HIDUSB_BATTERY_CELL_SIZE] = {9, 9, 9, 9};
        GetDeviceBatteryStatus(bytes(image::batteryPayload(37, true)), battery);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(battery), 4), QByteArray("\x25\x01\x00\x00", 4));

        unsigned char status[HIDUSB_STATUS_CELL_SIZE];
        GetDeviceStatusChanged(bytes(image::statusPayload(image::kStatusCurrentDpi | image::kStatusLedBar | image::kStatusBattery)), status);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(status), 7), QByteArray("\x01\x00\x00\x00\x00\x01\x01", 7));
    }

    // Factory records: counts within bounds, and 800 DPI as (15, 15, 0).
    void factoryRecordIsPlausible()
    {
        for (int p = 0; p < image::kProfiles; ++p) {
            const QByteArray rec = image::factoryRecord(p);
            QVERIFY(image::recordProblem(bytes(rec)).isEmpty());
            QCOMPARE(int(rec[image::kReportRate]), 1);
            QCOMPARE(int(rec[image::kDpiStageCount]), 4);
            QCOMPARE(rec.mid(image::kDpiStages + image::kDpiStageSize, 3), QByteArray("\x0f\x0f\x00", 3));
        }
        QVERIFY(image::factoryRecord(0) != image::factoryRecord(1));
    }
};

QUEMBREL_TEST_MAIN(FlashImageTest)
#include "tst_flashimage.moc"
