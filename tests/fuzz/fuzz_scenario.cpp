// The simulator's scenario JSON (QUEMBREL_SIM_SCENARIO). A scenario taken
// gives a bus of distinct ids whose pairings are mutual; one refused leaves
// the bus as it was.
#include "fuzzsupport.h"

#include "platform/hidusb/simbus.h"

using namespace hidsim::detail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratchFile(QStringLiteral("scenario.json"), fuzz::bytes(data, size));
    Bus b;
    std::lock_guard<std::mutex> lock(b.mutex);
    QString error;
    if (!loadScenario(b, path, &error)) {
        fuzz::check(b.devices.isEmpty(), "a refused scenario changed the bus");
        fuzz::check(!error.isEmpty(), "a refused scenario without a reason");
        return 0;
    }
    for (const Device& d : qAsConst(b.devices)) {
        int same = 0;
        for (const Device& o : qAsConst(b.devices))
            same += o.id == d.id ? 1 : 0;
        fuzz::check(same == 1, "a device id used twice");
        if (!d.pairedWith.isEmpty()) {
            const Device* other = deviceById(b, d.pairedWith);
            fuzz::check(other && other->pairedWith == d.id && other->receiver != d.receiver,
                        "a pairing that is not mutual");
        }
        (void)statusOf(b, d);
    }
    return 0;
}
