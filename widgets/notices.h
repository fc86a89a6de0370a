#pragma once
// The notices: small frameless modal dialogs that tell the user one thing and
// close. Callers create them without parent, place them with placeDialog()
// and run them with exec(); none of them reports a result.
#include <QDialog>
#include <QString>

namespace Ui {
class QuestiondialogB;
class MouseOffLine;
class LeftButtonOnly;
class MakeMacro;
class SameMacro;
class GroupMaxThree;
class KeyNumberLimit;
class InportFail;
class UpDateWarning;
class LessThree;
} // namespace Ui

// Which text the offline notice shows: 0 a device write found the device
// offline, 1 the configuration wait timed out. The main window sets it before
// it shows the notice.
extern int offlineNoticeKind;

// Two devices of the same model are plugged in.
class QuestiondialogB : public QDialog
{
    Q_OBJECT
public:
    explicit QuestiondialogB(QWidget* parent = nullptr);
    ~QuestiondialogB() override;

private slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    Ui::QuestiondialogB* ui;
    QString pictureDir;
};

// The device is offline. Closes by itself when the device answers again.
class MouseOffLine : public QDialog
{
    Q_OBJECT
public:
    explicit MouseOffLine(QWidget* parent = nullptr);
    ~MouseOffLine() override;

private slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    Ui::MouseOffLine* ui;
    QString pictureDir;
};

// The one button left with the left-click function must keep it.
class LeftButtonOnly : public QDialog
{
    Q_OBJECT
public:
    explicit LeftButtonOnly(QWidget* parent = nullptr);
    ~LeftButtonOnly() override;

private slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    Ui::LeftButtonOnly* ui;
    QString pictureDir;
};

// No macro exists yet.
class MakeMacro : public QDialog
{
    Q_OBJECT
public:
    explicit MakeMacro(QWidget* parent = nullptr);
    ~MakeMacro() override;

private slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void SlotAllLanguage(int language);

private:
    Ui::MakeMacro* ui;
    QString pictureDir;
};

// A macro of that name exists already, or (showNameRefusedText) the name
// cannot name a macro at all.
class SameMacro : public QDialog
{
    Q_OBJECT
public:
    explicit SameMacro(QWidget* parent = nullptr);
    ~SameMacro() override;

    void showNameRefusedText();

private slots:
    void on_NewHong_clicked();
    void SlotAllLanguage(int language);
    void on_CloseButton_clicked();

private:
    Ui::SameMacro* ui;
    QString pictureDir;
    bool nameRefused = false;
};

// A key combination holds at most three keys.
class GroupMaxThree : public QDialog
{
    Q_OBJECT
public:
    explicit GroupMaxThree(QWidget* parent = nullptr);
    ~GroupMaxThree() override;

private slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    Ui::GroupMaxThree* ui;
    QString pictureDir;
};

// The macro recorder reached its event limit.
class KeyNumberLimit : public QDialog
{
    Q_OBJECT
public:
    explicit KeyNumberLimit(QWidget* parent = nullptr);
    ~KeyNumberLimit() override;

private slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);
    void on_NewHong_clicked();

private:
    Ui::KeyNumberLimit* ui;
    QString pictureDir;
};

// importFailReason of a macro import whose file is no exported macro, and of
// a configuration export that could not be written.
constexpr int kImportNotAMacro = 3;
constexpr int kExportNotWritten = 4;

// A configuration file, or an exported macro, cannot be imported, or an
// export cannot be written; importFailReason tells why.
class InportFail : public QDialog
{
    Q_OBJECT
public:
    explicit InportFail(QWidget* parent = nullptr);
    ~InportFail() override;

private slots:
    void on_NewHong_clicked();
    void SlotAllLanguage(int language);
    void on_CloseButton_clicked();

private:
    Ui::InportFail* ui;
    QString pictureDir;
};

// A firmware-update warning whose message the caller sets.
class UpDateWarning : public QDialog
{
    Q_OBJECT
public:
    explicit UpDateWarning(QWidget* parent = nullptr);
    ~UpDateWarning() override;

    void setWarningText(const QString& text);

private slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);
    void on_NewHong_clicked();

private:
    Ui::UpDateWarning* ui;
    QString pictureDir;
};

// The debounce-time notice.
class LessThree : public QDialog
{
    Q_OBJECT
public:
    explicit LessThree(QWidget* parent = nullptr);
    ~LessThree() override;

private slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    Ui::LessThree* ui;
    QString pictureDir;
};
