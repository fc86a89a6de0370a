#pragma once
// The notice that another copy of the program runs. At that point no main
// window exists and no language table is loaded, so the notice reads its own
// "EXEIsRun" section from the language file of the stored language. The macro
// page shows the same notice with one of its two other texts.
#include <QDialog>
#include <QString>

class QXmlStreamReader;

namespace Ui {
class ExeIsRun;
}

class ExeIsRun : public QDialog
{
    Q_OBJECT
public:
    explicit ExeIsRun(QWidget* parent = nullptr);
    ~ExeIsRun() override;

    // The label shows the "label_2" text: no macro is selected.
    void showSecondText();
    // The label shows the "PleaseStop" text: a recording runs.
    void showPleaseStopText();

    // The language file for a language index: the language folder + a name;
    // "0-English.xml" for an index the program does not know.
    static QString languageFile(int index);

    // Tests only: reads the language files from another folder (the
    // installation's "Language" folder again when empty).
    static void setLanguageFolderForTests(const QString& folder);

public slots:
    void SlotChangeLanguage(int index);

private slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();

private:
    void readLanguageRoot();
    void readRunSection();

    Ui::ExeIsRun* ui;
    QString pictureDir;
    QXmlStreamReader* reader = nullptr;
    QString secondText;
    QString pleaseStopText;
};

// The start-up's notice for a second copy: ExeIsRun without parent, run
// modally at its default position.
void showExeIsRun();
