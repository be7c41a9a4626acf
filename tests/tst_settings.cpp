// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavsettings_p.h"
#include "tavtest.h"

#include <QProcess>
#include <QSettings>

#include <memory>
#include <type_traits>
#include <vector>

#include <sys/stat.h>

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

    // Every display preference: its default on an empty store, the key literal it is
    // stored under, that it is kept per application, and its remover where it has one.
    template <typename T>
    struct Preference {
        const char *key;
        T defaultValue;
        T (*get)(App);
        void (*set)(std::conditional_t<std::is_class_v<T>, const T &, T>, App);
        void (*clear)(App);
    };
    static int otherThan(int) { return -7; }
    static bool otherThan(bool value) { return !value; }
    static QSize otherThan(QSize) { return QSize(800, 600); }
    static QPoint otherThan(QPoint) { return QPoint(-5, 7); }

    template <typename T>
    static void checkPreferences(std::initializer_list<Preference<T>> preferences)
    {
        for (const Preference<T> &p : preferences) {
            const QString key = QStringLiteral("Dornel/") + QLatin1String(p.key);
            const T value = otherThan(p.defaultValue);
            QCOMPARE(p.get(TavSettings::AppDornel), p.defaultValue);
            p.set(value, TavSettings::AppDornel);
            QCOMPARE(stored(key).value<T>(), value);
            QCOMPARE(p.get(TavSettings::AppDornel), value);
            QCOMPARE(p.get(TavSettings::AppShared), p.defaultValue);
            if (p.clear) {
                p.clear(TavSettings::AppDornel);
                QVERIFY2(!storedKeys().contains(key), p.key);
                QCOMPARE(p.get(TavSettings::AppDornel), p.defaultValue);
            }
        }
    }

    QTemporaryDir m_files;

