#pragma once
// Fixtures for the screens' dialogs: language tables with recognisable texts
// and a Config.ini with known skin colours.
#include <QString>

namespace testsupport {

// Fills every language table with `rows` rows whose item k of row r reads
// "<section> <r>.<k>" (e.g. "Question 1.2"), so a test sees which row and
// item a widget shows. Sets languageIndex to 0.
void fillLanguageTables(int rows = 2);

// The text fillLanguageTables() puts at row `row`, item `item` of a section.
QString tableText(const QString& section, int row, int item);

// Points ConfigSettings at a Config.ini in the temporary home holding the
// skin colours of group "Option" (LabelColor 1,2,3; ButtonColor 4,5,6;
// LinEditColor 7,8,9).
void useSkinConfig();

} // namespace testsupport
