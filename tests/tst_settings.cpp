#include "TavSettings.h"
#include "tavtest.h"

#include <QProcess>
#include <QSettings>

using App = TavSettings::AppType;
using FileType = TavSettings::TavrelleFileType;

class TestSettings : public QObject
{
    Q_OBJECT

private:
    // The store as any other program sees it: the file itself, read without the library.
    static QVariant stored(const QString &key)
    {
        return QSettings(TavTest::storeFile(), QSettings::IniFormat).value(key);
    }
    static QStringList storedKeys()
    {
        return QSettings(TavTest::storeFile(), QSettings::IniFormat).allKeys();
    }
    QString makeFile(const QString &relativePath)
    {
        const QString path = m_files.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
        return path;
    }
    QString makeFolder(const QString &relativePath)
    {
        const QString path = m_files.filePath(relativePath);
        QDir().mkpath(path);
        return path;
    }

    QTemporaryDir m_files;

private Q_SLOTS:
    void init()
    {
        TavSettings::clearAllSettings();
    }

    void storeLivesInTheConfigFolder()
    {
        TavSettings::setLineSpace(3, TavSettings::AppOrbelle);
        QVERIFY(QFile::exists(TavTest::storeFile()));
        QCOMPARE(stored(QStringLiteral("Orbelle/LineSpace")).toInt(), 3);
    }

