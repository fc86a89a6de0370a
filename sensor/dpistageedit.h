#pragma once
// What the two DPI stage editors share: snapping a slider value to the open
// model's DPI ranges, the Add and Reduce steps, and the device writes of a
// stage-count change.
#include "sensor/dpiencoding.h"

class QColor;
class QString;

// `dpi` snapped to `ranges`: inside a range it is rounded down to a multiple
// of that range's step (counted from 0), in the gap before a range it becomes
// that range's minimum. *pageStep gets the step of the range it landed in; a
// value no range takes, or a table without a usable range count, comes back
// unchanged and leaves *pageStep alone.
int snapDpiToRanges(int dpi, const DpiRangeTable& ranges, int* pageStep);

// One step up or down from `dpi` within `ranges`; a value in a gap moves to the
// next range's minimum. A value no range takes comes back unchanged.
int stepDpiUp(int dpi, const DpiRangeTable& ranges);
int stepDpiDown(int dpi, const DpiRangeTable& ranges);

// The check the editors make before a user's edit: true when writes are
// enabled, the sensor page is not filling and the device cannot take a write;
// the offline notice has then been raised.
bool stageEditRefusedOffline();

// The device side of a stage-count change that drops the current stage
// (`previousStage`) out of the count: the stage entries `newStage` and
// `previousStage` trade places and `newStage` becomes current and last.
// Nothing for a stage outside 0..7 or while writes are disabled.
void swapStagesOnDevice(int newStage, int previousStage);

// The count byte of a stage-count change to item `index` (index + 1 stages,
// at most the record's eight), sent as the whole record. Only while writes are
// enabled and the sensor page is not filling; an offline device gets the
// notice instead. A record the device refuses leaves the old count; the
// result tells whether that happened.
bool sendStageCount(int index);

// "#rrggbb", two lower-case hex digits per component.
QString stageColourText(const QColor& colour);

// The red, green and blue of a "#rrggbb" text; a pair that is not hex gives 0.
void parseStageColour(const QString& text, int* red, int* green, int* blue);

// A DPI value the user set for `stage`: the first one after a stage was
// selected only arms the editor (`*writeArmed`), later ones are written,
// except while a wait dialog runs or the sensor page fills (NotSent then).
// On Inexpressible or Refused the editor shows storedStageDpi again: the
// device keeps it. On any other failure (an offline device) it keeps showing
// what the user chose.
DpiStageWrite writeStageDpi(bool* writeArmed, int stage, int dpi);

// The DPI that stage 0..7 of the open device's record holds.
int storedStageDpi(int stage);

// The read-only DPI number beside a slider.
QString stageSpinSkin();
