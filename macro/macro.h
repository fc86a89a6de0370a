#pragma once
// The macro page: the user's macros and their recording.
#include <QWidget>

namespace Ui {
class Macro;
}

class Macro : public QWidget
{
    Q_OBJECT
public:
    explicit Macro(QWidget* parent = nullptr);
    ~Macro() override;

public slots:
    // The device page goes back to the home page: a running recording stops.
    void SlotSetMacroPage();
    void SlotAllLanguage(int index);

private slots:
    void on_StartRecord_clicked();
    void on_StopRecord_clicked();

private:
    void stopRecording();

    Ui::Macro* ui;
    bool recording = false;
};
