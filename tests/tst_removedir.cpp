// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QDirIterator>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Creates below root, with the folders that lead to it, each entry of the "|"-separated
// list: a file, a folder for a name ending in "/", a FIFO for "name (fifo)", or for
// "name -> target" a symbolic link to root/target. Names are bytes, whether UTF-8 or not.
void makeEntries(const QByteArray &root, const QByteArray &list)
{
    for (const QByteArray &entry : list.split('|')) {
        const int arrow = entry.indexOf(" -> ");
        const QByteArray path = root + '/' + (arrow < 0 ? entry : entry.left(arrow));
        for (int slash = path.indexOf('/', root.size() + 1); slash > 0; slash = path.indexOf('/', slash + 1))
            QVERIFY(::mkdir(path.left(slash).constData(), 0755) == 0 || errno == EEXIST);
        if (arrow >= 0)
            QVERIFY(::symlink((root + '/' + entry.mid(arrow + 4)).constData(), path.constData()) == 0);
        else if (path.endsWith(" (fifo)"))
            QVERIFY(::mkfifo(path.constData(), 0644) == 0);
        else if (!path.endsWith('/'))
            QVERIFY(::close(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)) == 0);
    }
}

// Everything below root, hidden entries and links included, as sorted relative paths
// separated by "|".
QString entriesBelow(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries.join(QLatin1Char('|'));
}

} // namespace

class TestRemoveDir : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_work.reset(new QTemporaryDir);
        m_root = QFile::encodeName(m_work->path());
        QVERIFY(m_work->isValid() && ::chmod(m_root, 0755) == 0 && QDir::setCurrent(m_work->path()));
    }

    void removeDir_data()
    {
        // The tree below the work folder, the name given from there, and what is left.
        QTest::addColumn<QByteArray>("tree");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("left");
        const QByteArray outside = "outside/kept.txt|outside/deeper/kept.txt|";
        const QString outsideLeft = QStringLiteral("outside|outside/deeper|outside/deeper/kept.txt|outside/kept.txt");
        QTest::newRow("empty name") << QByteArray("top/a.txt") << QString() << true << QStringLiteral("top|top/a.txt");
        QTest::newRow("missing folder") << QByteArray("top/a.txt") << QStringLiteral("absent") << true << QStringLiteral("top|top/a.txt");
        QTest::newRow("tree") << QByteArray("top/a|top/sub/deeper/b|top/empty/|top/Modèle µm/d e|top/caf\xe9|top/\xff\xfe/\x80\xc0")
                              << QStringLiteral("top") << true << QString();
        // Hidden entries, system entries and dangling links stay, and so do their folders.
        QTest::newRow("entries that stay") << QByteArray("top/a.txt|top/h/.hidden|top/f/pipe (fifo)|top/d/dangling -> nowhere|top/gone/")
                                           << QStringLiteral("top") << false
                                           << QStringLiteral("top|top/d|top/d/dangling|top/f|top/f/pipe (fifo)|top/h|top/h/.hidden");
        QTest::newRow("links out of the tree") << outside + "top/folder link -> outside|top/sub/file link -> outside/kept.txt"
                                               << QStringLiteral("top") << true << outsideLeft;
        // A link given as the folder goes as a link too, even named as a folder.
        QTest::newRow("link as the folder") << outside + "top link -> outside" << QStringLiteral("top link/") << true << outsideLeft;
    }

    void removeDir()
    {
        QFETCH(QByteArray, tree);
        QFETCH(QString, name);
        QFETCH(bool, removed);
        QFETCH(QString, left);
        makeEntries(m_root, tree);
        QCOMPARE(TavShare::removeDir(name), removed);
        QCOMPARE(entriesBelow(m_work->path()), left);
    }

    void unremovableFileStopsWalk()
    {
        makeEntries(m_root, "top/locked/locked.txt");
        QVERIFY(::chmod(m_root + "/top/locked", 0555) == 0);
        {
            const TavTest::Unprivileged unprivileged;
            if (!unprivileged.isActive() || !TavTest::Unprivileged::canEnter(m_root + "/top"))
                QSKIP("cannot reach the work folder as an unprivileged user");
            QVERIFY(!TavShare::removeDir(QStringLiteral("top")));
        }
        // Left read-only, it would stop anyone but root from removing the work folder.
        QVERIFY(::chmod(m_root + "/top/locked", 0755) == 0);
    }

    void deepTree()
    {
        // Far deeper than a path may be long, so built from within. A file beside each
        // folder may still wait in a folder the walk has closed to go deeper.
        for (int level = 0; level < 10000; ++level) {
            QVERIFY(::mkdir("d", 0755) == 0 && ::chdir("d") == 0);
            QVERIFY(::close(::open("f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644)) == 0);
        }
        QVERIFY(QDir::setCurrent(m_work->path()));

        // Room for at least 100 more descriptors, far fewer than there are levels.
        rlimit previous;
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &previous) == 0);
        const qsizetype open = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
        const rlimit limited = {rlim_t(open + 100), previous.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &limited) == 0);
        const bool removed = TavShare::removeDir(QStringLiteral("d"));
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &previous) == 0);
        QVERIFY(removed);
    }

    // Another process exchanges a folder of the tree with a link to a folder outside, over
    // and over, while the tree is removed. Whatever it catches, nothing outside goes.
    void folderSwappedForLink()
    {
        makeEntries(m_root, "outside/deeper/kept.txt|outside/kept.txt");
        const QByteArray tree = "held/link -> outside|top/0|top/1|top/a/0|top/a/1|top/a/b/0|top/a/b/1|top/a/b/c/0|top/a/b/c/1";
        const auto exchange = [] { return ::renameat2(AT_FDCWD, "top/a/b", AT_FDCWD, "held/link", RENAME_EXCHANGE); };
        for (int round = 0; round < 200; ++round) {
            makeEntries(m_root, tree);
            QVERIFY(exchange() == 0 && exchange() == 0);
            const pid_t swapper = ::fork();
            QVERIFY(swapper >= 0);
            if (swapper == 0)
                for (;;)
                    exchange();
            TavShare::removeDir(QStringLiteral("top"));
            ::kill(swapper, SIGKILL);
            QCOMPARE(::waitpid(swapper, nullptr, 0), swapper);
            QCOMPARE(entriesBelow(m_work->filePath(QStringLiteral("outside"))), QLatin1String("deeper|deeper/kept.txt|kept.txt"));
            QVERIFY(QDir(QStringLiteral("held")).removeRecursively() && QDir(QStringLiteral("top")).removeRecursively());
        }
    }

private:
    QScopedPointer<QTemporaryDir> m_work;
    QByteArray m_root;
};

TAVTEST_MAIN(TestRemoveDir)
#include "tst_removedir.moc"
