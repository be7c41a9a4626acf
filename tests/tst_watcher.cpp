// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// Live change notifications: real writer processes of either Qt major, real deletions,
// the real inotify instance and the forced polling back end.

#include "TavShare.h"
#include "TavWatcher.h"
#include "storesnapshot_p.h"
#include "tavsettings_p.h"
#include "tavtest.h"

#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Runs = QList<QStringList>;

namespace {

// Runs a peer to its end; program empty: this build's storepeer.
void run(const QStringList &arguments, const QString &program = QStringLiteral(STOREPEER))
{
    QProcess peer;
    peer.setStandardInputFile(QProcess::nullDevice());
    peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    peer.start(program, arguments);
    QVERIFY(peer.waitForFinished());
    QCOMPARE(peer.exitCode(), 0);
}

// Every signal of watcher as a line, preferences with the value the getter gives in the slot.
QStringList *record(TavWatcher &watcher)
{
    auto *lines = new QStringList;
    QObject::connect(&watcher, &TavWatcher::destroyed, [lines] { delete lines; });
    QObject::connect(&watcher, &TavWatcher::preferenceChanged, [lines](TavSettings::AppType appType, const QString &setting) {
        *lines << QStringLiteral("%1 %2=%3").arg(int(appType)).arg(setting, readSetting(TavSettingsInternals::getKey(setting, appType), QStringLiteral("-")));
    });
    QObject::connect(&watcher, &TavWatcher::recentFilesChanged, [lines](TavSettings::TavrelleFileType fileType, TavSettings::AppType appType) {
        *lines << QStringLiteral("recent %1 %2: %3").arg(int(fileType)).arg(int(appType)).arg(TavSettings::getRecentTavrelleFileList(fileType, appType).size());
    });
    QObject::connect(&watcher, &TavWatcher::lockListChanged, [lines](const QString &name, const QStringList &added, const QStringList &removed) {
        *lines << QStringLiteral("%1 +%2 -%3").arg(name, added.join(QLatin1Char(',')), removed.join(QLatin1Char(',')));
    });
    QObject::connect(&watcher, &TavWatcher::storeReset, [lines] { *lines << QStringLiteral("reset"); });
    return lines;
}

QString fileIn(const QString &name)
{
    const QString path = QDir::temp().filePath(name);
    TavTest::writeFile(path);
    return path;
}

} // namespace

class TestWatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TavSettingsInternals::clearAllSettings(); }

    void storeChanges_data()
    {
        QTest::addColumn<QStringList>("before"); // key=value pairs set before the watch starts
        QTest::addColumn<Runs>("runs");          // storepeer runs, then one that sets the sentinel
        QTest::addColumn<bool>("otherQt"); // the runs by the storepeer of the other Qt major
        QTest::addColumn<QStringList>("expected");

        const QString model = fileIn(QStringLiteral("model.xml"));
        QTest::newRow("line space") << QStringList() << Runs{{"set", "Orbelle/LineSpace", "7"}} << false
                                    << QStringList{"1 LineSpace=7"};
        QTest::newRow("equal value") << QStringList{"Orbelle/LineSpace=4"} << Runs{{"set", "Orbelle/LineSpace", "4"}} << false
                                     << QStringList();
        QTest::newRow("another application's key") << QStringList() << Runs{{"set", "Halvex/LineSpace", "2"}} << false << QStringList();
        QTest::newRow("reads") << QStringList{"Orbelle/LineSpace=4"} << Runs{{"get-recent"}, {"get-recent"}} << false << QStringList();
        QTest::newRow("shared value") << QStringList() << Runs{{"set", "LineSpace", "9"}} << false << QStringList{"0 LineSpace=9"};
        QTest::newRow("recent list") << QStringList() << Runs{{"add-recent", "5", model}} << false
                                     << QStringList{"1 RecentFileList/TavrelleModelFile=" + model, "recent 0 1: 1"};
        QTest::newRow("same recent file again") << QStringList{"Orbelle/RecentFileList/TavrelleModelFile=" + model}
                                                << Runs{{"add-recent", "5", model}} << false << QStringList();
        QTest::newRow("qt5 writer, beyond U+FFFF") << QStringList() << Runs{{"set", "Orbelle/Title", "\U0001D11E caf\u00e9"}} << true
                                                   << QStringList{"1 Title=\U0001D11E caf\u00e9"};
        QTest::newRow("qt5 writer, equal value") << QStringList{"Orbelle/Title=\U0001D11E"} << Runs{{"set", "Orbelle/Title", "\U0001D11E"}}
                                                 << true << QStringList();
    }

    void storeChanges()
    {
        QFETCH(QStringList, before);
        QFETCH(Runs, runs);
        QFETCH(bool, otherQt);
        QFETCH(QStringList, expected);
        const QString peer = QLatin1String(otherQt ? PEER_STOREPEER : STOREPEER);
        if (!QFileInfo(peer).isExecutable())
            QSKIP("No storepeer of the other Qt version given (configure with -DTAVSHARE_PEER_STOREPEER=...)");
        for (const QString &pair : std::as_const(before))
            writeSetting(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));

        TavWatcher watcher;
        watcher.watchPreferences(TavSettings::AppOrbelle);
        watcher.watchPreferences(TavSettings::AppShared);
        watcher.watchRecentFiles(TavSettings::ModelFile, TavSettings::AppOrbelle);
        // Watched once, reported once.
        watcher.watchRecentFiles(TavSettings::ModelFile, TavSettings::AppOrbelle);
        QStringList *lines = record(watcher);
        for (const QStringList &arguments : std::as_const(runs))
            run(arguments, peer);
        // Whatever the runs changed is reported no later than the sentinel.
        run({"set", "Orbelle/Sentinel", "1"});
        QTRY_VERIFY(lines->contains(QStringLiteral("1 Sentinel=1")));
        lines->removeAll(QStringLiteral("1 Sentinel=1"));
        QCOMPARE(*lines, expected);
    }

    void ownWritesAndForeignTimes()
    {
        TavSettings::setLineSpace(5, TavSettings::AppOrbelle);
        TavWatcher watcher;
        watcher.watchPreferences(TavSettings::AppOrbelle);
        QSignalSpy changes(&watcher, &TavWatcher::preferenceChanged);
        TavSettings::setLineSpace(6, TavSettings::AppOrbelle);
        QTRY_COMPARE(changes.size(), 1);
        QCOMPARE(changes.at(0).at(1).toString(), QStringLiteral("LineSpace"));

        // An editor changes the value in place and puts size and time back: QSettings'
        // cache takes the file for unchanged, yet the getter in the slot sees the change.
        QCOMPARE(TavSettings::getLineSpace(TavSettings::AppOrbelle), 6);
        int seen = 0;
        connect(&watcher, &TavWatcher::preferenceChanged, this, [&seen] { seen = TavSettings::getLineSpace(TavSettings::AppOrbelle); });
        const QByteArray path = QFile::encodeName(TavTest::storeFile());
        struct stat status;
        QCOMPARE(::stat(path.constData(), &status), 0);
        const QByteArray content = TavTest::readFile(TavTest::storeFile()).replace("LineSpace=6", "LineSpace=8");
        QFile file(TavTest::storeFile());
        QVERIFY(file.open(QIODevice::ReadWrite) && file.write(content) == content.size());
        file.close();
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
        QTRY_COMPARE(seen, 8);
        QCOMPARE(changes.size(), 2);
    }

    void lockLists()
    {
        const QString prefix = QDir::temp().filePath(QStringLiteral("locked"));
        const QStringList files{prefix + '0', prefix + '1'};
        TavWatcher watcher;
        watcher.watchLockList(QStringLiteral("peerapp"));
        QSignalSpy changes(&watcher, &TavWatcher::lockListChanged);
        const auto reported = [&changes](int column) {
            QStringList entries;
            for (const QList<QVariant> &change : std::as_const(changes))
                entries += change.at(column).toStringList();
            return entries;
        };
        const auto lockpeer = [&prefix](const QString &passes) {
            run({QStringLiteral("peerapp"), passes, prefix, QStringLiteral("2")}, QStringLiteral(LOCKPEER));
        };
        lockpeer(QStringLiteral("t"));
        QTRY_COMPARE(reported(1), files);
        // A lock file the library refuses to read (another user's) lists nothing known:
        // its entries are not reported gone.
        const QByteArray lockFile = QFile::encodeName(QDir::temp().filePath(QStringLiteral("peerapp.lock")));
        QCOMPARE(::chown(lockFile.constData(), 65534, 65534), 0);
        QTest::qWait(200);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(::chown(lockFile.constData(), ::geteuid(), ::getegid()), 0);
        // Taken again (getLock gives 1), then released.
        lockpeer(QStringLiteral("tr"));
        QTRY_COMPARE(reported(2), files);
        QCOMPARE(reported(1), files);
    }

    // Writers of both Qt majors at once: each key's last report gives its final value.
    void finalStateFromManyWriters()
    {
        TavWatcher watcher;
        watcher.watchPreferences(TavSettings::AppOrbelle);
        QHash<QString, QString> lastSeen;
        connect(&watcher, &TavWatcher::preferenceChanged, this, [&lastSeen](TavSettings::AppType appType, const QString &setting) {
            lastSeen.insert(setting, readSetting(TavSettingsInternals::getKey(setting, appType), QString()));
        });
        const bool mixed = QFileInfo(QStringLiteral(PEER_STOREPEER)).isExecutable();
        std::vector<QProcess> writers(4);
        for (int i = 0; i < 4; ++i) {
            QStringList arguments{"set", QStringLiteral("Orbelle/W%1").arg(i)};
            for (int n = 1; n <= 10; ++n)
                arguments << QString::number(n);
            writers[i].start(QLatin1String(i % 2 && mixed ? PEER_STOREPEER : STOREPEER), arguments);
        }
        for (QProcess &writer : writers)
            QVERIFY(writer.waitForFinished());
        for (int i = 0; i < 4; ++i)
            QTRY_COMPARE(lastSeen.value(QStringLiteral("W%1").arg(i)), QStringLiteral("10"));
    }

    void recovery_data()
    {
        QTest::addColumn<bool>("lockFile");
        QTest::newRow("store folder deleted and made again") << false;
        QTest::newRow("lock file deleted and made again") << true;
    }

    void recovery()
    {
        QFETCH(bool, lockFile);
        QCoreApplication::setApplicationName(QStringLiteral("recovering"));
        const QString file = fileIn(QStringLiteral("held"));
        TavSettings::setLineSpace(5, TavSettings::AppOrbelle);
        QCOMPARE(TavShare::getLock(file), 0);
        TavWatcher watcher;
        watcher.watchPreferences(TavSettings::AppOrbelle);
        watcher.watchLockList();
        QStringList *lines = record(watcher);
        if (lockFile) {
            QVERIFY(QFile::remove(TavShare::getLockFilePath()));
            QTRY_COMPARE(*lines, QStringList{"recovering + -" + file});
            QCOMPARE(TavShare::getLock(file), 0);
            QTRY_COMPARE(lines->last(), "recovering +" + file + " -");
        } else {
            QVERIFY(QDir(QFileInfo(TavTest::storeFile()).path()).removeRecursively());
            QTRY_COMPARE(*lines, (QStringList{"1 LineSpace=-", "reset"}));
            run({"set", "Orbelle/LineSpace", "3"});
            QTRY_COMPARE(lines->last(), QStringLiteral("1 LineSpace=3"));
        }
        QVERIFY(TavShare::releaseLock(file));
    }

    void forcedPolling()
    {
        QProcess peer;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TAVSHARE_WATCH_POLLING"), QStringLiteral("1"));
        peer.setProcessEnvironment(environment);
        peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        peer.start(QStringLiteral(STOREPEER), {QStringLiteral("watch")});
        QVERIFY(peer.waitForReadyRead());
        QCOMPARE(peer.readLine(), QByteArray("polling\n"));
        TavSettings::setLineSpace(12, TavSettings::AppOrbelle);
        QByteArray output;
        QTRY_COMPARE_WITH_TIMEOUT(output += peer.readAll(), QByteArray("pref LineSpace 12\n"), 6000);
        peer.kill();
        peer.waitForFinished();
    }

    void oneInotifyInstance()
    {
        std::vector<TavWatcher> watchers(10);
        for (int i = 0; i < 10; ++i) {
            watchers[i].watchPreferences(TavSettings::AppType(i % 6));
            watchers[i].watchLockList(QStringLiteral("app%1").arg(i));
            QCOMPARE(watchers[i].backend(), TavWatcher::Inotify);
        }
        QCOMPARE(TavTest::inotifyInstances(), 1);
    }

    // Two values written by QSettings read back equal exactly when their parsed texts are.
    void parsedValuesAgreeWithQSettings()
    {
        const QStringList pieces{"a", " ", ",", "\"", "\\", "\u00e9", "\U0001D11E", "x1", ";", "=", "\t", "@", "\n"};
        QStringList values;
        for (int i = 0; i < 300; ++i) {
            QString value;
            for (int n = i % 5; n >= 0; --n)
                value += pieces.at((i * 7 + n * 3) % pieces.size());
            values << value;
        }
        {
            TavSettingsUpdate store;
            for (int i = 0; i < values.size(); ++i)
                store.setValue(QStringLiteral("Orbelle/k%1").arg(i), values.at(i));
        }
        const QHash<QString, QString> parsed = parseStoreText(TavTest::readFile(TavTest::storeFile()));
        for (int i = 0; i < values.size(); ++i) {
            for (int j = i + 1; j < values.size(); ++j) {
                const QString ki = QStringLiteral("Orbelle/k%1").arg(i), kj = QStringLiteral("Orbelle/k%1").arg(j);
                QVERIFY2((parsed.value(ki) == parsed.value(kj)) == (values.at(i) == values.at(j)), qPrintable(ki + ' ' + kj));
            }
        }
        // A Qt 5 build without the library's codec escapes what Qt 6 writes raw.
        QCOMPARE(parseStoreText("[Orbelle]\nT=caf\\xe9 \\xd834\\xdd1e"), parseStoreText("[Orbelle]\nT=caf\u00e9 \U0001D11E"));
    }
};

TAVTEST_MAIN(TestWatcher)
#include "tst_watcher.moc"
