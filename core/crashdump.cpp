#include "core/crashdump.h"

#include "core/product.h"

#include <QByteArray>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
const int kMaxFrames = 64;

// Everything the handler needs is prepared at installation: it may not
// allocate, lock or ask Qt anything.
char g_dumpFolder[4096];
long g_utcOffsetSecs = 0;
// Room to run on when the crash is a stack overflow.
char g_alternateStack[64 * 1024];

// Appends text to a fixed buffer, truncating, always NUL-terminated.
struct Text
{
    char* buffer;
    size_t capacity;
    size_t length = 0;

    void add(const char* s)
    {
        while (*s && length + 1 < capacity)
            buffer[length++] = *s++;
        buffer[length] = '\0';
    }
    void addNumber(long value, int width)
    {
        char digits[24];
        int n = 0;
        const bool negative = value < 0;
        unsigned long v = negative ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
        do {
            digits[n++] = char('0' + v % 10);
            v /= 10;
        } while (v && n < 20);
        while (n < width)
            digits[n++] = '0';
        if (negative)
            digits[n++] = '-';
        char out[24];
        for (int i = 0; i < n; ++i)
            out[i] = digits[n - 1 - i];
        out[n] = '\0';
        add(out);
    }
};

// Local date and time without localtime(), which is not async-signal-safe:
// the civil date of a day count (proleptic Gregorian).
void addTimeStamp(Text& text)
{
    const long secs = long(time(nullptr)) + g_utcOffsetSecs;
    long days = secs / 86400;
    long rest = secs % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long mp = (5 * dayOfYear + 2) / 153;
    const long day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    text.addNumber(year, 4);
    text.add("_");
    text.addNumber(month, 2);
    text.add("_");
    text.addNumber(day, 2);
    text.add("_");
    text.addNumber(rest / 3600, 2);
    text.add("_");
    text.addNumber(rest / 60 % 60, 2);
    text.add("_");
    text.addNumber(rest % 60, 2);
}

void writeAll(int fd, const char* data, size_t length)
{
    while (length > 0) {
        const ssize_t n = write(fd, data, length);
        if (n <= 0)
            return;
        data += n;
        length -= size_t(n);
    }
}

// mkdir of every level of the folder: the user may have deleted any of them.
void makeFolders(const char* folder)
{
    char path[sizeof(g_dumpFolder)];
    size_t i = 0;
    for (; folder[i] && i + 1 < sizeof(path); ++i) {
        if (folder[i] == '/' && i > 0) {
            path[i] = '\0';
            mkdir(path, 0755);
        }
        path[i] = folder[i];
    }
    path[i] = '\0';
    mkdir(path, 0755);
}

void signalHandler(int signalNumber)
{
    CrashDump::TopLevelFilter(signalNumber);
}

} // namespace

void CrashDump::InstallFilter()
{
    const QByteArray folder = (userDir() + QStringLiteral("/Exception")).toLocal8Bit();
    const size_t length = std::min(size_t(folder.size()), sizeof(g_dumpFolder) - 1);
    std::memcpy(g_dumpFolder, folder.constData(), length);
    g_dumpFolder[length] = '\0';

    const time_t now = time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local))
        g_utcOffsetSecs = local.tm_gmtoff;

    // The first backtrace() loads the unwinder, which must not happen inside
    // the handler.
    void* frames[2];
    backtrace(frames, 2);

    stack_t alternate;
    alternate.ss_sp = g_alternateStack;
    alternate.ss_size = sizeof(g_alternateStack);
    alternate.ss_flags = 0;
    sigaltstack(&alternate, nullptr);

    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = signalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    for (int signalNumber : kFatalSignals)
        sigaction(signalNumber, &action, nullptr);
}

void CrashDump::TopLevelFilter(int signalNumber)
{
    if (g_dumpFolder[0]) {
        makeFolders(g_dumpFolder);
        char path[sizeof(g_dumpFolder) + 32];
        Text name{path, sizeof(path)};
        name.add(g_dumpFolder);
        name.add("/");
        addTimeStamp(name);
        name.add(".dmp");
        const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char header[128];
            Text text{header, sizeof(header)};
            text.add(kProductName);
            text.add(" crash dump\nsignal ");
            text.addNumber(signalNumber, 1);
            text.add("\nprocess ");
            text.addNumber(long(getpid()), 1);
            text.add("\nbacktrace:\n");
            writeAll(fd, header, text.length);
            void* frames[kMaxFrames];
            const int count = backtrace(frames, kMaxFrames);
            backtrace_symbols_fd(frames, count, fd);
            close(fd);
        }
    }
    // Die of the same signal, as without the handler; it arrives once this
    // handler returns.
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}
