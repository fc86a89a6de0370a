// The language files: every section the main window loads, read as a
// "Total" file (English, Czech, Slovak) and as a "Profile" file (Net.xml),
// then every text of every table asked for, in and out of range.
#include "fuzzsupport.h"

#include "core/languagetable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratchFile(QStringLiteral("Language.xml"), fuzz::bytes(data, size));
    LanguageLoader loader;
    fuzz::check(loader.loadFile(path, QStringLiteral("Total")), "the language file cannot be opened");
    fuzz::check(loader.loadFile(path, QStringLiteral("Profile")), "the language file cannot be opened");
    for (const LanguageSection& section : languageSections()) {
        const LanguageTable& table = *section.table;
        for (int language = -1; language <= table.rowCount(); ++language) {
            for (int item = -1; item <= section.children.size(); ++item)
                (void)table.text(language, item);
        }
    }
    clearLanguageTables();
    return 0;
}
