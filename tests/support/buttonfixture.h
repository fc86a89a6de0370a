#pragma once
// Shared set-up of the button page's tests: a fresh default bus and device
// state, the Q3 as the open model, English, and a macro folder holding only
// the files a test asks for.
#include <QString>
#include <QStringList>

class Buttoninterface;

namespace testsupport {

// The button page's caption buttons by device index: rows 4 and 5 on screen
// show indexes 4 and 3.
extern const char* const kButtonRows[12];
// The caption the page shows for a button, by device index.
QString buttonCaption(Buttoninterface* page, int deviceIndex);

// The installation's language files, loaded afresh into every table.
void loadInstalledLanguages();
// Empties the per-user macro folder and writes one small file per name
// (file names as given, ".ini" included).
void writeMacroFiles(const QStringList& fileNames);
// The state each button page test starts from, and what it leaves behind.
void startButtonPageTest();
void endButtonPageTest();

} // namespace testsupport
