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

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void fillFrom(const FlashDataMap& data, bool slidersEnabled);
    void writeColour();

    Ui::LampLight* ui;
    QString pictureDir;
    LightControls* controls;
};
