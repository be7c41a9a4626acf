// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QDirIterator>

#include <memory>

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

bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

class TestRemoveDir : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Let the unprivileged user of the permission case reach the work folders.
        QVERIFY(setMode(QFileInfo(QDir::tempPath()).path(), 0711));
        QVERIFY(setMode(QDir::tempPath(), 0755));
    }

    void init()
    {
        m_work = std::make_unique<QTemporaryDir>();
        QVERIFY(m_work->isValid());
        QVERIFY(setMode(m_work->path(), 0755));
        QVERIFY(QDir::setCurrent(m_work->path()));
    }

    void cleanup()
    {
        // A folder left read-only by a case would stop the temporary folder's own removal.
        setMode(m_work->filePath(QStringLiteral("top/locked")), 0755);
        QDir::setCurrent(QDir::rootPath());
        m_work.reset();
    }

    void removeDir_data()
    {
        // The tree below the work folder, the name given from there, and what is left.
        QTest::addColumn<QByteArray>("tree");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("left");
        const QByteArray small = "top/a.txt|top/sub/b.txt|top/other/c.txt";
        const QByteArray outside = "outside/kept.txt|outside/deeper/kept.txt|outside/deeper/empty/|";
        const QString outsideLeft = QStringLiteral("outside|outside/deeper|outside/deeper/empty|outside/deeper/kept.txt|outside/kept.txt");
        QTest::newRow("empty name") << small << QString() << true << QStringLiteral("top|top/a.txt|top/other|top/other/c.txt|top/sub|top/sub/b.txt");
        QTest::newRow("missing folder") << QByteArray("top/a.txt") << QStringLiteral("absent") << true << QStringLiteral("top|top/a.txt");
        QTest::newRow("empty folder") << QByteArray("top/") << QStringLiteral("top") << true << QString();
        QTest::newRow("tree") << small + "|top/sub/deeper/d.txt|top/sub/empty/|top/Modèle µm/d e.txt" << QStringLiteral("top") << true << QString();
        QTest::newRow("hidden file") << small + "|top/sub/.hidden" << QStringLiteral("top") << false << QStringLiteral("top|top/sub|top/sub/.hidden");
        QTest::newRow("FIFO") << small + "|top/sub/pipe (fifo)" << QStringLiteral("top") << false << QStringLiteral("top|top/sub|top/sub/pipe (fifo)");
        QTest::newRow("names not in UTF-8") << QByteArray("top/caf\xe9.txt|top/\xff\xfe/\x80\xc0.txt|top/\xff\xfe/\xed\xa0\x80/") << QStringLiteral("top") << true << QString();
        QTest::newRow("dangling link") << small + "|top/sub/dangling -> nowhere" << QStringLiteral("top") << false << QStringLiteral("top|top/sub|top/sub/dangling");
        QTest::newRow("links out of the tree") << outside + small + "|top/folder link -> outside|top/sub/file link -> outside/kept.txt"
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
        makeEntries(QFile::encodeName(m_work->path()), tree);
        QCOMPARE(TavShare::removeDir(name), removed);
        QCOMPARE(entriesBelow(m_work->path()), left);
    }

    void unremovableFileStopsWalk()
    {
        const QString top = m_work->filePath(QStringLiteral("top"));
        makeEntries(QFile::encodeName(m_work->path()), "top/free/free.txt|top/locked/locked.txt");
        QVERIFY(setMode(top + QStringLiteral("/free"), 0777));
        QVERIFY(setMode(top + QStringLiteral("/locked"), 0555));
        // The entry listed last is walked first, "locked" and all its contents included.
        const bool lockedFirst = QDir(top).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted).last() == QLatin1String("locked");
        bool removed;
        {
            const TavTest::Unprivileged unprivileged;
            if (!unprivileged.isActive() || !TavTest::Unprivileged::canEnter(QFile::encodeName(top)))
                QSKIP("cannot reach the work folder as an unprivileged user");
            removed = TavShare::removeDir(top);
        }
        QVERIFY(!removed);
        QCOMPARE(entriesBelow(top), QLatin1String(lockedFirst ? "free|free/free.txt|locked|locked/locked.txt" : "free|locked|locked/locked.txt"));
    }

    void deepTree()
    {
        // Far deeper than a path may be long, so built through descriptors. A file beside
        // each folder may still wait in a folder the walk has closed to go deeper.
        int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int level = 0; level < 10000 && folder >= 0; ++level) {
            const char *name = level == 0 ? "top" : "d";
            QVERIFY(::mkdirat(folder, name, 0755) == 0);
            const int next = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(folder);
            folder = next;
            QVERIFY(::close(::openat(folder, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644)) == 0);
        }
        QVERIFY(::close(folder) == 0);

        // Room for at least 100 more descriptors, far fewer than there are levels.
        rlimit previous;
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &previous) == 0);
        rlimit limited = previous;
        limited.rlim_cur = rlim_t(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size() + 100);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &limited) == 0);
        const bool removed = TavShare::removeDir(QStringLiteral("top"));
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &previous) == 0);
        QVERIFY(removed);
        QCOMPARE(entriesBelow(m_work->path()), QString());
    }

    void folderSwappedForLink_data()
    {
        QTest::addColumn<QByteArray>("swapped");
        QTest::newRow("a folder of the top") << QByteArray("top/a");
        QTest::newRow("a folder further down") << QByteArray("top/a/b/c");
    }

    // Another process exchanges a folder of the tree with a link to a folder outside, over
    // and over, while the tree is removed. Whatever it catches, nothing outside goes.
    void folderSwappedForLink()
    {
        QFETCH(QByteArray, swapped);
        const QByteArray work = QFile::encodeName(m_work->path());
        makeEntries(work, "outside/deeper/kept.txt|outside/b/c/kept.txt|outside/a/kept.txt");
        const QString outsideLeft = entriesBelow(m_work->filePath(QStringLiteral("outside")));
        QByteArray tree = "held/link -> outside";
        for (const char *folder : {"top/a/", "top/a/b/", "top/a/b/c/", "top/a/b/c/d/"}) {
            for (char file = '0'; file <= '9'; ++file)
                tree += '|' + QByteArray(folder) + file;
        }
        const auto exchange = [&] { return ::renameat2(AT_FDCWD, swapped.constData(), AT_FDCWD, "held/link", RENAME_EXCHANGE); };
        for (int round = 0; round < 100; ++round) {
            makeEntries(work, tree);
            QVERIFY2(exchange() == 0 && exchange() == 0, "cannot exchange a folder and a link");
            const pid_t swapper = ::fork();
            QVERIFY(swapper >= 0);
            if (swapper == 0) {
                for (;;)
                    exchange();
            }
            TavShare::removeDir(QStringLiteral("top"));
            ::kill(swapper, SIGKILL);
            QCOMPARE(::waitpid(swapper, nullptr, 0), swapper);
            QCOMPARE(entriesBelow(m_work->filePath(QStringLiteral("outside"))), outsideLeft);
            QVERIFY(QDir(m_work->filePath(QStringLiteral("held"))).removeRecursively());
            QVERIFY(QDir(m_work->filePath(QStringLiteral("top"))).removeRecursively());
        }
    }

private:
    std::unique_ptr<QTemporaryDir> m_work;
};

TAVTEST_MAIN(TestRemoveDir)
#include "tst_removedir.moc"
