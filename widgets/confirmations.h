#pragma once
// Yes-or-no questions. Each reports the answer in okClicked: true only when
// its OK button closed it. Callers read okClicked after exec(), never the
// result of exec().
#include <QDialog>
#include <QString>

namespace Ui {
class ContainReset;
class RePair;
class DeleteConfirm;
} // namespace Ui

// Restore the default settings? Also asked, with a message of the caller's,
// before a firmware repair.
class ContainReset : public QDialog
{
    Q_OBJECT
public:
    explicit ContainReset(QWidget* parent = nullptr);
    ~ContainReset() override;

    void setMessageText(QString text);

    bool okClicked = false;

private slots:
    void on_CloseButton_clicked();
    void on_OK_clicked();
    void on_Cancel_clicked();
    void SlotAllLanguage(int language);

private:
    Ui::ContainReset* ui;
    QString pictureDir;
};

// Pair the mouse again?
class RePair : public QDialog
{
    Q_OBJECT
public:
    explicit RePair(QWidget* parent = nullptr);
    ~RePair() override;

    bool okClicked = false;

private slots:
    void on_CloseButton_clicked();
    void on_OK_clicked();
    void on_Cancel_clicked();
    void SlotAllLanguage(int language);

private:
    Ui::RePair* ui;
    QString pictureDir;
};

// Delete the selected macro? The close button is the way to say no.
class DeleteConfirm : public QDialog
{
    Q_OBJECT
public:
    explicit DeleteConfirm(QWidget* parent = nullptr);
    ~DeleteConfirm() override;

    bool okClicked = false;

private slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    Ui::DeleteConfirm* ui;
    QString pictureDir;
};
