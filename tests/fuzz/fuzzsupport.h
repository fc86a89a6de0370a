#pragma once
// What every fuzz harness shares: the one application object, a scratch
// folder for the files a parser reads, and the checks of a harness's
// properties. fuzzsupport.cpp defines LLVMFuzzerInitialize; a harness defines
// only LLVMFuzzerTestOneInput.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// The input as bytes (copied: libFuzzer's buffer ends exactly at its size).
QByteArray bytes(const uint8_t* data, size_t size);

// The process's own scratch folder. HOME, the simulator's state file and its
// control socket point into it, so no harness touches the user's files.
QString scratchDir();

// Writes bytes to scratchDir() + "/" + name (folders included) and returns the path.
QString writeScratchFile(const QString& name, const QByteArray& bytes);

// A file of the source tree, e.g. "platform/install/data/usersetting/Config.ini".
QString sourceFile(const char* relative);

// Aborts with the message when a property of the parser does not hold, so
// libFuzzer keeps the input as a finding.
void check(bool holds, const char* what);

} // namespace fuzz
