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
