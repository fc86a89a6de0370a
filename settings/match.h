#pragma once
// The pairing dialog: puts the receiver in pair mode for the chosen mouse and
// shows the outcome.
#include <QDialog>

namespace Ui {
class Match;
}
class QTimer;

class Match : public QDialog
{
    Q_OBJECT
public:
    explicit Match(QWidget* parent = nullptr);
    ~Match() override;

    // Prepares a run before exec(): the device to pair is the open device,
    // else the one the home page chose, else the first tile's.
    void InitPair();
    void StartPair();

    // How long a pairing may go without an outcome before it counts as
    // failed. Tests shorten it.
    static int pairTimeoutMs;

public slots:
    void on_MatchButton_clicked();
    // The close button.
    void WindowClosedSet();
    void onPairTimeupDestroy();
    void onUSBTimeupDestroy();
    void onTextTimeupDestroy();
    void SlotStopTimer();
    void SlotButtonenable(int index);
    void SlotDevicePageLeft();
    void SlotAllLanguage(int index);

protected:
    void changeEvent(QEvent* event) override;
    // Every way out: ignored while a request is outstanding; otherwise the
    // home page's plug/unplug callback comes back.
    void reject() override;

private:
    enum class Look { Normal, Success, Failure, NotPairable };
    void setLook(Look look);
    void setButtonText(const QString& text);
    void failPairing();

    Ui::Match* ui;
    QString pictureDir;
    QString buttonColour;
    QString openDevicePath;
    QByteArray pairDevicePath;
    int pairCid = 0;
    QString vidText;
    QString pidText;
    bool onCable = false;
    bool canPair = false;
    // The device page was left while the dialog was open.
    bool pageLeft = false;
    QStringList texts;   // "Match" items
    QTimer* usbTimer;
    QTimer* pairTimer;
    QTimer* textTimer;
    QTimer* timeoutTimer;
};

// Process-wide pairing state: the callback has no object.
extern bool pairStarted;      // a pairing request is outstanding
extern int pairResult;        // 0 idle, 1 pairing, 2 success, 3 failure
extern bool activeFlagSaved;  // deviceSessionActive was 1 and is 0 while pairing
extern int dotCount;          // step of the pairing text's animation

// The pairing connection's data callback. Runs on the library's thread and
// only passes a pairing status to the GUI thread.
void PairStatusCallback(const unsigned char* buf, int len, const unsigned char* status, int statusLength);

// Runs a pairing dialog centred on the caller and moved by dx, dy; callers
// set pairTargetSet (and pairTargetDevice) first. False when the device page
// was left while it ran.
bool runPairingDialog(QWidget* caller, int dx = 0, int dy = 0);
// Pairing from the device page: afterwards the device page follows plugs and
// unplugs again and its connection to the open device is restored, since the
// dialog gave both away.
void pairOpenDevice(QWidget* caller, int dx = 0, int dy = 0);
