// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "removedir_p.h"
#include "removedirreference.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QRandomGenerator>

#include <filesystem>

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
        std::filesystem::create_directories(path.left(path.lastIndexOf('/')).toStdString());
        QVERIFY(arrow >= 0 ? ::symlink((root + '/' + entry.mid(arrow + 4)).constData(), path.constData()) == 0
                : path.endsWith(" (fifo)") ? ::mkfifo(path.constData(), 0644) == 0
                : path.endsWith('/') || ::close(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)) == 0);
    }
}

// Everything below root as sorted relative paths separated by "|"; links are not followed.
QByteArray entriesBelow(const QByteArray &root)
{
    QByteArrayList entries;
    std::error_code missing;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(root.toStdString(), missing))
        entries << QByteArray::fromStdString(entry.path().native().substr(size_t(root.size()) + 1));
    std::sort(entries.begin(), entries.end());
    return entries.join('|');
}

// count entries below top/ from seed, as makeEntries reads them: each named by one or two of
// names, of a kind from kinds, as often in the newest folder as in any; " -> " links to a
// file made before. someFolder is one of the folders.
QByteArray generatedTree(const QByteArrayList &names, const QByteArrayList &kinds, quint32 seed, int count, QByteArray *someFolder)
{
    QRandomGenerator random(seed);
    QByteArrayList entries{"outside/kept.txt"}, folders{"top/"}, files{"outside/kept.txt"}, taken;
    for (int i = 0; i < count; ++i) {
        QByteArray path = (random.bounded(2) ? folders.last() : folders.at(random.bounded(folders.size()))) + names.at(random.bounded(names.size()));
        if (random.bounded(2))
            path += names.at(random.bounded(names.size()));
        QByteArray kind = kinds.at(random.bounded(kinds.size()));
        if (taken.contains(path))
            continue;
        taken << path;
        if (kind == " -> ")
            kind += files.at(random.bounded(files.size()));
        else if (kind == "/")
            folders << path + kind;
        else if (kind.isEmpty())
            files << path;
        entries << path + kind;
    }
    *someFolder = folders.at(random.bounded(folders.size()));
    return entries.join('|');
}

