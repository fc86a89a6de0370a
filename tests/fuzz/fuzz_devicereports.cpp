// The device reports, through the data callback's dispatch (Worker::onDeviceData)
// as the library thread hands them over. No page is connected to the hub, so
// its emits return at once. An input is a run of reports, each:
//   1 control byte: bit 0 makes the payload a full flash image (zero-padded
//     to its size and sealed, so the image parser reads it); bit 1 takes the
//     header length from bits 2-4 instead of the usual 5;
//   5 header bytes; 2 bytes payload length (little-endian); the payload.
#include "fuzzsupport.h"

#include "core/globals.h"
#include "core/settings.h"
#include "core/worker.h"
#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/simcontrol.h"

#include <QtEndian>

#include <cstring>
#include <memory>

namespace {

const int kMostReports = 8;

// The callback's state as a freshly opened device has it.
void resetDeviceState()
{
    CurrentFlashData = FlashDataMap{};
    currentDevice = DeviceAllInfo();
    deviceRecordReceived = 0;
    keyResetPending = 0;
    skipReceiverExtras = 0;
    keptKeyIndexes.clear();
    reloadRequested = 0;
    statusReload = 0;
    *dongleRgb = DongleRGB{};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool once = [] {
        ConfigSettings::resetForTests(fuzz::sourceFile("platform/install/data/usersetting/Config.ini"));
        return true;
    }();
    Q_UNUSED(once);
    resetDeviceState();

    const QByteArray input = fuzz::bytes(data, size);
    int pos = 0;
    for (int n = 0; n < kMostReports && pos < input.size(); ++n) {
        const uint8_t control = uint8_t(input.at(pos++));
        QByteArray header = input.mid(pos, HIDUSB_HEADER_SIZE);
        pos += header.size();
        header.append(QByteArray(HIDUSB_HEADER_SIZE - header.size(), '\0'));
        const int headerLength = control & 2 ? (control >> 2) % (HIDUSB_HEADER_SIZE + 1) : HIDUSB_HEADER_SIZE;

        const QByteArray lengthBytes = input.mid(pos, 2).leftJustified(2, '\0');
        pos += 2;
        const int length = qMin(int(qFromLittleEndian<quint16>(lengthBytes.constData())), qMax(0, input.size() - pos));
        QByteArray payload = input.mid(pos, length);
        pos += length;
        if (control & 1) {
            payload = payload.left(HIDUSB_IMAGE_SIZE).leftJustified(HIDUSB_IMAGE_SIZE, '\0');
            hidsim::image::seal(reinterpret_cast<unsigned char*>(payload.data()));
        }
        // Handed over in buffers of exactly their size, as the library does.
        const std::unique_ptr<unsigned char[]> head(new unsigned char[size_t(headerLength)]);
        std::memcpy(head.get(), header.constData(), size_t(headerLength));
        const std::unique_ptr<unsigned char[]> body(new unsigned char[size_t(payload.size())]);
        std::memcpy(body.get(), payload.constData(), size_t(payload.size()));
        Worker::onDeviceData(head.get(), headerLength, payload.isEmpty() ? nullptr : body.get(), payload.size());
    }
    // The library logs every call; an input that leaves its calls in the log
    // would look like a leak to the fuzzer and slow every run down.
    hidsim::clearCallLog();
    return 0;
}
