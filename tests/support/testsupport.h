#pragma once
// Shared test scaffolding: every test runs offscreen with HOME in a fresh
// temporary folder, so no test touches the real user's files.
#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace testsupport {

// Points HOME (and the XDG folders Qt reads) at a new temporary folder that
// lives until the process ends. Call before the application object exists.
void isolateHome();

// The temporary home folder set by isolateHome().
QString homeDir();

// Runs the event loop until every click that a key shortcut has started so
// far has happened: a shortcut clicks its button when a 100 ms timer ends, and
// a timer due later fires after it, however slow the machine.
void waitForShortcutClicks();

} // namespace testsupport

// QtTest's QTRY_ macros give up after 5 s. Under sanitizers on a loaded
// machine a device pass, a callback or a window activation can take longer
// than that, and a QTRY_ waits only while its condition is false: a generous
// bound costs a passing test nothing and turns only a real hang into a
// failure. (A failing QTRY_ goes on for twice the bound to tell how long
// would have been enough.)
constexpr int kTryTimeoutMs = 20000;
#undef QTRY_VERIFY
#undef QTRY_VERIFY2
#undef QTRY_COMPARE
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT((expr), kTryTimeoutMs)
#define QTRY_VERIFY2(expr, messageExpression) QTRY_VERIFY2_WITH_TIMEOUT((expr), (messageExpression), kTryTimeoutMs)
#define QTRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT((expr), expected, kTryTimeoutMs)

// QTEST_MAIN with an isolated home folder and the offscreen platform.
#define QUEMBREL_TEST_MAIN(TestObject)                                   \
    int main(int argc, char** argv)                                      \
    {                                                                    \
        testsupport::isolateHome();                                      \
        QApplication app(argc, argv);                                    \
        app.setAttribute(Qt::AA_Use96Dpi, true);                         \
        TestObject tc;                                                   \
        QTEST_SET_MAIN_SOURCE_PATH                                       \
        return QTest::qExec(&tc, argc, argv);                            \
    }
