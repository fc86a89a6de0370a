// Recording a macro from the keyboard: Start and Stop, the recorder the
// keyboard hook calls, and the end of a recording when the user leaves the
// device page.
#include "macro/macro.h"

#include "ui_macro.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "macro/keynames.h"
#include "widgets/dialogframe.h"
#include "widgets/notices.h"
#include "widgets/pagedialogs.h"

#include <QElapsedTimer>

namespace {

// The notice sits on the page's centre, moved left and up.
constexpr int kNoticeDx = -100;
constexpr int kNoticeDy = -50;

// One monotonic clock for every page: the wall clock may jump.
const QElapsedTimer& monotonicClock()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return clock;
}

} // namespace

void Macro::setRecordingClock(RecordingClock clock)
{
    recordingClock = std::move(clock);
}

qint64 Macro::clockNow() const
{
    return recordingClock ? recordingClock() : monotonicClock().elapsed();
}

void Macro::restartDelayTimer()
{
    delayTimerStart = clockNow();
}

qint64 Macro::delayElapsed() const
{
    return qMax<qint64>(0, clockNow() - delayTimerStart);
}

void Macro::showRecordingControls(bool on)
{
    ui->StartRecord->setVisible(!on);
    ui->StopRecord->setVisible(on);
    ui->DelayTime->setVisible(!on);
    ui->NumberEdit->setVisible(!on);
    ui->listWidgetHong->setEnabled(!on);
}

void Macro::on_StartRecord_clicked()
{
    if (!ui->listWidgetHong->currentItem()) {
        showRunningNotice(false);
        return;
    }
    PostMsg::GetInstance()->PostStartRecord(0);
    recordedKeyCount = 0;
    ui->ChooseEvent->setEnabled(false);
    eventsChanged = true;
    hookObject.start([this](int keyCode, bool down, bool repeat) { UpdateCapslockTip(keyCode, down, repeat); });
    recording = true;
    macroRecording = 1;
    showRecordingControls(true);
    firstEvent = true;
    ui->listWidgetKey->clear();
    heldKeys.clear();
}

void Macro::on_StopRecord_clicked()
{
    PostMsg::GetInstance()->PostStartRecord(1);
    hookObject.stop();
    recordedKeyCount = 0;
    showRecordingControls(false);
    recording = false;
    macroRecording = 0;
    ui->ChooseEvent->setEnabled(true);
    setSaveActive(true);
    heldKeys.clear();
}

void Macro::SlotSetMacroPage()
{
    PostMsg::GetInstance()->PostStartRecord(1);
    hookObject.stop();
    showRecordingControls(false);
    recording = false;
    macroRecording = 0;
    heldKeys.clear();
    setSaveActive(false);
    // Leaving the device page ends a recording whole, as Stop does.
    ui->ChooseEvent->setEnabled(true);
    recordedKeyCount = 0;
    ui->listWidgetHong->setCurrentItem(nullptr);
}

void Macro::UpdateCapslockTip(int keyCode, bool downOrUp, bool /*aotu*/)
{
    if (!macroRecording || !recording) {
        restartDelayTimer();
        return;
    }
    // A held key repeats its key-down: only its first press and its release
    // count. Any other key may go down and up meanwhile.
    if (downOrUp) {
        if (heldKeys.contains(keyCode))
            return;
        heldKeys.insert(keyCode);
    } else {
        heldKeys.remove(keyCode);
    }

    if (!firstEvent) {
        const qint64 ms = ui->AutoInsertDelay->isChecked() ? delayElapsed() : ui->DelayTime->value();
        appendDelayEvent(double(ms));
        restartDelayTimer();
    } else {
        restartDelayTimer();
        firstEvent = false;
    }

    const KeyRow* key = keyRowOfVk(keyCode);
    if (!key) {
        // The key has no row; the next listed key follows the delay row
        // without one of its own.
        firstEvent = true;
        return;
    }
    ++recordedKeyCount;
    appendKeyEvent(QString::fromUtf8(key->name), downOrUp);
    if (recordedKeyCount < kMaxRecordedKeys)
        return;

    // The limit: the hook goes first, so the notice's own keys are not recorded.
    macroRecording = 0;
    recordedKeyCount = 0;
    hookObject.stop();
    KeyNumberLimit notice(nullptr);
    placeDialog(&notice, this, kNoticeDx, kNoticeDy);
    execForDevicePage(&notice);
}
