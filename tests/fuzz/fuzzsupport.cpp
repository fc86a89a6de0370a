#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#ifndef QUEMBREL_SOURCE_DIR
#error "QUEMBREL_SOURCE_DIR must name the source tree"
#endif

namespace fuzz {

namespace {

QTemporaryDir* scratch = nullptr;

// The parsers warn about every damaged input; millions of lines would only
// slow the run down. QUEMBREL_FUZZ_VERBOSE=1 shows them.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

} // namespace

QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), int(size));
}

QString scratchDir()
{
    return scratch->path();
}

QString writeScratchFile(const QString& name, const QByteArray& bytes)
{
    const QString path = scratch->filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
          "the scratch file cannot be written");
    return path;
}

QString sourceFile(const char* relative)
{
    return QStringLiteral(QUEMBREL_SOURCE_DIR "/") + QLatin1String(relative);
}

void check(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz property failed: %s\n", what);
    std::abort();
}

} // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    if (!qEnvironmentVariableIsSet("QUEMBREL_FUZZ_VERBOSE"))
        qInstallMessageHandler(fuzz::quietHandler);
    fuzz::scratch = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/quembrel-fuzz-XXXXXX"));
    fuzz::check(fuzz::scratch->isValid(), "no scratch folder");
    const QByteArray dir = QFile::encodeName(fuzz::scratch->path());
    qputenv("HOME", dir);
    qputenv("XDG_CONFIG_HOME", dir + "/.config");
    qputenv("XDG_DATA_HOME", dir + "/.local/share");
    qputenv("QUEMBREL_SIM_STATE", dir + "/devices.state");
    qputenv("QUEMBREL_SIM_SOCKET", dir + "/sim.socket");
    qunsetenv("QUEMBREL_SIM_SCENARIO");
    // Lives as long as the process; the scratch folder is removed at its end.
    new QCoreApplication(*argc, *argv);
    std::atexit([] { delete fuzz::scratch; });
    return 0;
}
