#pragma once
// The steps of the program's start, as testable functions; main() runs them
// in order (runMain).
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>

class QSharedMemory;

// Creates the per-user folder tree and an empty "/Macro.ini" when missing.
void prepareUserFolders();

// The QT_SCALE_FACTOR value for a desktop this wide in physical pixels, or
// an empty text when the width needs no scaling.
QByteArray scaleFactorForWidth(int desktopWidth);

// The desktop width, read before the application object exists; 0 when it
// cannot be had there (no X display, another platform plugin).
int desktopWidthBeforeApplication();

// Switches Qt's own high-DPI scaling off and sets QT_SCALE_FACTOR for wide
// desktops. Runs before the application object exists.
void applyDisplayScaling();

// Deletes the plain files of `folder` older than 7 whole days. A file dated
// after `now` is not old and stays.
void purgeOldFiles(const QString& folder, const QDateTime& now);
void purgeOldFiles(const QString& folder);

// Maps the Windows font families the forms name to an installed CJK sans.
void substituteWindowsFonts();

// The single-instance key: the product name and, on Unix, the user's id, so
// that each user runs one copy, as with a per-session segment on Windows.
QString singleInstanceKey();

// Claims the 1-byte single-instance segment `key`. Returns the held segment
// when this is the only copy, or nullptr when another copy runs. A segment
// left behind by a copy that crashed does not count, nor one that another
// program left under the same system key (Unix keys are cut from the key
// file's inode), and of two copies that start at once only one wins. A
// segment of this key that this user may not open could belong to a running
// copy, so it counts as one. Should the system give no segment at all, the
// copy runs without one (with a warning).
std::unique_ptr<QSharedMemory> claimSingleInstance(const QString& key);

// Shows the notice that another copy runs, modally. A pointer, so that tests
// put a function of their own in its place.
extern void (*showAlreadyRunningNotice)();

// The whole start: returns the process exit code.
int runMain(int argc, char** argv);
