#pragma once
// The macro page in a test: a page over a macro folder of given files, with
// its lists at hand, and the event list written as one short text
// ("P:A D:10ms R:A": press, delay, release).
#include "macro/macro.h"

#include <QListWidget>
#include <QStringList>

#include <memory>

namespace testsupport {

// Rows from the same words; a "D:" word's text is its delay text.
QVector<MacroRow> eventRowsOf(const QString& description);

// A file's bytes; empty when it cannot be read.
QByteArray readFileBytes(const QString& path);
// Writes a file whole (a failed write fails the test).
void writeFileBytes(const QString& path, const QByteArray& bytes);

// The event list as "P:<name>", "R:<name>" and "D:<text>" words.
QString describeEvents(const QListWidget* list);

struct MacroPageFixture
{
    std::unique_ptr<Macro> page;
    QListWidget* macros = nullptr;
    QListWidget* events = nullptr;

    // A new page over a macro folder holding exactly these files.
    void open(const QStringList& files);
    // Makes the macro current as a click on its row does, and loads it.
    void select(const QString& name);
    void reset() { page.reset(); }
};

} // namespace testsupport
