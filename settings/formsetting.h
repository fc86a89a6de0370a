#pragma once
// The settings page: language, auto-start, firmware versions and pairing.
#include "core/deviceinfo.h"

#include <QList>
#include <QPoint>
#include <QWidget>

namespace Ui {
class FormSetting;
}
class QButtonGroup;
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
    void SlotScroolChange(int value);
    void on_Start();
    void on_comboBox_activated(int index);
    void on_checkBox_clicked(bool on);

private:
    void applySkin();
    // The content is 710 high without the receiver LED rows and 860 with
    // them; the two footer buttons follow its bottom.
    void setTallPage(bool tall);
    QList<QWidget*> longRangeRows() const;
    QList<QWidget*> ledRows() const;

    Ui::FormSetting* ui;
    QString pictureDir;
    // Language texts the firmware update reports with.
    QString noDeviceText;
    QString sameDeviceText;
    QString upToDateText;
    QString updateText;
    QString noReceiverText;
    QString noMouseText;
    QString repairErrorText;
    QString multiDongleText;
    QString multiMouseText;
    UpDateWarning* updateWarning;
    QPoint labelHomePos;
    QButtonGroup* ledModeGroup;
    QString buttonColor;
    // Vertical offset of the rows below the sleep section.
    const int layoutOffset = 80;
    bool fontScaled = false;
};
