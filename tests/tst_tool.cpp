// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// Drives the built tavshare binary as a user would, against the sandbox's store and
// temporary folder (the child processes inherit the sandbox's environment).

#include "TavShare.h"
#include "lockfile_p.h"
#include "tavsettings_p.h"
#include "tavtest.h"

#include <QJsonDocument>
#include <QProcess>

#include <array>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

using Environment = QList<QPair<QString, QString>>;

class TestTool : public QObject
{
    Q_OBJECT

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Run tavshare(const QStringList &arguments, const QString &workingDirectory = QString(), const Environment &changes = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto &change : changes)
            environment.insert(change.first, change.second);
        QProcess process;
        process.setWorkingDirectory(workingDirectory);
        process.setProcessEnvironment(environment);
        const QStringList command = m_runAs + QStringList{QStringLiteral(TAVSHARE_TOOL)} + arguments;
        process.start(command.first(), command.mid(1));
        Run run;
        if (process.waitForFinished() && process.exitStatus() == QProcess::NormalExit)
            run = {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
        return run;
    }
    // For arguments without blanks, written as on a command line.
    Run tavshare(const QString &command) const { return tavshare(command.split(QLatin1Char(' '), Qt::SkipEmptyParts)); }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }
    static void writeFile(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    QString makeFile(const QString &name) { writeFile(m_files.filePath(name), QByteArray()); return m_files.filePath(name); }

    // Everything a command can take away: the store's keys, the entries of the recent-file
    // lists ("key=entry") and of Quintara's lock file ("lock:entry").
    static QStringList state()
    {
        QStringList keys = TavSettingsStore().allKeys();
        keys.sort();
        QStringList things;
        for (const QString &key : keys) {
            things << key;
            for (const QString &entry : key.contains("RecentFileList") ? TavSettingsStore().value(key).toStringList() : QStringList())
                things << key + '=' + entry;
        }
        for (const QString &entry : LockFileHandle(lockFilePathFor("Quintara"), LockFileHandle::OpenExisting).entries())
            things << "lock:" + entry;
        return things;
    }

    QTemporaryDir m_files;
    QStringList m_runAs; // the command that runs the tool as another user
    const QString m_held = makeFile("held.tav");
    const QString m_gone = m_files.filePath("gone.tav");

private Q_SLOTS:
    void init()
    {
        TavSettingsInternals::clearAllSettings();
        m_runAs.clear();
        for (const char *application : {"Quintara", "Halvex"})
            QFile::remove(lockFilePathFor(application));
        TavSettings::setLineSpace(1, TavSettings::AppShared);
        TavSettings::setLineSpace(3, TavSettings::AppOrbelle);
        TavSettings::setRecentTavrelleFileList({"/m"}, TavSettings::ModelFile, TavSettings::AppOrbelle);
        const TavSettings::AppType app = TavSettings::AppQuintara;
        TavSettings::setIconSize(QSize(24, 18), app);
        TavSettings::setLastScreenPos(QPoint(-5, 7), app);
        TavSettings::setPottsModelSecVisible(true, app);
        TavSettings::setRecentTavrelleFileList({m_gone, m_held, "/gone/2", m_files.path()}, TavSettings::ModelFile, app);
        // Plain output must not hand a terminal the escape sequences a value or entry holds.
        TavSettings::setRecentTavrelleFileList({"/a b\t\x1b[2J.tav"}, TavSettings::GeometryFile, app);
        TavSettings::setRecentTavrelleFileList({}, TavSettings::DescriptionFile, app);
        TavSettingsStore().setValue("Quintara/SplineResoluition", "fine");
        for (const QString &file : {m_held, m_gone, QStringLiteral("/gone\\\x1b[2J")})
            QCOMPARE(LockFileHandle(lockFilePathFor("Quintara"), LockFileHandle::CreateIfMissing).append(file), LockFileHandle::Rewritten);
    }

    void help()
    {
        const Run run = tavshare("locks prune --help");
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("Usage: tavshare locks prune [options]\n") && run.out.contains("\n  --dry-run "), qPrintable(run.out));
        QVERIFY(tavshare("settings -h").out.contains("\nCommands:\n  show "));
        QCOMPARE(run.err, QString());
    }

    // What a command prints (its standard output, or a part of its one error) and what it
    // takes away, of all state in init(). Nothing else changes.
    void commands_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("gone");
        const QList<std::array<const char *, 3>> usage = {
            {"no command", "", "tavshare: name a command"},
            {"unknown command", "settings frob", "tavshare settings: unknown command 'frob'; use one of: show, get"},
            {"unknown option", "settings show --frob", "tavshare settings show: Unknown option 'frob'"},
            {"unknown application", "settings show --app excel", "unknown application 'excel'; use one of: shared, orbelle"},
            {"missing argument", "settings set", "missing KEY"},
            {"extra argument", "settings get LineSpace more", "unexpected argument 'more'"},
            {"not a size", "settings set Orbelle/IconSize 20,15", "write WIDTHxHEIGHT"},
            {"unpaired parenthesis", "settings set Orbelle/LastScreenPos (1,2", "'(1,2' is not a point"},
            {"number beyond int", "settings set Orbelle/IconSize 24x2147483648", "2147483648 is out of range"},
            {"negative number", "settings set Orbelle/LineSpace -3", "put -- before it"},
            {"type conflict", "settings set LineSpace --app orbelle --type string x", "as type int"},
            {"unset unconfirmed", "settings unset LineSpace", "add --yes"},
            {"reset without scope", "settings reset --yes", "either --app NAME or --all"},
            {"recent without application", "recent list", "name the application with --app NAME"},
            {"locks of shared", "locks prune --app shared", "locks belong to one application"},
            {"locks of a path", "locks list --app ../Orbelle", "'../Orbelle' is no application name"},
            {"unknown library", "ack --libs boost,gtk", "unknown library 'gtk'"},
        };
        for (const auto &row : usage)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << 2 << QString::fromUtf8(row[2]) << QString();
        auto failure = [](const char *name, const char *arguments, const char *reason) {
            QTest::newRow(name) << QString::fromUtf8(arguments) << 1 << QString::fromUtf8(reason) << QString();
        };
        failure("get absent", "settings get Orbelle/IconSize", "tavshare: nothing is stored under Orbelle/IconSize");
        failure("get group", "settings get Orbelle", "tavshare: Orbelle is a group of values");
        failure("misspelt setting", "settings set RecentFileList/TavrelleModelFle /m --app halvex",
                "tavshare: no such setting 'Halvex/RecentFileList/TavrelleModelFle'; did you mean 'Halvex/RecentFileList/TavrelleModelFile'?");
        failure("unset absent", "settings unset Halvex --yes", "tavshare: nothing is stored under Halvex\n");
        failure("release not listed", "locks release other.tav --app quintara", "other.tav is not listed in ");
        failure("release without lock file", "locks release held.tav --app halvex", "tavshare: there is no lock file ");

        auto success = [](const char *name, const char *arguments, const QString &output, const char *gone = "") {
            QTest::newRow(name) << QString::fromUtf8(arguments) << 0 << output << QString::fromUtf8(gone);
        };
        success("format", "format --precision 2 -- -0.001", "-1e-03\n");
        success("unit", "unit MICROMETER", "µm\n");
        success("ack", "ack --app orbelle --experimental --libs boost --libs Qt-Examples",
                TavShare::acknowledgements("Orbelle", TavShare::AckBoost | TavShare::AckQtExamples, true));
        success("show", "settings show --app quintara",
                "Quintara/IconSize = 24x18\nQuintara/LastScreenPos = (-5, 7)\nQuintara/PottsModelSecVisibleStatus = true\n"
                "Quintara/RecentFileList/TavrelleDescriptionFile = (empty list)\nQuintara/RecentFileList/TavrelleGeometryFile:\n"
                "    /a b\\t\\x1b[2J.tav\nQuintara/RecentFileList/TavrelleModelFile:\n    GONE\n    HELD\n    /gone/2\n    FILES\n"
                "Quintara/SplineResoluition = fine   [holds 'fine', not a whole number; the suite reads 0]\n");
        success("get as JSON", "settings get IconSize --app quintara --json", "{\"Quintara/IconSize\":{\"height\":18,\"width\":24}}");
        success("recent of one type", "recent list --app quintara --type model", "GONE  (missing)\nHELD\n/gone/2  (missing)\nFILES\n");
        success("recent", "recent list --app orbelle", "model:\n    /m  (missing)\n");
        success("locks", "locks list --app QUINTARA", "HELD\nGONE  (missing)\n/gone\\\\\\x1b[2J  (missing)\n");
        success("locks as JSON", "locks list --app quintara --json",
                "[{\"exists\":true,\"path\":\"HELD\"},{\"exists\":false,\"path\":\"GONE\"},{\"exists\":false,\"path\":\"/gone\\\\\\u001b[2J\"}]");
        success("no lock file", "locks list --app halvex", "");
        success("unset subtree", "settings unset RecentFileList --app orbelle --yes", "removed Orbelle/RecentFileList (1 value)\n",
                "Orbelle/RecentFileList/TavrelleModelFile|Orbelle/RecentFileList/TavrelleModelFile=/m");
        success("reset shared", "settings reset --app shared --yes", "removed the shared values (1)\n", "LineSpace");
        success("reset application", "settings reset --app Orbelle --yes", "removed the values of Orbelle (2)\n",
                "Orbelle/LineSpace|Orbelle/RecentFileList/TavrelleModelFile|Orbelle/RecentFileList/TavrelleModelFile=/m");
        success("recent prune dry run", "recent prune --app quintara --dry-run",
                "would drop model: GONE\nwould drop model: /gone/2\nwould drop geometry: /a b\\t\\x1b[2J.tav\n");
        success("recent prune one type", "recent prune --app quintara --type model", "dropped model: GONE\ndropped model: /gone/2\n",
                "Quintara/RecentFileList/TavrelleModelFile=GONE|Quintara/RecentFileList/TavrelleModelFile=/gone/2");
        success("locks prune dry run", "locks prune --app quintara --dry-run", "would drop GONE\nwould drop /gone\\\\\\x1b[2J\n");
        success("locks prune", "locks prune --app quintara", "dropped GONE\ndropped /gone\\\\\\x1b[2J\n", "lock:GONE|lock:/gone\\\x1b[2J");
        success("release gone file", "locks release sub/../gone.tav --app quintara", "released GONE\n", "lock:GONE");
    }
    void commands()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        QFETCH(QString, gone);
        const auto paths = [this](QString text) { return text.replace("GONE", m_gone).replace("HELD", m_held).replace("FILES", m_files.path()); };
        QStringList expected = state();
        for (const QString &thing : paths(gone).split('|', Qt::SkipEmptyParts))
            QVERIFY2(expected.removeOne(thing), qPrintable(thing));

        const Run run = tavshare(arguments.split(' ', Qt::SkipEmptyParts), m_files.path());
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0 && arguments.endsWith("--json"))
            QCOMPARE(QString::fromUtf8(QJsonDocument::fromJson(run.out.toUtf8()).toJson(QJsonDocument::Compact)), paths(text));
        else
            QCOMPARE(run.out, exitCode == 0 ? paths(text) : QString());
        // A usage error points at the help; a failure says what is wrong in one line.
        if (exitCode == 2)
            QVERIFY2(run.err.contains(text) && run.err.endsWith(" --help'.\n"), qPrintable(run.err));
        else if (exitCode == 1)
            QVERIFY2(run.err.contains(paths(text)) && run.err.startsWith("tavshare: ") && run.err.count('\n') == 1, qPrintable(run.err));
        QCOMPARE(state(), expected);
    }

    void setStoresWhatTheSuiteReads()
    {
        const QString model = makeFile("model.tav");
        QCOMPARE(tavshare("settings set LineSpace --app ORBELLE -- -3").exitCode, 0);
        QCOMPARE(tavshare("settings set Halvex/IconSize 30x20").exitCode, 0);
        QCOMPARE(tavshare({"settings", "set", "Halvex/LastScreenPos", "(0, 0)"}).exitCode, 0);
        QCOMPARE(tavshare("settings set VisibleVtkAxisMarker --app dornel off").exitCode, 0);
        QCOMPARE(tavshare("settings set RecentFileList/TavrelleModelFile --app pellaris " + model + " /gone.tav").exitCode, 0);
        QCOMPARE(tavshare({"settings", "set", "Window/Title", "µm² → 7", "--raw"}).exitCode, 0);

        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppOrbelle), -3);
        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppShared), 1);
        QCOMPARE(TavSettings::getIconSize(TavSettings::AppHalvex), QSize(30, 20));
        QVERIFY(TavSettings::hasLastScreenPos(TavSettings::AppHalvex));
        QCOMPARE(TavSettings::isVisibleVtkAxisMarker(TavSettings::AppDornel), false);
        QCOMPARE(TavSettings::getRecentTavrelleFile(TavSettings::ModelFile, TavSettings::AppPellaris), model);
        QCOMPARE(tavshare("settings get Window/Title").out, QStringLiteral("µm² → 7\n"));
    }

    // What stands in the way is named, by the tool or in the system's words, and nothing changes.
    void obstacles_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("error");
        const QString set = QStringLiteral("settings set Orbelle/LineSpace 4");
        const QString store = QStringLiteral("cannot write the preference store FOLDER/Zentrabio/Tavrelle.conf: ");
        QTest::newRow("folder in place of the store") << "store folder" << set << store + "Filename refers to a directory";
        QTest::newRow("configuration folder is a file") << "config file" << set << store + qt_error_string(ENOTDIR);
        QTest::newRow("no temporary folder") << "no tmp" << "locks list --app orbelle" << "the temporary folder does not exist (TMPDIR is FOLDER)";
        QTest::newRow("linked lock file") << "link" << "locks prune --app quintara" << "cannot read the lock file LOCK: " + qt_error_string(ELOOP);
        QTest::newRow("unreadable lock file") << "unreadable" << "locks list --app quintara" << "cannot read the lock file LOCK: " + qt_error_string(EACCES);
    }
    void obstacles()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, command);
        QFETCH(QString, error);
        const QString folder = m_files.filePath("folder");
        const QByteArray lock = QFile::encodeName(lockFilePathFor("Quintara"));
        Environment environment{{obstacle == "no tmp" ? "TMPDIR" : "XDG_CONFIG_HOME", folder}};
        if (obstacle == "store folder")
            QVERIFY(QDir(folder).mkpath("Zentrabio/Tavrelle.conf"));
        if (obstacle == "config file")
            writeFile(folder, "");
        if (obstacle == "link") {
            writeFile(folder, "/gone/entry");
            QVERIFY(QFile::remove(lock) && QFile::link(folder, lock));
        }
        if (obstacle == "unreadable") {
            QCOMPARE(::chmod(lock.constData(), 0), 0);
            // Root reads anything: the tool then runs as uid 65534, whose file it is, in the
            // sandbox's temporary folder opened up as a shared one.
            if (geteuid() == 0) {
                m_runAs = QStringList{QStandardPaths::findExecutable("setpriv"), "--reuid=65534", "--regid=65534", "--clear-groups"};
                if (m_runAs.first().isEmpty())
                    QSKIP("setpriv (util-linux) is needed to run the tool as uid 65534");
                QCOMPARE(::chown(lock.constData(), 65534, 65534), 0);
                QCOMPARE(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 01777), 0);
                QCOMPARE(::chmod(QFile::encodeName(QDir::tempPath() + "/..").constData(), 0711), 0);
            }
        }
        const QStringList before = state();
        const Run run = tavshare(command.split(' '), QString(), environment);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, "tavshare: " + error.replace("FOLDER", folder).replace("LOCK", lock) + '\n');
        QCOMPARE(state(), before);
        QVERIFY(obstacle != "link" || contents(folder) == "/gone/entry");
        QVERIFY(QFile::remove(folder) || QDir(folder).removeRecursively());
    }

    void locksWaitForTheApplicationsLock()
    {
        // While a process of the application holds the lock file (here: this one), a
        // prune waits, and then works on what that process left behind.
        const QString path = lockFilePathFor("Halvex");
        writeFile(path, "/gone/entry");
        QProcess tool;
        {
            LockFileHandle held(path, LockFileHandle::OpenExisting);
            QCOMPARE(held.status(), LockFileHandle::Open);
            tool.start(QStringLiteral(TAVSHARE_TOOL), {"locks", "prune", "--app", "halvex"});
            QVERIFY(tool.waitForStarted());
            // Give it time to reach the lock; the content below tells whether it waited there.
            tool.waitForFinished(300);
            QVERIFY(held.rewrite({"/gone/entry", m_held}));
        }
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(contents(path), m_held.toUtf8());
    }
};

TAVTEST_MAIN(TestTool)
#include "tst_tool.moc"
