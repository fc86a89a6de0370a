#pragma once
// The settings page: language, auto-start, firmware versions and pairing.
#include "core/deviceinfo.h"

#include <QWidget>

namespace Ui {
class FormSetting;
}
class UpDateWarning;

class FormSetting : public QWidget
{
    Q_OBJECT
public:
    explicit FormSetting(QWidget* parent = nullptr);
    ~FormSetting() override;

public slots:
    void SetVer(int what);
    void SetVerText();
    void SlotLabelText(int index, QString text);
    void SlotLabelTextB(QString version, QString flag);
    void SlotCheckUpdate();
    void SlotRGBValue(DongleRGB* Rgb);
    void SlotLongRangeMode(bool Select);
    void SlotForm();
    void SlotFormB();
    void SlotFormResetForm();
    void SlotLightToFrom(int seconds);
    void SlotLanguageSameB(int index);
    void SlotAllLanguage(int index);
    void SlotUpdateFrame(bool IsVis);
    void SlotContinue(int value);
    void on_Start();
    void on_comboBox_activated(int index);
    void on_checkBox_clicked(bool on);

private:
    Ui::FormSetting* ui;
    UpDateWarning* updateWarning;
};
