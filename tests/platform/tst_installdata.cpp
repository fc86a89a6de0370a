#include "support/sensorfixture.h"
#include "support/testsupport.h"

#include "buttons/buttoninterface.h"
#include "core/flashdatamap.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/dpiencoding.h"

#include <QLineEdit>
#include <QSettings>
#include <QtEndian>

// The installation data beside the built program: the device catalogue in
// Config.ini, the sensor definitions in driver_sensor.h and the firmware
// images in bin/ must agree with each other and with the simulated devices.

namespace {

QString installPath(const QString& relative)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + relative;
}

// Keys whose values Config.ini holds as Base64 of their text.
bool isEncodedKey(const QString& key)
{
    static const QStringList keys = {"MM", "DM", "D2M", "D4M", "D8M", "Sensor", "CID", "VID",
                                     "USB_PID", "Wireless_PID", "Wireless2_PID",
                                     "Wireless4_PID", "Wireless8_PID"};
    return keys.contains(key);
}

QString decoded(const QString& stored)
{
    return QString::fromUtf8(QByteArray::fromBase64(stored.toUtf8()))
        .remove(QLatin1Char('\n'))
        .remove(QLatin1Char(' '));
}

// Config.ini read as the program reads it: plain or decoded, text or list.
class Catalogue
{
public:
    Catalogue() : settings(installPath("usersetting/Config.ini"), QSettings::IniFormat)
    {
        settings.setIniCodec("UTF-8");
    }
    bool has(const QString& group, const QString& key) const
    {
        return settings.contains(group + QLatin1Char('/') + key);
    }
    QString value(const QString& group, const QString& key) const
    {
        const QString text = settings.value(group + QLatin1Char('/') + key).toString();
        return isEncodedKey(key) ? decoded(text) : text;
    }
    QStringList list(const QString& group, const QString& key) const
    {
        QStringList items = settings.value(group + QLatin1Char('/') + key).toStringList();
        if (isEncodedKey(key))
            for (QString& item : items)
                item = decoded(item);
        return items;
    }
    int number(const QString& group, const QString& key) const
    {
        return value(group, key).toInt();
    }
    QStringList driveGroups() const
    {
        QStringList groups;
        for (int n = 1; n <= number("Option", "DeviceTotal"); ++n)
            groups << QStringLiteral("Drive%1").arg(n);
        return groups;
    }

private:
    QSettings settings;
};

// driver_sensor.h read by the program's reader, and the lines that start
// "#define SENSOR_" however they are written: each must be one the reader takes.
struct SensorFile
{
    SensorFeatureSwitches switches;
    SensorDefineTable defines;
    int defineLines = 0;

    bool read()
    {
        const QString path = sensorDefinitionPath();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return false;
        while (!file.atEnd())
            defineLines += file.readLine().startsWith("#define SENSOR_");
        readSensorDefinitions(path, &switches, &defines);
        return true;
    }
};

// Catalogue ranges are complete: 3 items per range and the mode.
bool validRanges(const QStringList& items, const DpiRangeTable& table)
{
    return table.rangeCount >= 1 && table.rangeCount <= 4 && items.size() == 3 * table.rangeCount + 1;
}

struct FirmwareHeader
{
    QByteArray magic;
    quint32 length = 0;
    quint32 version = 0;
    int kind = 0, cid = 0, mid = 0;
    QString name;
};

FirmwareHeader parseHeader(const QByteArray& file)
{
    FirmwareHeader h;
    const uchar* d = reinterpret_cast<const uchar*>(file.constData());
    h.magic = file.left(4);
    h.length = qFromLittleEndian<quint32>(d + 4);
    h.version = qFromLittleEndian<quint32>(d + 16);
    h.kind = d[20];
    h.cid = d[21];
    h.mid = d[22];
    const QByteArray nameField = file.mid(87, 64);
    h.name = QString::fromLocal8Bit(nameField.left(nameField.indexOf('\0') < 0 ? 64 : nameField.indexOf('\0')));
    return h;
}

