// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// Drives the built tavshare binary as a user would, against the sandbox's store and
// temporary folder (the child processes inherit the sandbox's environment).

#include "TavShare.h"
#include "lockfile_p.h"
#include "tavsettings_p.h"
#include "tavtest.h"

#include <QProcess>

#include <cerrno>
#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestTool : public QObject
{
    Q_OBJECT

    struct Run {
        int exitCode = -1;
        QString out, err;
    };

    // Arguments without blanks, written as on a command line; runAs, when given, is the command
    // that runs the tool as another user.
    static Run tavshare(const QString &arguments, const QStringList &environment = {}, const QStringList &runAs = {})
    {
        const QStringList command = runAs + QStringList{QStringLiteral(TAVSHARE_TOOL)} + arguments.split(' ', Qt::SkipEmptyParts);
        QProcess process;
        process.setEnvironment(QProcess::systemEnvironment() + environment);
        process.start(command.first(), command.mid(1));
        if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }
    static QStringList entries(const QString &path) { return LockFileHandle(path, LockFileHandle::OpenExisting).entries(); }
    static bool append(const QString &path, const QString &entry)
    {
        return LockFileHandle(path, LockFileHandle::CreateIfMissing).append(entry) == LockFileHandle::Rewritten;
    }

    // Everything a command can take away: the store's keys, the entries of the recent-file
    // lists ("key=entry") and those of Quintara's lock file.
    static QStringList state()
    {
        QStringList things = TavSettingsStore().allKeys();
        for (const QString &key : things.filter("RecentFileList"))
            for (const QString &entry : TavSettingsStore().value(key).toStringList())
                things << key + '=' + entry;
        return things + entries(lockFilePathFor("Quintara"));
    }

    QTemporaryDir m_files;
    const QString m_held = m_files.filePath("held.tav");
    const QString m_gone = m_files.filePath("gone.tav");

private Q_SLOTS:
    void initTestCase() { QVERIFY(QDir::setCurrent(m_files.path()) && TavTest::writeFile(m_held)); }

    void init()
    {
        TavSettingsInternals::clearAllSettings();
        QFile::remove(lockFilePathFor("Quintara"));
        TavSettings::setLineSpace(1, TavSettings::AppShared);
        TavSettingsStore().setValue("Halvex/LineSpace", "abc");
        // A process of Pellaris that named itself in lower case.
        QVERIFY(TavTest::writeFile(QDir::temp().filePath("pellaris.lock")));
        const QStringList recent{m_gone, m_held, "/gone/2", m_files.path()};
        TavSettings::setRecentTavrelleFileList(recent, TavSettings::ModelFile, TavSettings::AppQuintara);
        // Output must not hand a terminal the escape sequences and direction controls an entry holds.
        for (const QString &file : {m_held, m_gone, QStringLiteral("/gone\\\x1b[2J\u202e\u009b")})
            QVERIFY(append(lockFilePathFor("Quintara"), file));
    }

    void help()
    {
        for (const char *arguments : {"locks prune --help", "help locks prune", "--app x locks prune --help"})
            QVERIFY2(tavshare(arguments).out.startsWith("Usage: tavshare locks prune [options]\n"), arguments);
    }

    // What a command prints (its standard output and notes, or a part of its one error) and
    // what it takes away, of all state in init(). Nothing else changes.
    void commands_data()
    {
        QTest::addColumn<int>("exitCode");
        for (const char *column : {"arguments", "text", "gone", "note"})
            QTest::addColumn<QString>(column);
        const auto row = [](const char *name, int exitCode, const char *arguments, const QString &text, const char *gone = "", const char *note = "") {
            QTest::newRow(name) << exitCode << QString::fromUtf8(arguments) << text << QString::fromUtf8(gone) << QString::fromUtf8(note);
        };
        // The refusals: usage errors, then failures.
        row("unknown command", 2, "settings frob", "tavshare settings: unknown command 'frob'; use one of: show, get");
        row("misspelt command", 2, "setings show", "tavshare: unknown command 'setings'; did you mean 'settings'? Use one of: settings, recent");
        row("unknown application", 2, "settings show --app excel", "unknown application 'excel'; use one of: shared, orbelle");
        row("misspelt application", 2, "recent list --app qintara", "unknown application 'qintara'; did you mean 'quintara'?");
        row("misspelt application of a lock file", 2, "locks list --app orbele", "unknown application 'orbele'; did you mean 'orbelle'?");
        row("setting without application", 2, "settings set LineSpace 12",
            "each application keeps its own LineSpace; name the application: tavshare settings set LineSpace 12 --app orbelle");
        row("unknown key", 2, "settings get Orbelle/LineSpaec", "no such setting 'Orbelle/LineSpaec', and nothing is stored under it; did you mean 'Orbelle/LineSpace'?");
        row("unset unknown key", 2, "settings unset Linespace --app dornel --yes", "no such setting 'Dornel/Linespace'");
        row("number beyond int", 2, "settings set Orbelle/IconSize 24x2147483648", "2147483648 is out of range");
        row("type conflict", 2, "settings set LineSpace --app orbelle --type string x", "as type int");
        row("unset unconfirmed", 2, "settings unset LineSpace", "add --yes");
        row("reset without scope", 2, "settings reset --yes", "either --app NAME or --all");
        row("locks of a path", 2, "locks list --app ../Orbelle", "'../Orbelle' is no application name");
        row("misspelt setting", 2, "settings set RecentFileList/TavrelleModelFle /m --app halvex",
            "no such setting 'Halvex/RecentFileList/TavrelleModelFle'; did you mean 'Halvex/RecentFileList/TavrelleModelFile'?");
        row("release not listed", 1, "locks release other.tav --app quintara", "other.tav is not listed in ");
        row("release without lock file", 1, "locks release held.tav --app halvex", "tavshare: there is no lock file ");

        const QString version = TavShare::getTavrelleCurrVersionQString();
        row("version", 0, "--version", QStringLiteral("tavshare %1 (build revision %2)\n").arg(version).arg(TavShare::getRevision()));
        row("format", 0, "format --precision 2 -- -0.001", "-1e-03\n");
        row("list", 0, "settings get RecentFileList/TavrelleModelFile --app quintara", "GONE\nHELD\n/gone/2\nFILES\n");
        row("options first", 0, "--app shared settings show", "LineSpace = 1\n");
        row("default", 0, "settings get Orbelle/IconSize", "20x15  (default)\n");
        row("default as JSON", 0, "settings get --json LineSpace --app orbelle",
            "{\n    \"Orbelle/LineSpace\": {\n        \"default\": true,\n        \"value\": 10\n    }\n}\n");
        row("invalid value as JSON", 0, "settings get LineSpace --app halvex --json",
            "{\n    \"Halvex/LineSpace\": {\n        \"default\": false,\n        \"invalid\": \"holds 'abc', not a whole number; the suite reads 0\",\n"
            "        \"value\": \"abc\"\n    }\n}\n", "", "tavshare: note: Halvex/LineSpace holds 'abc', not a whole number; the suite reads 0\n");
        row("no recent files", 0, "recent list --app orbelle", "no entries\n");
        row("lock file of another spelling", 0, "locks list --app pellaris", "no entries\n", "",
            "tavshare: note: TMP/pellaris.lock holds the locks of processes that name themselves 'pellaris'; "
            "the suite's application is 'Pellaris', and its processes do not see them\n");
        row("locks", 0, "locks list --app QUINTARA",
            "HELD  [holder unknown]\nGONE  (missing)  [holder unknown]\n/gone\\\\\\x1b[2J\\u202e\\x9b  (missing)  [holder unknown]\n");
        row("locks as JSON", 0, "locks list --app quintara --json",
            "[\n    {\n        \"exists\": true,\n        \"holder\": \"unknown\",\n        \"path\": \"HELD\"\n    },\n"
            "    {\n        \"exists\": false,\n        \"holder\": \"unknown\",\n        \"path\": \"GONE\"\n    },\n"
            "    {\n        \"exists\": false,\n        \"holder\": \"unknown\",\n        \"path\": \"/gone\\\\\\u001b[2J\\u202e\\u009b\"\n    }\n]\n");
        row("unset", 0, "settings unset LineSpace --yes", "removed LineSpace (1 value)\n", "LineSpace");
        row("recent prune", 0, "recent prune --app quintara", "dropped model: GONE\ndropped model: /gone/2\n",
            "Quintara/RecentFileList/TavrelleModelFile=GONE|Quintara/RecentFileList/TavrelleModelFile=/gone/2");
        row("locks prune dry run", 0, "locks prune --app quintara --dry-run", "would drop GONE\nwould drop /gone\\\\\\x1b[2J\\u202e\\x9b\n");
        row("locks prune", 0, "locks prune --app quintara", "dropped GONE\ndropped /gone\\\\\\x1b[2J\\u202e\\x9b\n", "GONE|/gone\\\x1b[2J\u202e\u009b");
        row("release gone file", 0, "locks release sub/../gone.tav --app quintara", "released GONE\n", "GONE");
    }
    void commands()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        QFETCH(QString, gone);
        QFETCH(QString, note);
        text.replace("GONE", m_gone).replace("HELD", m_held).replace("FILES", m_files.path());
        QStringList expected = state();
        for (const QString &thing : gone.replace("GONE", m_gone).split('|', Qt::SkipEmptyParts))
            QVERIFY(expected.removeOne(thing));

        const Run run = tavshare(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, exitCode == 0 ? text : QString());
        if (exitCode == 0)
            QCOMPARE(run.err, note.replace("TMP", QDir::tempPath()));
        // A failure says what is wrong in one line; a usage error adds a second one that points at the help.
        QVERIFY2(exitCode == 0 || (run.err.contains(text) && run.err.count('\n') == exitCode), qPrintable(run.err));
        QCOMPARE(state(), expected);
    }

    void setStoresWhatTheSuiteReads()
    {
        for (const char *set : {"LineSpace --app ORBELLE -- -3", "Halvex/IconSize 30x20", "Halvex/LastScreenPos (0,0)",
                                "Dornel/VisibleVtkAxisMarker off", "Pellaris/RecentFileList/TavrelleModelFile HELD /gone.tav",
                                "Window/Title µm²→7 --raw"})
            QCOMPARE(tavshare("settings set " + QString::fromUtf8(set).replace("HELD", m_held)).exitCode, 0);

        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppOrbelle), -3);
        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppShared), 1);
        QCOMPARE(TavSettings::getIconSize(TavSettings::AppHalvex), QSize(30, 20));
        QVERIFY(TavSettings::hasLastScreenPos(TavSettings::AppHalvex));
        QCOMPARE(TavSettings::isVisibleVtkAxisMarker(TavSettings::AppDornel), false);
        QCOMPARE(TavSettings::getRecentTavrelleFile(TavSettings::ModelFile, TavSettings::AppPellaris), m_held);
        QCOMPARE(tavshare("settings get Window/Title").out, QStringLiteral("µm²→7\n"));
    }

    // What stands in the way is named, by the tool or in the system's words, and nothing changes.
    void obstacles_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("error");
        QTest::newRow("configuration folder is a file") << "settings set Orbelle/LineSpace 4"
            << "cannot write the preference store FOLDER/Zentrabio/Tavrelle.conf: " + qt_error_string(ENOTDIR);
        QTest::newRow("unreadable lock file") << "locks list --app quintara" << "cannot read the lock file LOCK: " + qt_error_string(EACCES);
    }
    void obstacles()
    {
        const QString obstacle = QString::fromUtf8(QTest::currentDataTag());
        QFETCH(QString, command);
        QFETCH(QString, error);
        const QString folder = m_files.filePath("folder");
        const QByteArray lock = QFile::encodeName(lockFilePathFor("Quintara"));
        const QStringList runAs = obstacle != "unreadable lock file" ? QStringList()
                                  : QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        QVERIFY(append(folder, "/gone/entry"));
        // Root reads anything: the tool runs as uid 65534, whose file it is.
        if (!runAs.isEmpty()) {
            if (geteuid() != 0)
                QSKIP("only root can run the tool as uid 65534");
            QVERIFY(::chmod(lock.constData(), 0) == 0 && ::chown(lock.constData(), 65534, 65534) == 0);
        }
        const QStringList before = state();
        const Run run = tavshare(command, {"XDG_CONFIG_HOME=" + folder}, runAs);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, "tavshare: " + error.replace("FOLDER", folder).replace("LOCK", lock) + '\n');
        QCOMPARE(state(), before);
        QCOMPARE(entries(folder), QStringList{"/gone/entry"});
        QFile::remove(folder);
    }

    // The tool changes a recent list while the application adds to it: the outcome is
    // that of the additions made before the change, the change, then the others. The
    // application never brings back what the tool removed.
    void changesWhileTheApplicationAdds_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QStringList>("changed");
        QTest::newRow("set") << "settings set Orbelle/RecentFileList/TavrelleModelFile /set" << QStringList{"/set"};
        QTest::newRow("unset") << "settings unset RecentFileList/TavrelleModelFile --app orbelle --yes" << QStringList();
        QTest::newRow("reset") << "settings reset --app orbelle --yes" << QStringList();
    }
    void changesWhileTheApplicationAdds()
    {
        QFETCH(QString, arguments);
        QFETCH(QStringList, changed);
        QStringList files;
        for (int i = 0; i < 100; ++i) {
            files << m_files.filePath(QString("added%1").arg(i));
            QVERIFY(TavTest::writeFile(files.last()));
        }
        for (int round = 0; round < 10; ++round) {
            TavSettings::setRecentTavrelleFileList({m_held, m_gone}, TavSettings::ModelFile, TavSettings::AppOrbelle);
            QProcess tool;
            tool.start(QStringLiteral(TAVSHARE_TOOL), arguments.split(' '));
            QVERIFY(tool.waitForStarted());
            QStringList added;
            while (added.size() < files.size() && !tool.waitForFinished(0)) {
                added.prepend(files.at(added.size()));
                QVERIFY(TavSettings::addRecentFileToTavrelleFileList(added.first(), TavSettings::ModelFile, TavSettings::AppOrbelle, 1000));
            }
            QVERIFY((tool.state() == QProcess::NotRunning || tool.waitForFinished()) && tool.exitCode() == 0);
            const QStringList list = TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppOrbelle);
            const qsizetype after = list.size() - changed.size();
            QVERIFY2(after >= 0 && list == added.mid(0, after) + changed, qPrintable(list.join(' ')));
        }
    }

    void watchPrintsChangesUntilInterrupted_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
    }
    void watchPrintsChangesUntilInterrupted()
    {
        QFETCH(int, signal);
        QProcess tool;
        tool.start(QStringLiteral(TAVSHARE_TOOL), {"watch", "--app", "orbelle", "--json"});
        QVERIFY(tool.waitForStarted());
        // Watching once its inotify instance is open.
        QTRY_COMPARE(TavTest::inotifyInstances(tool.processId()), 1);
        TavSettings::setLineSpace(signal, TavSettings::AppOrbelle);
        TavSettings::setLineSpace(signal, TavSettings::AppHalvex);
        QVERIFY(append(lockFilePathFor("Orbelle"), m_held));
        QByteArray output;
        QTRY_COMPARE(output += tool.readAllStandardOutput(),
                     QStringLiteral("{\"event\":\"preference\",\"key\":\"Orbelle/LineSpace\",\"value\":%1}\n"
                                    "{\"application\":\"Orbelle\",\"event\":\"locked\",\"path\":\"%2\"}\n").arg(signal).arg(m_held).toUtf8());
        ::kill(tool.processId(), signal);
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
        QVERIFY(LockFileHandle(lockFilePathFor("Orbelle"), LockFileHandle::OpenExisting).remove(m_held) == LockFileHandle::Rewritten);
    }

    // Each entry's holder: this process (running), a process that took locks and ended,
    // and an entry no record lists. release and prune --ended drop the ended holder's
    // entries from its record, and the record once it lists nothing.
    void locksHolders()
    {
        const QString app = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName("Dornel");
        const QString path = lockFilePathFor("Dornel");
        const QString ended = m_files.filePath("ended.tav");
        QVERIFY(TavShare::getLock(m_held) == 0);
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(TavShare::getLock(ended) + TavShare::getLock(m_gone));
        int status = 0;
        QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && append(path, "/hand/edit"));
        // Released by hand: gone from the ended holder's record too.
        QCOMPARE(tavshare("locks release --app dornel " + m_gone).out, "released " + m_gone + '\n');
        for (const QFileInfo &file : QDir(path + ".d").entryInfoList(QDir::Files)) {
            const QByteArray record = TavTest::readFile(file.filePath());
            QVERIFY(!record.isEmpty() && !record.contains(m_gone.toUtf8()));
        }
        QCOMPARE(tavshare("locks list --app dornel").out, QString("%1  [holder running: pid %2, Dornel]\n%3  (missing)  [holder ended: was pid %4, Dornel]\n"
                                                                  "/hand/edit  (missing)  [holder unknown]\n").arg(m_held).arg(::getpid()).arg(ended).arg(child));
        QCOMPARE(tavshare("locks prune --app dornel --ended --dry-run").out, "would drop " + ended + '\n');
        QCOMPARE(tavshare("locks prune --app dornel --ended").out, "dropped " + ended + '\n');
        QCOMPARE(entries(path), (QStringList{m_held, "/hand/edit"}));
        QCOMPARE(QDir(path + ".d").entryList(QDir::Files).size(), 1);
        QVERIFY(TavShare::releaseLock(m_held));
        QFile::remove(path);
        QCoreApplication::setApplicationName(app);
    }

    void locksWaitForTheApplicationsLock()
    {
        // While a process of the application holds the lock file (here: this one), a
        // prune waits, and then works on what that process left behind.
        const QString path = lockFilePathFor("Pellaris");
        QVERIFY(append(path, "/gone/entry"));
        QProcess tool;
        {
            LockFileHandle held(path, LockFileHandle::OpenExisting);
            tool.start(QStringLiteral(TAVSHARE_TOOL), {"locks", "prune", "--app", "pellaris"});
            // Give it time to reach the lock; the content below tells whether it waited there.
            QVERIFY(tool.waitForStarted() && !tool.waitForFinished(300));
            QVERIFY(held.rewrite({"/gone/entry", m_held}));
        }
        QVERIFY(tool.waitForFinished() && tool.exitCode() == 0);
        QCOMPARE(entries(path), QStringList{m_held});
    }
};

TAVTEST_MAIN(TestTool)
#include "tst_tool.moc"
