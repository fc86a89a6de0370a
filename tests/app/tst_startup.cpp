#include "support/testsupport.h"

#include "app/startup.h"
#include "core/product.h"

#include <QProcess>
#include <QSharedMemory>

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <sys/ipc.h>
#include <sys/prctl.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// The system key Qt takes for a segment's key file. A test can make every
// segment key file map to one key, as two files do whose inodes share their
// low 16 bits (ftok keeps no more).
static key_t g_segmentKeyFileKey = -1;
extern "C" key_t ftok(const char* path, int id)
{
    using Ftok = key_t (*)(const char*, int);
    static const Ftok fromInode = reinterpret_cast<Ftok>(dlsym(RTLD_NEXT, "ftok"));
    if (g_segmentKeyFileKey != -1 && std::strstr(path, "/qipc_sharedmemory_"))
        return g_segmentKeyFileKey;
    return fromInode(path, id);
}

// Child processes: the test binary runs itself with QUEMBREL_STARTUP_CHILD set.
// They act before the test harness starts, and end with _exit.
static const char* const kChildVar = "QUEMBREL_STARTUP_CHILD";

static int runChildIfAsked()
{
    const QByteArray mode = qgetenv(kChildVar);
    if (mode.isEmpty())
        return 0;
    if (mode.startsWith("hold:") || mode.startsWith("once:")) {
        // A running copy: holds the segment (its own user's without a key)
        // until it is killed; "once:" lets it go again and ends. A test that
        // is killed takes it along, so that no copy outlives its run.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        prepareUserFolders();
        const QString key = mode.size() > 5 ? QString::fromLatin1(mode.mid(5)) : singleInstanceKey();
        std::unique_ptr<QSharedMemory> segment = claimSingleInstance(key);
        std::printf(segment ? "held\n" : "refused\n");
        std::fflush(stdout);
        if (mode.startsWith("once:")) {
            segment.reset();
            _exit(0);
        }
        for (;;)
            pause();
    }
    if (mode == "second-copy") {
        // The program's start while a copy runs: the notice, and exit code 0.
        showAlreadyRunningNotice = [] {
            std::printf("notice\n");
            std::fflush(stdout);
        };
        static char arg0[] = "Quembrel";
        char* argv[] = {arg0, nullptr};
        _exit(runMain(1, argv));
    }
    _exit(99);
}
static const int childMode = runChildIfAsked();

class StartupTest : public QObject
{
    Q_OBJECT

    static QString uniqueKey(const char* what)
    {
        return QStringLiteral("QuembrelTest-%1-%2").arg(QCoreApplication::applicationPid()).arg(what);
    }

    // `user` 0 runs the child as this process's user, any other id through
    // setpriv; `extra` adds to the environment.
    static void startChild(QProcess& child, const QByteArray& mode, const QProcessEnvironment& extra = {},
                           uid_t user = 0)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildVar, mode);
        env.insert(extra);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (user == 0) {
            child.start(QCoreApplication::applicationFilePath(), QStringList());
        } else {
            const QString id = QString::number(user);
            child.start(QStringLiteral("setpriv"), {"--reuid=" + id, "--regid=" + id, "--clear-groups",
                                                    QCoreApplication::applicationFilePath()});
        }
        QVERIFY(child.waitForStarted());
    }

    // What a "hold:" child answered: "held" or "refused".
    static QByteArray heldOrRefused(QProcess& child)
    {
        if (!child.waitForReadyRead(20000))
            return "no answer";
        return child.readAllStandardOutput().trimmed();
    }

    static void setAge(const QString& path, const QDateTime& now, qint64 ageSecs)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(now.addSecs(-ageSecs), QFileDevice::FileModificationTime));
    }