QVector<QPair<QString, FirmwareHeader>> readFirmwareImages()
{
    QVector<QPair<QString, FirmwareHeader>> images;
    const QDir dir(installPath("bin"));
    for (const QFileInfo& info : dir.entryInfoList({"*.bin"}, QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        QFile f(info.filePath());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = f.readAll();
        FirmwareHeader h;
        if (bytes.size() >= HIDUSB_FIRMWARE_HEADER_SIZE)
            h = parseHeader(bytes);
        images.append({info.fileName(), h});
        if (h.length != quint32(bytes.size()))
            images.last().second.length = ~0u;  // marks a length that disagrees
    }
    return images;
}

// The catalogue group whose MID the device answers, or "".
QString groupOf(const Catalogue& c, int mid)
{
    for (const QString& group : c.driveGroups())
        if (c.number(group, "MID") == mid)
            return group;
    return QString();
}

// The catalogue group of a mouse of the default bus; empty when none.
QString groupOfMouse(const Catalogue& c, const QString& id)
{
    hidsim::resetToDefaultBus();
    hidsim::DeviceStatus d;
    return hidsim::device(id, &d) ? groupOf(c, d.mid) : QString();
}

// A receiver's product-id list and firmware key by its device type.
struct ReceiverClass
{
    int type;
    const char* pidKey;
    const char* firmwareKey;
};
const ReceiverClass kReceiverClasses[] = {{0, "Wireless_PID", "DM"},
                                          {4, "Wireless2_PID", "D2M"},
                                          {1, "Wireless4_PID", "D4M"},
                                          {5, "Wireless8_PID", "D8M"}};

// One test row per catalogue model.
void addModelRows()
{
    QTest::addColumn<QString>("group");
    for (const QString& group : Catalogue().driveGroups())
        QTest::newRow(qPrintable(group)) << group;
}

} // namespace

class InstallDataTest : public QObject
{
    Q_OBJECT
private slots:
    void filesArePresent()
    {
        QVERIFY(QFile::exists(installPath("usersetting/Config.ini")));
        QVERIFY(QFile::exists(installPath("driver_sensor.h")));
        QVERIFY(QDir(installPath("bin")).exists());
    }

