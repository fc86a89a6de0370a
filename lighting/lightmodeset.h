#pragma once
// The light mode dialog: a light mode with brightness and speed and a custom
// colour, without a device side. It writes nothing and nobody reads its
// values; closing it emits SigButtonCheck.
#include <QDialog>
#include <QString>

class LightControls;

namespace Ui {
class LightModeSet;
}

class LightModeSet : public QDialog
{
    Q_OBJECT
public:
    explicit LightModeSet(QWidget* parent = nullptr);
    ~LightModeSet() override;

private slots:
    void on_AddR_clicked();
    void on_AddG_clicked();
    void on_AddB_clicked();
    void on_ReduceR_clicked();
    void on_ReduceG_clicked();
    void on_ReduceB_clicked();
    void on_RSpinBox_valueChanged(int arg1);
    void on_GSpinBox_valueChanged(int arg1);
    void on_BSpinBox_valueChanged(int arg1);
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

public slots:
    void SlotAllLanguage(int index);

private slots:
    void on_CloseButton_clicked();
    void on_LightMod_currentIndexChanged(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    Ui::LightModeSet* ui;
    QString pictureDir;
    LightControls* controls;
};
