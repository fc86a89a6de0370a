#pragma once
// The idle time after which the mouse sleeps: eleven times from 10 seconds
// to 40 minutes, written as the sleep byte in units of 10 seconds.
// StopCloseTimeB is the same choice as a slider with a number and a unit.
#include <QFrame>

namespace Ui {
class StopCloseTime;
class StopCloseTimeB;
} // namespace Ui

// Sleep byte (units of 10 s) of each of the eleven entries.
constexpr int kSleepTimeValues[11] = {1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240};

// The entry of a sleep byte, -1 for a byte no entry has.
int sleepTimeIndex(int sleepByte);

class StopCloseTime : public QFrame
{
    Q_OBJECT
public:
    explicit StopCloseTime(QWidget* parent = nullptr);
    ~StopCloseTime() override;

    // Selects an entry without writing.
    void setCurrentIndexSilent(int index);
    void setItemText(int index, const QString& text);

private slots:
    void on_StopClose_activated(int index);

private:
    Ui::StopCloseTime* ui;
    QString pictureDir;
};

class StopCloseTimeB : public QFrame
{
    Q_OBJECT
public:
    explicit StopCloseTimeB(QWidget* parent = nullptr);
    ~StopCloseTimeB() override;

    // Moves the slider to entry `index` without writing.
    void setCurrentIndexSilent(int index);
    // Index 0 gives the seconds unit (its text less "10"), index 5 the
    // minutes unit (its text less "15"); others nothing.
    void setItemText(int index, const QString& text);

private slots:
    void on_StopClose_sliderMoved(int position);
    void on_StopClose_valueChanged(int value);

private:
    // The number and unit of slider position 1..11.
    void showPosition(int position);

    Ui::StopCloseTimeB* ui;
    QString pictureDir;
    QString secondsUnit;
    QString minutesUnit;
};
