#pragma once
// The lighting page of the device: light mode, brightness, speed and colour
// of the light, lights off while moving and the idle lights-off time. Each
// user change goes to the device at once through one device write setter;
// fills from a record, the factory-default view and language changes write
// nothing.
#include "core/flashdatamap.h"

#include <QString>
#include <QWidget>

class LightControls;

namespace Ui {
class LampLight;
}

class LampLight : public QWidget
{
    Q_OBJECT
public:
    explicit LampLight(QWidget* parent = nullptr);
    ~LampLight() override;

public slots:
    // Delivered blocking-queued from the device connection: the device's
    // record, sliders enabled.
    void SlotUpDataLightUILight(FlashDataMap DataMap);
    // An imported configuration: the record, sliders disabled.
    void SlotUpDataLightUIA(FlashDataMap DataMap);
    // Delivered blocking-queued: the factory defaults, shown only.
    void SlotFormResetLight();
    void SlotAllLanguage(int index);

private slots:
    void on_LightMod_currentIndexChanged(int index);
    void on_horizontalLight_valueChanged(int value);
    void on_horizontalSpeed_valueChanged(int value);
    void on_horizontalLight_sliderMoved(int position);
    void on_horizontalSpeed_sliderMoved(int position);
    void on_RippeControl_clicked(bool checked);
    void on_RSpinBox_valueChanged(int value);
    void on_GSpinBox_valueChanged(int value);
    void on_BSpinBox_valueChanged(int value);
    void on_AddR_clicked();
    void on_AddG_clicked();
    void on_AddB_clicked();
    void on_ReduceR_clicked();
    void on_ReduceG_clicked();
    void on_ReduceB_clicked();
    void on_toolButtonColorA_clicked();
    void on_toolButtonColorB_clicked();
    void on_toolButtonColorC_clicked();
    void on_toolButtonColorD_clicked();
    void on_toolButtonColorE_clicked();
    void on_toolButtonColorF_clicked();
    void on_toolButtonColorG_clicked();
    void on_toolButtonColorH_clicked();
    void on_toolButtonColorI_clicked();
    void on_toolButtonColorJ_clicked();
    void on_toolButtonColorK_clicked();
    void on_toolButtonColorL_clicked();
    void on_toolButtonColorM_clicked();
    void on_toolButtonColorN_clicked();
    void on_StopCloseTime_activated(int index);
    void on_LightSpinBox_2_valueChanged(int value);
    void on_SpeedSpinBox_2_valueChanged(int value);
    void on_LightMod_editTextChanged(const QString& text);
    void on_LightMod_activated(int index);
    QString ByteToQString(uchar a);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fillFrom(const FlashDataMap& data, bool slidersEnabled);
    void writeColour();
    void showDeviceOnRefusal(bool written);

    Ui::LampLight* ui;
    QString pictureDir;
    LightControls* controls;
};
