#include "sensor/sensor.h"

#include "ui_sensor.h"

#include "core/globals.h"
#include "core/postmsg.h"

Sensor::Sensor(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Sensor)
{
    ui->setupUi(this);
    hubConnect(SIGNAL(SigHideModel(int)), this, SLOT(SlotHideModel(int)));
    hubConnect(SIGNAL(SigUpDataSensorUIB(FlashDataMap)), this, SLOT(SlotUpDataSenSorUIB(FlashDataMap)));
    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    hubConnect(SIGNAL(SigUpDataLightSensor(FlashDataMap)), this, SLOT(SlotUpDataSenSorUISensor(FlashDataMap)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigFormReset()), this, SLOT(SlotFormReset()), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataReportRate(int)), this, SLOT(SlotUpDataReportRate(int)), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataDPI(int)), this, SLOT(SlotUpDataDPI(int)), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataDPILed(FlashDataMap)), this, SLOT(SlotUpDataDPILed(FlashDataMap)),
               Qt::BlockingQueuedConnection);
    SlotAllLanguage(languageIndex);
}

Sensor::~Sensor()
{
    delete ui;
}

void Sensor::SlotUpDataSenSorUISensor(FlashDataMap /*DataMap*/)
{
    sensorPageUpdated = 0;
    sensorPageFilling = 1;
    sensorPageFilling = 0;
    sensorPageUpdated = 1;
}

void Sensor::SlotUpDataSenSorUIB(FlashDataMap /*DataMap*/)
{
    sensorPageFilling = 1;
    sensorPageFilling = 0;
}

void Sensor::SlotFormReset()
{
    sensorPageFilling = 1;
    sensorPageFilling = 0;
}

void Sensor::SlotHideModel(int /*index*/)
{
}

void Sensor::SlotAllLanguage(int /*index*/)
{
}

void Sensor::SlotUpDataReportRate(int /*index*/)
{
}

void Sensor::SlotUpDataDPI(int /*index*/)
{
}

void Sensor::SlotUpDataDPILed(FlashDataMap /*DataMap*/)
{
}