private slots:
    void userFoldersAndSettingsFile()
    {
        QCOMPARE(childMode, 0);
        const QString base = userDir();
        QCOMPARE(base, QDir::homePath() + "/AppData/Local/Quembrel");
        prepareUserFolders();
        for (const char* sub : {"/Log", "/Device_Info", "/Exception", "/usersetting", "/usersetting/MainPage",
                                "/usersetting/MacroPage", "/usersetting/SensorPage"})
            QVERIFY2(QFileInfo(base + sub).isDir(), sub);
        QFile settings(base + "/Macro.ini");
        QVERIFY(settings.exists());
        QCOMPARE(settings.size(), 0);

        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Language]\nLanguage=2\n");
        settings.close();
        prepareUserFolders();
        QCOMPARE(settings.size(), qint64(22));
    }

    void scaleFactor_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("factor");
        QTest::newRow("unknown") << 0 << QByteArray();
        QTest::newRow("1920") << 1920 << QByteArray();
        QTest::newRow("1921") << 1921 << QByteArray("1");
        QTest::newRow("3839") << 3839 << QByteArray("1");
        QTest::newRow("3840") << 3840 << QByteArray("2");
        QTest::newRow("5760") << 5760 << QByteArray("3");
    }

    void scaleFactor()
    {
        QFETCH(int, width);
        QFETCH(QByteArray, factor);
        QCOMPARE(scaleFactorForWidth(width), factor);
    }

    void purgeKeepsSevenDaysAndTheFuture()
    {
        QTemporaryDir dir;
        const QString d = dir.path();
        const QDateTime now = QDateTime::fromSecsSinceEpoch(1800000000);
        const qint64 day = 86400;
        setAge(d + "/a_fresh.txt", now, 0);
        setAge(d + "/b_seven_days.txt", now, 7 * day);
        setAge(d + "/c_just_under_eight.txt", now, 8 * day - 1);
        setAge(d + "/d_eight_days.txt", now, 8 * day);
        setAge(d + "/e_old.dmp", now, 30 * day);
        setAge(d + "/f_old.dmp", now, 400 * day);
        setAge(d + "/g_tomorrow.txt", now, -day);
        setAge(d + "/h_far_future.txt", now, -(qint64(1) << 32));
        QVERIFY(QDir(d).mkpath("sub/deeper"));
        setAge(d + "/sub/old.txt", now, 30 * day);
        QVERIFY(QFile::setPermissions(d + "/sub", QFile::permissions(d + "/sub")));

        purgeOldFiles(d, now);
        const QStringList left = QDir(d).entryList(QDir::Files, QDir::Name);
        QCOMPARE(left, (QStringList{"a_fresh.txt", "b_seven_days.txt", "c_just_under_eight.txt",
                                    "g_tomorrow.txt", "h_far_future.txt"}));
        QVERIFY(QFile::exists(d + "/sub/old.txt"));
        purgeOldFiles(d + "/missing", now); // nothing to do, no harm
    }

    void windowsFontsMapToCjkSans()
    {
        substituteWindowsFonts();
        for (const char* family : {"微软雅黑", "Microsoft YaHei", "Microsoft YaHei UI Light"})
            QCOMPARE(QFont::substitute(QString::fromUtf8(family)).toLower(), QString("wenquanyi micro hei"));
    }

    void singleInstanceInProcess()
    {
        const QString key = uniqueKey("inproc");
        std::unique_ptr<QSharedMemory> first = claimSingleInstance(key);
        QVERIFY(first);
        QCOMPARE(first->size(), 1);
        QVERIFY(!claimSingleInstance(key));
        first.reset();
        QVERIFY(claimSingleInstance(key));
    }

    void singleInstanceAcrossProcesses()
    {
        const QString key = uniqueKey("child");
        QProcess child;
        startChild(child, "hold:" + key.toLatin1());
        QVERIFY(child.waitForReadyRead(60000));
        QCOMPARE(child.readAllStandardOutput(), QByteArray("held\n"));

        // A running copy holds the segment: another copy runs.
        QVERIFY(!claimSingleInstance(key));

        // Killed, it leaves the segment behind; that must not block a start.
        child.kill();
        QVERIFY(child.waitForFinished());
        const std::unique_ptr<QSharedMemory> next = claimSingleInstance(key);
        QVERIFY(next);
    }

    // Another program's segment that nobody holds any more, left under the
    // system key that this copy's new key file maps to, is no running copy.
    void singleInstanceBesideAStrayForeignSegment()
    {
        // The other program's key file; one whose key is taken already gives
        // way to the next.
        std::vector<std::unique_ptr<QTemporaryFile>> keyFiles;
        key_t systemKey = -1;
        int stray = -1;
        while (stray == -1 && keyFiles.size() < 8) {
            keyFiles.push_back(std::make_unique<QTemporaryFile>());
            QVERIFY(keyFiles.back()->open());
            systemKey = ftok(QFile::encodeName(keyFiles.back()->fileName()).constData(), 'Q');
            QVERIFY(systemKey != -1);
            stray = shmget(systemKey, 1, IPC_CREAT | IPC_EXCL | 0600);
            QVERIFY2(stray != -1 || errno == EEXIST, std::strerror(errno));
        }
        QVERIFY(stray != -1);
        keyFiles.clear();
        g_segmentKeyFileKey = systemKey;
        std::unique_ptr<QSharedMemory> claimed = claimSingleInstance(uniqueKey("stray"));
        const bool held = bool(claimed);
        claimed.reset();
        g_segmentKeyFileKey = -1;
        shmid_ds info;
        if (shmctl(stray, IPC_STAT, &info) == 0) {
            shmctl(stray, IPC_RMID, nullptr);
            QFile::remove(QSharedMemory(uniqueKey("stray")).nativeKey());
        }
        QVERIFY(held);
    }

    void singleInstanceKeyCarriesTheUser()
    {
        QCOMPARE(singleInstanceKey(), QStringLiteral("Quembrel-") + QString::number(getuid()));
    }

    // Two users with one temporary folder: each runs one copy of their own, and
    // a segment of this user's key that another user holds counts as a copy.
    void oneCopyPerUser()
    {
        const uid_t other = 65534;  // nobody
        if (geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
            QSKIP("needs root and setpriv to start a copy as another user");
        QTemporaryDir shared(QStringLiteral("/tmp/quembrel-shared-XXXXXX"));
        QVERIFY(shared.isValid());
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        const auto environment = [&](const QString& user) {
            const QString home = shared.path() + "/home-" + user;
            QDir().mkpath(home);
            ::chmod(QFile::encodeName(home).constData(), 0777);
            QProcessEnvironment env;
            env.insert("TMPDIR", shared.path());
            env.insert("HOME", home);
            return env;
        };
        const QProcessEnvironment mine = environment("me");
        const QProcessEnvironment theirs = environment("other");
        const QByteArray myKey = "Quembrel-" + QByteArray::number(uint(getuid()));

        QProcess mineRunning, theirsRunning, mineAgain, theirsOnMyKey;
        startChild(mineRunning, "hold:", mine);
        QCOMPARE(heldOrRefused(mineRunning), QByteArray("held"));
        startChild(theirsRunning, "hold:", theirs, other);
        QCOMPARE(heldOrRefused(theirsRunning), QByteArray("held"));
        startChild(mineAgain, "hold:", mine);
        QCOMPARE(heldOrRefused(mineAgain), QByteArray("refused"));
        startChild(theirsOnMyKey, "hold:" + myKey, theirs, other);
        QCOMPARE(heldOrRefused(theirsOnMyKey), QByteArray("refused"));

        for (QProcess* child : {&mineRunning, &theirsRunning, &mineAgain, &theirsOnMyKey}) {
            child->kill();
            child->waitForFinished();
        }
        // The killed copies left their segments behind; a start clears them.
        for (const auto& user : {qMakePair(mine, uid_t(0)), qMakePair(theirs, other)}) {
            QProcess clear;
            startChild(clear, "once:", user.first, user.second);
            QCOMPARE(heldOrRefused(clear), QByteArray("held"));
            QVERIFY(clear.waitForFinished());
        }
    }

    void secondCopyShowsNoticeAndExitsZero()
    {
        // The segment's key file lives in the temporary folder: a folder of
        // the test's own keeps a program that runs on this machine out of it.
        const QString temp = testsupport::homeDir() + "/tmp";
        QVERIFY(QDir().mkpath(temp));
        qputenv("TMPDIR", temp.toLocal8Bit());
        QCOMPARE(QDir::tempPath(), temp);

        // This process stands in for the copy that runs.
        QSharedMemory running{singleInstanceKey()};
        QVERIFY(running.create(1) || running.attach());

        QProcess child;
        startChild(child, "second-copy");
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(child.readAllStandardOutput(), QByteArray("notice\n"));
    }
};

QUEMBREL_TEST_MAIN(StartupTest)
#include "tst_startup.moc"
