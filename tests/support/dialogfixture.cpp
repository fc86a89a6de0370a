#include "support/dialogfixture.h"

#include "core/languagetable.h"
#include "core/settings.h"
#include "support/testsupport.h"

#include <QFile>

namespace testsupport {

QString tableText(const QString& section, int row, int item)
{
    return QStringLiteral("%1 %2.%3").arg(section).arg(row).arg(item);
}

void fillLanguageTables(int rows)
{
    clearLanguageTables();
    for (const LanguageSection& section : languageSections()) {
        for (int r = 0; r < rows; ++r) {
            QStringList row;
            for (int k = 0; k < section.children.size(); ++k)
                row << tableText(section.name, r, k);
            section.table->appendRow(row);
        }
    }
    languageIndex = 0;
}

void useSkinConfig()
{
    const QString path = homeDir() + QStringLiteral("/skin-Config.ini");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write("[Option]\nLabelColor=1,2,3\nButtonColor=4,5,6\nLinEditColor=7,8,9\n");
        file.close();
    }
    ConfigSettings::resetForTests(path);
}

} // namespace testsupport
