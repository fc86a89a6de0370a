#include "core/languagetable.h"

#include "core/postmsg.h"
#include "core/settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QPair>

QStringList LanguageTable::row(int language) const
{
    if (language >= 0 && language < m_rows.size())
        return m_rows.at(language);
    return m_rows.isEmpty() ? QStringList() : m_rows.first();
}

QString LanguageTable::text(int language, int item) const
{
    const QStringList own = row(language);
    if (item >= 0 && item < own.size() && !own.at(item).isNull())
        return own.at(item);
    const QStringList english = row(0);
    return item >= 0 && item < english.size() && !english.at(item).isNull() ? english.at(item) : QString();
}

void LanguageTable::setText(int language, int item, const QString& text)
{
    if (language < 0 || item < 0)
        return;
    while (m_rows.size() <= language)
        m_rows.append(QStringList());
    QStringList& row = m_rows[language];
    while (row.size() <= item)
        row.append(QString());
    if (row.at(item).isNull())
        row[item] = text.isNull() ? QStringLiteral("") : text; // an empty text is still this language's
}

LanguageTable DialogChangeTexts;
LanguageTable LightTexts;
LanguageTable MacroTexts;
LanguageTable SensorTexts;
LanguageTable ButtoninterfaceTexts;
LanguageTable ProgressTexts;
LanguageTable UpDataParamTexts;
LanguageTable QuestionBTexts;
LanguageTable QuestionTexts;
LanguageTable MouseOffLineTexts;
LanguageTable MatchTexts;
LanguageTable AutoRepairTexts;
LanguageTable SameMacroTexts;
LanguageTable RePairTexts;
LanguageTable MakeMacroTexts;
LanguageTable ButtonOnlyTexts;
LanguageTable LimitTexts;
LanguageTable MaxThreeTexts;
LanguageTable GroupKeyTexts;
LanguageTable FireKeyTexts;
LanguageTable DeleteConfirmTexts;
LanguageTable ContainResetTexts;
LanguageTable AddKeyTexts;
LanguageTable AddDelayTimeTexts;
LanguageTable DialogMainTexts;
LanguageTable FormSettingTexts;
LanguageTable InportFailTexts;
LanguageTable NewVerTexts;
LanguageTable LessThreeTexts;
LanguageTable ScreenInfoTexts;
LanguageTable CompanyTexts;

