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

} // namespace testsupport

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
