#include "sensor/dpistageedit.h"

#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/setters.h"
#include "platform/hidusb/hidusb.h"
#include "widgets/dialogframe.h"

#include <QColor>
#include <QDebug>
#include <QString>

namespace {

struct Range
{
    int minimum, maximum, step;
};

// The table's ranges as numbers, read afresh at every use; none for a count
// outside 1..4.
int rangesOf(const DpiRangeTable& table, Range out[4])
{
    const int count = table.rangeCount;
    if (count < 1 || count > 4)
        return 0;
    for (int r = 0; r < count; ++r)
        out[r] = {table.ranges[r].minimum.toInt(), table.ranges[r].maximum.toInt(), table.ranges[r].step.toInt()};
    return count;
}

// Down to a multiple of the step; a step of 0 (a broken catalogue) leaves the
// value, it never divides by zero.
int roundDown(int value, int step)
{
    return step > 0 ? value - value % step : value;
}

} // namespace

int snapDpiToRanges(int dpi, const DpiRangeTable& ranges, int* pageStep)
{
    Range range[4];
    const int count = rangesOf(ranges, range);
    for (int r = 0; r < count; ++r) {
        if (range[r].minimum <= dpi && dpi <= range[r].maximum) {
            *pageStep = range[r].step;
            return roundDown(dpi, range[r].step);
        }
        if (r + 1 < count && range[r].maximum < dpi && dpi < range[r + 1].minimum) {
            *pageStep = range[r + 1].step;
            return range[r + 1].minimum;
        }
    }
    return dpi;
}

int stepDpiUp(int dpi, const DpiRangeTable& ranges)
{
    Range range[4];
    const int count = rangesOf(ranges, range);
    for (int r = 0; r + 1 < count; ++r) {
        if (range[r].minimum <= dpi && dpi < range[r].maximum)
            return dpi + range[r].step;
        if (range[r].maximum <= dpi && dpi < range[r + 1].minimum)
            return range[r + 1].minimum;
    }
    if (count > 0 && range[count - 1].minimum <= dpi && dpi <= range[count - 1].maximum)
        return dpi + range[count - 1].step;
    return dpi;
}

int stepDpiDown(int dpi, const DpiRangeTable& ranges)
{
    Range range[4];
    const int count = rangesOf(ranges, range);
    for (int r = 0; r + 1 < count; ++r) {
        if (range[r].minimum <= dpi && dpi <= range[r].maximum)
            return dpi - range[r].step;
        if (range[r].maximum < dpi && dpi < range[r + 1].minimum)
            return range[r + 1].minimum;
    }
    if (count > 0 && range[count - 1].minimum <= dpi && dpi <= range[count - 1].maximum)
        return dpi - range[count - 1].step;
    return dpi;
}

bool stageEditRefusedOffline()
{
    if (!deviceWriteEnabled || sensorPageFilling)
        return false;
    return !CheckDeviceOnline();
}

void swapStagesOnDevice(int newStage, int previousStage)
{
    if (!deviceWriteEnabled)
        return;
    if (newStage < 0 || newStage >= kDpiStageCount || previousStage < 0 || previousStage >= kDpiStageCount)
        return;
    const DpiStage entryNew = CurrentFlashData.dpiStages[newStage];
    const DpiStage entryPrevious = CurrentFlashData.dpiStages[previousStage];
    SwapDpiStages(&entryNew, &entryPrevious, newStage, previousStage, newStage);
}

bool sendStageCount(int index)
{
    if (!deviceWriteEnabled || sensorPageFilling || index < 0)
        return false;
    if (!CheckDeviceOnline())
        return false;
    // The list may offer more stages than the record holds.
    const int count = qMin(index + 1, int(kDpiStageCount));
    const uint8_t previous = CurrentFlashData.dpiStageCount;
    CurrentFlashData.dpiStageCount = uint8_t(count);
    if (!ProtocolDataUpdate(&CurrentFlashData)) {
        qWarning() << "the device refused the DPI stage count; the old count is kept";
        CurrentFlashData.dpiStageCount = previous;
        return true;
    }
    return false;
}

QString stageColourText(const QColor& colour)
{
    return QStringLiteral("#%1%2%3")
        .arg(colour.red(), 2, 16, QLatin1Char('0'))
        .arg(colour.green(), 2, 16, QLatin1Char('0'))
        .arg(colour.blue(), 2, 16, QLatin1Char('0'));
}

void parseStageColour(const QString& text, int* red, int* green, int* blue)
{
    *red = text.mid(1, 2).toInt(nullptr, 16);
    *green = text.mid(3, 2).toInt(nullptr, 16);
    *blue = text.mid(5, 2).toInt(nullptr, 16);
}

DpiStageWrite writeStageDpi(bool* writeArmed, int stage, int dpi)
{
    if (!*writeArmed) {
        *writeArmed = true;
        return DpiStageWrite::NotSent;
    }
    // A fill or reset that moves the slider must not write the device.
    if (waitDialogShown || sensorPageFilling)
        return DpiStageWrite::NotSent;
    return encodeDpiStage(stage, dpi);
}

int storedStageDpi(int stage)
{
    if (stage < 0 || stage >= kDpiStageCount)
        return 0;
    const DpiStage& entry = CurrentFlashData.dpiStages[stage];
    return decodeDpiStage(entry.codeX, entry.range);
}

QString stageSpinSkin()
{
    const QString colour = skinColour(QStringLiteral("LinEditColorSecond"));
    const QString rule = QStringLiteral("{background-color: transparent;color: rgb(") + colour
        + QStringLiteral(";);border: 1px  solid gray;}");
    return QStringLiteral("QSpinBox") + rule + QStringLiteral("QSpinBox:hover") + rule;
}