const QVector<LanguageSection>& languageSections()
{
    static const QVector<LanguageSection> sections = {
        {QStringLiteral("DialogChange"), &DialogChangeTexts, {"label_2", "label_3", "OfflineTips1", "OfflineTips2", "RepairDevice", "label", "NewHong", "NoApear", "MouseIsNewTips"}},
        {QStringLiteral("Light"), &LightTexts, {"label", "LightMod", "LightMod1", "LightMod2", "LightMod3", "LightMod4", "LightMod5", "LightMod6", "label_2", "label_3", "label_4", "label_5", "StopCloseTime", "StopCloseTime1", "StopCloseTime2", "StopCloseTime3", "StopCloseTime4", "StopCloseTime5", "StopCloseTime6", "StopCloseTime7", "StopCloseTime8", "StopCloseTime9", "StopCloseTime10", "label_6", "label_8", "label_13", "label_11", "label_10", "label_12"}},
        {QStringLiteral("Macro"), &MacroTexts, {"label", "label_2", "NewHong", "DeleteHong", "Amend", "DeleteKey", "StartRecord", "StopRecord", "AutoInsertDelay", "DefaultDelay", "ReUntilLoose", "ReUntilClick", "ReUntil", "ReNumber", "label_3", "ChooseEvent1", "ChooseEvent2", "ChooseEvent3", "Save", "MacroReal", "Key1", "Key2", "Key3", "Key4", "Key5"}},
        {QStringLiteral("Sensor"), &SensorTexts, {"label_2", "label_3", "label_5", "label_11", "label_12", "Performance", "label", "label_6", "label_7", "PerformanceOpen", "PerformanceOpen1", "PerformanceOpen2", "PerformanceOpen3", "PerformanceOpen4", "PerformanceOpen5", "label_4", "Model", "Model1", "Model2", "label_14", "label_15", "ModeSelectDes", "LODDes", "FullPerformanceDes", "MotionSyncDes", "FixLineDes", "RippleDes"}},
        {QStringLiteral("Buttoninterface"), &ButtoninterfaceTexts, {"label_2", "Reset", "ImportData", "OutputData", "FireKey", "RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic", "DPI_2", "DPI_3", "DPI_6", "DPI_8", "DPI_5", "DPI_13", "DPI_11", "DPI_10", "DPI_9", "DPI_7", "DPI_12", "DPI_4", "Player", "StartPause_2", "BackMusic_2", "TopMusic_2", "Mute", "VolumeUp", "VolumeDown", "VolumeDown_4", "VolumeDown_5", "VolumeDown_6", "VolumeDown_3", "VolumeDown_9", "VolumeDown_7", "VolumeDown_10", "VolumeDown_12", "VolumeDown_13", "VolumeDown_11", "VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7", "checkBox", "VolumeUp_2", "VolumeDown_2", "VolumeUp_8", "VolumeUp_14", "VolumeDown_14", "Macro_", "Config", "S1", "VolumeDown_8"}},
        {QStringLiteral("Progress"), &ProgressTexts, {"UpdateNotMove", "UpDateSuccess", "UpDateFail"}},
        {QStringLiteral("UpDataParam"), &UpDataParamTexts, {"label", "label_1"}},
        {QStringLiteral("QuestionB"), &QuestionBTexts, {"label"}},
        {QStringLiteral("Question"), &QuestionTexts, {"label", "label_2", "NewHong", "NewHong_2"}},
        {QStringLiteral("MouseOffLine"), &MouseOffLineTexts, {"label", "Timeout"}},
        {QStringLiteral("Match"), &MatchTexts, {"label", "textEdit", "MatchButton", "Matching", "MatchFail", "MatchSuccess"}},
        {QStringLiteral("AutoRepair"), &AutoRepairTexts, {"ToolText", "Cancel", "NoDevice", "SameDevice", "NewHong_2", "NoRecieve", "NoUSB", "Error", "FileError", "Error2", "MultiMouse", "MultiDongle", "ReadyUpdate"}},
        {QStringLiteral("SameMacro"), &SameMacroTexts, {"label", "label_1"}},
        {QStringLiteral("RePair"), &RePairTexts, {"label"}},
        {QStringLiteral("MakeMacro"), &MakeMacroTexts, {"label"}},
        {QStringLiteral("ButtonOnly"), &ButtonOnlyTexts, {"label"}},
        {QStringLiteral("Limit"), &LimitTexts, {"label"}},
        {QStringLiteral("MaxThree"), &MaxThreeTexts, {"label"}},
        {QStringLiteral("groupKey"), &GroupKeyTexts, {"label"}},
        {QStringLiteral("FireKey"), &FireKeyTexts, {"label", "label_2", "label_3"}},
        {QStringLiteral("DeleteConfirm"), &DeleteConfirmTexts, {"label"}},
        {QStringLiteral("ContainReset"), &ContainResetTexts, {"label"}},
        {QStringLiteral("AddKey"), &AddKeyTexts, {"label"}},
        {QStringLiteral("AddDelayTime"), &AddDelayTimeTexts, {"label"}},
        {QStringLiteral("DialogMain"), &DialogMainTexts, {"MainForm", "Exit"}},
        {QStringLiteral("FormSetting"), &FormSettingTexts, {"label", "label_2", "label_3", "label_4", "label_6", "label_8", "pushButton_2", "Receive", "Mouse", "label_9", "label_10", "pushButton", "label_11", "textEdit", "WiredMode", "NoDevice", "NewLabel", "SameDevice", "VerNew", "label_14", "textEdit_2", "textEdit_3", "textEdit_4", "NoRecieve", "NoUSB", "Error", "MultiMouse", "MultiDongle", "StopCloseTime", "StopCloseTime1", "StopCloseTime2", "StopCloseTime3", "StopCloseTime4", "StopCloseTime5", "StopCloseTime6", "StopCloseTime7", "StopCloseTime8", "StopCloseTime9", "StopCloseTime10", "label_12", "label_13", "RecieveInfo", "ScreenInfo", "LihghtMode"}},
        {QStringLiteral("InportFail"), &InportFailTexts, {"label", "label_1", "label_2", "label_3"}},
        {QStringLiteral("NewVer"), &NewVerTexts, {"label", "NoApear"}},
        {QStringLiteral("LessThree"), &LessThreeTexts, {"label"}},
        {QStringLiteral("ScreenInfo"), &ScreenInfoTexts, {"label", "label_2", "label_3", "Input", "Output", "Light", "LightMod", "LightMod1", "LightMod2", "LightMod3", "LightMod4", "LightMod5", "LightMod6", "Bri", "Speed", "ColorPre", "LightColor", "SetColor", "R", "G", "B"}},
        {QStringLiteral("English"), &CompanyTexts, {"CompanyName", "CompanyNameCn", "CompanyWebcn", "CompanyWeben"}},
    };
    return sections;
}

