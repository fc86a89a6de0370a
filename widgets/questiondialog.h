#pragma once
// Asks for the name of a new or renamed macro. The name comes back in
// macroName; an empty name means the user gave none. While the user types,
// punctuation is kept out, blanks are stripped and the name is held within
// the 30 bytes of a macro block's name field (see widgets/macroname.h).
#include <QDialog>
#include <QString>

namespace Ui {
class QuestionDialog;
}

class QuestionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit QuestionDialog(QWidget* parent = nullptr);
    ~QuestionDialog() override;

    // The prompt: for a rename, or for a new macro. Call once before exec().
    void SetLabelText(bool rename);

    QString macroName;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Holding Shift locks the field, so nothing is typed while it is down.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private slots:
    void WindowClosedLan();
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void SlotAllLanguage(int language);
    void on_lineEdit_textEdited(const QString& text);

private:
    Ui::QuestionDialog* ui;
    QString pictureDir;
    QString newNamePrompt;
    QString renamePrompt;
};
