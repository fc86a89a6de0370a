#pragma once
// A device opened as the program opens one, for tests of the write paths:
// the default bus's wired mouse q3 with its connection started, devicePath
// set, its stored record in CurrentFlashData and received (deviceRecordReceived
// 1), device writes enabled, no page filling and an empty call log.
#include <QByteArray>
#include <QVector>

#include <initializer_list>
#include <utility>

namespace testsupport {

class OpenedDevice
{
public:
    OpenedDevice();
    ~OpenedDevice();
    OpenedDevice(const OpenedDevice&) = delete;
    OpenedDevice& operator=(const OpenedDevice&) = delete;

    // The record as the program holds it now (CurrentFlashData).
    static QByteArray record();
    // `base` with the bytes at the given offsets replaced.
    static QByteArray withBytes(QByteArray base, std::initializer_list<std::pair<int, int>> bytes);
    // Every record sent to the device since the fixture was made or cleared.
    QVector<QByteArray> recordsSent() const;
    // Forgets the records sent (and the calls made) so far.
    void clearSent();

    // The mouse stops answering: setters then find it offline.
    void goOffline();
};

} // namespace testsupport
