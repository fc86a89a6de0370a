#pragma once
// Crash dumps: on a fatal signal the process writes a dump file into the
// per-user "/Exception" folder, named by the local date and time
// ("yyyy_MM_dd_hh_mm_ss.dmp"), then dies as it would have without it.

class CrashDump
{
public:
    // Installs the handler for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT.
    // Installing again refreshes the dump folder and the local time offset.
    static void InstallFilter();

    // The handler. Uses only async-signal-safe calls.
    static void TopLevelFilter(int signalNumber);
};
