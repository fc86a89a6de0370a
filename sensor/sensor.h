#pragma once
// The sensor and DPI page.
#include "core/flashdatamap.h"

#include <QWidget>

namespace Ui {
class Sensor;
}

class Sensor : public QWidget
{
    Q_OBJECT
public:
    explicit Sensor(QWidget* parent = nullptr);
    ~Sensor() override;

public slots:
    void SlotHideModel(int index);
    void SlotUpDataSenSorUIB(FlashDataMap DataMap);
    void SlotAllLanguage(int index);
    // Delivered blocking-queued from the device connection.
    void SlotUpDataSenSorUISensor(FlashDataMap DataMap);
    void SlotFormReset();
    void SlotUpDataReportRate(int index);
    void SlotUpDataDPI(int index);
    void SlotUpDataDPILed(FlashDataMap DataMap);

private:
    Ui::Sensor* ui;
};
