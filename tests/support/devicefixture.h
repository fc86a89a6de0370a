#pragma once
// Fixtures for the device connection: the shared device state put back to its
// start values, the home page's record of a simulated device, and the opener.
#include "core/deviceinfo.h"
#include "core/flashdatamap.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QStringList>

#include <memory>

class Buttoninterface;
class Sensor;

namespace testsupport {

// Every value of the open-device state and CurrentFlashData back to how the
// program starts; also removes the per-user device cache folder.
void resetDeviceState();

// The record the home page's scan makes of a simulated device ("rx4k", "q7",
// "q3" on the default bus): path, identity, model, type and online state.
DeviceAllInfo deviceEntry(const QString& id);

// What the home page does when a tile opens a device, without its pause:
// SigSelectMouseInfo, the device page's plug/unplug callback (as the main
// window registers it), deviceSessionActive = 1, workerRunAllowed = 1 and one
// start of the worker thread.
void openDevice(const DeviceAllInfo& info);

// A Config.ini in the temporary home made from the installed one, with the
// first line starting with each key of `lines` ("KeyParam1=") replaced by the
// given text; ConfigSettings reads it until resetForTests() is called again.
void useConfigWith(const QStringList& lines);

// Puts these devices (scenario entries) on the simulated bus; false when the
// scenario was not taken.
bool loadBus(const QJsonArray& devices);

// The names of the library calls logged since the log was last cleared.
QStringList callNames();

// CurrentFlashData's bytes.
QByteArray currentRecordBytes();

// The record of 10,428 bytes; a test's own bytes of any other size are fatal.
FlashDataMap recordOf(const QByteArray& bytes);

// Fills every macro block (a 30-byte name, 70 events): each macro fits its
// block, but together they do not fit the mouse's memory.
void fillEveryMacro(FlashDataMap* record);

// The pages that take a full configuration and acknowledge it, created as
// the device page frame creates them; the button page brings the one Worker.
struct DevicePages
{
    // Out of line, so that a test without the pages' headers can include this.
    DevicePages();
    ~DevicePages();
    void create();
    // Deletes the pages and runs the Worker's deferred deletion.
    void close();
    // Deletes the button page only (the Worker's shutdown) and runs the
    // Worker's deferred deletion.
    void closeButtonPage();

    std::unique_ptr<Sensor> sensor;
    std::unique_ptr<Buttoninterface> buttons;
};

} // namespace testsupport
