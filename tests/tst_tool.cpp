// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// Drives the built tavshare binary as a user would, against the sandbox's store and
// temporary folder (the child processes inherit the sandbox's environment).

#include "tavsettings_p.h"
#include "TavShare.h"
#include "lockfile_p.h"
#include "tavtest.h"

#include <QJsonDocument>
#include <QProcess>
#include <QSettings>

class TestTool : public QObject
{
    Q_OBJECT

private:
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
        QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    };

    static Run tavshare(const QStringList &arguments, const QString &workingDirectory = QString(),
                        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setWorkingDirectory(workingDirectory);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TAVSHARE_TOOL), arguments);
        Run run;
        if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    // For arguments without blanks, written as on a command line.
    static Run tavshare(const QString &command) { return tavshare(command.split(QLatin1Char(' '), Qt::SkipEmptyParts)); }

    static QStringList storedKeys()
    {
        QStringList keys = QSettings(TavTest::storeFile(), QSettings::IniFormat).allKeys();
        keys.sort();
        return keys;
    }

    // Takes the locks as a process of the application would.
    static void takeLocks(const QString &application, const QStringList &files)
    {
        const QString ownName = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(application);
        for (const QString &file : files)
            QCOMPARE(TavShare::getLock(file), 0);
        QCoreApplication::setApplicationName(ownName);
    }
    static QString lockFile(const QString &application) { return QDir::tempPath() + '/' + application + ".lock"; }
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

    void fillState()
    {
        const TavSettings::AppType app = TavSettings::AppQuintara;
        TavSettings::setLineSpace(4, app);
        TavSettings::setIconSize(QSize(24, 18), app);
        TavSettings::setLastScreenPos(QPoint(-5, 7), app);
        TavSettings::setPottsModelSecVisible(true, app);
        TavSettings::setRecentTavrelleFileList({m_gone, m_held}, TavSettings::ModelFile, app);
        // Plain output must not hand a terminal the escape sequences a value or entry holds.
        TavSettings::setRecentTavrelleFileList({"/a b\t\x1b[2J.tav"}, TavSettings::GeometryFile, app);
        TavSettings::setRecentTavrelleFileList({}, TavSettings::DescriptionFile, app);
        QSettings(TavTest::storeFile(), QSettings::IniFormat).setValue("Quintara/SplineResoluition", "fine");
        TavSettings::setLineSpace(9, TavSettings::AppHalvex);
        QFile::remove(lockFile("Quintara"));
        takeLocks("Quintara", {m_held, m_gone, "/gone\\\x1b[2J"});
    }

    QTemporaryDir m_files;
    const QString m_held = makeFile("held.tav");
    const QString m_gone = m_files.filePath("gone.tav");

