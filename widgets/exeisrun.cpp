#include "widgets/exeisrun.h"

#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "widgets/dialogframe.h"

#include "ui_exeisrun.h"

#include <QFile>
#include <QXmlStreamReader>

ExeIsRun::ExeIsRun(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ExeIsRun)
{
    ui->setupUi(this);
    hubConnect(SIGNAL(SigChangeLanguage(int)), this, SLOT(SlotChangeLanguage(int)));
    pictureDir = warningPictureDir();
    setUpNoticeFrame(this, {ui->DeleteConfirmA, ui->label, ui->CloseButton, {ui->NewHong}}, pictureDir);
    SlotChangeLanguage(UserSettings::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt());
    scaleFontsToScreen(this);
}

ExeIsRun::~ExeIsRun()
{
    delete ui;
}

void ExeIsRun::showSecondText()
{
    ui->label->setText(secondText);
}

void ExeIsRun::showPleaseStopText()
{
    ui->label->setText(pleaseStopText);
}

namespace {
QString g_languageFolder;
}

void ExeIsRun::setLanguageFolderForTests(const QString& folder)
{
    g_languageFolder = folder;
}

QString ExeIsRun::languageFile(int index)
{
    static const char* const files[] = {
        "English.xml", "Czech.xml", "Slovak.xml", "3-Korea.xml", "4-Russia.xml", "5-Japanese.xml",
    };
    const bool known = index >= 0 && index < int(sizeof(files) / sizeof(files[0]));
    const QString folder = g_languageFolder.isEmpty() ? installDir() + QStringLiteral("/Language") : g_languageFolder;
    return folder + QLatin1Char('/') + QLatin1String(known ? files[index] : "0-English.xml");
}

void ExeIsRun::SlotChangeLanguage(int index)
{
    QFile file(languageFile(index));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QXmlStreamReader xml(&file);
    reader = &xml;
    reader->readNext();
    while (!reader->atEnd()) {
        if (reader->isStartElement()) {
            if (reader->name() == QLatin1String("Total"))
                readLanguageRoot();
            else
                reader->raiseError(tr("Not a labels file"));
        } else {
            reader->readNext();
        }
    }
    reader = nullptr;
}

void ExeIsRun::readLanguageRoot()
{
    // Sections are found by name, so the section may stand anywhere in the file.
    while (reader->readNextStartElement()) {
        if (reader->name() == QLatin1String("EXEIsRun"))
            readRunSection();
        else
            reader->skipCurrentElement();
    }
    reader->readNext();
}

void ExeIsRun::readRunSection()
{
    // Children are taken by name, in any order; a later one of the same name wins.
    while (reader->readNextStartElement()) {
        const QStringRef name = reader->name();
        if (name == QLatin1String("label"))
            ui->label->setText(reader->readElementText(QXmlStreamReader::ErrorOnUnexpectedElement));
        else if (name == QLatin1String("NewHong"))
            ui->NewHong->setText(reader->readElementText(QXmlStreamReader::ErrorOnUnexpectedElement));
        else if (name == QLatin1String("label_2"))
            secondText = reader->readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        else if (name == QLatin1String("PleaseStop"))
            pleaseStopText = reader->readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        else
            reader->skipCurrentElement();
    }
}

void ExeIsRun::on_NewHong_clicked()
{
    close();
}

void ExeIsRun::on_CloseButton_clicked()
{
    close();
}

void showExeIsRun()
{
    ExeIsRun notice;
    notice.exec();
}
