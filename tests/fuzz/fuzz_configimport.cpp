// The configuration import file: three length-prefixed blocks (tag, sensor
// name, record) checked against the open model. A refused file leaves the
// record alone; an accepted one is written and read back unchanged.
#include "fuzzsupport.h"

#include "core/configfile.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratchFile(QStringLiteral("import.cfg"), fuzz::bytes(data, size));
    FlashDataMap record;
    std::memset(&record, 0xA5, sizeof record);
    const FlashDataMap before = record;
    const ConfigFileResult result = readConfigFile(path, QStringLiteral("3395"), kDpiStageCount, &record);
    if (result != ConfigFileAccepted) {
        fuzz::check(std::memcmp(&record, &before, sizeof record) == 0, "a refused import changed the record");
        return 0;
    }
    fuzz::check(record.dpiStageCount <= kDpiStageCount, "an import with too many DPI stages was taken");

    const QString again = fuzz::scratchDir() + QStringLiteral("/export.cfg");
    fuzz::check(writeConfigFile(again, "3395", record), "the accepted record cannot be exported");
    FlashDataMap reread;
    fuzz::check(readConfigFile(again, QStringLiteral("3395"), kDpiStageCount, &reread) == ConfigFileAccepted
                    && std::memcmp(&record, &reread, sizeof record) == 0,
                "an exported record does not import as itself");
    return 0;
}
