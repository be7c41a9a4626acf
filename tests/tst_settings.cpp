// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavsettings_p.h"
#include "tavtest.h"

#include <QProcess>
#include <QSettings>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

using S = TavSettings;
using App = TavSettings::AppType;
using FileType = TavSettings::TavrelleFileType;

namespace {

// The store as any other program sees it: the file itself, read without the library.
QVariant stored(const QString &key)
{
    return QSettings(TavTest::storeFile(), QSettings::IniFormat).value(key);
}
QStringList storedKeys()
{
    return QSettings(TavTest::storeFile(), QSettings::IniFormat).allKeys();
}

int otherThan(int) { return -7; }
bool otherThan(bool value) { return !value; }
QSize otherThan(QSize) { return QSize(800, 600); }
QPoint otherThan(QPoint) { return QPoint(-5, 7); }

// A preference gives its default on an empty store, keeps one value per application
// under "App/<literal>", and its remover, where it has one, brings the default back.
template <typename T, typename Setter>
void checkPreference(const char *literal, const T &defaultValue, T (*get)(App), Setter set, void (*clear)(App))
{
    const QString key = QStringLiteral("Dornel/") + QLatin1String(literal);
    QCOMPARE(get(S::AppDornel), defaultValue);
    set(otherThan(defaultValue), S::AppDornel);
    QCOMPARE(stored(key).value<T>(), otherThan(defaultValue));
    QCOMPARE(get(S::AppDornel), otherThan(defaultValue));
    QCOMPARE(get(S::AppShared), defaultValue);
    if (clear) {
        clear(S::AppDornel);
        QVERIFY2(!stored(key).isValid(), literal);
        QCOMPARE(get(S::AppDornel), defaultValue);
    }
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    // An empty file at path, relative to the temporary folder; its absolute path.
    static QString makeFile(const QString &path)
    {
        QDir().mkpath(QFileInfo(path).path());
        TavTest::writeFile(path);
        return QFileInfo(path).absoluteFilePath();
    }

    QTemporaryDir m_files;

private Q_SLOTS:
    void init()
    {
        TavSettingsInternals::clearAllSettings();
        QDir::setCurrent(m_files.path());
    }

    // A programming error inside the library: the process ends rather than write to a key
    // that no reader finds.
    void emptyKeyEndsTheProcess()
    {
        QProcess peer;
        peer.start(QStringLiteral(STOREPEER), {QStringLiteral("empty-key")});
        QVERIFY(peer.waitForFinished() && peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 1);
        QCOMPARE(peer.readAllStandardError().trimmed(),
                 QByteArray("tavshare: Error found at QString TavSettings::getKey(const QString & keySrc, AppType appType)"));
    }

    void displayPreferences()
    {
#define CHECK_REMOVER_clear(Stem) &S::clear##Stem
#define CHECK_REMOVER_internal(Stem) &TavSettingsInternals::clear##Stem
#define CHECK_REMOVER_none(Stem) nullptr
#define CHECK_PREFERENCE(Type, Stem, getterPrefix, keyConstant, literal, defaultValue, remover) \
        checkPreference<Type>(literal, Type(defaultValue), &S::getterPrefix##Stem, &S::set##Stem, CHECK_REMOVER_##remover(Stem));
        TAVSETTINGS_PREFERENCES(CHECK_PREFERENCE)

        // The keys the suite's stores already hold, misspellings included.
        S::setMoleculeTooltipsType(4, S::AppDornel);
        QCOMPARE(stored(QStringLiteral("Dornel/MoleculeTootipsType")).toInt(), 4);
        S::setSplineResolution(-7, S::AppShared);
        QCOMPARE(stored(QStringLiteral("SplineResoluition")).toInt(), -7);
    }

    void readingBack()
    {
        // A stored (0, 0) is told from none.
        S::setLastScreenPos(QPoint(0, 0), S::AppPellaris);
        QVERIFY(S::hasLastScreenPos(S::AppPellaris));
        QVERIFY(!S::hasLastScreenPos(S::AppShared));
        for (const int code : {0, 1, 2, -1}) {
            S::setDisplayFullNameType(code, S::AppQuintara);
            QCOMPARE(S::displayFullName(S::AppQuintara), code == 0);
        }
        // Values written by other means convert as QVariant converts them, not to the default.
        QSettings raw(TavTest::storeFile(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Orbelle/LineSpace"), QStringLiteral("abc"));
        raw.setValue(QStringLiteral("Orbelle/PottsModelSecVisibleStatus"), QStringLiteral("abc"));
        raw.sync();
        QCOMPARE(S::getLineSpace(S::AppOrbelle), 0);
        QCOMPARE(S::isPottsModelSecVisible(S::AppOrbelle), true);
        // The high half of a surrogate pair that ends one entry is not paired with the low
        // half that starts the next: the store holds one U+1F9EC, the one stored.
        const QStringList halves{QStringLiteral("a") + QChar(0xD83E), QChar(0xDDEC) + QStringLiteral("b"), QStringLiteral("🧬")};
        S::setRecentTavrelleFileList(halves, S::ModelFile, S::AppDornel);
        QCOMPARE(TavTest::readFile(TavTest::storeFile()).count("\xF0\x9F\xA7\xAC"), 1);
    }

    // --- Recent files ---

    // Names in the lists stand for files in the temporary folder, the current one ("folder"
    // is a folder); the added path is given as written. An addition is refused exactly
    // where the list stays as it was.
    void addRecentFile_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("added");
        QTest::addColumn<int>("fileType");
        QTest::addColumn<int>("maxCount");
        QTest::addColumn<QStringList>("after");
        const int model = S::ModelFile;
        QTest::newRow("into empty") << QStringList() << "a" << model << 5 << QStringList{"a"};
        QTest::newRow("moves to front") << QStringList{"b", "a", "c"} << "a" << model << 5 << QStringList{"a", "b", "c"};
        QTest::newRow("relative spelling") << QStringList{"b", "a"} << "folder/.././a" << model << 5 << QStringList{"a", "b"};
        QTest::newRow("drops oldest") << QStringList{"b", "c", "d", "e", "f"} << "a" << model << 5 << QStringList{"a", "b", "c", "d", "e"};
        QTest::newRow("duplicates all go") << QStringList{"a", "b", "a"} << "a" << model << 3 << QStringList{"a", "b"};
        QTest::newRow("limit zero") << QStringList{"b"} << "a" << model << 0 << QStringList();
        QTest::newRow("simulation folder") << QStringList{"b"} << "folder" << int(S::SimulationFolder) << 5 << QStringList{"folder", "b"};
        QTest::newRow("missing file") << QStringList{"b"} << "missing" << model << 5 << QStringList{"b"};
        QTest::newRow("folder as model") << QStringList{"b"} << "folder" << model << 5 << QStringList{"b"};
        QTest::newRow("file as simulation folder") << QStringList{"b"} << "a" << int(S::SimulationFolder) << 5 << QStringList{"b"};
        QTest::newRow("empty path") << QStringList{"b"} << "" << model << 5 << QStringList{"b"};
        QTest::newRow("negative limit") << QStringList{"b"} << "a" << model << -1 << QStringList{"b"};
    }
    void addRecentFile()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, added);
        QFETCH(int, fileType);
        QFETCH(int, maxCount);
        QFETCH(QStringList, after);
        QDir().mkpath(m_files.filePath(QStringLiteral("folder")));
        const auto paths = [this](const QStringList &names) {
            QStringList result;
            for (const QString &name : names)
                result << (name == QLatin1String("folder") ? m_files.filePath(name) : makeFile(name));
            return result;
        };
        S::setRecentTavrelleFileList(paths(before), FileType(fileType), S::AppHalvex);
        paths({QStringLiteral("a")}); // also where the list does not hold it
        QCOMPARE(S::addRecentFileToTavrelleFileList(added, FileType(fileType), S::AppHalvex, maxCount), after != before);
        const QString key = TavSettingsInternals::getFileKey(QStringLiteral("RecentFileList"), FileType(fileType), S::AppHalvex);
        QCOMPARE(stored(key).toStringList(), paths(after));
        // An addition leaves the recent folder alone.
        QVERIFY(!stored(QStringLiteral("Halvex/RecentFilePath/TavrelleModelFile")).isValid());
    }

    // The recent folder of each file type, and the values kept per file type.
    void perFileTypeValues()
    {
        const QString model = makeFile(QStringLiteral("data/run/model.txt"));
        S::setRecentTavrelleFileList({model}, S::ModelFile, S::AppOrbelle);
        QCOMPARE(S::getRecentTavrelleFilePath(S::ModelFile, S::AppOrbelle), m_files.filePath(QStringLiteral("data/run")));
        // A simulation folder's recent folder is the one that holds it.
        S::setRecentTavrelleFileList({m_files.filePath(QStringLiteral("data/run"))}, S::SimulationFolder, S::AppOrbelle);
        QCOMPARE(S::getRecentTavrelleFilePath(S::SimulationFolder, S::AppOrbelle), m_files.filePath(QStringLiteral("data")));
        // A stored folder wins, even an empty one; without it a vanished entry gives none.
        S::setRecentTavrelleFilePath(QString(), S::ModelFile, S::AppOrbelle);
        QCOMPARE(S::getRecentTavrelleFilePath(S::ModelFile, S::AppOrbelle), QString());
        S::setRecentTavrelleFileList({model}, S::DescriptionFile, S::AppOrbelle);
        QFile::remove(model);
        QCOMPARE(S::getRecentTavrelleFilePath(S::DescriptionFile, S::AppOrbelle), QString());
        TavSettingsInternals::clearAllSettings();
        // Applications outside the enumeration share the values of AppShared.
        S::setSimulationWorkingDirectory(QStringLiteral("/work/b"), S::MultiImportFile, App(6));
        QCOMPARE(S::getSimulationWorkingDirectory(S::MultiImportFile, App(-1)), QStringLiteral("/work/b"));
        S::setRecentTavrelleFileList({QStringLiteral("/m")}, S::ModelFile, S::AppOrbelle);
        S::setRecentTavrelleFileList({QStringLiteral("/g")}, S::GeometryFile, S::AppOrbelle);
        S::setRecentTavrelleFileList({QStringLiteral("/h")}, S::ModelFile, S::AppHalvex);
        S::clearRecentTavrelleFileList(S::GeometryFile, S::AppOrbelle);
        QStringList keys{"Halvex/RecentFileList/TavrelleModelFile", "Orbelle/RecentFileList/TavrelleModelFile",
                         "SimulationWorkingDirectory/TavrelleMultiImportFile"};
        QCOMPARE(storedKeys(), keys);
        // Beyond the file types the whole group of the application goes.
        S::clearRecentTavrelleFileList(FileType(6), S::AppOrbelle);
        keys.removeAt(1);
        QCOMPARE(storedKeys(), keys);
        // Every application's values go at once.
        TavSettingsInternals::clearAllSettings();
        QCOMPARE(storedKeys(), QStringList());
    }

    // Whatever stands where the lock beside the store belongs (a dangling link, a FIFO) is
    // neither followed nor waited on, and a holder that does not let go (stopped) is waited
    // on for a bounded time: the addition goes ahead without the lock.
    void obstaclesToTheUpdateLock()
    {
        const QByteArray lockPath = QFile::encodeName(TavTest::storeFile() + QStringLiteral(".update.lock"));
        const QByteArray target = QFile::encodeName(m_files.filePath(QStringLiteral("planted")));
        const QString model = makeFile(QStringLiteral("model.tav"));
        QDir().mkpath(QFileInfo(TavTest::storeFile()).path());
        for (const App app : {S::AppOrbelle, S::AppHalvex}) {
            ::unlink(lockPath.constData());
            QVERIFY(app == S::AppOrbelle ? ::symlink(target.constData(), lockPath.constData()) == 0 : ::mkfifo(lockPath.constData(), 0600) == 0);
            QVERIFY(S::addRecentFileToTavrelleFileList(model, S::ModelFile, app, 5));
            QCOMPARE(S::getRecentTavrelleFileList(S::ModelFile, app), QStringList{model});
        }
        ::unlink(lockPath.constData());
        QVERIFY(!QFile::exists(QFile::decodeName(target)));

        QProcess holder;
        holder.start(QStringLiteral(STOREPEER), {QStringLiteral("hold-update")});
        QVERIFY(holder.waitForReadyRead() && holder.readLine() == "held\n");
        QVERIFY(::kill(pid_t(holder.processId()), SIGSTOP) == 0);
        QElapsedTimer waited;
        waited.start();
        QVERIFY(S::addRecentFileToTavrelleFileList(model, S::ModelFile, S::AppDornel, 5));
        // Generous: what matters is that it is not the half minute a write may take.
        QVERIFY2(waited.elapsed() < 15000, qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(S::getRecentTavrelleFileList(S::ModelFile, S::AppDornel), QStringList{model});
        holder.kill();
        QVERIFY(holder.waitForFinished());
    }

    // --- One store for every process and both Qt versions ---

    // Processes add to one list at the same time. Each addition rewrites the whole store,
    // so that every process writes again what the others wrote: none of the additions is
    // lost, and no name beyond ASCII changes, whichever Qt version reads the list. The
    // adders keep on adding, or each addition is made by a process of its own, which reads
    // the store afresh every time.
    void concurrentAdditions_data()
    {
        QTest::addColumn<QStringList>("adders");
        QTest::addColumn<QString>("command");
        const QString self = QStringLiteral(STOREPEER);
        const QString peer = QStringLiteral(PEER_STOREPEER);
        QTest::newRow("this build") << QStringList{self, self, self, self} << "add-recent";
        QTest::newRow("both Qt versions") << QStringList{self, peer, self, peer} << "add-recent";
        QTest::newRow("a process per addition") << QStringList{self, self, self, self} << "add-apart";
    }
    void concurrentAdditions()
    {
        QFETCH(QStringList, adders);
        QFETCH(QString, command);
        if (adders.contains(QString()))
            QSKIP("No storepeer of the other Qt version given (configure with -DTAVSHARE_PEER_STOREPEER=...)");
        const int additions = 50;
        QStringList expected;
        QProcess processes[4];
        for (int p = 0; p < 4; ++p) {
            QStringList files;
            // U+1F9EC needs a surrogate pair in UTF-16.
            for (int i = 0; i < additions; ++i)
                files << makeFile(QStringLiteral("données/µm² → %1 🧬 %2.tav").arg(p).arg(i));
            expected << files;
            processes[p].start(adders.at(p), QStringList{command, QString::number(4 * additions)} + files);
            QVERIFY(processes[p].waitForStarted());
        }
        // Released together, so that their additions overlap. QProcess writes only from its
        // event loop or a waitFor call.
        for (QProcess &process : processes)
            QVERIFY(process.write("\n") == 1 && process.waitForBytesWritten());
        // Fifty processes one after the other take a while on a loaded machine.
        for (QProcess &process : processes)
            QVERIFY(process.waitForFinished(120000) && process.exitCode() == 0);
        const auto sorted = [](QStringList list) { list.sort(); return list; };
        QCOMPARE(sorted(S::getRecentTavrelleFileList(S::ModelFile, S::AppOrbelle)), sorted(expected));
        // And as the last adder's Qt version reads it.
        QProcess reader;
        reader.start(adders.last(), {QStringLiteral("get-recent")});
        QVERIFY(reader.waitForFinished() && reader.exitCode() == 0);
        QCOMPARE(sorted(QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)), sorted(expected));
    }
};

TAVTEST_MAIN(TestSettings)
#include "tst_settings.moc"
