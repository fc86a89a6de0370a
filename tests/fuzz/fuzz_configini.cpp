// Config.ini as the program decodes it: every key of the catalogue read as a
// text and as a list (Base64 keys decoded item by item), and each model's
// "DPIRange" turned into the range table that the DPI stages are encoded
// with, for the DPIs the file names.
#include "fuzzsupport.h"

#include "core/settings.h"
#include "sensor/dpiencoding.h"

#include <QDateTime>
#include <QFile>

namespace {

const char* const kOptionKeys[] = {
    "CID", "VID", "InterfaceId", "DeviceId", "USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID",
    "Wireless8_PID", "DeviceTotal", "ShowBatteryValue", "Transition", "LabelColor", "ButtonColor", "SliderColor",
    "ComboxTextColor", "ComboxSelectColor", "ComboxBackGroundColor", "LinEditColor", "LinEditColorSecond",
};
const char* const kDriveKeys[] = {
    "MID", "Sensor", "DPIMaxGrade", "XIn1", "DPIRange", "DPIGrade", "DPIColor", "KeyNumber", "KeyParam1",
    "KeyParam2", "KeyParam3", "KeyParam4", "KeyParam5", "KeyParam6", "Adveanced", "MM", "DM", "D2M", "D4M", "D8M",
};
// More models than the file may say it has are not read.
const int kMostModels = 4;

void readAll(const ConfigSettings& config, const QString& group, const char* const* keys, int count)
{
    for (int i = 0; i < count; ++i) {
        (void)config.value(group, QLatin1String(keys[i]));
        (void)config.valueList(group, QLatin1String(keys[i]));
    }
}

const SensorDefineTable& installedDefines()
{
    static const SensorDefineTable table = [] {
        SensorDefineTable t;
        readSensorDefinitions(fuzz::sourceFile("platform/install/data/driver_sensor.h"), nullptr, &t);
        return t;
    }();
    return table;
}

// Every DPI the model's ranges and grades name, encoded and decoded with and
// without the installed register defines.
void encodeDpis(const ConfigSettings& config, const QString& group)
{
    DpiRangeTable ranges;
    QString minText, maxText;
    refillDpiRangeTable(config.valueList(group, QStringLiteral("DPIRange")), &ranges, &minText, &maxText);
    fuzz::check(ranges.rangeCount >= 0 && ranges.rangeCount <= 4, "a range count outside 0..4");
    fuzz::check(ranges.minimums.size() == ranges.rangeCount && ranges.maximums.size() == ranges.rangeCount,
                "range bounds that do not match the count");

    QList<int> dpis = ranges.minimums + ranges.maximums;
    for (int r = 0; r < ranges.rangeCount; ++r)
        dpis.append(ranges.minimums.at(r) + ranges.ranges[r].step.toInt());
    for (const QString& grade : config.valueList(group, QStringLiteral("DPIGrade")).mid(0, 4))
        dpis.append(grade.toInt());

    const QString model = config.value(group, QStringLiteral("Sensor"));
    const SensorDefineTable none;
    for (const SensorDefineTable* defines : {&none, &installedDefines()}) {
        for (int dpi : qAsConst(dpis)) {
            for (int storedFlags : {0, 0x22}) {
                DpiStageCode code;
                if (!dpiStageCode(dpi, storedFlags, model, ranges, *defines, &code))
                    continue;
                fuzz::check(code.code >= 0 && code.code <= 0xff && code.flags >= 0 && code.flags <= 0xff,
                            "stage bytes outside a byte");
                const int decoded = decodeDpiStage(code.code, code.flags, model, *defines);
                if (defines->hasDpiDefines(model))
                    fuzz::check(decoded == dpi, "a stage with defines decodes to another DPI");
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // QSettings keeps a parsed file until its size or time changes: every
    // input gets a time of its own, so it is read anew.
    static qint64 serial = 0;
    const QString path = fuzz::writeScratchFile(QStringLiteral("Config.ini"), fuzz::bytes(data, size));
    QFile file(path);
    fuzz::check(file.open(QIODevice::ReadWrite)
                    && file.setFileTime(QDateTime::fromSecsSinceEpoch(++serial), QFileDevice::FileModificationTime),
                "the scratch file's time cannot be set");
    file.close();
    ConfigSettings::resetForTests(path);
    const ConfigSettings& config = *ConfigSettings::instance();

    readAll(config, QStringLiteral("Option"), kOptionKeys, int(sizeof kOptionKeys / sizeof *kOptionKeys));
    const int models = qBound(0, config.value(QStringLiteral("Option"), QStringLiteral("DeviceTotal")).toInt(), kMostModels);
    for (int n = 1; n <= qMax(models, 2); ++n) {
        const QString group = QStringLiteral("Drive%1").arg(n);
        readAll(config, group, kDriveKeys, int(sizeof kDriveKeys / sizeof *kDriveKeys));
        encodeDpis(config, group);
    }
    return 0;
}