    // The catalogue and the simulated bus (README, "The simulated devices").
    void catalogueValues_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* g, const char* k, QStringList v) {
            QTest::addRow("%s/%s", g, k) << QString(g) << QString(k) << v;
        };
        row("Option", "CID", {"42"});
        row("Option", "VID", {"3A5C"});
        row("Option", "DeviceTotal", {"2"});
        row("Option", "USB_PID", {"5110", "5120"});
        row("Option", "Wireless_PID", {"5111"});
        row("Option", "Wireless2_PID", {"5112"});
        row("Option", "Wireless4_PID", {"5114"});
        row("Option", "Wireless8_PID", {"5118"});
        row("Option", "ShowBatteryValue", {"1"});
        row("Drive1", "MID", {"17"});
        row("Drive1", "Sensor", {"3395"});
        row("Drive1", "MM", {"Q7PRO_MOUSE"});
        row("Drive1", "DM", {"Q7PRO_RX1K"});
        row("Drive1", "D2M", {"Q7PRO_RX2K"});
        row("Drive1", "D4M", {"Q7PRO_RX4K"});
        row("Drive1", "D8M", {"Q7PRO_RX8K"});
        row("Drive1", "KeyNumber", {"12"});
        row("Drive1", "Adveanced", {"0", "1"});
        row("Drive2", "MID", {"18"});
        row("Drive2", "Sensor", {"3950"});
        row("Drive2", "MM", {"Q3_MOUSE"});
        row("Drive2", "DM", {""});
        row("Drive2", "D4M", {""});
        row("Drive2", "KeyNumber", {"12"});
        row("Drive2", "Adveanced", {"-1", "-1"});
    }
    void catalogueValues()
    {
        QFETCH(QString, group);
        QFETCH(QString, key);
        QFETCH(QStringList, expected);
        const Catalogue c;
        QVERIFY2(c.has(group, key), "key missing");
        if (expected.size() == 1)
            QCOMPARE(c.value(group, key), expected.first());
        QCOMPARE(c.list(group, key), expected);
    }

    // Keys read as one text must not hold a comma, or QSettings turns them
    // into a list and the program reads "".
    void textKeysAreSingleValues()
    {
        const Catalogue c;
        const QStringList optionKeys = {"CID", "VID", "InterfaceId", "DeviceId", "DeviceTotal",
                                        "ShowBatteryValue", "Transition"};
        for (const QString& key : optionKeys) {
            QVERIFY2(c.has("Option", key), qPrintable(key));
            QVERIFY2(c.list("Option", key).size() == 1, qPrintable(key));
        }
        const QStringList driveKeys = {"MID", "Sensor", "DPIMaxGrade", "XIn1", "KeyNumber",
                                       "MM", "DM", "D2M", "D4M", "D8M"};
        const QStringList groups = c.driveGroups();
        QCOMPARE(groups.size(), 2);
        for (const QString& group : groups)
            for (const QString& key : driveKeys)
                QVERIFY2(c.has(group, key) && c.list(group, key).size() == 1,
                         qPrintable(group + "/" + key));
    }

    // Every model's lists in the form their readers index them.
    void modelLists_data() { addModelRows(); }
    void modelLists()
    {
        QFETCH(QString, group);
        const Catalogue c;
        const int maxGrade = c.number(group, "DPIMaxGrade");
        QVERIFY(maxGrade >= 1 && maxGrade <= 8);
        QVERIFY(!c.value(group, "XIn1").isEmpty());

        const QStringList colours = c.list(group, "DPIColor");
        QCOMPARE(colours.size(), 24);
        for (const QString& v : colours)
            QVERIFY2(v.toInt() >= 0 && v.toInt() <= 255 && !v.isEmpty(), qPrintable(v));

        const QStringList rangeItems = c.list(group, "DPIRange");
        const DpiRangeTable table = testsupport::rangeTableOf(rangeItems);
        QVERIFY(validRanges(rangeItems, table));
        QVERIFY(table.rangeMode == 0x33 || table.rangeMode == 0x22 || table.rangeMode == 0x11 || table.rangeMode == 0);
        int previousMax = 0;
        for (int r = 0; r < table.rangeCount; ++r) {
            const int min = table.minimums.at(r), max = table.maximums.at(r);
            const int step = table.ranges[r].step.toInt();
            QVERIFY(step > 0 && min > previousMax && min <= max);
            // The editor snaps down to a multiple of the step counted from 0.
            QCOMPARE(min % step, 0);
            QCOMPARE(max % step, 0);
            previousMax = max;
        }

        const QStringList grades = c.list(group, "DPIGrade");
        QCOMPARE(grades.size(), 8);
        for (const QString& g : grades) {
            const int dpi = g.toInt();
            bool onSlider = false;
            for (int r = 0; r < table.rangeCount; ++r)
                onSlider |= dpi >= table.minimums.at(r) && dpi <= table.maximums.at(r)
                    && dpi % table.ranges[r].step.toInt() == 0;
            QVERIFY2(onSlider, qPrintable("grade " + g + " is not a slider value"));
        }

        QCOMPARE(c.number(group, "KeyNumber"), 12);
        for (int i = 1; i <= 6; ++i) {
            const QStringList param = c.list(group, QStringLiteral("KeyParam%1").arg(i));
            QVERIFY2(param.size() == 3 || (param.size() == 4 && param.first() == "0x05"),
                     qPrintable(QString::number(i)));
        }
        QVERIFY(c.list(group, "Adveanced").size() >= 2);
    }

    // The skin: three numbers per colour, light text on a dark ground. The
    // line edits' text colour is the one set on a stock input field, whose
    // ground stays light: it must be dark to be read there.
    void skinColours_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("isText");
        QTest::addColumn<bool>("onStockField");
        QTest::newRow("LabelColor") << "LabelColor" << true << false;
        QTest::newRow("ButtonColor") << "ButtonColor" << true << false;
        QTest::newRow("ComboxTextColor") << "ComboxTextColor" << true << false;
        QTest::newRow("LinEditColor") << "LinEditColor" << false << true;
        QTest::newRow("LinEditColorSecond") << "LinEditColorSecond" << true << false;
        QTest::newRow("SliderColor") << "SliderColor" << false << false;
        QTest::newRow("ComboxSelectColor") << "ComboxSelectColor" << false << false;
        QTest::newRow("ComboxBackGroundColor") << "ComboxBackGroundColor" << false << false;
    }
    void skinColours()
    {
        QFETCH(QString, key);
        QFETCH(bool, isText);
        QFETCH(bool, onStockField);
        const QStringList rgb = Catalogue().list("Option", key);
        QCOMPARE(rgb.size(), 3);
        QColor colour;
        for (int i = 0; i < 3; ++i) {
            bool ok = false;
            const int v = rgb.at(i).toInt(&ok);
            QVERIFY(ok && v >= 0 && v <= 255);
        }
        colour.setRgb(rgb.at(0).toInt(), rgb.at(1).toInt(), rgb.at(2).toInt());
        if (isText)
            QVERIFY2(colour.lightness() >= 160, "text colour too dark for the dark skin");
        if (onStockField) {
            const QColor field = QLineEdit().palette().color(QPalette::Base);
            QVERIFY2(qAbs(field.lightness() - colour.lightness()) >= 128, "text colour lost on the input field");
        }
        if (key == "ComboxBackGroundColor")
            QVERIFY(colour.lightness() <= 96);
    }

    void featureSwitches()
    {
        SensorFile file;
        QVERIFY(file.read());
        for (int f = 0; f < kSensorFeatureCount; ++f) {
            const QString name = sensorFeatureName(SensorFeature(f));
            QVERIFY2(!file.switches.values[f].isEmpty(), qPrintable(name));
        }
        // Every definition line is one the reader takes (tab, no stray blank).
        QCOMPARE(file.defines.names.size(), file.defineLines);
    }

    // Each catalogue sensor has its own register definitions, one code per
    // DPI, and every DPI the stage editor can set (the slider values of each
    // range, and so the grades) encodes to a definition and decodes back.
    void dpiEncoding_data() { addModelRows(); }
    void dpiEncoding()
    {
        QFETCH(QString, group);
        const Catalogue c;
        SensorFile file;
        QVERIFY(file.read());
        const SensorDefineTable& defines = file.defines;
        const QString model = c.value(group, "Sensor");
        QVERIFY(!model.isEmpty());
        QVERIFY(defines.hasDpiDefines(model));

        const QString prefix = QStringLiteral("SENSOR_%1_DPI_").arg(model);
        QSet<int> codes;
        for (int i = 0; i < defines.names.size(); ++i) {
            if (!defines.names.at(i).contains(prefix))
                continue;
            const int value = defines.values.at(i);
            QVERIFY2(value >= 0 && value <= 255, qPrintable(defines.names.at(i)));
            QVERIFY2(!codes.contains(value), qPrintable("code used twice: " + defines.names.at(i)));
            codes.insert(value);
        }

        const QStringList rangeItems = c.list(group, "DPIRange");
        const DpiRangeTable table = testsupport::rangeTableOf(rangeItems);
        QVERIFY(validRanges(rangeItems, table));
        QList<int> dpis;
        for (int r = 0; r < table.rangeCount; ++r)
            for (int dpi = table.minimums.at(r); dpi <= table.maximums.at(r); dpi += table.ranges[r].step.toInt())
                dpis << dpi;
        for (const QString& g : c.list(group, "DPIGrade"))
            dpis << g.toInt();
        for (int dpi : qAsConst(dpis)) {
            // The encoder refuses any DPI whose bytes would not read back as it.
            DpiStageCode stage;
            QVERIFY2(dpiStageCode(dpi, 0, model, table, defines, &stage),
                     qPrintable(QStringLiteral("no definition for %1").arg(dpi)));
            QCOMPARE(decodeDpiStage(stage.code, stage.flags, model, defines), dpi);
        }

        // The DPI-lock choices (100 to 1200) convert both ways too.
        for (int dpi = 100; dpi <= 1200; dpi += 100) {
            const int index = defines.indexOf(prefix + QString::number(dpi));
            QVERIFY(index >= 0);
            QCOMPARE(decodeDpiStage(defines.values.at(index), 0, model, defines), dpi);
        }
    }

    // One image per firmware name of the catalogue that the update reaches,
    // with the header the lookups compare; none for the wired Q3, which has
    // no receiver to be updated with.
    void firmwareImages_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("shipped");
        QTest::newRow("Q7 mouse") << "Drive1" << "MM" << 210 << true;
        QTest::newRow("Q7 1 kHz receiver") << "Drive1" << "DM" << 211 << true;
        QTest::newRow("Q7 2 kHz receiver") << "Drive1" << "D2M" << 211 << true;
        QTest::newRow("Q7 4 kHz receiver") << "Drive1" << "D4M" << 211 << true;
        QTest::newRow("Q7 8 kHz receiver") << "Drive1" << "D8M" << 211 << true;
        QTest::newRow("Q3 mouse") << "Drive2" << "MM" << 210 << false;
    }
    void firmwareImages()
    {
        QFETCH(QString, group);
        QFETCH(QString, key);
        QFETCH(int, kind);
        QFETCH(bool, shipped);
        const Catalogue c;
        const QString name = c.value(group, key);
        QVERIFY(!name.isEmpty());
        int found = 0;
        for (const auto& image : readFirmwareImages()) {
            const FirmwareHeader& h = image.second;
            if (h.name != name)
                continue;
            ++found;
            QCOMPARE(h.magic, QByteArray(HIDUSB_FIRMWARE_MAGIC));
            QVERIFY2(h.length != ~0u, "length field differs from the file length");
            QVERIFY(h.length > HIDUSB_FIRMWARE_HEADER_SIZE);
            QCOMPARE(h.kind, kind);
            QCOMPARE(h.cid, c.number("Option", "CID"));
            QCOMPARE(h.mid, c.number(group, "MID"));
            // The lookups compare versions as decimal numbers: no hex letters.
            QVERIFY((h.version & 0x0F) <= 9 && ((h.version >> 4) & 0x0F) <= 9);
        }
        QCOMPARE(found, shipped ? 1 : 0);
    }

    // Every device of the simulated default bus is a catalogue model under
    // its product-id list, and runs the version of its image, if it has one:
    // the default bus offers no update, which it could never carry out.
    void defaultBusMatchesCatalogue()
    {
        hidsim::resetToDefaultBus();
        const Catalogue c;
        const auto images = readFirmwareImages();
        const QVector<hidsim::DeviceStatus> bus = hidsim::devices();
        QVERIFY(!bus.isEmpty());
        int withImage = 0;
        for (const hidsim::DeviceStatus& d : bus) {
            const QString group = groupOf(c, d.mid);
            QVERIFY2(!group.isEmpty(), qPrintable(d.id));
            QCOMPARE(d.cid, c.number("Option", "CID"));
            const QString pid = QString::number(d.productId, 16).toUpper();
            QString firmwareKey = "MM";
            if (d.kind == "receiver") {
                const auto cls = std::find_if(std::begin(kReceiverClasses), std::end(kReceiverClasses),
                                              [&](const ReceiverClass& r) { return r.type == d.deviceType; });
                QVERIFY2(cls != std::end(kReceiverClasses), qPrintable(d.id));
                QVERIFY2(c.list("Option", cls->pidKey).contains(pid), qPrintable(d.id));
                firmwareKey = cls->firmwareKey;
            } else {
                QVERIFY2(c.list("Option", "USB_PID").contains(pid), qPrintable(d.id));
            }
            const QString name = c.value(group, firmwareKey);
            const auto image = std::find_if(images.begin(), images.end(),
                                            [&](const auto& i) { return i.second.name == name; });
            if (image == images.end())
                continue;
            ++withImage;
            QCOMPARE(int(image->second.version), d.version);
        }
        QCOMPARE(withImage, 2);
    }

    // The shipped update scenario: a receiver and its mouse on its cable, each
    // older than its image, so the update can be tried.
    void updateScenarioIsOlderThanTheImages()
    {
        QVERIFY(hidsim::loadScenario(QString::fromUtf8(QUEMBREL_SCENARIO_DIR "/update.json")));
        const Catalogue c;
        const auto images = readFirmwareImages();
        const QVector<hidsim::DeviceStatus> bus = hidsim::devices();
        QCOMPARE(bus.size(), 2);
        const auto rx = std::find_if(bus.begin(), bus.end(), [](const auto& d) { return d.kind == "receiver"; });
        const auto mouse = std::find_if(bus.begin(), bus.end(), [](const auto& d) { return d.kind == "mouse"; });
        QVERIFY(rx != bus.end() && mouse != bus.end());
        QCOMPARE(rx->pairedWith, mouse->id);
        QCOMPARE(mouse->pairedWith, rx->id);
        QVERIFY(rx->plugged && mouse->plugged);
        const QString group = groupOf(c, rx->mid);
        const auto cls = std::find_if(std::begin(kReceiverClasses), std::end(kReceiverClasses),
                                      [&](const ReceiverClass& r) { return r.type == rx->deviceType; });
        QVERIFY(cls != std::end(kReceiverClasses));
        const QVector<QPair<hidsim::DeviceStatus, QString>> firmware{{*rx, cls->firmwareKey}, {*mouse, "MM"}};
        for (const auto& [device, key] : firmware) {
            const QString name = c.value(group, key);
            const auto image = std::find_if(images.begin(), images.end(),
                                            [&](const auto& i) { return i.second.name == name; });
            QVERIFY2(image != images.end(), qPrintable(name));
            QVERIFY2(int(image->second.version) > device.version, qPrintable(device.id));
        }
        hidsim::resetToDefaultBus();
    }

    // A mouse's factory stages are the model's grades, in the encoding of its
    // sensor definitions.
    void factoryStagesAreTheGrades_data()
    {
        QTest::addColumn<QString>("id");
        QTest::newRow("q7") << "q7";
        QTest::newRow("q3") << "q3";
    }
    void factoryStagesAreTheGrades()
    {
        QFETCH(QString, id);
        const Catalogue c;
        const QString group = groupOfMouse(c, id);
        QVERIFY(!group.isEmpty());
        SensorFile file;
        QVERIFY(file.read());
        const QString model = c.value(group, "Sensor");
        const QStringList grades = c.list(group, "DPIGrade");
        const QByteArray record = hidsim::storedRecord(id);
        QCOMPARE(record.size(), int(HIDUSB_RECORD_SIZE));
        for (int k = 0; k < 8; ++k) {
            const int code = quint8(record.at(0x0f + 6 * k));
            const int flags = quint8(record.at(0x0f + 6 * k + 2));
            QCOMPARE(decodeDpiStage(code, flags, model, file.defines), grades.at(k).toInt());
        }
    }

    // A mouse's factory buttons are the catalogue's defaults: an assignment,
    // or ("0x05") a multimedia key or a key combination in the key block.
    void factoryButtonsAreTheDefaults_data() { factoryStagesAreTheGrades_data(); }
    void factoryButtonsAreTheDefaults()
    {
        QFETCH(QString, id);
        const Catalogue c;
        const QString group = groupOfMouse(c, id);
        QVERIFY(!group.isEmpty());
        FlashDataMap record;
        QVERIFY(flashDataFromBytes(hidsim::storedRecord(id), &record));
        for (int i = 1; i <= 6; ++i) {
            const QStringList param = c.list(group, QStringLiteral("KeyParam%1").arg(i));
            const ButtonParam& button = record.buttons[i - 1];
            const KeyBlock& keys = record.keyBlocks[i - 1];
            if (param.first() != QLatin1String("0x05")) {
                QCOMPARE(int(button.type), param.at(0).toInt(nullptr, 16));
                QCOMPARE(int(button.value1), param.at(1).toInt(nullptr, 16));
                QCOMPARE(int(button.value2), param.at(2).toInt(nullptr, 16));
                continue;
            }
            QCOMPARE(int(button.type), 5);
            if (param.size() == 3) {
                QCOMPARE(int(keys.count), 2);
                QCOMPARE(int(keys.events[0].kind), 2);
                QCOMPARE(int(keys.events[0].code()), param.at(2).toInt(nullptr, 16));
            } else {
                QStringList names;
                for (int k = 0; k < keys.count / 2; ++k)
                    names << Buttoninterface::KeyCodeToName(keys.events[k].code(), keys.events[k].kind);
                QCOMPARE(names.join(QLatin1Char('+')), param.at(3));
            }
        }
    }

    // Some model has a default of each key form, so every restore path of
    // the button page has data to run on.
    void catalogueHasEachKeyDefault()
    {
        const Catalogue c;
        QSet<int> forms;
        for (const QString& group : c.driveGroups())
            for (int i = 1; i <= 6; ++i) {
                const QStringList param = c.list(group, QStringLiteral("KeyParam%1").arg(i));
                if (param.value(0) == QLatin1String("0x05"))
                    forms << param.size();
            }
        QCOMPARE(forms, (QSet<int>{3, 4}));
    }

    // Nothing in bin/ that no catalogue entry names.
    void noStrayImages()
    {
        const Catalogue c;
        QStringList names;
        for (const QString& group : c.driveGroups())
            for (const char* key : {"MM", "DM", "D2M", "D4M", "D8M"})
                names << c.value(group, key);
        const auto images = readFirmwareImages();
        QVERIFY(!images.isEmpty());
        for (const auto& image : images)
            QVERIFY2(names.contains(image.second.name) && !image.second.name.isEmpty(),
                     qPrintable(image.first));
    }
};

QUEMBREL_TEST_MAIN(InstallDataTest)
#include "tst_installdata.moc"
