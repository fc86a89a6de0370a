#pragma once
// A small window with the progress of a firmware upgrade: "prefix: N%" over a
// bar, a close button and a confirm button.
#include <QDialog>
#include <QString>

namespace Ui {
class Progress;
}

class Progress : public QDialog
{
    Q_OBJECT
public:
    explicit Progress(QWidget* parent = nullptr);
    ~Progress() override;

public slots:
    void SlotAllLanguage(int index);
    // value goes to the bar; type 0 progress, 1 failed, 2 finished, 3 and 4
    // hide the confirm button (4 also starts again from 0 %).
    void SlotProgress(int value, int type);
    void SlotCloseProgress();
    void on_CloseButton_clicked();
    void on_NewHong_clicked();

private:
    void showPercent(int value);
    void closeAndReset();

    Ui::Progress* ui;
    QString pictureDir;
    QString progressPrefix;
    QString progressTextA; // finished
    QString progressTextB; // failed
};
