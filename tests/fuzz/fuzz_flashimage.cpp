// The simulated library's flash image parser (ProtocolDataParser) and its
// inverse. The input, zero-padded to an image and sealed, is parsed; a record
// it yields is the one the device keeps, packs into the very same image, and
// parses to itself again. The input zero-padded to a record goes the other
// way: a record the device can hold survives pack and parse as it keeps it,
// and one it cannot hold is refused without a byte written.
#include "fuzzsupport.h"

#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/simcontrol.h"
#include "platform/hidusb/hidusb.h"

#include <cstring>

namespace image = hidsim::image;

namespace {

QByteArray padded(const QByteArray& input, int size)
{
    return input.left(size).leftJustified(size, '\0');
}

unsigned char* bytesOf(QByteArray& bytes)
{
    return reinterpret_cast<unsigned char*>(bytes.data());
}

void imageRoundTrip(const QByteArray& input)
{
    QByteArray imageBytes = padded(input, HIDUSB_IMAGE_SIZE);
    image::seal(bytesOf(imageBytes));
    QByteArray record(HIDUSB_RECORD_SIZE, '\x77');
    const QByteArray untouched = record;
    if (!ProtocolDataParser(bytesOf(imageBytes), record.data())) {
        fuzz::check(record == untouched, "a refused image changed the record");
        return;
    }
    fuzz::check(image::canonical(record) == record, "a parsed record is not as the device keeps it");
    QByteArray again(HIDUSB_IMAGE_SIZE, '\0');
    fuzz::check(image::pack(bytesOf(record), bytesOf(again)), "a parsed record cannot be packed");
    fuzz::check(again == imageBytes, "a parsed record packs into another image");
    QByteArray reparsed(HIDUSB_RECORD_SIZE, '\0');
    fuzz::check(ProtocolDataParser(bytesOf(again), reparsed.data()) && reparsed == record,
                "parse, pack and parse gives another record");
}

void recordRoundTrip(const QByteArray& input)
{
    QByteArray record = padded(input, HIDUSB_RECORD_SIZE);
    const QByteArray kept = image::canonical(record);
    QByteArray imageBytes(HIDUSB_IMAGE_SIZE, '\x33');
    const QByteArray untouched = imageBytes;
    const bool packed = image::pack(bytesOf(record), bytesOf(imageBytes));
    fuzz::check(packed == !kept.isEmpty(), "pack and canonical disagree on what the device holds");
    fuzz::check(packed == image::recordProblem(bytesOf(record)).isEmpty(), "pack disagrees with recordProblem");
    if (!packed) {
        fuzz::check(imageBytes == untouched, "a refused record changed the image");
        return;
    }
    QByteArray parsed(HIDUSB_RECORD_SIZE, '\0');
    fuzz::check(ProtocolDataParser(bytesOf(imageBytes), parsed.data()) && parsed == kept,
                "a packed record does not parse as the device keeps it");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    imageRoundTrip(input);
    recordRoundTrip(input);
    // The library logs every call; an input that leaves its calls in the log
    // would look like a leak to the fuzzer and slow every run down.
    hidsim::clearCallLog();
    return 0;
}