    void keys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("fileType");
        QTest::addColumn<int>("app");
        QTest::addColumn<QString>("key");
        // A file type of -1 composes with getKey alone.
        QTest::newRow("orbelle") << "LineSpace" << -1 << 1 << "Orbelle/LineSpace";
        QTest::newRow("quintara") << "LineSpace" << -1 << 2 << "Quintara/LineSpace";
        QTest::newRow("halvex") << "LineSpace" << -1 << 3 << "Halvex/LineSpace";
        QTest::newRow("dornel") << "LineSpace" << -1 << 4 << "Dornel/LineSpace";
        QTest::newRow("pellaris") << "LineSpace" << -1 << 5 << "Pellaris/LineSpace";
        QTest::newRow("shared") << "LineSpace" << -1 << 0 << "LineSpace";
        QTest::newRow("app 6 is shared") << "LineSpace" << -1 << 6 << "LineSpace";
        QTest::newRow("negative app is shared") << "LineSpace" << -1 << -3 << "LineSpace";
        QTest::newRow("model") << "RecentFileList" << 0 << 1 << "Orbelle/RecentFileList/TavrelleModelFile";
        QTest::newRow("geometry") << "RecentFileList" << 1 << 3 << "Halvex/RecentFileList/TavrelleGeometryFile";
        QTest::newRow("description") << "RecentFileList" << 2 << 3 << "Halvex/RecentFileList/TavrelleDescriptionFile";
        QTest::newRow("simulation") << "RecentFileList" << 3 << 4 << "Dornel/RecentFileList/TavrelleSimulationFolder";
        QTest::newRow("working dir") << "RecentFileList" << 4 << 5 << "Pellaris/RecentFileList/TavrelleWorkingDirectory";
        QTest::newRow("multi import") << "RecentFileList" << 5 << 2 << "Quintara/RecentFileList/TavrelleMultiImportFile";
        QTest::newRow("file type 6") << "SimulationWorkingDirectory" << 6 << 1 << "Orbelle/SimulationWorkingDirectory";
        QTest::newRow("shared with file type") << "RecentFilePath" << 0 << 0 << "RecentFilePath/TavrelleModelFile";
    }
    void keys()
    {
        QFETCH(QString, name);
        QFETCH(int, fileType);
        QFETCH(int, app);
        QFETCH(QString, key);
        if (fileType < 0)
            QCOMPARE(TavSettings::getKey(name, App(app)), key);
        else
            QCOMPARE(TavSettings::getFileKey(name, FileType(fileType), App(app)), key);
    }

    void emptyKeyEndsTheProcess()
    {
        QProcess peer;
        peer.start(QStringLiteral(STOREPEER), {QStringLiteral("empty-key")});
        QVERIFY(peer.waitForFinished());
        QCOMPARE(peer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(peer.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(peer.readAllStandardError()).trimmed(),
                 QStringLiteral("Error found at QString TavSettings::getKey(const QString & keySrc, AppType appType)"));
    }

    // Every display preference: its default on an empty store, the key literal it is
    // stored under, and that it comes back per application.
    void displayPreferences()
    {
        struct IntPreference {
            const char *key;
            int defaultValue;
            int (*get)(App);
            void (*set)(int, App);
        };
        const IntPreference ints[] = {
            {"StartScreenSizeType", 1, TavSettings::getStartScreenSizeType, TavSettings::setStartScreenSizeType},
            {"StartScreenPosType", 0, TavSettings::getStartScreenPosType, TavSettings::setStartScreenPosType},
            {"StartPageType", 0, TavSettings::getStartPageType, TavSettings::setStartPageType},
            {"ApplicationTitleType", 2, TavSettings::getApplicationTitleType, TavSettings::setApplicationTitleType},
            {"IconSizeType", 0, TavSettings::getIconSizeType, TavSettings::setIconSizeType},
            {"LineSpace", 10, TavSettings::getLineSpace, TavSettings::setLineSpace},
            {"MoleculeTootipsType", 2, TavSettings::getMoleculeTooltipsType, TavSettings::setMoleculeTooltipsType},
            {"AutoSaveSingleMolCpxType", 0, TavSettings::getAutoSaveSingleMolCpxType, TavSettings::setAutoSaveSingleMolCpxType},
            {"DisplayCenterButtonsType", 1, TavSettings::getDisplayCenterButtonsType, TavSettings::setDisplayCenterButtonsType},
            {"DisplayFullNameType", 1, TavSettings::getDisplayFullNameType, TavSettings::setDisplayFullNameType},
            {"SplineResoluition", 500, TavSettings::getSplineResolution, TavSettings::setSplineResolution},
            {"ImageExportMagnificationFactor", 1, TavSettings::getImageExportMagnificationFactor, TavSettings::setImageExportMagnificationFactor},
        };
        for (const IntPreference &p : ints) {
            QCOMPARE(p.get(TavSettings::AppDornel), p.defaultValue);
            p.set(-7, TavSettings::AppDornel);
            QCOMPARE(stored(QStringLiteral("Dornel/") + QLatin1String(p.key)), QVariant(-7));
            QCOMPARE(p.get(TavSettings::AppDornel), -7);
            QCOMPARE(p.get(TavSettings::AppShared), p.defaultValue);
        }

        struct BoolPreference {
            const char *key;
            bool defaultValue;
            bool (*get)(App);
            void (*set)(bool, App);
        };
        const BoolPreference bools[] = {
            {"PottsModelSecVisibleStatus", false, TavSettings::isPottsModelSecVisible, TavSettings::setPottsModelSecVisible},
            {"SplineProfileSynStatus", true, TavSettings::isSplineProfileSynchronized, TavSettings::setSplineProfileSynchronized},
            {"VisibleVtkAxisMarker", true, TavSettings::isVisibleVtkAxisMarker, TavSettings::setVisibleVtkAxisMarker},
            {"VisibleTavModelInfoSec", true, TavSettings::isVisibleTavModelInfoSec, TavSettings::setVisibleTavModelInfoSec},
        };
        for (const BoolPreference &p : bools) {
            QCOMPARE(p.get(TavSettings::AppShared), p.defaultValue);
            p.set(!p.defaultValue, TavSettings::AppShared);
            QCOMPARE(stored(QLatin1String(p.key)).toBool(), !p.defaultValue);
            QCOMPARE(p.get(TavSettings::AppShared), !p.defaultValue);
            QCOMPARE(p.get(TavSettings::AppHalvex), p.defaultValue);
        }

        QCOMPARE(TavSettings::getLastScreenSize(TavSettings::AppOrbelle), QSize(1440, 900));
        QCOMPARE(TavSettings::getIconSize(TavSettings::AppOrbelle), QSize(20, 15));
        QCOMPARE(TavSettings::getLastScreenPos(TavSettings::AppOrbelle), QPoint(0, 0));
        QVERIFY(!TavSettings::hasLastScreenPos(TavSettings::AppOrbelle));
        QVERIFY(!TavSettings::displayFullName(TavSettings::AppOrbelle));

        TavSettings::setLastScreenSize(QSize(800, 600), TavSettings::AppOrbelle);
        TavSettings::setIconSize(QSize(32, 24), TavSettings::AppOrbelle);
        TavSettings::setLastScreenPos(QPoint(-5, 7), TavSettings::AppOrbelle);
        QCOMPARE(stored(QStringLiteral("Orbelle/LastScreenSize")), QVariant(QSize(800, 600)));
        QCOMPARE(stored(QStringLiteral("Orbelle/IconSize")), QVariant(QSize(32, 24)));
        QCOMPARE(stored(QStringLiteral("Orbelle/LastScreenPos")), QVariant(QPoint(-5, 7)));
        QCOMPARE(TavSettings::getLastScreenSize(TavSettings::AppOrbelle), QSize(800, 600));
        QCOMPARE(TavSettings::getIconSize(TavSettings::AppOrbelle), QSize(32, 24));
        QCOMPARE(TavSettings::getLastScreenPos(TavSettings::AppOrbelle), QPoint(-5, 7));
    }

    void removers()
    {
        struct Remover {
            const char *key;
            void (*clear)(App);
        };
        const Remover removers[] = {
            {"StartScreenSizeType", TavSettings::clearStartScreenSizeType},
            {"StartScreenPosType", TavSettings::clearStartScreenPosType},
            {"LastScreenPos", TavSettings::clearLastScreenPos},
            {"StartPageType", TavSettings::clearStartPageType},
            {"ApplicationTitleType", TavSettings::clearApplicationTitleType},
            {"IconSizeType", TavSettings::clearIconSizeType},
            {"IconSize", TavSettings::clearIconSize},
            {"LineSpace", TavSettings::clearLineSpace},
            {"MoleculeTootipsType", TavSettings::clearMoleculeTooltipsType},
            {"AutoSaveSingleMolCpxType", TavSettings::clearAutoSaveSingleMolCpxType},
            {"DisplayCenterButtonsType", TavSettings::clearDisplayCenterButtonsType},
            {"PottsModelSecVisibleStatus", TavSettings::clearPottsModelSecVisible},
            {"SplineResoluition", TavSettings::clearSplineResolution},
            {"SplineProfileSynStatus", TavSettings::clearSplineProfileSynchronized},
            {"ImageExportMagnificationFactor", TavSettings::clearImageExportMagnificationFactor},
            {"VisibleVtkAxisMarker", TavSettings::clearVisibleVtkAxisMarker},
            {"VisibleTavModelInfoSec", TavSettings::clearVisibleTavModelInfoSec},
        };
        for (const Remover &r : removers) {
            const QString key = QStringLiteral("Halvex/") + QLatin1String(r.key);
            QSettings(TavTest::storeFile(), QSettings::IniFormat).setValue(key, 1);
            QSettings(TavTest::storeFile(), QSettings::IniFormat).setValue(QLatin1String(r.key), 1);
            r.clear(TavSettings::AppHalvex);
            QVERIFY2(!storedKeys().contains(key), r.key);
            QVERIFY2(storedKeys().contains(QLatin1String(r.key)), r.key);
        }
    }

    void lastScreenPosPresence()
    {
        TavSettings::setLastScreenPos(QPoint(0, 0), TavSettings::AppPellaris);
        QVERIFY(TavSettings::hasLastScreenPos(TavSettings::AppPellaris));
        QVERIFY(!TavSettings::hasLastScreenPos(TavSettings::AppShared));
        TavSettings::clearLastScreenPos(TavSettings::AppPellaris);
        QVERIFY(!TavSettings::hasLastScreenPos(TavSettings::AppPellaris));
    }

    void displayFullName_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("fullName");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("1") << 1 << false;
        QTest::newRow("2") << 2 << false;
        QTest::newRow("-1") << -1 << false;
    }
    void displayFullName()
    {
        QFETCH(int, code);
        QFETCH(bool, fullName);
        TavSettings::setDisplayFullNameType(code, TavSettings::AppQuintara);
        QCOMPARE(TavSettings::displayFullName(TavSettings::AppQuintara), fullName);
    }

    // Values written by other means convert as QVariant converts them, not to the default.
    void foreignValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("lineSpace");
        QTest::addColumn<bool>("vtkMarker");
        QTest::addColumn<QSize>("iconSize");
        QTest::addColumn<QPoint>("screenPos");
        QTest::newRow("text") << QVariant(QStringLiteral("abc")) << 0 << true << QSize() << QPoint();
        QTest::newRow("false") << QVariant(QStringLiteral("false")) << 0 << false << QSize() << QPoint();
        QTest::newRow("number text") << QVariant(QStringLiteral("42")) << 42 << true << QSize() << QPoint();
        QTest::newRow("empty") << QVariant(QString()) << 0 << false << QSize() << QPoint();
    }
    void foreignValues()
    {
        QFETCH(QVariant, value);
        {
            QSettings raw(TavTest::storeFile(), QSettings::IniFormat);
            for (const char *key : {"LineSpace", "VisibleVtkAxisMarker", "IconSize", "LastScreenPos"})
                raw.setValue(QStringLiteral("Orbelle/") + QLatin1String(key), value);
        }
        QTEST(TavSettings::getLineSpace(TavSettings::AppOrbelle), "lineSpace");
        QTEST(TavSettings::isVisibleVtkAxisMarker(TavSettings::AppOrbelle), "vtkMarker");
        QTEST(TavSettings::getIconSize(TavSettings::AppOrbelle), "iconSize");
        QTEST(TavSettings::getLastScreenPos(TavSettings::AppOrbelle), "screenPos");
    }

    void clearAllSettingsRemovesEveryApplication()
    {
        TavSettings::setLineSpace(3, TavSettings::AppOrbelle);
        TavSettings::setLineSpace(4, TavSettings::AppPellaris);
        TavSettings::setSplineResolution(9, TavSettings::AppShared);
        TavSettings::setRecentTavrelleFileList({QStringLiteral("/x")}, TavSettings::ModelFile, TavSettings::AppHalvex);
        TavSettings::clearAllSettings();
        QVERIFY(storedKeys().isEmpty());
        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppOrbelle), 10);
        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppPellaris), 10);
        QCOMPARE(TavSettings::getSplineResolution(TavSettings::AppShared), 500);
        QVERIFY(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppHalvex).isEmpty());
    }

    // --- Recent files ---

    void addRecentFile()
    {
        const QString model = makeFile(QStringLiteral("run/model.txt"));
        QVERIFY(TavSettings::addRecentFileToTavrelleFileList(model, TavSettings::ModelFile, TavSettings::AppOrbelle, 5));
        QCOMPARE(stored(QStringLiteral("Orbelle/RecentFileList/TavrelleModelFile")).toStringList(), QStringList{model});
        QCOMPARE(TavSettings::getRecentTavrelleFile(TavSettings::ModelFile, TavSettings::AppOrbelle), model);
        // An addition leaves the recent folder alone.
        QVERIFY(!storedKeys().contains(QStringLiteral("Orbelle/RecentFilePath/TavrelleModelFile")));
    }

    void addRecentFileOrder_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("added");
        QTest::addColumn<int>("maxCount");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("into empty") << QStringList() << "a" << 5 << QStringList{"a"};
        QTest::newRow("moves to front") << QStringList{"b", "a", "c"} << "a" << 5 << QStringList{"a", "b", "c"};
        QTest::newRow("drops oldest") << QStringList{"b", "c", "d", "e", "f"} << "a" << 5 << QStringList{"a", "b", "c", "d", "e"};
        QTest::newRow("shrinks to a smaller limit") << QStringList{"b", "c", "d", "e", "f"} << "a" << 3 << QStringList{"a", "b", "c"};
        QTest::newRow("duplicates all go") << QStringList{"a", "b", "a"} << "a" << 5 << QStringList{"a", "b"};
        QTest::newRow("limit zero") << QStringList{"b"} << "a" << 0 << QStringList();
    }
    void addRecentFileOrder()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, added);
        QFETCH(int, maxCount);
        QFETCH(QStringList, after);
        const auto path = [this](const QString &name) { return makeFile(QStringLiteral("order/") + name); };
        QStringList stored;
        for (const QString &name : before)
            stored << path(name);
        TavSettings::setRecentTavrelleFileList(stored, TavSettings::GeometryFile, TavSettings::AppHalvex);
        QVERIFY(TavSettings::addRecentFileToTavrelleFileList(path(added), TavSettings::GeometryFile, TavSettings::AppHalvex, maxCount));
        QStringList expected;
        for (const QString &name : after)
            expected << path(name);
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::GeometryFile, TavSettings::AppHalvex), expected);
    }

    void addRecentFileRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("fileType");
        QTest::addColumn<int>("maxCount");
        QTest::newRow("missing file") << "missing.txt" << int(TavSettings::ModelFile) << 5;
        QTest::newRow("folder as model") << "folder" << int(TavSettings::ModelFile) << 5;
        QTest::newRow("file as simulation folder") << "file.txt" << int(TavSettings::SimulationFolder) << 5;
        QTest::newRow("empty path") << "" << int(TavSettings::ModelFile) << 5;
        QTest::newRow("negative limit") << "file.txt" << int(TavSettings::ModelFile) << -1;
    }
    void addRecentFileRefused()
    {
        QFETCH(QString, path);
        QFETCH(int, fileType);
        QFETCH(int, maxCount);
        makeFile(QStringLiteral("file.txt"));
        makeFolder(QStringLiteral("folder"));
        const QStringList history{QStringLiteral("/old/one"), QStringLiteral("/old/two")};
        TavSettings::setRecentTavrelleFileList(history, FileType(fileType), TavSettings::AppOrbelle);
        const QString argument = path.isEmpty() ? path : m_files.filePath(path);
        QVERIFY(!TavSettings::addRecentFileToTavrelleFileList(argument, FileType(fileType), TavSettings::AppOrbelle, maxCount));
        QCOMPARE(TavSettings::getRecentTavrelleFileList(FileType(fileType), TavSettings::AppOrbelle), history);
    }

    void addRecentRelativePath()
    {
        const QString file = makeFile(QStringLiteral("rel/data.txt"));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_files.filePath(QStringLiteral("rel")));
        const bool added = TavSettings::addRecentFileToTavrelleFileList(QStringLiteral("data.txt"), TavSettings::ModelFile, TavSettings::AppDornel, 5)
            && TavSettings::addRecentFileToTavrelleFileList(QStringLiteral("../rel/./data.txt"), TavSettings::ModelFile, TavSettings::AppDornel, 5)
            && TavSettings::addRecentFileToTavrelleFileList(file, TavSettings::ModelFile, TavSettings::AppDornel, 5);
        QDir::setCurrent(previous);
        QVERIFY(added);
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppDornel), QStringList{file});
    }

    void recentFolderFallback()
    {
        const QString model = makeFile(QStringLiteral("data/run/model.txt"));
        TavSettings::setRecentTavrelleFileList({model}, TavSettings::ModelFile, TavSettings::AppOrbelle);
        QCOMPARE(TavSettings::getRecentTavrelleFilePath(TavSettings::ModelFile, TavSettings::AppOrbelle), m_files.filePath(QStringLiteral("data/run")));

        const QString sim = makeFolder(QStringLiteral("data/sim1"));
        TavSettings::setRecentTavrelleFileList({sim}, TavSettings::SimulationFolder, TavSettings::AppOrbelle);
        QCOMPARE(TavSettings::getRecentTavrelleFilePath(TavSettings::SimulationFolder, TavSettings::AppOrbelle), m_files.filePath(QStringLiteral("data")));

        QFile::remove(model);
        QCOMPARE(TavSettings::getRecentTavrelleFilePath(TavSettings::ModelFile, TavSettings::AppOrbelle), QString());

        makeFile(QStringLiteral("data/run/model.txt"));
        TavSettings::setRecentTavrelleFilePath(QString(), TavSettings::ModelFile, TavSettings::AppOrbelle);
        QCOMPARE(TavSettings::getRecentTavrelleFilePath(TavSettings::ModelFile, TavSettings::AppOrbelle), QString());
        TavSettings::setRecentTavrelleFilePath(QStringLiteral("/gone/folder"), TavSettings::ModelFile, TavSettings::AppOrbelle);
        QCOMPARE(stored(QStringLiteral("Orbelle/RecentFilePath/TavrelleModelFile")).toString(), QStringLiteral("/gone/folder"));
        QCOMPARE(TavSettings::getRecentTavrelleFilePath(TavSettings::ModelFile, TavSettings::AppOrbelle), QStringLiteral("/gone/folder"));
    }

    void workingDirectories()
    {
        QCOMPARE(TavSettings::getSimulationWorkingDirectory(TavSettings::ModelFile, TavSettings::AppHalvex), QString());
        TavSettings::setSimulationWorkingDirectory(QStringLiteral("/work/a"), TavSettings::ModelFile, TavSettings::AppHalvex);
        TavSettings::setSimulationWorkingDirectory(QStringLiteral("/work/b"), TavSettings::SimulationFolder, TavSettings::AppHalvex);
        QCOMPARE(stored(QStringLiteral("Halvex/SimulationWorkingDirectory/TavrelleModelFile")).toString(), QStringLiteral("/work/a"));
        QCOMPARE(TavSettings::getSimulationWorkingDirectory(TavSettings::ModelFile, TavSettings::AppHalvex), QStringLiteral("/work/a"));
        QCOMPARE(TavSettings::getSimulationWorkingDirectory(TavSettings::SimulationFolder, TavSettings::AppHalvex), QStringLiteral("/work/b"));
        QCOMPARE(TavSettings::getSimulationWorkingDirectory(TavSettings::ModelFile, TavSettings::AppDornel), QString());
    }

    void clearRecentListOfEveryFileType()
    {
        TavSettings::setRecentTavrelleFileList({QStringLiteral("/m")}, TavSettings::ModelFile, TavSettings::AppOrbelle);
        TavSettings::setRecentTavrelleFileList({QStringLiteral("/g")}, TavSettings::GeometryFile, TavSettings::AppOrbelle);
        TavSettings::setRecentTavrelleFileList({QStringLiteral("/h")}, TavSettings::ModelFile, TavSettings::AppHalvex);
        TavSettings::clearRecentTavrelleFileList(TavSettings::GeometryFile, TavSettings::AppOrbelle);
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppOrbelle), QStringList{QStringLiteral("/m")});
        TavSettings::clearRecentTavrelleFileList(FileType(6), TavSettings::AppOrbelle);
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppOrbelle), QStringList());
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppHalvex), QStringList{QStringLiteral("/h")});
    }

    // --- One store for every process and both Qt versions ---

    void nonAsciiAcrossProcesses_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("reader");
        const QString self = QStringLiteral(STOREPEER);
        const QString peer = QStringLiteral(PEER_STOREPEER);
        QTest::newRow("this build") << self << self;
        QTest::newRow("other Qt writes") << peer << self;
        QTest::newRow("other Qt reads") << self << peer;
    }
    void nonAsciiAcrossProcesses()
    {
        QFETCH(QString, writer);
        QFETCH(QString, reader);
        if (writer.isEmpty() || reader.isEmpty())
            QSKIP("No storepeer of the other Qt version given (configure with -DTAVSHARE_PEER_STOREPEER=...)");
        const QStringList paths{QStringLiteral("/données/café.tav"), QStringLiteral("/µm²/→ model ∕ 2.tav"), QStringLiteral("/plain/model.tav")};

        QProcess process;
        process.start(writer, QStringList{QStringLiteral("set-recent")} + paths);
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        process.start(reader, {QStringLiteral("get-recent")});
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), paths);
        // And through this process's own copy of the library.
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppOrbelle), paths);
    }
};

TAVTEST_MAIN(TestSettings)
#include "tst_settings.moc"
