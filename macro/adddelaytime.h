#pragma once
// The length of one delay of a macro, in milliseconds (10..65535). Every
// button ends the dialog through close(); the caller tests isOk after exec()
// and then takes delayTime.
#include <QDialog>
#include <QString>

namespace Ui {
class AddDelayTime;
}

class AddDelayTime : public QDialog
{
    Q_OBJECT
public:
    explicit AddDelayTime(QWidget* parent = nullptr);
    ~AddDelayTime() override;

    bool isOk = false;
    int delayTime = 0;

private slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void SlotAllLanguage(int index);

private:
    Ui::AddDelayTime* ui;
    QString PicturePath;
};
