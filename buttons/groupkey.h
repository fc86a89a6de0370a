#pragma once
// Captures a key combination: up to three items, modifiers from check boxes
// and ordinary keys from the keyboard hook. The caller runs the dialog with
// exec() and reads IsOk and KeyText afterwards.
#include <QDialog>
#include <QString>

#include <functional>

#include "macro/capturehook.h"

namespace Ui {
class GroupKey;
}

// The capture field's rules, on the field text and a millisecond clock: key
// names in capture order, at most three, a new capture after 2000 ms.
class ComboCapture
{
public:
    static constexpr qint64 kWindowMs = 2000;

    // The field text after one hook event at time nowMs.
    QString keyEvent(const QString& field, int vk, bool down, qint64 nowMs);
    void forgetLastKey() { LastKeyCode = -1; }

private:
    int LastKeyCode = -1;
    bool WaitFirstKey = true;
    qint64 windowStart = 0;
};

class GroupKey : public QDialog
{
    Q_OBJECT
public:
    using Hook = CaptureHook<3>::Hook;

    explicit GroupKey(QWidget* parent = nullptr);
    ~GroupKey() override;

    bool IsOk = false;
    QString KeyText;

    // The clock of the capture window; a monotonic one unless a test sets
    // another.
    std::function<qint64()> clock;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_CloseButton_clicked();
    void on_NewHong_2_clicked();
    void on_NewHong_clicked();
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    void on_lineEdit_textEdited(const QString& text);
    void SlotAllLanguage(int index);

private:
    void closeUnhooked(bool ok);

    CaptureHook<3> hook;
    ComboCapture capture;
    Ui::GroupKey* ui;
    QString PicturePath;
};
