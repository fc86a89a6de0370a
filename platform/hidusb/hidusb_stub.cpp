// Placeholder until the simulated bus lands: every request fails plainly.
#include "platform/hidusb/hidusb.h"

extern "C" {

const char** UsbFinderC_FindHidDevicesByDeviceId(const char* /*vid*/, const char* /*pid*/, int /*usagePage*/, int /*maxCount*/, int* /*count*/) { return nullptr; }
const char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* /*vid*/, const char* /*pid*/, int* /*count*/) { return nullptr; }
unsigned char UsbFinderC_GetUsbDeviceAttribute(const char* /*path*/, unsigned char* /*attributes*/) { return 0; }
const unsigned char* UsbFinderC_GetDeviceInfo(const char* /*path*/) { static const unsigned char none[3] = {0, 0, 0}; return none; }
unsigned char UsbFinderC_GetDeviceOnLine(const char* /*path*/) { return 0; }
unsigned char UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* /*path*/, unsigned char* /*state*/) { return 0; }
int UsbFinderC_GetVersion(const char* /*path*/) { return 0; }
unsigned char UsbFinderC_GetSlaveVersion(const char* /*path*/, int* /*version*/) { return 0; }
unsigned char UsbFinderC_Get4KDongleRGBValue(const char* /*path*/, unsigned char* /*rgb*/) { return 0; }
unsigned char UsbFinderC_Set4KDongleRGB(const char* /*path*/, const unsigned char* /*rgb*/) { return 0; }
unsigned char UsbFinderC_GetLongRangeMode(const char* /*path*/, unsigned char* /*cell*/) { return 0; }
unsigned char UsbFinderC_SetLongRangeMode(const char* /*path*/, int /*on*/) { return 0; }
unsigned char UsbFinderC_SetDongleIDToMouse(const char* /*path*/, const unsigned char* /*idRecord*/) { return 0; }
unsigned char UsbFinderC_OpenDevice(const char* /*path*/) { return 0; }
int UsbFinderC_ReadWriteDeviceData(unsigned char* /*request*/, unsigned char* /*reply*/, unsigned char /*length*/) { return 0; }
unsigned char UsbServerC_Start(const char* /*path*/, const char* /*path2*/, HidUsbDataCallback /*callback*/) { return 0; }
void UsbServer_Exit(void) {  }
void UsbServer_SetPCDriverStatus(int /*status*/) {  }
void UsbServer_ReadAllFlashData(void) {  }
void UsbServer_ReadBatteryLevel(void) {  }
void UsbServer_ReadConfig(void) {  }
void UsbServer_ReadCurrentDPI(void) {  }
void UsbServer_ReadDPILed(void) {  }
void UsbServer_ReadLedBar(void) {  }
void UsbServer_ReadReportRate(void) {  }
void UsbServer_ReadVersion(void) {  }
void UsbServer_SetBatteryOptimizeEnable(int /*enable*/) {  }
void UsbServer_SetClearSetting(void) {  }
void UsbServer_SetCurrentConfig(unsigned char /*profile*/) {  }
void UsbServer_EnterDonglePairOnlyCid(int /*cid*/) {  }
void UsbServer_ReadDonglePairStatus(void) {  }
unsigned char ProtocolDataParser(const unsigned char* /*image*/, void* /*record*/) { return 0; }
unsigned char ProtocolDataUpdate(const void* /*record*/) { return 0; }
void BufferToDPILed(const unsigned char* /*data*/, unsigned char* /*dpiLed*/) {  }
void BufferToLedBar(const unsigned char* /*data*/, unsigned char* /*ledBar*/) {  }
void GetDeviceBatteryStatus(const unsigned char* /*data*/, unsigned char* /*cell*/) {  }
void GetDeviceStatusChanged(const unsigned char* /*data*/, unsigned char* /*cell*/) {  }
void StartUsbChanged(HidUsbChangedCallback /*callback*/, int /*interval*/) {  }
void StopUsbChanged(void) {  }
unsigned char UsbUpgrade_Start(const unsigned char* /*image*/, HidUsbUpgradeCallback /*callback*/, int /*timeout*/) { return 0; }
unsigned char UsbUpgradeC_FindBootDevices(const unsigned char* /*image*/, int* /*count*/) { return 0; }
const char** UsbUpgradeC_GetLogs(void) { return nullptr; }

}

#include "platform/hidusb/simcontrol.h"

namespace hidsim {
void resetToDefaultBus() {}
QVector<DeviceStatus> devices() { return {}; }
bool device(const QString&, DeviceStatus*) { return false; }
bool plug(const QString&) { return false; }
bool unplug(const QString&) { return false; }
bool setAwake(const QString&, bool) { return false; }
bool setBattery(const QString&, int, bool) { return false; }
bool pressDpiButton(const QString&) { return false; }
bool factoryReset(const QString&) { return false; }
bool setOffline(const QString&, bool) { return false; }
void setReadsUnanswered(bool) {}
void setReadLatencyMs(int) {}
void setUpgradeFailAt(int) {}
void setUpgradeSilent(bool) {}
void setPairingResult(int) {}
QByteArray storedRecord(const QString&) { return {}; }
bool setStoredRecord(const QString&, const QByteArray&) { return false; }
QVector<Call> callLog() { return {}; }
QVector<QByteArray> recordsSent() { return {}; }
int recordsTaken() { return 0; }
void clearCallLog() {}
bool waitForIdle(int) { return true; }
} // namespace hidsim
