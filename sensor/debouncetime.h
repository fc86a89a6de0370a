#pragma once
// The button debounce time. DebounceTime is a list of 16 entries whose index
// is the debounce byte; a short time (index 0..7) brings up the LessThree
// notice. DebouncetimeB (slider) and DebouncetimeC (number with step
// buttons) write the number they show, 1..20, and show no notice.
#include <QFrame>

namespace Ui {
class DebounceTime;
class DebouncetimeB;
class DebouncetimeC;
} // namespace Ui

class DebounceTime : public QFrame
{
    Q_OBJECT
public:
    explicit DebounceTime(QWidget* parent = nullptr);
    ~DebounceTime() override;

    // Shows the device's debounce byte. Writes nothing and shows no notice;
    // a byte above 15 leaves the list without an entry.
    void setCurrentIndex(int index);
    // Entry text: the index in decimal followed by the unit.
    void setItemSuffix(int index, const QString& unit);

private slots:
    void on_Debunce_currentIndexChanged(int index);

private:
    Ui::DebounceTime* ui;
    QString pictureDir;
    bool changingByProgram = false;
};

class DebouncetimeB : public QFrame
{
    Q_OBJECT
public:
    explicit DebouncetimeB(QWidget* parent = nullptr);
    ~DebouncetimeB() override;

    // Slider and number take the value; nothing is written.
    void setValueSilent(int value);
    void setSuffix(const QString& unit);

private slots:
    void on_Debunce_sliderMoved(int position);
    void on_Debunce_valueChanged(int value);

private:
    Ui::DebouncetimeB* ui;
    QString pictureDir;
};

class DebouncetimeC : public QFrame
{
    Q_OBJECT
public:
    explicit DebouncetimeC(QWidget* parent = nullptr);
    ~DebouncetimeC() override;

    // The number takes the value; nothing is written.
    void setValue(int value);
    void setSuffix(const QString& unit);

private slots:
    void on_AddLevelA_clicked();
    void on_ReduceLevelA_clicked();

private:
    Ui::DebouncetimeC* ui;
    QString pictureDir;
};