private Q_SLOTS:
    void init() { TavSettingsInternals::clearAllSettings(); }

    void helpNamesTheCommand()
    {
        const Run run = tavshare("locks prune --help");
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("Usage: tavshare locks prune [options]\n"), qPrintable(run.out));
        QCOMPARE(run.err, QString());
    }

    // Nothing is written, neither to standard output nor to the store.
    void rejected_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");
        auto usage = [](const char *name, const char *arguments, const char *reason) {
            QTest::newRow(name) << QString::fromUtf8(arguments) << 2 << QString::fromUtf8(reason);
        };
        usage("no command", "", "name a command");
        usage("unknown command", "frob", "unknown command 'frob'");
        usage("unknown option", "settings show --frob", "'frob'");
        usage("unknown application", "settings show --app excel", "unknown application 'excel'; use one of: shared, orbelle");
        usage("extra argument", "settings get LineSpace more", "unexpected argument 'more'");
        usage("not a size", "settings set Orbelle/IconSize 20,15", "write WIDTHxHEIGHT");
        usage("size without height", "settings set Orbelle/IconSize 24x", "'24x' is not a size");
        usage("unpaired parenthesis", "settings set Orbelle/LastScreenPos (1,2", "'(1,2' is not a point");
        usage("number beyond int", "settings set Orbelle/IconSize 24x2147483648", "2147483648 is out of range");
        usage("negative number", "settings set Orbelle/LineSpace -3", "put -- before it");
        usage("type conflict", "settings set LineSpace --app orbelle --type string x", "as type int");
        usage("reset unconfirmed", "settings reset --all", "add --yes");
        usage("reset without scope", "settings reset --yes", "either --app NAME or --all");
        usage("locks of shared", "locks prune --app shared", "locks belong to one application");
        usage("locks of a path", "locks list --app ../Orbelle", "'../Orbelle' is no application name");
        usage("negative number to format", "format -0.5", "tavshare format ... -- -0.5");
        usage("unit out of range", "unit 15", "unknown unit '15'");
        usage("unknown library", "ack --libs boost,gtk", "unknown library 'gtk'");
        QTest::newRow("get absent") << "settings get Orbelle/IconSize" << 1 << "nothing is stored under Orbelle/IconSize";
        QTest::newRow("get group") << "settings get Orbelle" << 1 << "Orbelle is a group of values";
        QTest::newRow("misspelt setting") << "settings set Linespace 12 --app orbelle" << 1
                                          << "no such setting 'Orbelle/Linespace'; did you mean 'Orbelle/LineSpace'?";
        QTest::newRow("misspelt file type") << "settings set RecentFileList/TavrelleModelFle /m --app halvex" << 1
                                            << "no such setting 'Halvex/RecentFileList/TavrelleModelFle'; did you mean "
                                               "'Halvex/RecentFileList/TavrelleModelFile'?";
    }
    void rejected()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        TavSettings::setLineSpace(3, TavSettings::AppOrbelle);

        const Run run = tavshare(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, QString());
        QCOMPARE(storedKeys(), QStringList{"Orbelle/LineSpace"});
        // A usage error points at the help; a failure says what is wrong in one line.
        if (exitCode == 2)
            QVERIFY2(run.err.contains(reason) && run.err.contains("--help"), qPrintable(run.err));
        else
            QVERIFY2(run.err.startsWith("tavshare: " + reason) && run.err.count('\n') == 1, qPrintable(run.err));
    }

    // Commands that only read, against one application's state of every kind.
    void readOnlyOutput_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("output");
        QTest::newRow("exponent keeping zeros") << "format 120000 --notation exponent --precision 3 --keep-zeros" << "1.200e+05\n";
        QTest::newRow("auto at the upper limit") << "format 100 --precision 2" << "100\n";
        QTest::newRow("auto above it") << "format 250 --precision 2" << "2.5e+02\n";
        QTest::newRow("negative after --") << "format --precision 2 -- -0.001" << "-1e-03\n";
        QTest::newRow("default precision") << "format 0.5 --notation fixed --keep-zeros" << "0.500000\n";
        QTest::newRow("unit by short name") << "unit MICROMETER" << "µm\n";
        QTest::newRow("unit by value") << "unit 1" << "l/mol·s\n";
        QTest::newRow("version") << "--version" << "tavshare 2.3.1 (build revision 5178)\n";
        QTest::newRow("show") << "settings show --app quintara"
                              << "Quintara/IconSize = 24x18\nQuintara/LastScreenPos = (-5, 7)\nQuintara/LineSpace = 4\n"
                                 "Quintara/PottsModelSecVisibleStatus = true\nQuintara/RecentFileList/TavrelleDescriptionFile = (empty list)\n"
                                 "Quintara/RecentFileList/TavrelleGeometryFile:\n    /a b\\t\\x1b[2J.tav\n"
                                 "Quintara/RecentFileList/TavrelleModelFile:\n    GONE\n    HELD\n"
                                 "Quintara/SplineResoluition = fine   [holds 'fine', not a whole number; the suite reads 0]\n";
        QTest::newRow("recent of one type") << "recent list --app quintara --type model" << "GONE  (missing)\nHELD\n";
        QTest::newRow("recent") << "recent list --app quintara" << "model:\n    GONE  (missing)\n    HELD\ngeometry:\n    /a b\\t\\x1b[2J.tav  (missing)\n";
        QTest::newRow("locks") << "locks list --app QUINTARA" << "HELD\nGONE  (missing)\n/gone\\\\\\x1b[2J  (missing)\n";
        QTest::newRow("no lock file") << "locks list --app halvex" << "";
        QTest::newRow("show as JSON") << "settings show --json"
                                      << "{\"Halvex/LineSpace\":9,\"Quintara/IconSize\":{\"height\":18,\"width\":24},"
                                         "\"Quintara/LastScreenPos\":{\"x\":-5,\"y\":7},\"Quintara/LineSpace\":4,"
                                         "\"Quintara/PottsModelSecVisibleStatus\":true,\"Quintara/RecentFileList/TavrelleDescriptionFile\":[],"
                                         "\"Quintara/RecentFileList/TavrelleGeometryFile\":[\"/a b\\t\\u001b[2J.tav\"],"
                                         "\"Quintara/RecentFileList/TavrelleModelFile\":[\"GONE\",\"HELD\"],\"Quintara/SplineResoluition\":\"fine\"}";
        QTest::newRow("recent as JSON") << "recent list --app quintara --type model --json"
                                        << "{\"model\":[{\"exists\":false,\"path\":\"GONE\"},{\"exists\":true,\"path\":\"HELD\"}]}";
        QTest::newRow("locks as JSON") << "locks list --app quintara --json"
                                       << "[{\"exists\":true,\"path\":\"HELD\"},{\"exists\":false,\"path\":\"GONE\"},"
                                          "{\"exists\":false,\"path\":\"/gone\\\\\\u001b[2J\"}]";
    }
    void readOnlyOutput()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, output);
        fillState();
        const Run run = tavshare(arguments);
        QCOMPARE(run.exitCode, 0);
        output.replace("GONE", m_gone).replace("HELD", m_held);
        // JSON is compared compacted: its indentation is no promise.
        if (arguments.endsWith("--json"))
            QCOMPARE(QString::fromUtf8(QJsonDocument::fromJson(run.out.toUtf8()).toJson(QJsonDocument::Compact)), output);
        else
            QCOMPARE(run.out, output);
        QCOMPARE(run.err, QString());
    }

    void unitListShowsEveryUnit()
    {
        const Run run = tavshare("unit");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines().size(), 15);
        QCOMPARE(run.lines().first(), QStringLiteral("   0  UnitSquareMicrometerPerSecond    µm²/s"));
        QCOMPARE(run.lines().last(), QStringLiteral("  14  UnitMicrometer                   µm"));
    }

    void acknowledgements()
    {
        Run run = tavshare("ack --app orbelle --experimental --libs boost --libs Qt-Examples");
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("Orbelle\nVer 2.3.1 \n\nThis is an experimental (NOT AN OFFICIAL) release. \n\n"), qPrintable(run.out));
        QVERIFY(run.out.contains("\n* Boost\t"));
        QVERIFY(run.out.contains("Used under the BSD\n"));
        QVERIFY(!run.out.contains("Used under the LGPL 2.1"));

        run = tavshare("ack --libs all");
        QVERIFY(run.out.startsWith("tavshare\nVer "));
        QCOMPARE(run.out.split('\n').filter(QRegularExpression(QStringLiteral("^ ?\\* "))).size(), 15);
    }

    void setStoresWhatTheSuiteReads()
    {
        const QString model = makeFile("model.tav");
        const QStringList set{"settings", "set"};
        QCOMPARE(tavshare("settings set LineSpace --app ORBELLE -- -3").exitCode, 0);
        QCOMPARE(tavshare("settings set Halvex/IconSize 30x20").exitCode, 0);
        QCOMPARE(tavshare(set + QStringList{"Halvex/LastScreenPos", "(0, 0)"}).exitCode, 0);
        QCOMPARE(tavshare("settings set VisibleVtkAxisMarker --app dornel off").exitCode, 0);
        QCOMPARE(tavshare("settings set RecentFileList/TavrelleModelFile --app pellaris " + model + " /gone.tav").exitCode, 0);
        QCOMPARE(tavshare(set + QStringList{"Window/Title", "µm² → 7", "--raw"}).exitCode, 0);

        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppOrbelle), -3);
        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppShared), 10);
        QCOMPARE(TavSettings::getIconSize(TavSettings::AppHalvex), QSize(30, 20));
        QVERIFY(TavSettings::hasLastScreenPos(TavSettings::AppHalvex));
        QCOMPARE(TavSettings::isVisibleVtkAxisMarker(TavSettings::AppDornel), false);
        QCOMPARE(TavSettings::getRecentTavrelleFile(TavSettings::ModelFile, TavSettings::AppPellaris), model);
        QCOMPARE(tavshare("settings get Window/Title").out, QStringLiteral("µm² → 7\n"));
    }

    void removals_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("remaining");
        const QString orbelleLists = " Orbelle/RecentFileList/TavrelleModelFile Orbelle/RecentFileList/TavrelleSimulationFolder";
        QTest::newRow("unset subtree") << "unset RecentFileList --app orbelle" << "Halvex/LineSpace LineSpace Orbelle/LineSpace";
        QTest::newRow("unset shared key") << "unset LineSpace" << "Halvex/LineSpace Orbelle/LineSpace" + orbelleLists;
        QTest::newRow("reset application") << "reset --app Orbelle" << "Halvex/LineSpace LineSpace";
        QTest::newRow("reset shared") << "reset --app shared" << "Halvex/LineSpace Orbelle/LineSpace" + orbelleLists;
        QTest::newRow("reset all") << "reset --all" << "";
    }
    void removals()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, remaining);
        TavSettings::setLineSpace(1, TavSettings::AppShared);
        TavSettings::setLineSpace(2, TavSettings::AppOrbelle);
        TavSettings::setLineSpace(3, TavSettings::AppHalvex);
        TavSettings::setRecentTavrelleFileList({"/m"}, TavSettings::ModelFile, TavSettings::AppOrbelle);
        TavSettings::setRecentTavrelleFileList({"/s"}, TavSettings::SimulationFolder, TavSettings::AppOrbelle);

        const QString command = "settings " + arguments + " --yes";
        const Run run = tavshare(command);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("removed "), qPrintable(run.out));
        QCOMPARE(storedKeys(), remaining.split(' ', Qt::SkipEmptyParts));

        // Nothing left to remove under that key is a failure, not a silent success.
        if (arguments.startsWith("unset"))
            QCOMPARE(tavshare(command).exitCode, 1);
    }

    void unwritableStoreFails_data()
    {
        // Nothing can write there, root included.
        QTest::addColumn<bool>("configFolderIsAFile");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder in place of the file") << false << "it is not a regular file";
        QTest::newRow("configuration folder is a file") << true << "/config is not a folder";
    }
    void unwritableStoreFails()
    {
        QFETCH(bool, configFolderIsAFile);
        QFETCH(QString, reason);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (configFolderIsAFile) {
            environment.insert("XDG_CONFIG_HOME", makeFile("config"));
        } else {
            QFile::remove(TavTest::storeFile());
            QVERIFY(QDir().mkpath(TavTest::storeFile()));
        }
        const Run run = tavshare({"settings", "set", "Orbelle/LineSpace", "4"}, QString(), environment);
        QDir(TavTest::storeFile()).removeRecursively();
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith("tavshare: cannot write the preference store ") && run.err.endsWith(reason + '\n'), qPrintable(run.err));
    }

    void recentPruneKeepsOrder_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<bool>("modelsPruned");
        QTest::addColumn<bool>("foldersPruned");
        QTest::newRow("every type") << "" << true << true;
        QTest::newRow("one type") << "--type simulation" << false << true;
        QTest::newRow("dry run") << "--dry-run" << false << false;
    }
    void recentPruneKeepsOrder()
    {
        QFETCH(QString, options);
        QFETCH(bool, modelsPruned);
        QFETCH(bool, foldersPruned);
        const QString second = makeFile("second.tav");
        const QStringList models{m_gone, second, m_gone + "2", m_held};
        const QStringList folders{m_files.filePath("gone-folder"), m_files.path()};
        TavSettings::setRecentTavrelleFileList(models, TavSettings::ModelFile, TavSettings::AppHalvex);
        TavSettings::setRecentTavrelleFileList(folders, TavSettings::SimulationFolder, TavSettings::AppHalvex);
        TavSettings::setRecentTavrelleFileList(models, TavSettings::ModelFile, TavSettings::AppPellaris);

        const Run run = tavshare("recent prune --app halvex " + options);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("simulation: " + folders.first()), qPrintable(run.out));
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppHalvex),
                 modelsPruned ? (QStringList{second, m_held}) : models);
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::SimulationFolder, TavSettings::AppHalvex),
                 foldersPruned ? (QStringList{m_files.path()}) : folders);
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppPellaris), models);
    }

    void locksRelease_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("remaining");
        QTest::addColumn<QString>("message");
        QTest::newRow("file gone") << "gone.tav" << 0 << QByteArray("HELD") << "released ";
        QTest::newRow("relative name") << "./sub/../held.tav" << 0 << QByteArray("GONE") << "released ";
        QTest::newRow("not listed") << "other.tav" << 1 << QByteArray("GONE\n\nHELD") << "is not listed in ";
        QTest::newRow("no lock file") << "held.tav" << 1 << QByteArray() << "there is no lock file ";
    }
    void locksRelease()
    {
        QFETCH(QString, file);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, remaining);
        QFETCH(QString, message);
        const QString path = lockFile("Dornel");
        QFile::remove(path);
        if (!remaining.isEmpty())
            writeFile(path, (m_gone + "\n\n" + m_held).toUtf8());
        remaining.replace("GONE", m_gone.toUtf8()).replace("HELD", m_held.toUtf8());

        const Run run = tavshare({"locks", "release", file, "--app", "dornel"}, m_files.path());
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2((exitCode == 0 ? run.out : run.err).contains(message), qPrintable(run.out + run.err));
        QCOMPARE(contents(path), remaining.isEmpty() ? QByteArray("(unreadable)") : remaining);
    }

    void locksPruneKeepsOrder()
    {
        const QString second = makeFile("second.tav");
        const QString path = lockFile("Pellaris");
        writeFile(path, QStringLiteral("/gone/1\n  %1  \n\n/gone/2\n%2").arg(m_held, second).toUtf8());

        Run run = tavshare("locks prune --app pellaris --dry-run");
        QCOMPARE(run.lines(), (QStringList{"would drop /gone/1", "would drop /gone/2"}));
        QVERIFY(contents(path).startsWith("/gone/1\n"));

        run = tavshare("locks prune --app pellaris");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines(), (QStringList{"dropped /gone/1", "dropped /gone/2"}));
        QCOMPARE(contents(path), (m_held + '\n' + second).toUtf8());
    }

    void locksRefuseALinkedLockFile()
    {
        const QString target = m_files.filePath("precious.txt");
        writeFile(target, "/gone/entry");
        const QString path = lockFile("Quintara");
        QFile::remove(path);
        QVERIFY(QFile::link(target, path));

        for (const char *command : {"locks list --app quintara", "locks prune --app quintara"}) {
            const Run run = tavshare(command);
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.startsWith("tavshare: cannot read the lock file "), qPrintable(run.err));
        }
        QCOMPARE(contents(target), QByteArray("/gone/entry"));
        QFile::remove(path);
    }

    void locksWaitForTheApplicationsLock()
    {
        // While a process of the application holds the lock file (here: this one), a
        // prune waits, and then works on what that process left behind.
        const QString path = lockFile("Halvex");
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

    void locksNeedATemporaryFolder()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", m_files.filePath("no such folder"));
        const Run run = tavshare({"locks", "list", "--app", "orbelle"}, QString(), environment);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith("tavshare: the temporary folder does not exist"), qPrintable(run.err));
    }
};

TAVTEST_MAIN(TestTool)
#include "tst_tool.moc"
