#pragma once
// The report-rate row of the sensor page: seven rate buttons, at most one
// checked. A click writes the rate's code and tells the page whether a high
// rate (2000 Hz or more) is now set.
#include <QFrame>

class QAbstractButton;
class QButtonGroup;
class QLabel;

namespace Ui {
class SensorRate;
class SensorRateB;
} // namespace Ui

// The report-rate code of each rate button, 125 Hz to 8000 Hz.
constexpr int kReportRateCodes[7] = {8, 4, 2, 1, 16, 32, 64};

// The receiver class whose rates a device of this type offers: 0 up to
// 1000 Hz (1 kHz receivers, mice on their cable), 1 up to 4000 Hz, 2 up to
// 2000 Hz, 3 up to 8000 Hz; -1 for a type with no class (leave the buttons).
int rateButtonClass(int deviceType);

// The button (0..6, 125 Hz first) of a report-rate code, -1 for none.
int rateButtonOfCode(int code);

// What both layouts share: the group of seven buttons in rate order, the
// program's check and visibility operations and the write of a click.
class RateSelector : public QFrame
{
    Q_OBJECT
public:
    // Checks button 0..6; any other index changes nothing. Writes nothing.
    void checkRateButton(int index);
    // Shows the high-rate buttons of receiver class 0..3; other values
    // change nothing.
    void showRateButtons(int receiverClass);
    void setCaptionText(const QString& text);

protected:
    explicit RateSelector(QWidget* parent);
    void setUpGroup(QLabel* caption, const QList<QAbstractButton*>& buttons);

    QString pictureDir;
    QButtonGroup* group = nullptr;

private slots:
    void on_Button125HZ_clicked(bool checked);
    void on_Button250HZ_clicked(bool checked);
    void on_Button500HZ_clicked(bool checked);
    void on_Button1000HZ_clicked(bool checked);
    void on_Button2000HZ_clicked(bool checked);
    void on_Button4000HZ_clicked(bool checked);
    void on_Button8000HZ_clicked(bool checked);

private:
    void rateClicked(int index, bool checked);

    QLabel* caption = nullptr;
};

class SensorRate : public RateSelector
{
    Q_OBJECT
public:
    explicit SensorRate(QWidget* parent = nullptr);
    ~SensorRate() override;

private:
    Ui::SensorRate* ui;
};

// The same selector as one row of check boxes.
class SensorRateB : public RateSelector
{
    Q_OBJECT
public:
    explicit SensorRateB(QWidget* parent = nullptr);
    ~SensorRateB() override;

private:
    Ui::SensorRateB* ui;
};