private Q_SLOTS:
    void init()
    {
        TavSettingsInternals::clearAllSettings();
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
        QTest::newRow("pellaris") << "LineSpace" << -1 << 5 << "Pellaris/LineSpace";
        QTest::newRow("shared") << "LineSpace" << -1 << 0 << "LineSpace";
        QTest::newRow("app 6 is shared") << "LineSpace" << -1 << 6 << "LineSpace";
        QTest::newRow("negative app is shared") << "LineSpace" << -1 << -3 << "LineSpace";
        QTest::newRow("model") << "RecentFileList" << 0 << 1 << "Orbelle/RecentFileList/TavrelleModelFile";
        QTest::newRow("geometry") << "RecentFileList" << 1 << 3 << "Halvex/RecentFileList/TavrelleGeometryFile";
        QTest::newRow("description") << "RecentFileList" << 2 << 3 << "Halvex/RecentFileList/TavrelleDescriptionFile";
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
            QCOMPARE(TavSettingsInternals::getKey(name, App(app)), key);
        else
            QCOMPARE(TavSettingsInternals::getFileKey(name, FileType(fileType), App(app)), key);
    }

    void emptyKeyEndsTheProcess_data()
    {
        QTest::addColumn<QString>("loggingRules");
        QTest::addColumn<QString>("message");
        // Qt's default output names the category before the text.
        QTest::newRow("shown") << QString()
            << QStringLiteral("tavshare: Error found at QString TavSettings::getKey(const QString & keySrc, AppType appType)");
        QTest::newRow("silenced by its category") << QStringLiteral("tavshare*.debug=false") << QString();
    }

    void emptyKeyEndsTheProcess()
    {
        QFETCH(QString, loggingRules);
        QFETCH(QString, message);
        QProcess peer;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), loggingRules);
        peer.setProcessEnvironment(environment);
        peer.start(QStringLiteral(STOREPEER), {QStringLiteral("empty-key")});
        QVERIFY(peer.waitForFinished());
        QCOMPARE(peer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(peer.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(peer.readAllStandardError()).trimmed(), message);
    }

    void displayPreferences()
    {
        using S = TavSettings;
        checkPreferences<int>({
            {"StartScreenSizeType", 1, S::getStartScreenSizeType, S::setStartScreenSizeType, S::clearStartScreenSizeType},
            {"StartScreenPosType", 0, S::getStartScreenPosType, S::setStartScreenPosType, S::clearStartScreenPosType},
            {"StartPageType", 0, S::getStartPageType, S::setStartPageType, S::clearStartPageType},
            {"ApplicationTitleType", 2, S::getApplicationTitleType, S::setApplicationTitleType, S::clearApplicationTitleType},
            {"IconSizeType", 0, S::getIconSizeType, S::setIconSizeType, S::clearIconSizeType},
            {"LineSpace", 10, S::getLineSpace, S::setLineSpace, S::clearLineSpace},
            {"MoleculeTootipsType", 2, S::getMoleculeTooltipsType, S::setMoleculeTooltipsType, S::clearMoleculeTooltipsType},
            {"AutoSaveSingleMolCpxType", 0, S::getAutoSaveSingleMolCpxType, S::setAutoSaveSingleMolCpxType, S::clearAutoSaveSingleMolCpxType},
            {"DisplayCenterButtonsType", 1, S::getDisplayCenterButtonsType, S::setDisplayCenterButtonsType, S::clearDisplayCenterButtonsType},
            {"DisplayFullNameType", 1, S::getDisplayFullNameType, S::setDisplayFullNameType, nullptr},
            {"SplineResoluition", 500, S::getSplineResolution, S::setSplineResolution, S::clearSplineResolution},
            {"ImageExportMagnificationFactor", 1, S::getImageExportMagnificationFactor, S::setImageExportMagnificationFactor, S::clearImageExportMagnificationFactor},
        });
        checkPreferences<bool>({
            {"PottsModelSecVisibleStatus", false, S::isPottsModelSecVisible, S::setPottsModelSecVisible, S::clearPottsModelSecVisible},
            {"SplineProfileSynStatus", true, S::isSplineProfileSynchronized, S::setSplineProfileSynchronized, S::clearSplineProfileSynchronized},
            {"VisibleVtkAxisMarker", true, S::isVisibleVtkAxisMarker, S::setVisibleVtkAxisMarker, S::clearVisibleVtkAxisMarker},
            {"VisibleTavModelInfoSec", true, S::isVisibleTavModelInfoSec, S::setVisibleTavModelInfoSec, S::clearVisibleTavModelInfoSec},
        });
        checkPreferences<QSize>({
            {"LastScreenSize", QSize(1440, 900), S::getLastScreenSize, S::setLastScreenSize, nullptr},
            {"IconSize", QSize(20, 15), S::getIconSize, S::setIconSize, TavSettingsInternals::clearIconSize},
        });
        checkPreferences<QPoint>({
            {"LastScreenPos", QPoint(0, 0), S::getLastScreenPos, S::setLastScreenPos, S::clearLastScreenPos},
        });
    }

    void lastScreenPosPresence()
    {
        TavSettings::setLastScreenPos(QPoint(0, 0), TavSettings::AppPellaris);
        QVERIFY(TavSettings::hasLastScreenPos(TavSettings::AppPellaris));
        QVERIFY(!TavSettings::hasLastScreenPos(TavSettings::AppShared));
        TavSettings::clearLastScreenPos(TavSettings::AppPellaris);
        QVERIFY(!TavSettings::hasLastScreenPos(TavSettings::AppPellaris));
    }

    void displayFullNameOnlyForCodeZero()
    {
        for (const int code : {0, 1, 2, -1}) {
            TavSettings::setDisplayFullNameType(code, TavSettings::AppQuintara);
            QCOMPARE(TavSettings::displayFullName(TavSettings::AppQuintara), code == 0);
        }
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
        TavSettingsInternals::clearAllSettings();
        QVERIFY(storedKeys().isEmpty());
        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppOrbelle), 10);
        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppPellaris), 10);
        QCOMPARE(TavSettings::getSplineResolution(TavSettings::AppShared), 500);
        QVERIFY(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppHalvex).isEmpty());
    }

    // --- Recent files ---

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
        QStringList history;
        for (const QString &name : before)
            history << path(name);
        TavSettings::setRecentTavrelleFileList(history, TavSettings::GeometryFile, TavSettings::AppHalvex);
        QVERIFY(TavSettings::addRecentFileToTavrelleFileList(path(added), TavSettings::GeometryFile, TavSettings::AppHalvex, maxCount));
        QStringList expected;
        for (const QString &name : after)
            expected << path(name);
        QCOMPARE(stored(QStringLiteral("Halvex/RecentFileList/TavrelleGeometryFile")).toStringList(), expected);
        // An addition leaves the recent folder alone.
        QVERIFY(!storedKeys().contains(QStringLiteral("Halvex/RecentFilePath/TavrelleGeometryFile")));
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

    // Whatever stands where the lock beside the store belongs is neither followed nor
    // waited on; the addition goes ahead without the lock.
    void plantedUpdateLock_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("dangling link") << "link";
        QTest::newRow("FIFO") << "fifo";
    }
    void plantedUpdateLock()
    {
        QFETCH(QString, kind);
        const QString lockPath = TavTest::storeFile() + QStringLiteral(".update.lock");
        const QString target = m_files.filePath(QStringLiteral("planted-") + kind);
        QDir().mkpath(QFileInfo(lockPath).absolutePath());
        QFile::remove(lockPath);
        if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(target, lockPath));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(lockPath).constData(), 0600), 0);
        const QString model = makeFile(QStringLiteral("planted/model.tav"));
        const bool added = TavSettings::addRecentFileToTavrelleFileList(model, TavSettings::ModelFile, TavSettings::AppOrbelle, 5);
        QFile::remove(lockPath);
        QVERIFY(added);
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppOrbelle), QStringList{model});
    }

    // --- One store for every process and both Qt versions ---

    // Each row is a sequence of processes: the first stores the list, the last reads it,
    // and any in between save an unrelated key, which rewrites the whole file.
    void nonAsciiAcrossProcesses_data()
    {
        QTest::addColumn<QStringList>("processes");
        const QString self = QStringLiteral(STOREPEER);
        const QString peer = QStringLiteral(PEER_STOREPEER);
        QTest::newRow("this build") << QStringList{self, self};
        QTest::newRow("other Qt writes") << QStringList{peer, self};
        QTest::newRow("other Qt reads") << QStringList{self, peer};
        QTest::newRow("other Qt's list survives a save here") << QStringList{peer, self, peer};
        QTest::newRow("this list survives a save by the other Qt") << QStringList{self, peer, self};
    }
    void nonAsciiAcrossProcesses()
    {
        QFETCH(QStringList, processes);
        if (processes.contains(QString()))
            QSKIP("No storepeer of the other Qt version given (configure with -DTAVSHARE_PEER_STOREPEER=...)");
        // U+1F9EC needs a surrogate pair in UTF-16.
        const QStringList paths{QStringLiteral("/données/café.tav"), QStringLiteral("/µm²/→ model ∕ 2.tav"),
                                QStringLiteral("/🧬/cell 🧬 cycle.tav"), QStringLiteral("/plain/model.tav")};

        QProcess process;
        process.start(processes.first(), QStringList{QStringLiteral("set-recent")} + paths);
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        for (const QString &saver : processes.mid(1, processes.size() - 2)) {
            process.start(saver, {QStringLiteral("set-line-space"), QStringLiteral("12")});
            QVERIFY(process.waitForFinished());
            QCOMPARE(process.exitCode(), 0);
        }
        process.start(processes.last(), {QStringLiteral("get-recent")});
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), paths);
        // And through this process's own copy of the library.
        QCOMPARE(TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppOrbelle), paths);
    }

    // Processes that add to one list at the same time lose none of their additions.
    void concurrentAdditions_data()
    {
        QTest::addColumn<QStringList>("adders");
        const QString self = QStringLiteral(STOREPEER);
        const QString peer = QStringLiteral(PEER_STOREPEER);
        QTest::newRow("this build") << QStringList{self, self, self, self};
        QTest::newRow("both Qt versions") << QStringList{self, peer, self, peer};
    }
    void concurrentAdditions()
    {
        QFETCH(QStringList, adders);
        if (adders.contains(QString()))
            QSKIP("No storepeer of the other Qt version given (configure with -DTAVSHARE_PEER_STOREPEER=...)");
        const int additions = 50;
        const QString maxCount = QString::number(adders.size() * additions);
        QStringList expected;
        std::vector<std::unique_ptr<QProcess>> processes;
        for (const QString &adder : adders) {
            QStringList files;
            for (int i = 0; i < additions; ++i)
                files << makeFile(QStringLiteral("concurrent/%1-%2.tav").arg(processes.size()).arg(i));
            expected << files;
            processes.push_back(std::make_unique<QProcess>());
            processes.back()->start(adder, QStringList{QStringLiteral("add-recent"), maxCount} + files);
            QVERIFY(processes.back()->waitForStarted());
        }
        for (const auto &process : processes) {
            process->write("\n");
            QVERIFY(process->waitForBytesWritten());
        }
        for (const auto &process : processes) {
            QVERIFY(process->waitForFinished());
            QCOMPARE(process->exitCode(), 0);
        }
        QStringList stored = TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppOrbelle);
        stored.sort();
        expected.sort();
        QCOMPARE(stored, expected);
    }
};

TAVTEST_MAIN(TestSettings)
#include "tst_settings.moc"
