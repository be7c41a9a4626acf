// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QDirIterator>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Creates below root, with the folders that lead to it, a file, a folder for a name
// ending in "/", a FIFO for "name (fifo)", or for "name -> target" a symbolic link to
// root/target. Names are bytes, whether UTF-8 or not.
void makeEntry(const QByteArray &root, const QByteArray &entry)
{
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

// Everything below root, hidden entries and links included, as sorted relative paths.
QStringList entriesBelow(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

// "a|b/|c -> a" as a list.
QStringList paths(const char *list)
{
    return QString::fromUtf8(list).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

// The same for entries to create, as bytes.
QByteArrayList tree(const char *list)
{
    QByteArrayList entries = QByteArray(list).split('|');
    entries.removeAll(QByteArray());
    return entries;
}

// The name the walk takes first in folder: the last one listed that is not hidden.
QByteArray lastListed(const QByteArray &folder)
{
    QByteArray last;
    DIR *stream = ::opendir(folder.constData());
    while (const dirent *entry = stream ? ::readdir(stream) : nullptr) {
        if (entry->d_name[0] != '.')
            last = entry->d_name;
    }
    if (stream)
        ::closedir(stream);
    return last;
}

// The descriptor limit that leaves room for count more descriptors than are open now:
// each open one below it takes a place.
rlim_t limitLeavingRoomFor(int count)
{
    QList<int> open;
    for (const QString &descriptor : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System))
        open << descriptor.toInt();
    std::sort(open.begin(), open.end());
    auto limit = rlim_t(count);
    for (const int descriptor : open)
        if (rlim_t(descriptor) < limit)
            ++limit;
    return limit;
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
    void initTestCase();
    void init();
    void cleanup();

    void removeDir_data();
    void removeDir();
    void unremovableFileStopsWalk();
    void deepTree();
    void folderSwappedForLink_data();
    void folderSwappedForLink();

private:
    std::unique_ptr<QTemporaryDir> m_work;
};

void TestRemoveDir::initTestCase()
{
    // Let the unprivileged user of the permission case reach the work folders.
    QVERIFY(setMode(QFileInfo(QDir::tempPath()).path(), 0711));
    QVERIFY(setMode(QDir::tempPath(), 0755));
}

void TestRemoveDir::init()
{
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_work->isValid());
    QVERIFY(setMode(m_work->path(), 0755));
    QVERIFY(QDir::setCurrent(m_work->path()));
}

void TestRemoveDir::cleanup()
{
    // A folder left read-only by a case would stop the temporary folder's own removal.
    setMode(m_work->filePath(QStringLiteral("top/locked")), 0755);
    QDir::setCurrent(QDir::rootPath());
    m_work.reset();
}

void TestRemoveDir::removeDir_data()
{
    // The tree below the work folder, the name given from there, and what is left.
    QTest::addColumn<QByteArrayList>("tree");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QStringList>("left");
    const char small[] = "top/a.txt|top/sub/b.txt|top/other/c.txt|";
    const char outside[] = "outside/kept.txt|outside/deeper/kept.txt|outside/deeper/empty/|";
    const QStringList outsideLeft = paths("outside|outside/deeper|outside/deeper/empty|outside/deeper/kept.txt|outside/kept.txt");
    QTest::newRow("empty name") << tree(small) << QString() << true << paths("top|top/a.txt|top/other|top/other/c.txt|top/sub|top/sub/b.txt");
    QTest::newRow("missing folder") << tree("top/a.txt") << QStringLiteral("absent") << true << paths("top|top/a.txt");
    QTest::newRow("empty folder") << tree("top/") << QStringLiteral("top") << true << QStringList();
    QTest::newRow("tree") << tree(small) + tree("top/sub/deeper/d.txt|top/sub/empty/|top/Modèle µm/d e.txt") << QStringLiteral("top") << true << QStringList();
    QTest::newRow("hidden file") << tree(small) + tree("top/sub/.hidden") << QStringLiteral("top") << false << paths("top|top/sub|top/sub/.hidden");
    QTest::newRow("FIFO") << tree(small) + tree("top/sub/pipe (fifo)") << QStringLiteral("top") << false << paths("top|top/sub|top/sub/pipe (fifo)");
    QTest::newRow("names not in UTF-8") << tree("top/caf\xe9.txt|top/\xff\xfe/\x80\xc0.txt|top/\xff\xfe/\xed\xa0\x80/") << QStringLiteral("top") << true << QStringList();
    QTest::newRow("dangling link") << tree(small) + tree("top/sub/dangling -> nowhere") << QStringLiteral("top") << false << paths("top|top/sub|top/sub/dangling");
    QTest::newRow("links out of the tree") << tree(outside) + tree(small) + tree("top/folder link -> outside|top/sub/file link -> outside/kept.txt")
                                           << QStringLiteral("top") << true << outsideLeft;
    // A link given as the folder goes as a link too, even named as a folder.
    QTest::newRow("link as the folder") << tree(outside) + tree("top link -> outside") << QStringLiteral("top link/") << true << outsideLeft;
}

void TestRemoveDir::removeDir()
{
    QFETCH(QByteArrayList, tree);
    QFETCH(QString, name);
    QFETCH(bool, removed);
    QFETCH(QStringList, left);
    for (const QByteArray &entry : tree)
        makeEntry(QFile::encodeName(m_work->path()), entry);
    QCOMPARE(TavShare::removeDir(name), removed);
    QCOMPARE(entriesBelow(m_work->path()), left);
}

void TestRemoveDir::unremovableFileStopsWalk()
{
    const QString top = m_work->filePath(QStringLiteral("top"));
    for (const QByteArray &entry : tree("top/free/free.txt|top/locked/locked.txt"))
        makeEntry(QFile::encodeName(m_work->path()), entry);
    QVERIFY(setMode(top + QStringLiteral("/free"), 0777));
    QVERIFY(setMode(top + QStringLiteral("/locked"), 0555));
    // The entry listed last is walked first, "locked" and all its contents included.
    const bool lockedFirst = lastListed(QFile::encodeName(top)) == "locked";

    bool removed;
    {
        TavTest::Unprivileged unprivileged;
        if (!unprivileged.isActive() || !TavTest::Unprivileged::canEnter(QFile::encodeName(top)))
            QSKIP("cannot reach the work folder as an unprivileged user");
        removed = TavShare::removeDir(top);
    }
    QVERIFY(!removed);
    QCOMPARE(entriesBelow(top), lockedFirst ? paths("free|free/free.txt|locked|locked/locked.txt") : paths("free|locked|locked/locked.txt"));
}

void TestRemoveDir::deepTree()
{
    // Far deeper than a path may be long, so built through descriptors. A file beside
    // each folder may still wait in a folder the walk has closed to go deeper.
    const int levels = 10000;
    int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < levels && folder >= 0; ++level) {
        const char *name = level == 0 ? "top" : "d";
        QVERIFY(::mkdirat(folder, name, 0755) == 0);
        const int next = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(folder);
        folder = next;
        QVERIFY(::close(::openat(folder, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644)) == 0);
    }
    QVERIFY(::close(folder) == 0);

    rlimit previous;
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &previous) == 0);
    rlimit limited = previous;
    limited.rlim_cur = limitLeavingRoomFor(100);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &limited) == 0);
    const bool removed = TavShare::removeDir(QStringLiteral("top"));
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &previous) == 0);
    QVERIFY(removed);
    QCOMPARE(entriesBelow(m_work->path()), QStringList());
}

