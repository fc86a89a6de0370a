#pragma once
// Captures one key for a key event of a macro. Keys come from the dialog's
// own copy of the keyboard hook, named with left and right modifiers apart.
// The caller runs the dialog with exec() and, when it returned Accepted and
// isOk is set, takes keyName.
#include <QDialog>
#include <QString>

#include "macro/capturehook.h"

namespace Ui {
class addKey;
}

class addKey : public QDialog
{
    Q_OBJECT
public:
    using Hook = CaptureHook<2>::Hook;

    // Capturing starts here, not when the dialog is shown.
    explicit addKey(QWidget* parent = nullptr);
    ~addKey() override;

    bool isOk = false;
    // The name of the key of the last hook event; empty for a key without one.
    QString keyName;

    // Ends the capture whichever way the dialog closes.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    void SlotAllLanguage(int index);

private:
    CaptureHook<2> hook;
    Ui::addKey* ui;
    QString PicturePath;
};