// Removes name with at most limit descriptors open, the limit raised again after.
bool removeUnderLimit(const QString &name, rlim_t limit)
{
    rlimit previous;
    if (::getrlimit(RLIMIT_NOFILE, &previous) != 0)
        return false;
    const rlimit limited = {limit, previous.rlim_max};
    const bool removed = ::setrlimit(RLIMIT_NOFILE, &limited) == 0 && TavShare::removeDir(name);
    return ::setrlimit(RLIMIT_NOFILE, &previous) == 0 && removed;
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

    // QDir cannot remove names that are not UTF-8.
    void cleanup()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root.constData(), ignored);
    }

    void noDescriptorsLeft()
    {
#ifdef TAVSHARE_SANITIZED
        QSKIP("The sanitizer runtime needs descriptors of its own and misreports when none are left");
#endif
        makeEntries(m_root, "top/a.txt|top/sub/b.txt");
        QVERIFY(!removeUnderLimit(QStringLiteral("top"), 0));
        QCOMPARE(entriesBelow(m_root), QByteArray("top|top/a.txt|top/sub|top/sub/b.txt"));
    }

    // The library's listing of a folder of generated names and entries against QDir's.
    void listingOrder_data()
    {
        QTest::addColumn<QByteArray>("names");
        QTest::addColumn<int>("count");
        QTest::newRow("few, insertion sorted") << QByteArray("a|A|b|B|zz|Zz|zZ|ZZ") << 12;
        QTest::newRow("equal but for case") << QByteArray("a|A|b|B|zz|Zz|zZ|ZZ|ab|Ab|aB|AB|x1|x10|x2") << 120;
        QTest::newRow("beyond ASCII") << QByteArray("é|É|ß|ss|SS|İ|i̇|ı|K|k|ǅ|ǆ|Ǆ|Σ|σ|ς|𐐀|𐐨|ﬀ|ａ|Ａ|\xef\xbb\xbf" "bom") << 150;
        QTest::newRow("not UTF-8") << QByteArray("a|A|\xff|caf\xe9|\xed\xa0\x80|\xc0\xaf|\xf8\x88\x80\x80|\xf4\x90\x80\x80|é") << 60;
    }

    void listingOrder()
    {
        QFETCH(QByteArray, names);
        QFETCH(int, count);
        QByteArray top; // the only folder: "/f" makes one with a file in it, which takes no entries
        makeEntries(m_root, generatedTree(names.split('|'), {"", "", "", "/f", " (fifo)", " -> ", " -> outside", " -> nowhere"}, count, count, &top));
        const int descriptor = ::open(m_root + "/top", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        FolderListing listing;
        QVERIFY(listFolder(descriptor, ListingOrder::AsQDir, &listing) && ::close(descriptor) == 0);
        QByteArrayList listed;
        for (const FolderListing::Entry &entry : listing.entries)
            listed << listing.name(entry);
        QCOMPARE(listed.join('|'), QFile::encodeName(TavTest::referenceListing(QStringLiteral("top")).join(QLatin1Char('|'))));
    }

    // The same tree twice, removed by the reference on one copy and by the library on the
    // other, as a user who cannot change the folder locked. Results and what stays must be
    // equal but where the library deliberately differs; it never touches outside/.
    void matchesReference_data()
    {
        QTest::addColumn<QByteArray>("tree");
        QTest::addColumn<QByteArray>("locked"); // also unreadable with " (unreadable)"
        QTest::addColumn<QString>("differs"); // why, if the library differs
        QTest::addColumn<QString>("name"); // given to both
        const auto row = [](const char *tag, const QByteArray &tree, const QByteArray &locked = {}, const QString &differs = {}, const QString &name = QStringLiteral("top")) {
            QTest::newRow(tag) << tree << locked << differs << name;
        };
        row("empty name", "top/a.txt", {}, {}, QString());
        row("missing folder", "top/a.txt", {}, {}, QStringLiteral("absent"));
        row("name with a NUL", "victim/a.txt", {}, {}, QString::fromUtf8("victim\0junk", 11));
        row("link to a file", "a.txt|top -> a.txt");
        row("dangling link", "top -> nowhere", {}, {}, QStringLiteral("top/"));
        row("files and folders", "top/a|top/sub/deeper/b|top/empty/|top/Modèle µm/d e|top/café");
        row("entries that stay", "top/a.txt|top/h/.hidden|top/.hidden/a|top/f/pipe (fifo)|top/d/dangling -> nowhere|top/gone/|top/\xff\xfe/\x80\xc0|top/caf\xe9|top/\xe9t\xe9/\xe9/");
        row("links to files", "top/libfoo1.so.1|top/libfoo1.so -> top/libfoo1.so.1|top/lib/libbar.so.3|top/libbar.so -> top/lib/libbar.so.3|outside/kept.txt|top/sub/link -> outside/kept.txt");
        row("link to a folder inside", "top/v1/a|top/v1/b/c|top/current -> top/v1");
        row("top is a link to a folder", "real/a|real/sub/b|real/.hidden|top -> real");
        row("mixed case, locked", "top/a|top/A|top/b|top/B|top/zz|top/Zz|top/zZ|top/ZZ|top/é|top/É|top/m/locked|top/M|top/x1|top/x10|top/x2|top/y|top/Y|top/ab|top/Ab|top/aB|top/AB", "top/m");
        row("file link, locked", "top/a/1|top/a/2|top/b -> top/a/1|top/c/x|top/z/f", "top/c");
        row("unreadable folder", "top/a|top/u/f|top/v/", "top/u (unreadable)");
        row("unreadable empty folder", "top/a|top/u/", "top/u (unreadable)");
        const QByteArrayList names = QByteArray("a|A|b|B|zz|Zz|zZ|ZZ|x1|x10|x2|é|É|ß|SS|İ|ǅ|ǆ|𐐀|𐐨|\xff|caf\xe9|.h|\xef\xbb\xbf" "bom").split('|');
        QByteArray locked;
        for (quint32 seed = 1; seed <= 12; ++seed) {
            const QByteArray tree = generatedTree(names, {"", "", "", "/", "/", " (fifo)", " -> nowhere", " -> "}, seed, seed == 12 ? 600 : 40, &locked);
            QTest::addRow("generated %u", seed) << tree << (seed % 2 ? locked : QByteArray()) << QString() << QStringLiteral("top");
        }
        // Attack cases: QFileInfo::isDir follows a link, so the reference walks into the
        // folder it leads to, wherever that is, and loops with a link to a folder above it.
        // The library never follows a link below the top; a link to a folder stays, and
        // keeps its folder. Not compared here: an entry that another process removes or
        // exchanges between listing and removal (the reference stops on a file already
        // gone; the library counts it as removed and never follows what took its place:
        // folderSwappedForLink), a tree deeper than a path may be long (the reference cannot
        // reach it: deepTree), and a top name that cannot be reached for another reason than
        // its absence, such as a folder on the way that may not be searched (the reference
        // finds no folder and gives true; the library gives false).
        row("link to a folder outside", "outside/kept.txt|outside/deeper/kept.txt|top/a|top/sub/link -> outside", {},
            QStringLiteral("the reference empties the folder outside"));
        // The top's name is a link another user put in a folder all may write: whoever may
        // write there could point it at any folder of ours, so the library does not follow it.
        row("planted link to a folder", "outside/a|outside/sub/b|shared/top -> outside", {},
            QStringLiteral("the reference follows the link and empties the folder outside"), QStringLiteral("shared/top"));
        row("link to a folder, locked", "top/a/1|top/a/2|top/c/x|top/z -> top/a", "top/c",
            QStringLiteral("the reference removes the files of top/a through the link first"));
    }

    void matchesReference()
    {
        QFETCH(QByteArray, tree);
        QFETCH(QByteArray, locked);
        QFETCH(QString, differs);
        QFETCH(QString, name);
        const QByteArray copies[] = {m_root + "/reference", m_root + "/library"};
        for (const QByteArray &copy : copies) {
            makeEntries(copy, tree); // makes copy too
            for (const auto &entry : std::filesystem::recursive_directory_iterator(copy.toStdString()))
                QVERIFY(::lchown(entry.path().c_str(), 65534, 65534) == 0);
            QVERIFY(::chown(copy, 65534, 65534) == 0);
            const QByteArray lockedPath = copy + '/' + locked.split(' ').first();
            QVERIFY(locked.isEmpty() || (::chown(lockedPath, 0, 0) == 0 && ::chmod(lockedPath, locked.endsWith(" (unreadable)") ? 0311 : 0755) == 0));
            QVERIFY(!tree.contains("shared/") || (::chmod(copy + "/shared", 01777) == 0 && ::lchown(copy + "/shared/top", 4242, 4242) == 0));
        }
        const QByteArray outside = entriesBelow(copies[1] + "/outside");
        bool reference, library;
        {
            const TavTest::Unprivileged unprivileged;
            if (!unprivileged.isActive())
                QSKIP("cannot act as an unprivileged user");
            QVERIFY(QDir::setCurrent(QFile::decodeName(copies[0])));
            reference = TavTest::referenceRemoveDir(name);
            QVERIFY(QDir::setCurrent(QFile::decodeName(copies[1])));
            library = TavShare::removeDir(name);
        }
        QCOMPARE(library, reference);
        QCOMPARE(entriesBelow(copies[1] + "/outside"), outside);
        if (!differs.isEmpty())
            QEXPECT_FAIL("", qPrintable(differs), Continue);
        QCOMPARE(entriesBelow(copies[1]), entriesBelow(copies[0]));
    }

    void deepTree()
    {
        // Far deeper than a path may be long, so built from within. A file beside each
        // folder may still wait in a folder the walk has closed to go deeper.
        for (int level = 0; level < 10000; ++level)
            QVERIFY(::mkdir("d", 0755) == 0 && ::chdir("d") == 0 && ::close(::open("f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644)) == 0);
        QVERIFY(QDir::setCurrent(m_work->path()));
        // Room for 100 more descriptors, far fewer than there are levels.
        const qsizetype open = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
        QVERIFY(removeUnderLimit(QStringLiteral("d"), rlim_t(open + 100)) && !QFileInfo::exists(QStringLiteral("d")));
    }

    // Another process exchanges a folder of the tree with a link to a folder outside, over
    // and over, while the tree is removed. Whatever it catches, nothing outside goes.
    void folderSwappedForLink()
    {
        makeEntries(m_root, "outside/deeper/kept.txt|outside/kept.txt");
        const auto exchange = [] { return ::renameat2(AT_FDCWD, "top/a/b", AT_FDCWD, "held/link", RENAME_EXCHANGE); };
        for (int round = 0; round < 200; ++round) {
            makeEntries(m_root, "held/link -> outside|top/0|top/1|top/a/0|top/a/1|top/a/b/0|top/a/b/1|top/a/b/c/0|top/a/b/c/1");
            QVERIFY(exchange() == 0 && exchange() == 0);
            const pid_t swapper = ::fork();
            QVERIFY(swapper >= 0);
            if (swapper == 0)
                for (;;)
                    exchange();
            TavShare::removeDir(QStringLiteral("top"));
            ::kill(swapper, SIGKILL);
            QCOMPARE(::waitpid(swapper, nullptr, 0), swapper);
            QCOMPARE(entriesBelow(m_root + "/outside"), QByteArray("deeper|deeper/kept.txt|kept.txt"));
            QVERIFY(QDir(QStringLiteral("held")).removeRecursively() && QDir(QStringLiteral("top")).removeRecursively());
        }
    }

private:
    QScopedPointer<QTemporaryDir> m_work;
    QByteArray m_root;
};

TAVTEST_MAIN(TestRemoveDir)
#include "tst_removedir.moc"
