#pragma once
// The receiver LED dialog: three exclusive choices of what the receiver's LED
// indicator conveys, following the receiver's LED mode as the device reports
// it. It writes nothing to the device; the settings page's own copy of the
// choices does.
#include "core/deviceinfo.h"

#include <QDialog>
#include <QString>

namespace Ui {
class LedInfo;
}
class QButtonGroup;

class LedInfo : public QDialog
{
    Q_OBJECT
public:
    // The settings page holds one by value and passes no parent.
    explicit LedInfo(QWidget* parent = nullptr);
    ~LedInfo() override;

public slots:
    // Checks the choice byte 0 of the record names (1..3). Reads only that
    // byte and keeps no pointer. Only a 4 kHz-class receiver whose model has
    // a receiver LED option is followed.
    void SlotRGBValue(DongleRGB* Rgb);
    void SlotAllLanguage(int index);
    void on_CloseButton_clicked();

private:
    void applySkin();

    Ui::LedInfo* ui;
    QString pictureDir;
    QButtonGroup* modeGroup;
};
