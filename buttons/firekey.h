#pragma once
// Asks for the interval and count of rapid fire. The caller presets both,
// runs the dialog with exec() and reads IsOk and the values afterwards.
#include <QDialog>
#include <QString>

namespace Ui {
class FireKey;
}

class FireKey : public QDialog
{
    Q_OBJECT
public:
    explicit FireKey(QWidget* parent = nullptr);
    ~FireKey() override;

    // The spin boxes hold the values to their ranges.
    void setTimeValue(int value);
    void setCountValue(int value);

    // True only when OK closed the dialog; the values are taken then.
    bool IsOk = false;
    int TimeValue = 10;
    int CountValue = 3;

private slots:
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int index);

private:
    Ui::FireKey* ui;
    QString PicturePath;
};
