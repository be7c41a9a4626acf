// Drives the built tavshare binary as a user would, against the sandbox's store and
// temporary folder (the child processes inherit the sandbox's environment).

#include "TavSettings.h"
#include "TavShare.h"
#include "lockfile_p.h"
#include "tavtest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>

using App = TavSettings::AppType;
using FileType = TavSettings::TavrelleFileType;

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

    static Run tavshare(const QStringList &arguments, const QString &workingDirectory = QString())
    {
        QProcess process;
        process.setWorkingDirectory(workingDirectory);
        process.start(QStringLiteral(TAVSHARE_TOOL), arguments);
        Run run;
        if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // A value written by other means than the suite's accessors.
    static void storeForeign(const QString &key, const QVariant &value)
    {
        QSettings(TavTest::storeFile(), QSettings::IniFormat).setValue(key, value);
    }
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
    static QString lockFile(const QString &application)
    {
        return QDir::tempPath() + QLatin1Char('/') + application + QStringLiteral(".lock");
    }
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

    QString makeFile(const QString &name)
    {
        const QString path = m_files.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
        return path;
    }

    QTemporaryDir m_files;

private Q_SLOTS:
    void init()
    {
        TavSettings::clearAllSettings();
    }

    void helpOnEveryCommand_data()
    {
        QTest::addColumn<QStringList>("command");
        const QStringList commands = {
            QStringLiteral("tavshare"), QStringLiteral("tavshare settings"), QStringLiteral("tavshare settings show"),
            QStringLiteral("tavshare settings get"), QStringLiteral("tavshare settings set"), QStringLiteral("tavshare settings unset"),
            QStringLiteral("tavshare settings reset"), QStringLiteral("tavshare settings path"), QStringLiteral("tavshare recent"),
            QStringLiteral("tavshare recent list"), QStringLiteral("tavshare recent prune"), QStringLiteral("tavshare format"),
            QStringLiteral("tavshare unit"), QStringLiteral("tavshare ack"), QStringLiteral("tavshare locks"),
            QStringLiteral("tavshare locks list"), QStringLiteral("tavshare locks release"), QStringLiteral("tavshare locks prune"),
        };
        for (const QString &command : commands)
            QTest::newRow(qPrintable(command)) << QStringList(command.split(QLatin1Char(' ')).mid(1));
    }
    void helpOnEveryCommand()
    {
        QFETCH(QStringList, command);
        const Run run = tavshare(command + QStringList{QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(QStringLiteral("Usage: ") + (QStringList{QStringLiteral("tavshare")} + command).join(QLatin1Char(' '))),
                 qPrintable(run.out));
        QVERIFY(run.err.isEmpty());
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        auto row = [](const char *name, const QString &arguments, const QString &reason) {
            QTest::newRow(name) << arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts) << reason;
        };
        row("no command", QString(), QStringLiteral("name a command"));
        row("unknown command", QStringLiteral("frob"), QStringLiteral("unknown command 'frob'"));
        row("no action", QStringLiteral("settings"), QStringLiteral("name a command: show, get"));
        row("unknown action", QStringLiteral("recent frob"), QStringLiteral("use one of: list, prune"));
        row("unknown option", QStringLiteral("settings show --frob"), QStringLiteral("'frob'"));
        row("unknown application", QStringLiteral("settings show --app excel"), QStringLiteral("unknown application 'excel'; use one of: shared, orbelle"));
        row("missing key", QStringLiteral("settings get"), QStringLiteral("missing KEY"));
        row("extra argument", QStringLiteral("settings get LineSpace more"), QStringLiteral("unexpected argument 'more'"));
        row("empty key", QStringLiteral("settings get /"), QStringLiteral("KEY is empty"));
        row("not a number", QStringLiteral("settings set Orbelle/LineSpace ten"), QStringLiteral("'ten' is not a whole number"));
        row("not a size", QStringLiteral("settings set Orbelle/IconSize 20,15"), QStringLiteral("write WIDTHxHEIGHT"));
        row("not a point", QStringLiteral("settings set Orbelle/LastScreenPos 1x2"), QStringLiteral("write X,Y"));
        row("not a flag", QStringLiteral("settings set Orbelle/VisibleVtkAxisMarker maybe"), QStringLiteral("write true or false"));
        row("two values", QStringLiteral("settings set Orbelle/LineSpace 1 2"), QStringLiteral("exactly one value"));
        row("negative number", QStringLiteral("settings set Orbelle/LineSpace -3"), QStringLiteral("put -- before it"));
        row("unknown type", QStringLiteral("settings set Colour --type colour red"), QStringLiteral("unknown type 'colour'"));
        row("type conflict", QStringLiteral("settings set LineSpace --app orbelle --type string x"), QStringLiteral("as type int"));
        row("unset unconfirmed", QStringLiteral("settings unset Orbelle/LineSpace"), QStringLiteral("add --yes"));
        row("reset unconfirmed", QStringLiteral("settings reset --all"), QStringLiteral("add --yes"));
        row("reset app unconfirmed", QStringLiteral("settings reset --app orbelle"), QStringLiteral("add --yes"));
        row("reset without scope", QStringLiteral("settings reset --yes"), QStringLiteral("either --app NAME or --all"));
        row("reset with both scopes", QStringLiteral("settings reset --all --app orbelle --yes"), QStringLiteral("either --app NAME or --all"));
        row("recent without app", QStringLiteral("recent list"), QStringLiteral("--app NAME"));
        row("unknown file type", QStringLiteral("recent prune --app orbelle --type movie"), QStringLiteral("unknown file type 'movie'"));
        row("locks without app", QStringLiteral("locks list"), QStringLiteral("--app NAME"));
        row("locks of shared", QStringLiteral("locks prune --app shared"), QStringLiteral("locks belong to one application"));
        row("locks of a path", QStringLiteral("locks list --app ../Orbelle"), QStringLiteral("'../Orbelle' is no application name"));
        row("release without file", QStringLiteral("locks release --app orbelle"), QStringLiteral("missing FILE"));
        row("not a number to format", QStringLiteral("format 1,5"), QStringLiteral("'1,5' is not a number"));
        row("no number", QStringLiteral("format --"), QStringLiteral("missing NUMBER"));
        row("unknown notation", QStringLiteral("format 1 --notation engineering"), QStringLiteral("use one of: exponent, fixed, auto"));
        row("negative precision", QStringLiteral("format 1 --precision -1"), QStringLiteral("from 0 to 99"));
        row("negative number to format", QStringLiteral("format -0.5"), QStringLiteral("tavshare format ... -- -0.5"));
        row("unknown unit", QStringLiteral("unit furlong"), QStringLiteral("unknown unit 'furlong'"));
        row("unit out of range", QStringLiteral("unit 15"), QStringLiteral("unknown unit '15'"));
        row("unknown library", QStringLiteral("ack --libs boost,gtk"), QStringLiteral("unknown library 'gtk'"));
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        TavSettings::setLineSpace(3, TavSettings::AppOrbelle);

        const Run run = tavshare(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(reason), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("--help")), qPrintable(run.err));
        QCOMPARE(run.out, QString());
        QCOMPARE(storedKeys(), QStringList{QStringLiteral("Orbelle/LineSpace")});
    }

    void textCommands_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("output");
        QTest::newRow("exponent") << "format 120000 --notation exponent --precision 3" << "1.2e+05";
        QTest::newRow("exponent keeping zeros") << "format 120000 --notation exponent --precision 3 --keep-zeros" << "1.200e+05";
        QTest::newRow("auto at the upper limit") << "format 100 --precision 2" << "100";
        QTest::newRow("auto above it") << "format 250 --precision 2" << "2.5e+02";
        QTest::newRow("negative after --") << "format --precision 2 -- -0.001" << "-1e-03";
        QTest::newRow("default precision") << "format 0.5 --notation fixed --keep-zeros" << "0.500000";
        QTest::newRow("unit by enumerator") << "unit UnitSquareMicrometerPerSecond" << "µm²/s";
        QTest::newRow("unit by short name") << "unit MICROMETER" << "µm";
        QTest::newRow("unit by value") << "unit 1" << "l/mol·s";
        QTest::newRow("version") << "--version" << "tavshare 2.3.1 (build revision 5178)";
    }
    void textCommands()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, output);
        const Run run = tavshare(arguments.split(QLatin1Char(' ')));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, output + QLatin1Char('\n'));
        QCOMPARE(run.err, QString());
    }

    void unitListShowsEveryUnit()
    {
        const Run run = tavshare({QStringLiteral("unit")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines().size(), 15);
        QCOMPARE(run.lines().first(), QStringLiteral("   0  UnitSquareMicrometerPerSecond    µm²/s"));
        QCOMPARE(run.lines().last(), QStringLiteral("  14  UnitMicrometer                   µm"));
    }

    void acknowledgements()
    {
        Run run = tavshare({QStringLiteral("ack"), QStringLiteral("--app"), QStringLiteral("orbelle"), QStringLiteral("--experimental"),
                            QStringLiteral("--libs"), QStringLiteral("boost"), QStringLiteral("--libs"), QStringLiteral("Qt-Examples")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(QStringLiteral("Orbelle\nVer 2.3.1 \n\nThis is an experimental (NOT AN OFFICIAL) release. \n\n")),
                 qPrintable(run.out));
        QVERIFY(run.out.contains(QStringLiteral("\n* Boost\t")));
        QVERIFY(run.out.contains(QStringLiteral("Used under the BSD\n")));
        QVERIFY(!run.out.contains(QStringLiteral("Used under the LGPL 2.1")));

        run = tavshare({QStringLiteral("ack"), QStringLiteral("--libs"), QStringLiteral("all")});
        QVERIFY(run.out.startsWith(QStringLiteral("tavshare\nVer ")));
        const QStringList credits = run.out.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^ ?\\* ")));
        QCOMPARE(credits.size(), 15);
    }

    void setStoresWhatTheSuiteReads()
    {
        const QString model = makeFile(QStringLiteral("model.tav"));
        const QList<QStringList> commands = {
            {QStringLiteral("LineSpace"), QStringLiteral("--app"), QStringLiteral("ORBELLE"), QStringLiteral("--"), QStringLiteral("-3")},
            {QStringLiteral("Halvex/IconSize"), QStringLiteral("30x20")},
            {QStringLiteral("Halvex/LastScreenPos"), QStringLiteral("(0, 0)")},
            {QStringLiteral("VisibleVtkAxisMarker"), QStringLiteral("--app"), QStringLiteral("dornel"), QStringLiteral("off")},
            {QStringLiteral("RecentFileList/TavrelleModelFile"), QStringLiteral("--app"), QStringLiteral("pellaris"), model, QStringLiteral("/gone.tav")},
            {QStringLiteral("Window/Title"), QStringLiteral("µm² → 7")},
        };
        for (const QStringList &command : commands)
            QCOMPARE(tavshare(QStringList{QStringLiteral("settings"), QStringLiteral("set")} + command).exitCode, 0);

        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppOrbelle), -3);
        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppShared), 10);
        QCOMPARE(TavSettings::getIconSize(TavSettings::AppHalvex), QSize(30, 20));
        QVERIFY(TavSettings::hasLastScreenPos(TavSettings::AppHalvex));
        QCOMPARE(TavSettings::isVisibleVtkAxisMarker(TavSettings::AppDornel), false);
        QCOMPARE(TavSettings::getRecentTavrelleFile(TavSettings::ModelFile, TavSettings::AppPellaris), model);
        QCOMPARE(tavshare({QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("Window/Title")}).out, QStringLiteral("µm² → 7\n"));
    }

    void showDecodesByType()
    {
        const App app = TavSettings::AppQuintara;
        TavSettings::setLineSpace(4, app);
        TavSettings::setIconSize(QSize(24, 18), app);
        TavSettings::setLastScreenPos(QPoint(-5, 7), app);
        TavSettings::setPottsModelSecVisible(true, app);
        TavSettings::setRecentTavrelleFileList({QStringLiteral("/a b.tav"), QStringLiteral("/c.tav")}, TavSettings::ModelFile, app);
        TavSettings::setRecentTavrelleFileList({QStringLiteral("/only.tav")}, TavSettings::GeometryFile, app);
        TavSettings::setRecentTavrelleFileList({}, TavSettings::DescriptionFile, app);
        storeForeign(QStringLiteral("Quintara/SplineResoluition"), QStringLiteral("fine"));
        TavSettings::setLineSpace(9, TavSettings::AppHalvex);

        const Run run = tavshare({QStringLiteral("settings"), QStringLiteral("show"), QStringLiteral("--app"), QStringLiteral("quintara")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines(), (QStringList{
                                  QStringLiteral("Quintara/IconSize = 24x18"),
                                  QStringLiteral("Quintara/LastScreenPos = (-5, 7)"),
                                  QStringLiteral("Quintara/LineSpace = 4"),
                                  QStringLiteral("Quintara/PottsModelSecVisibleStatus = true"),
                                  QStringLiteral("Quintara/RecentFileList/TavrelleDescriptionFile = (empty list)"),
                                  QStringLiteral("Quintara/RecentFileList/TavrelleGeometryFile:"),
                                  QStringLiteral("    /only.tav"),
                                  QStringLiteral("Quintara/RecentFileList/TavrelleModelFile:"),
                                  QStringLiteral("    /a b.tav"),
                                  QStringLiteral("    /c.tav"),
                                  QStringLiteral("Quintara/SplineResoluition = fine   [holds 'fine', not a whole number; the suite reads 0]"),
                              }));

        const Run json = tavshare({QStringLiteral("settings"), QStringLiteral("show"), QStringLiteral("--json")});
        const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(object.size(), 9);
        QCOMPARE(object.value(QStringLiteral("Halvex/LineSpace")).toInt(), 9);
        QCOMPARE(object.value(QStringLiteral("Quintara/IconSize")).toObject().value(QStringLiteral("width")).toInt(), 24);
        QCOMPARE(object.value(QStringLiteral("Quintara/LastScreenPos")).toObject().value(QStringLiteral("x")).toInt(), -5);
        QCOMPARE(object.value(QStringLiteral("Quintara/PottsModelSecVisibleStatus")).toBool(), true);
        QCOMPARE(object.value(QStringLiteral("Quintara/RecentFileList/TavrelleGeometryFile")).toArray().size(), 1);
    }

    void getReportsWhatIsNotThere_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("reason");
        QTest::newRow("absent") << QStringLiteral("Orbelle/IconSize") << QStringLiteral("nothing is stored under Orbelle/IconSize");
        QTest::newRow("group") << QStringLiteral("Orbelle") << QStringLiteral("Orbelle is a group of values");
    }
    void getReportsWhatIsNotThere()
    {
        QFETCH(QString, key);
        QFETCH(QString, reason);
        TavSettings::setLineSpace(3, TavSettings::AppOrbelle);
        const Run run = tavshare({QStringLiteral("settings"), QStringLiteral("get"), key});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.startsWith(QStringLiteral("tavshare: ") + reason) && run.err.count(QLatin1Char('\n')) == 1, qPrintable(run.err));
    }

    void removals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("remaining");
        const QString shared = QStringLiteral("LineSpace");
        const QString orbelleModels = QStringLiteral("Orbelle/RecentFileList/TavrelleModelFile");
        const QString orbelleFolders = QStringLiteral("Orbelle/RecentFileList/TavrelleSimulationFolder");
        const QString orbelleLines = QStringLiteral("Orbelle/LineSpace");
        const QString halvexLines = QStringLiteral("Halvex/LineSpace");
        QTest::newRow("unset subtree") << QStringList{QStringLiteral("unset"), QStringLiteral("RecentFileList"), QStringLiteral("--app"), QStringLiteral("orbelle")}
                                       << QStringList{halvexLines, shared, orbelleLines};
        QTest::newRow("unset shared key") << QStringList{QStringLiteral("unset"), shared}
                                          << QStringList{halvexLines, orbelleLines, orbelleModels, orbelleFolders};
        QTest::newRow("reset application") << QStringList{QStringLiteral("reset"), QStringLiteral("--app"), QStringLiteral("Orbelle")}
                                           << QStringList{halvexLines, shared};
        QTest::newRow("reset shared") << QStringList{QStringLiteral("reset"), QStringLiteral("--app"), QStringLiteral("shared")}
                                      << QStringList{halvexLines, orbelleLines, orbelleModels, orbelleFolders};
        QTest::newRow("reset all") << QStringList{QStringLiteral("reset"), QStringLiteral("--all")} << QStringList{};
    }
    void removals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, remaining);
        TavSettings::setLineSpace(1, TavSettings::AppShared);
        TavSettings::setLineSpace(2, TavSettings::AppOrbelle);
        TavSettings::setLineSpace(3, TavSettings::AppHalvex);
        TavSettings::setRecentTavrelleFileList({QStringLiteral("/m")}, TavSettings::ModelFile, TavSettings::AppOrbelle);
        TavSettings::setRecentTavrelleFileList({QStringLiteral("/s")}, TavSettings::SimulationFolder, TavSettings::AppOrbelle);

        const Run run = tavshare(QStringList{QStringLiteral("settings")} + arguments + QStringList{QStringLiteral("--yes")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(QStringLiteral("removed ")), qPrintable(run.out));
        QStringList expected = remaining;
        expected.sort();
        QCOMPARE(storedKeys(), expected);

        // Nothing left to remove under that key is a failure, not a silent success.
        if (arguments.first() == QLatin1String("unset"))
            QCOMPARE(tavshare(QStringList{QStringLiteral("settings")} + arguments + QStringList{QStringLiteral("--yes")}).exitCode, 1);
    }

    void unwritableStoreFails()
    {
        // A folder where the store file should be: no process can write it, root included.
        QFile::remove(TavTest::storeFile());
        QVERIFY(QDir().mkpath(TavTest::storeFile()));
        const Run run = tavshare({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("Orbelle/LineSpace"), QStringLiteral("4")});
        QVERIFY(QDir(TavTest::storeFile()).removeRecursively());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(QStringLiteral("tavshare: cannot write the preference store ")), qPrintable(run.err));
    }

    void recentListMarksMissingEntries()
    {
        const QString model = makeFile(QStringLiteral("list.tav"));
        const QString gone = m_files.filePath(QStringLiteral("gone.tav"));
        TavSettings::setRecentTavrelleFileList({gone, model}, TavSettings::ModelFile, TavSettings::AppDornel);
        TavSettings::setRecentTavrelleFileList({m_files.path()}, TavSettings::SimulationFolder, TavSettings::AppDornel);

        const QStringList recentList{QStringLiteral("recent"), QStringLiteral("list"), QStringLiteral("--app"), QStringLiteral("dornel")};
        Run run = tavshare(recentList + QStringList{QStringLiteral("--type"), QStringLiteral("model")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines(), (QStringList{gone + QStringLiteral("  (missing)"), model}));

        run = tavshare(recentList);
        QCOMPARE(run.lines(), (QStringList{QStringLiteral("model:"), QStringLiteral("    ") + gone + QStringLiteral("  (missing)"),
                                           QStringLiteral("    ") + model, QStringLiteral("simulation:"), QStringLiteral("    ") + m_files.path()}));

        run = tavshare(recentList + QStringList{QStringLiteral("--json")});
        const QJsonArray models = QJsonDocument::fromJson(run.out.toUtf8()).object().value(QStringLiteral("model")).toArray();
        QCOMPARE(models.size(), 2);
        QCOMPARE(models.at(0).toObject().value(QStringLiteral("exists")).toBool(), false);
        QCOMPARE(models.at(1).toObject().value(QStringLiteral("path")).toString(), model);
    }

    void recentPruneKeepsOrder_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("modelsPruned");
        QTest::addColumn<bool>("foldersPruned");
        QTest::newRow("every type") << QStringList{} << true << true;
        QTest::newRow("one type") << QStringList{QStringLiteral("--type"), QStringLiteral("simulation")} << false << true;
        QTest::newRow("dry run") << QStringList{QStringLiteral("--dry-run")} << false << false;
    }
    void recentPruneKeepsOrder()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, modelsPruned);
        QFETCH(bool, foldersPruned);
        const QString first = makeFile(QStringLiteral("first.tav"));
        const QString second = makeFile(QStringLiteral("second.tav"));
        const QString gone = m_files.filePath(QStringLiteral("gone.tav"));
        const QStringList models{gone, second, gone + QStringLiteral("2"), first};
        const QStringList folders{m_files.filePath(QStringLiteral("gone-folder")), m_files.path()};
        TavSettings::setRecentTavrelleFileList(models, TavSettings::ModelFile, TavSettings::AppHalvex);
        TavSettings::setRecentTavrelleFileList(folders, TavSettings::SimulationFolder, TavSettings::AppHalvex);
        TavSettings::setRecentTavrelleFileList(models, TavSettings::ModelFile, TavSettings::AppPellaris);

        const Run run = tavshare(QStringList{QStringLiteral("recent"), QStringLiteral("prune"), QStringLiteral("--app"), QStringLiteral("halvex")} + options);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("simulation: ") + folders.first()), qPrintable(run.out));
        const QStringList prunedModels{second, first};
        const QStringList prunedFolders{m_files.path()};
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppHalvex), modelsPruned ? prunedModels : models);
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::SimulationFolder, TavSettings::AppHalvex),
                 foldersPruned ? prunedFolders : folders);
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppPellaris), models);
    }

    void locksListMarksMissingFiles()
    {
        const QString held = makeFile(QStringLiteral("held.tav"));
        const QString gone = m_files.filePath(QStringLiteral("gone.tav"));
        takeLocks(QStringLiteral("Orbelle"), {held, gone});
        takeLocks(QStringLiteral("my viewer"), {gone});

        Run run = tavshare({QStringLiteral("locks"), QStringLiteral("list"), QStringLiteral("--app"), QStringLiteral("ORBELLE")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines(), (QStringList{held, gone + QStringLiteral("  (missing)")}));

        run = tavshare({QStringLiteral("locks"), QStringLiteral("list"), QStringLiteral("--app"), QStringLiteral("my viewer"), QStringLiteral("--json")});
        const QJsonArray entries = QJsonDocument::fromJson(run.out.toUtf8()).array();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.at(0).toObject().value(QStringLiteral("path")).toString(), gone);
        QCOMPARE(entries.at(0).toObject().value(QStringLiteral("exists")).toBool(), false);

        // No lock file: nothing is locked.
        run = tavshare({QStringLiteral("locks"), QStringLiteral("list"), QStringLiteral("--app"), QStringLiteral("halvex")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QString());
    }

    void locksRelease_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("remaining");
        QTest::addColumn<QString>("message");
        QTest::newRow("file gone") << QStringLiteral("gone.tav") << 0 << QByteArray("HELD") << QStringLiteral("released ");
        QTest::newRow("relative name") << QStringLiteral("./sub/../held.tav") << 0 << QByteArray("GONE") << QStringLiteral("released ");
        QTest::newRow("not listed") << QStringLiteral("other.tav") << 1 << QByteArray("GONE\n\nHELD") << QStringLiteral("is not listed in ");
        QTest::newRow("no lock file") << QStringLiteral("held.tav") << 1 << QByteArray() << QStringLiteral("there is no lock file ");
    }
    void locksRelease()
    {
        QFETCH(QString, file);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, remaining);
        QFETCH(QString, message);
        const QString held = makeFile(QStringLiteral("held.tav"));
        const QString gone = m_files.filePath(QStringLiteral("gone.tav"));
        const QString path = lockFile(QStringLiteral("Dornel"));
        QFile::remove(path);
        if (!remaining.isEmpty())
            writeFile(path, QStringLiteral("%1\n\n%2").arg(gone, held).toUtf8());
        remaining.replace("GONE", gone.toUtf8()).replace("HELD", held.toUtf8());

        const Run run = tavshare({QStringLiteral("locks"), QStringLiteral("release"), file, QStringLiteral("--app"), QStringLiteral("dornel")},
                                 m_files.path());
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2((exitCode == 0 ? run.out : run.err).contains(message), qPrintable(run.out + run.err));
        QCOMPARE(contents(path), remaining.isEmpty() ? QByteArray("(unreadable)") : remaining);
    }

    void locksPruneKeepsOrder()
    {
        const QString first = makeFile(QStringLiteral("first.tav"));
        const QString second = makeFile(QStringLiteral("second.tav"));
        const QString path = lockFile(QStringLiteral("Pellaris"));
        writeFile(path, QStringLiteral("/gone/1\n  %1  \n\n/gone/2\n%2").arg(first, second).toUtf8());
        const QStringList prune{QStringLiteral("locks"), QStringLiteral("prune"), QStringLiteral("--app"), QStringLiteral("pellaris")};

        Run run = tavshare(prune + QStringList{QStringLiteral("--dry-run")});
        QCOMPARE(run.lines(), (QStringList{QStringLiteral("would drop /gone/1"), QStringLiteral("would drop /gone/2")}));
        QVERIFY(contents(path).startsWith("/gone/1\n"));

        run = tavshare(prune);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines(), (QStringList{QStringLiteral("dropped /gone/1"), QStringLiteral("dropped /gone/2")}));
        QCOMPARE(contents(path), QStringLiteral("%1\n%2").arg(first, second).toUtf8());
    }

    void locksRefuseALinkedLockFile()
    {
        const QString target = m_files.filePath(QStringLiteral("precious.txt"));
        writeFile(target, "/gone/entry");
        const QString path = lockFile(QStringLiteral("Quintara"));
        QFile::remove(path);
        QVERIFY(QFile::link(target, path));

        for (const QString &action : {QStringLiteral("list"), QStringLiteral("prune")}) {
            const Run run = tavshare({QStringLiteral("locks"), action, QStringLiteral("--app"), QStringLiteral("quintara")});
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.startsWith(QStringLiteral("tavshare: cannot read the lock file ")), qPrintable(run.err));
        }
        QCOMPARE(contents(target), QByteArray("/gone/entry"));
        QFile::remove(path);
    }

    void locksWaitForTheApplicationsLock()
    {
        // While a process of the application holds the lock file (here: this one), a
        // prune waits, and then works on what that process left behind.
        const QString path = lockFile(QStringLiteral("Halvex"));
        const QString kept = makeFile(QStringLiteral("kept.tav"));
        writeFile(path, "/gone/entry");
        QProcess tool;
        {
            LockFileHandle held(path, LockFileHandle::OpenExisting);
            QCOMPARE(held.status(), LockFileHandle::Open);
            tool.start(QStringLiteral(TAVSHARE_TOOL), {QStringLiteral("locks"), QStringLiteral("prune"), QStringLiteral("--app"), QStringLiteral("halvex")});
            QVERIFY(tool.waitForStarted());
            // Give it time to reach the lock; the content below tells whether it waited there.
            tool.waitForFinished(300);
            QVERIFY(held.rewrite({QStringLiteral("/gone/entry"), kept}));
        }
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(contents(path), kept.toUtf8());
    }

    void locksNeedATemporaryFolder()
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), m_files.filePath(QStringLiteral("no such folder")));
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(TAVSHARE_TOOL), {QStringLiteral("locks"), QStringLiteral("list"), QStringLiteral("--app"), QStringLiteral("orbelle")});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().startsWith("tavshare: the temporary folder does not exist"));
    }
};

TAVTEST_MAIN(TestTool)
#include "tst_tool.moc"
