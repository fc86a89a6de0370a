#pragma once
// DPI values to the three code bytes of a DPI stage and back. A stage keeps
// the sensor's register code twice and range flags: any of the bits 0x22
// doubles the unit (or a define's DPI), any of 0x11 doubles the result again.
// Sensors "3395" and "3950" without register defines also keep bits 8 and 9
// of the code in bits 6-7 and 2-3 of the flags.

#include "sensor/sensordefinitions.h"

#include <QList>
#include <QString>
#include <QStringList>

// The open model's DPI ranges from Config.ini "DPIRange": minimum, maximum
// and step of each range, then the range mode (hexadecimal).
struct DpiRangeTable
{
    struct Range
    {
        QString minimum, maximum, step;  // as written in the catalogue
    };

    int rangeCount = 0;  // 1..4, or 0 when "DPIRange" held no usable count
    int rangeMode = 0;  // 0x33, 0x22 and 0x11 select range rules
    Range ranges[4];
    QList<int> minimums;
    QList<int> maximums;
};

// The open device's model and DPI ranges. The sensor page sets them at every
// fill; the stage editors and the encoding read them.
extern QString currentSensorModel;
extern DpiRangeTable dpiRangeTable;

// Refills the table from the "DPIRange" items. A range count outside 1..4
// gives rangeCount 0, keeps the previous texts and leaves both integer lists
// empty.
void refillDpiRangeTable(const QStringList& items, DpiRangeTable* table, QString* minText, QString* maxText);
// The same from group "Drive" + (currentDevice's model index + 1) of
// Config.ini into dpiRangeTable; minText and maxText are the caller's slider
// bounds (the sensor page's).
void refillDpiRangeTable(QString* minText, QString* maxText);

struct DpiStageCode
{
    int code = 0;   // byte 0 and byte 1
    int flags = 0;  // byte 2
};

// The bytes for `dpi`. storedFlags is byte 2 of the stage as it is now: for a
// model with defines it picks the unit of a DPI that has none. Returns false,
// and gives nothing, when the model has defines and the bytes would not read
// back as `dpi` (no define for it, or a code that names another DPI): the
// sensor would run at a DPI nobody chose.
bool dpiStageCode(int dpi, int storedFlags, const QString& model, const DpiRangeTable& ranges,
                  const SensorDefineTable& defines, DpiStageCode* out);

// The DPI of a stage's bytes 0 and 2; 0 for a code that matches none of the
// model's defines.
int decodeDpiStage(int code, int flags, const QString& model, const SensorDefineTable& defines);
// The same for the open device (currentSensorModel, sensorDefineTable).
int decodeDpiStage(int code, int flags);

// What became of a stage's DPI write.
enum class DpiStageWrite {
    Written,        // the device took the bytes
    NotSent,        // no stage or an invalid one, or the setter did not send
                    // (device offline)
    Inexpressible,  // the sensor has no bytes for this DPI (see dpiStageCode):
                    // nothing was asked of the device
    Refused         // the online device refused the record (DeviceRefusedWrite):
                    // it keeps the stage's bytes, and so does CurrentFlashData
};

// Writes stage `stage` (0..7) of the open device for `dpi` through
// SetDpiStageValue. Stage -1 (none selected) does nothing.
DpiStageWrite encodeDpiStage(int stage, int dpi);
