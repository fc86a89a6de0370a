#pragma once
// The on/off sensor options: ripple control, angle snapping (straight line)
// and motion sync. Each is a caption and a switch; a click writes the new
// state at once. The B classes put the caption left of the switch.
#include "core/flashdatamap.h"

#include <QFrame>

class QLabel;
class QToolButton;

namespace Ui {
class RippeControl;
class RippeControlB;
class StraightLine;
class StraightLineB;
class MotionSync;
class MotionSyncB;
} // namespace Ui

// What the six switch widgets share.
class SensorSwitch
{
public:
    using Setter = bool (*)(int on);

    // Checks or unchecks the switch. Writes nothing.
    void setChecked(bool checked);
    void setCaptionText(const QString& text);
    void setCaptionToolTip(const QString& text);

protected:
    // Skins the caption and the switch (by its object name) and keeps the
    // option's setter and its byte of the record.
    void setUpSwitch(QToolButton* button, QLabel* caption, Setter setter, uint8_t FlashDataMap::*field);
    void switchClicked(bool checked);

private:
    QToolButton* button = nullptr;
    QLabel* caption = nullptr;
    Setter setter = nullptr;
    uint8_t FlashDataMap::*field = nullptr;
};


class RippeControl : public QFrame, public SensorSwitch
{
    Q_OBJECT
public:
    explicit RippeControl(QWidget* parent = nullptr);
    ~RippeControl() override;

private slots:
    void on_RippeControl_2_clicked(bool checked);

private:
    Ui::RippeControl* ui;
};

class RippeControlB : public QFrame, public SensorSwitch
{
    Q_OBJECT
public:
    explicit RippeControlB(QWidget* parent = nullptr);
    ~RippeControlB() override;

private slots:
    void on_RippeControl_2_clicked(bool checked);

private:
    Ui::RippeControlB* ui;
};

class StraightLine : public QFrame, public SensorSwitch
{
    Q_OBJECT
public:
    explicit StraightLine(QWidget* parent = nullptr);
    ~StraightLine() override;

private slots:
    void on_StraightLine_2_clicked(bool checked);

private:
    Ui::StraightLine* ui;
};

class StraightLineB : public QFrame, public SensorSwitch
{
    Q_OBJECT
public:
    explicit StraightLineB(QWidget* parent = nullptr);
    ~StraightLineB() override;

private slots:
    void on_StraightLine_2_clicked(bool checked);

private:
    Ui::StraightLineB* ui;
};

class MotionSync : public QFrame, public SensorSwitch
{
    Q_OBJECT
public:
    explicit MotionSync(QWidget* parent = nullptr);
    ~MotionSync() override;

private slots:
    void on_MotionSync_2_clicked(bool checked);

private:
    Ui::MotionSync* ui;
};

class MotionSyncB : public QFrame, public SensorSwitch
{
    Q_OBJECT
public:
    explicit MotionSyncB(QWidget* parent = nullptr);
    ~MotionSyncB() override;

private slots:
    void on_MotionSync_2_clicked(bool checked);

private:
    Ui::MotionSyncB* ui;
};
