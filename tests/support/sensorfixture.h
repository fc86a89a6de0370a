#pragma once
// A DPI range table built from "DPIRange" items, for tests that encode or
// check DPI values without touching the process-wide table.
#include "sensor/dpiencoding.h"

#include <QStringList>

namespace testsupport {

inline DpiRangeTable rangeTableOf(const QStringList& items)
{
    DpiRangeTable table;
    QString minText, maxText;
    refillDpiRangeTable(items, &table, &minText, &maxText);
    return table;
}

} // namespace testsupport
