#include "support/openeddevice.h"

#include "core/flashdatamap.h"
#include "core/globals.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

#include <QtTest>

namespace testsupport {

namespace {

const QString kMouse = QStringLiteral("q3");

void ignoreReports(const unsigned char*, int, const unsigned char*, int) {}

} // namespace

OpenedDevice::OpenedDevice()
{
    hidsim::resetToDefaultBus();
    hidsim::DeviceStatus mouse;
    if (!hidsim::device(kMouse, &mouse))
        qFatal("the default bus has no mouse %s", qPrintable(kMouse));
    const QByteArray path = mouse.path.toLocal8Bit();
    setDevicePath(path);
    if (!UsbServerC_Start(path.constData(), path.constData(), ignoreReports))
        qFatal("no connection to %s", path.constData());
    if (!flashDataFromBytes(hidsim::storedRecord(kMouse), &CurrentFlashData))
        qFatal("the stored record of %s does not parse", qPrintable(kMouse));
    deviceRecordReceived = 1;
    deviceWriteEnabled = 1;
    sensorPageFilling = buttonPageFilling = lightPageFilling = 0;
    hidsim::clearCallLog();
}

OpenedDevice::~OpenedDevice()
{
    UsbServer_Exit();
    hidsim::resetToDefaultBus();
}

QByteArray OpenedDevice::record()
{
    return flashDataBytes(CurrentFlashData);
}

QByteArray OpenedDevice::withBytes(QByteArray base, std::initializer_list<std::pair<int, int>> bytes)
{
    for (const auto& byte : bytes)
        base[byte.first] = char(byte.second);
    return base;
}

QVector<QByteArray> OpenedDevice::recordsSent() const
{
    return hidsim::recordsSent();
}

void OpenedDevice::clearSent()
{
    hidsim::clearCallLog();
}

void OpenedDevice::goOffline()
{
    hidsim::setOffline(kMouse, true);
}

} // namespace testsupport
