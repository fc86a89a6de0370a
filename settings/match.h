#pragma once
// The pairing dialog: puts the receiver in pair mode for the chosen mouse.
#include <QDialog>

namespace Ui {
class Match;
}

class Match : public QDialog
{
    Q_OBJECT
public:
    explicit Match(QWidget* parent = nullptr);
    ~Match() override;

    // Prepares a run before exec(): the device to pair is the open device,
    // else the one the home page chose, else the first tile's.
    void InitPair();

public slots:
    // The close button: the home page's plug/unplug callback comes back.
    void WindowClosedSet();
    void SlotAllLanguage(int index);

private:
    Ui::Match* ui;
    QString startText;
    QByteArray pairDevicePath;
    int pairCid = 0;
};
