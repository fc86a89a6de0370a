#pragma once
// Interface texts: one table per screen section of the language files, one
// row per loaded language, one item per widget text.
#include "core/globals.h" // languageIndex: the row every screen reads

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QXmlStreamReader>

class LanguageTable
{
public:
    int rowCount() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }

    // The row of a language as loaded (a text its file lacks is a null
    // string). A language without a row falls back to row 0; an empty table
    // gives an empty row.
    QStringList row(int language) const;

    // Item `item` of the language's row. A text that language's file did not
    // supply is the English one (row 0), and empty when that is missing too.
    // Screens read their texts only through this, so a missing or incomplete
    // language file never takes a screen out of range.
    QString text(int language, int item) const;

    void appendRow(const QStringList& row) { m_rows.append(row); }
    // Puts a text at row `language`, item `item`, unless that place already
    // holds one (the first text read wins). Rows and items before it that no
    // file supplied stay missing.
    void setText(int language, int item, const QString& text);
    void clear() { m_rows.clear(); }

private:
    QList<QStringList> m_rows;
};

extern LanguageTable DialogChangeTexts;
extern LanguageTable LightTexts;
extern LanguageTable MacroTexts;
extern LanguageTable SensorTexts;
extern LanguageTable ButtoninterfaceTexts;
extern LanguageTable ProgressTexts;
extern LanguageTable UpDataParamTexts;
extern LanguageTable QuestionBTexts;
extern LanguageTable QuestionTexts;
extern LanguageTable MouseOffLineTexts;
extern LanguageTable MatchTexts;
extern LanguageTable AutoRepairTexts;
extern LanguageTable SameMacroTexts;
extern LanguageTable RePairTexts;
extern LanguageTable MakeMacroTexts;
extern LanguageTable ButtonOnlyTexts;
extern LanguageTable LimitTexts;
extern LanguageTable MaxThreeTexts;
extern LanguageTable GroupKeyTexts;
extern LanguageTable FireKeyTexts;
extern LanguageTable DeleteConfirmTexts;
extern LanguageTable ContainResetTexts;
extern LanguageTable AddKeyTexts;
extern LanguageTable AddDelayTimeTexts;
extern LanguageTable DialogMainTexts;
extern LanguageTable FormSettingTexts;
extern LanguageTable InportFailTexts;
extern LanguageTable NewVerTexts;
extern LanguageTable LessThreeTexts;
extern LanguageTable ScreenInfoTexts;
extern LanguageTable CompanyTexts;

// One section element of a language file: its name, the ordered names of its
// text elements (position = item number) and the table it fills.
struct LanguageSection
{
    QString name;
    LanguageTable* table;
    QStringList children;
};

// Every section the main window loads, with its table.
const QVector<LanguageSection>& languageSections();

// Empties every table of languageSections().
void clearLanguageTables();

// Reads language files into the tables of a list of sections.
class LanguageLoader
{
public:
    explicit LanguageLoader(const QVector<LanguageSection>& sections = languageSections());

    // Reads "English.xml", "Czech.xml", "Slovak.xml" and "Net.xml" from the
    // folder, in this order, into rows 0, 1, 2 and (the company texts) 0. A
    // file that cannot be opened ends the loading; the texts already read
    // stay.
    void loadLanguageFiles(const QString& languageDir);

    // Reads one file whose root element is `rootName` into row `row` of the
    // tables: each text lands at its own element's item, whatever sections
    // the file lacks, repeats or orders otherwise. Returns false only when
    // the file cannot be opened; a wrong root or malformed XML keeps the
    // sections completed before the error.
    bool loadFile(const QString& path, const QString& rootName, int row = 0);

    // The reader's error text of the last file read (empty when none).
    QString errorString() const { return m_error; }

private:
    // Moves to the next child element of the element being read. Returns
    // false, past its end tag, when there is none (or the reader failed).
    bool nextChildElement();
    void readLabelGroups();
    void readDialogLabels(const LanguageSection& section);
    void skipUnknownElement();

    QVector<LanguageSection> m_sections;
    QXmlStreamReader m_reader;
    QString m_error;
    int m_row = 0;
};

// A language chosen by the user: stored in Macro.ini, made current, and every
// screen re-texted.
void chooseLanguage(int index);
