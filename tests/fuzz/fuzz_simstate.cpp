// The simulator's saved device state (QUEMBREL_SIM_STATE), read as at start
// over the default bus. The first input byte chooses the form: even, the rest
// is the payload, wrapped in the file's magic, format and checksum so the
// reader gets past them; odd, the rest is the whole file. Whatever the file
// holds, every device ends with state it can use.
#include "fuzzsupport.h"

#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/simbus.h"

#include <QDataStream>

#include <cstring>

using namespace hidsim::detail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest = fuzz::bytes(data + 1, size - 1);
    QByteArray file;
    if (data[0] & 1) {
        file = rest;
    } else {
        QDataStream out(&file, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_5_15);
        out << QByteArray("QSIM-STATE") << quint32(1) << rest << qChecksum(rest.constData(), uint(rest.size()));
    }
    fuzz::writeScratchFile(QStringLiteral("devices.state"), file);

    Bus b;
    std::lock_guard<std::mutex> lock(b.mutex);
    buildBus(b);
    fuzz::check(!b.devices.isEmpty(), "the default bus is empty");
    for (const Device& d : qAsConst(b.devices)) {
        if (d.receiver) {
            fuzz::check(d.led.size() == HIDUSB_DONGLE_RGB_SIZE && d.led.at(0) >= 1 && d.led.at(0) <= 3,
                        "a receiver with an LED state it cannot use");
            continue;
        }
        fuzz::check(d.profiles.size() == hidsim::image::kProfiles && d.profile >= 0
                        && d.profile < hidsim::image::kProfiles,
                    "a mouse with profiles it cannot use");
        for (const QByteArray& record : d.profiles)
            fuzz::check(hidsim::image::canonical(record) == record, "a mouse with a record it cannot hold");
        // A paired mouse answers its receiver's id.
        if (!d.pairedWith.isEmpty()) {
            const Device* rx = deviceById(b, d.pairedWith);
            fuzz::check(rx && rx->receiver && rx->pairedWith == d.id
                            && std::memcmp(rx->receiverId, d.receiverId, 3) == 0,
                        "a mouse paired with a receiver whose id it does not answer");
        }
    }
    return 0;
}
