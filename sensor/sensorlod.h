#pragma once
// The lift-off distance selector: "1mm" and "2mm", and "0.7mm" first for the
// sensors that offer it. A choice writes the lift-off code: 1 for 1 mm, 2 for
// 2 mm, 3 for 0.7 mm.
#include <QFrame>

class QButtonGroup;

namespace Ui {
class SensorLOD;
class SensorLODB;
} // namespace Ui

class SensorLOD : public QFrame
{
    Q_OBJECT
public:
    explicit SensorLOD(QWidget* parent = nullptr);
    ~SensorLOD() override;

    // The item sets: "0.7mm" is inserted at 0 or removed; each only from the
    // other set.
    void addSmallLod();
    void removeSmallLod();
    void setComboEnabled(bool enabled);
    // value = lift-off code - 1. A value the set has no item for: with three
    // items the selection stays, with two the list shows no item.
    void setCurrentLod(int value);
    void setCaptionText(const QString& text);
    void setCaptionToolTip(const QString& text);

private slots:
    void on_LOD_currentIndexChanged(int index);

private:
    Ui::SensorLOD* ui;
    QString pictureDir;
    // Set while an operation above changes the list: only a user's choice
    // is written.
    bool changingByProgram = false;
};

// The same selector as three round check buttons; "MM0" (0.7 mm) is hidden
// until showSmallLod().
class SensorLODB : public QFrame
{
    Q_OBJECT
public:
    explicit SensorLODB(QWidget* parent = nullptr);
    ~SensorLODB() override;

    void showSmallLod();
    void hideSmallLod();
    void setButtonsEnabled(bool enabled);
    // value = lift-off code - 1; 2 only while "MM0" is shown. Writes nothing.
    void setCurrentLod(int value);
    void setCaptionText(const QString& text);
    void setCaptionToolTip(const QString& text);

private slots:
    void on_MM1_clicked(bool checked);
    void on_MM2_clicked(bool checked);
    void on_MM0_clicked(bool checked);

private:
    Ui::SensorLODB* ui;
    QString pictureDir;
    QButtonGroup* group;
};
