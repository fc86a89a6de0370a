#include "sensor/dpiencoding.h"

#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/settings.h"
#include "core/setters.h"

#include <QDebug>

QString currentSensorModel;
DpiRangeTable dpiRangeTable;

namespace {

bool anyOf(int flags, int bits)
{
    return (flags & bits) != 0;
}

// Sensors whose codes run past 8 bits keep the high bits in the flags byte.
bool foldsHighBits(const QString& model)
{
    return model == QLatin1String("3395") || model == QLatin1String("3950");
}

QString dpiDefinePrefix(const QString& model)
{
    return QStringLiteral("SENSOR_") + model + QStringLiteral("_DPI");
}

// The range flags and the divisor of the define or unit for `dpi`.
void rangeFlags(int dpi, const DpiRangeTable& ranges, int* flags, int* divisor)
{
    *flags = 0;
    *divisor = 1;
    if (ranges.rangeMode == 0x33) {
        static const int kFlags[] = {0, 0x22, 0x11, 0x33};
        static const int kDivisors[] = {1, 2, 2, 4};
        for (int r = qMin(ranges.minimums.size(), 4) - 1; r >= 0; --r) {
            if (ranges.minimums.at(r) <= dpi) {
                *flags = kFlags[r];
                *divisor = kDivisors[r];
                return;
            }
        }
    } else if (ranges.rangeMode == 0x22 || ranges.rangeMode == 0x11) {
        // Without a first range there is nothing to compare: no flags.
        if (!ranges.maximums.isEmpty() && dpi > ranges.maximums.first()) {
            *flags = ranges.rangeMode;
            *divisor = 2;
        }
    }
}

} // namespace

void refillDpiRangeTable(const QStringList& items, DpiRangeTable* table, QString* minText, QString* maxText)
{
    const int s = items.size();
    table->rangeMode = s > 0 ? items.at(s - 1).toInt(nullptr, 16) : 0;
    table->minimums.clear();
    table->maximums.clear();
    const int count = s > 0 ? (s - 1) / 3 : 0;
    // A count the table cannot hold counts as no range, so no reader indexes
    // past the four.
    table->rangeCount = count >= 1 && count <= 4 ? count : 0;
    if (table->rangeCount == 0)
        return;
    *minText = items.at(0);
    *maxText = items.at(3 * count - 2);
    for (int r = 0; r < count; ++r) {
        DpiRangeTable::Range& range = table->ranges[r];
        range.minimum = items.at(3 * r);
        range.maximum = items.at(3 * r + 1);
        range.step = items.at(3 * r + 2);
        table->minimums.append(range.minimum.toInt());
        table->maximums.append(range.maximum.toInt());
    }
}

void refillDpiRangeTable(QString* minText, QString* maxText)
{
    const QString group = QStringLiteral("Drive%1").arg(currentDevice.modelIndex + 1);
    refillDpiRangeTable(ConfigSettings::instance()->valueList(group, QStringLiteral("DPIRange")), &dpiRangeTable,
                        minText, maxText);
}

bool dpiStageCode(int dpi, int storedFlags, const QString& model, const DpiRangeTable& ranges,
                  const SensorDefineTable& defines, DpiStageCode* out)
{
    int flags = 0;
    int divisor = 1;
    rangeFlags(dpi, ranges, &flags, &divisor);

    int code = 0;
    if (defines.hasDpiDefines(model)) {
        const int index = defines.indexOf(dpiDefinePrefix(model) + QLatin1Char('_') + QString::number(dpi / divisor));
        code = index >= 0 ? defines.values.at(index) : (anyOf(storedFlags, 0x22) ? dpi / 100 : dpi / 50);
        code &= 0xff;
        flags &= 0xff;
        // A DPI the sensor has no register value for, or one whose code reads
        // back as another DPI, is not written at all.
        if (decodeDpiStage(code, flags, model, defines) != dpi)
            return false;
    } else {
        code = dpi / (50 * divisor) - 1;
        if (foldsHighBits(model)) {
            const int high = code >> 8;
            // Multiplied rather than shifted: a negative code must not be
            // shifted left.
            flags |= high * 64 | high * 4;
        }
    }
    out->code = code & 0xff;
    out->flags = flags & 0xff;
    return true;
}

int decodeDpiStage(int code, int flags, const QString& model, const SensorDefineTable& defines)
{
    int dpi = 0;
    if (defines.hasDpiDefines(model)) {
        const QString prefix = dpiDefinePrefix(model);
        for (int i = 0; i < defines.names.size(); ++i) {
            const QString& name = defines.names.at(i);
            if (name.contains(prefix) && defines.values.at(i) == code) {
                // A name out of range (never read from the file) names no DPI.
                dpi = qMax(dpiOfDefineName(name), 0);
                break;
            }
        }
        if (anyOf(flags, 0x22))
            dpi *= 2;
    } else {
        int n = code;
        if (foldsHighBits(model))
            n |= (flags & 0xc0) << 2;
        dpi = (n + 1) * (anyOf(flags, 0x22) ? 100 : 50);
    }
    if (anyOf(flags, 0x11))
        dpi *= 2;
    return dpi;
}

int decodeDpiStage(int code, int flags)
{
    return decodeDpiStage(code, flags, currentSensorModel, sensorDefineTable);
}

DpiStageWrite encodeDpiStage(int stage, int dpi)
{
    if (stage == -1)
        return DpiStageWrite::NotSent;
    if (stage < 0 || stage >= kDpiStageCount) {
        qWarning() << "DPI stage" << stage << "is outside 0..7; nothing is written";
        return DpiStageWrite::NotSent;
    }
    DpiStageCode bytes;
    if (!dpiStageCode(dpi, CurrentFlashData.dpiStages[stage].range, currentSensorModel, dpiRangeTable,
                      sensorDefineTable, &bytes)) {
        qWarning() << "sensor" << currentSensorModel << "has no register value for" << dpi
                   << "DPI; stage" << stage << "is left as it is";
        return DpiStageWrite::Inexpressible;
    }
    const bool written = SetDpiStageValue(stage, bytes.code, bytes.code, bytes.flags);
    if (DeviceRefusedWrite(written))
        return DpiStageWrite::Refused;
    return written ? DpiStageWrite::Written : DpiStageWrite::NotSent;
}
