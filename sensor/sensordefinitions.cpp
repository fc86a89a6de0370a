#include "sensor/sensordefinitions.h"

#include "core/product.h"

#include <QFile>
#include <QIODevice>
#include <QRegularExpression>

SensorDefineTable sensorDefineTable;

namespace {

const char* const kFeatureNames[kSensorFeatureCount] = {
    "SUPPORT_SENSOR_MODE_SEL", "SUPPORT_LOD_CAL",     "SUPPORT_RIPPLE",
    "SUPPORT_FIXLINE",         "SUPPORT_MOTION_SYNC", "SUPPORT_MOUSEPAD_CAL",
};

const QChar kLineBreak = QLatin1Char('\n');

// A value that names "0x" is hexadecimal; anything that is not a number is 0.
int defineValue(QString text)
{
    text.remove(kLineBreak);
    return text.contains(QLatin1String("0x")) ? text.toInt(nullptr, 16) : text.toInt();
}

// Appends a define unless it names a DPI the editors can never show.
void appendDefine(SensorDefineTable* defines, const QString& name, int value)
{
    if (name.contains(QLatin1String("_DPI")) && dpiOfDefineName(name) < 0) {
        qWarning("driver_sensor.h: %s names a DPI outside 0..%d; the define is ignored", qPrintable(name),
                 kDpiDefineMax);
        return;
    }
    defines->append(name, value);
}

// One line as read, its line break still attached to its last part.
void readLine(const QString& line, SensorFeatureSwitches* switches, SensorDefineTable* defines)
{
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() == 2) {
        const QString& second = parts.at(1);
        const QStringList pieces = second.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        for (int f = 0; f < kSensorFeatureCount; ++f) {
            if (!second.contains(QLatin1String(kFeatureNames[f])))
                continue;
            // A switch name with no value leaves the switch as it was.
            if (switches && pieces.size() >= 2)
                switches->values[f] = QString(pieces.at(1)).remove(kLineBreak);
            return;
        }
        // The value must carry the line break: a last line without one is
        // not a complete define.
        if (defines && parts.at(0) == QLatin1String("#define") && pieces.size() >= 2
            && pieces.at(1).contains(kLineBreak))
            appendDefine(defines, pieces.at(0), defineValue(pieces.at(1)));
    } else if (parts.size() == 3) {
        if (!defines || !parts.at(2).contains(QLatin1String("//")))
            return;
        const QStringList pieces = parts.at(1).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        if (pieces.size() == 2)
            appendDefine(defines, pieces.at(0), pieces.at(1).toInt());
    }
}

} // namespace

int dpiOfDefineName(const QString& name)
{
    const QString text = name.mid(name.indexOf(QLatin1Char('I')) + 2);
    bool isInt = false;
    const int dpi = text.toInt(&isInt);
    if (isInt)
        return dpi >= 0 && dpi <= kDpiDefineMax ? dpi : -1;
    // Digits too many for an int are a number out of range too.
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    return number.match(text).hasMatch() ? -1 : 0;
}

QString sensorFeatureName(SensorFeature feature)
{
    if (feature < 0 || feature >= kSensorFeatureCount)
        return QString();
    return QLatin1String(kFeatureNames[feature]);
}

bool SensorFeatureSwitches::lists(SensorFeature feature, const QString& model) const
{
    if (feature < 0 || feature >= kSensorFeatureCount)
        return false;
    return values[feature].contains(model);
}

void SensorDefineTable::append(const QString& name, int value)
{
    names.append(name);
    values.append(value);
}

int SensorDefineTable::indexOf(const QString& name) const
{
    return names.indexOf(name);
}

bool SensorDefineTable::hasDpiDefines(const QString& model) const
{
    const QString marker = QStringLiteral("SENSOR_") + model + QStringLiteral("_DPI");
    for (const QString& name : names)
        if (name.contains(marker))
            return true;
    return false;
}

QString sensorDefinitionPath()
{
    return installDir() + QStringLiteral("/driver_sensor.h");
}

void loadSensorDefineTable()
{
    if (sensorDefineTable.names.isEmpty())
        readSensorDefinitions(sensorDefinitionPath(), nullptr, &sensorDefineTable);
}

void readSensorDefinitions(QIODevice* device, SensorFeatureSwitches* switches, SensorDefineTable* defines)
{
    if (!device || !device->isReadable())
        return;
    while (!device->atEnd())
        readLine(QString::fromLocal8Bit(device->readLine()), switches, defines);
}

void readSensorDefinitions(const QString& path, SensorFeatureSwitches* switches, SensorDefineTable* defines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    readSensorDefinitions(&file, switches, defines);
}
