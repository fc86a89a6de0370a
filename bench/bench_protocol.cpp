// Time of one record round trip: ProtocolDataUpdate of a full record to a
// connected simulated mouse, then ProtocolDataParser of its image.
#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QTemporaryDir>

#include <vector>

namespace image = hidsim::image;

static void BM_RecordRoundTrip(benchmark::State& state)
{
    // The simulated devices save their state; keep it away from the user's.
    QTemporaryDir stateDir;
    qputenv("QUEMBREL_SIM_STATE", (stateDir.path() + "/devices.state").toLocal8Bit());
    hidsim::resetToDefaultBus();
    if (!UsbServerC_Start("/dev/hidsim/q3", "/dev/hidsim/q3", nullptr)) {
        state.SkipWithError("no simulated device");
        return;
    }
    // As many full macros as the device holds, every other byte in use.
    const QByteArray factory = image::factoryRecord(0);
    std::vector<char> bytes(factory.begin(), factory.end());
    for (int k = 0; k < 10; ++k) {
        char* block = bytes.data() + image::kMacroBlocks + k * image::kMacroBlockSize;
        block[0] = image::kMacroNameMax;
        for (int i = 0; i < image::kMacroNameMax; ++i)
            block[1 + i] = char('a' + i % 26);
        block[image::kMacroCountByte] = image::kMacroEventsMax;
        for (int i = 0; i < image::kMacroEventsMax * image::kEventSize; ++i)
            block[image::kMacroEvents + i] = char(i * 7 + k);
    }
    const QByteArray record(bytes.data(), int(bytes.size()));
    QByteArray img(HIDUSB_IMAGE_SIZE, '\0');
    image::pack(reinterpret_cast<const unsigned char*>(record.constData()), reinterpret_cast<unsigned char*>(img.data()));
    QByteArray parsed(HIDUSB_RECORD_SIZE, '\0');

    for (auto _ : state) {
        if (!ProtocolDataUpdate(record.constData()))
            state.SkipWithError("record refused");
        if (!ProtocolDataParser(reinterpret_cast<const unsigned char*>(img.constData()), parsed.data()))
            state.SkipWithError("image rejected");
        benchmark::DoNotOptimize(parsed.data());
    }
    if (parsed != record)
        state.SkipWithError("round trip changed the record");
    UsbServer_Exit();
    hidsim::saveState(); // before its folder goes
}
BENCHMARK(BM_RecordRoundTrip);

BENCHMARK_MAIN();
