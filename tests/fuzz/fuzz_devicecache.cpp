// The per-device cache file: one length-prefixed block that must be exactly
// one record. Anything else counts as no cache and leaves the record alone;
// a taken record is written and read back unchanged.
#include "fuzzsupport.h"

#include "core/worker.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString name = deviceCacheFileName(42, 17);
    fuzz::writeScratchFile(QStringLiteral("AppData/Local/Quembrel/Device_Info/") + name, fuzz::bytes(data, size));
    FlashDataMap record;
    std::memset(&record, 0x5A, sizeof record);
    const FlashDataMap before = record;
    if (!Worker::readDeviceCache(name, &record)) {
        fuzz::check(std::memcmp(&record, &before, sizeof record) == 0, "a refused cache file changed the record");
        return 0;
    }
    Worker::writeDeviceCache(name, record);
    FlashDataMap reread;
    fuzz::check(Worker::readDeviceCache(name, &reread) && std::memcmp(&record, &reread, sizeof record) == 0,
                "a written cache file does not read as itself");
    return 0;
}