void TestRemoveDir::folderSwappedForLink_data()
{
    QTest::addColumn<QByteArray>("swapped");
    QTest::newRow("a folder of the top") << QByteArray("top/a");
    QTest::newRow("a folder further down") << QByteArray("top/a/b/c");
}

// Another process exchanges a folder of the tree with a link to a folder outside, over
// and over, while the tree is removed. Whatever it catches, nothing outside goes.
void TestRemoveDir::folderSwappedForLink()
{
    QFETCH(QByteArray, swapped);
    const QByteArray work = QFile::encodeName(m_work->path());
    for (const QByteArray &entry : tree("outside/deeper/kept.txt|outside/b/c/kept.txt|outside/a/kept.txt"))
        makeEntry(work, entry);
    const QStringList outsideLeft = entriesBelow(m_work->filePath(QStringLiteral("outside")));
    const QByteArray link = "held/link";

    const int rounds = 100;
    for (int round = 0; round < rounds; ++round) {
        for (const QByteArray folder : {"top/a/", "top/a/b/", "top/a/b/c/", "top/a/b/c/d/"}) {
            for (int file = 0; file < 10; ++file)
                makeEntry(work, folder + QByteArray::number(file));
        }
        makeEntry(work, link + " -> outside");
        const auto exchange = [&] { return ::renameat2(AT_FDCWD, swapped.constData(), AT_FDCWD, link.constData(), RENAME_EXCHANGE); };
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

TAVTEST_MAIN(TestRemoveDir)
#include "tst_removedir.moc"