void clearLanguageTables()
{
    for (const LanguageSection& section : languageSections())
        section.table->clear();
}

LanguageLoader::LanguageLoader(const QVector<LanguageSection>& sections)
    : m_sections(sections)
{
}

void LanguageLoader::loadLanguageFiles(const QString& languageDir)
{
    static const struct {
        const char* file;
        const char* root;
        int row;
    } files[] = {
        {"/English.xml", "Total", 0},
        {"/Czech.xml", "Total", 1},
        {"/Slovak.xml", "Total", 2},
        {"/Net.xml", "Profile", 0},
    };
    for (const auto& f : files) {
        if (!loadFile(languageDir + QLatin1String(f.file), QLatin1String(f.root), f.row))
            return;
    }
}

bool LanguageLoader::loadFile(const QString& path, const QString& rootName, int row)
{
    m_error.clear();
    m_row = row;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    m_reader.setDevice(&file);
    m_reader.readNext();
    while (!m_reader.atEnd()) {
        if (m_reader.isStartElement()) {
            if (m_reader.name() == rootName)
                readLabelGroups();
            else
                m_reader.raiseError(QCoreApplication::translate("LanguageLoader", "Not a labels file"));
        } else {
            m_reader.readNext();
        }
    }
    m_error = m_reader.hasError() ? m_reader.errorString() : QString();
    m_reader.setDevice(nullptr);
    return true;
}

bool LanguageLoader::nextChildElement()
{
    while (!m_reader.atEnd()) {
        if (m_reader.isEndElement()) {
            m_reader.readNext();
            return false;
        }
        if (m_reader.isStartElement())
            return true;
        m_reader.readNext();
    }
    return false;
}

void LanguageLoader::readLabelGroups()
{
    m_reader.readNext();
    while (nextChildElement()) {
        const LanguageSection* match = nullptr;
        for (const LanguageSection& section : m_sections) {
            if (m_reader.name() == section.name) {
                match = &section;
                break;
            }
        }
        if (match)
            readDialogLabels(*match);
        else
            skipUnknownElement();
    }
}

void LanguageLoader::readDialogLabels(const LanguageSection& section)
{
    // Each text goes to its element's item of this file's row, so a text or
    // section the file lacks never moves another language's texts. The
    // section's texts reach the table once its end tag is read: a section cut
    // short by an error adds nothing.
    QVector<QPair<int, QString>> texts;
    m_reader.readNext();
    while (nextChildElement()) {
        const int item = section.children.indexOf(m_reader.name().toString());
        if (item < 0) {
            skipUnknownElement();
            continue;
        }
        const QString text = m_reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_reader.hasError())
            return;
        texts.append({item, text});
        if (m_reader.isEndElement())
            m_reader.readNext();
    }
    if (m_reader.hasError())
        return;
    for (const auto& text : qAsConst(texts))
        section.table->setText(m_row, text.first, text.second);
}

void LanguageLoader::skipUnknownElement()
{
    // Iterative, so deep nesting cannot exhaust the stack.
    m_reader.skipCurrentElement();
    if (m_reader.isEndElement())
        m_reader.readNext();
}

void chooseLanguage(int index)
{
    UserSettings::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), QString::number(index));
    languageIndex = index;
    PostMsg::GetInstance()->PostAllLanguage(index);
}
