// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QDirIterator>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Creates below root a file, a folder for a name ending in "/", or for "name -> target" a
// symbolic link to root/target.
void makeEntry(const QString &root, const QString &entry)
{
    const QString path = root + QLatin1Char('/') + entry.section(QStringLiteral(" -> "), 0, 0);
    QVERIFY(QDir().mkpath(entry.endsWith(QLatin1Char('/')) ? path : QFileInfo(path).path()));
    if (entry.contains(QStringLiteral(" -> "))) {
        const QString target = root + QLatin1Char('/') + entry.section(QStringLiteral(" -> "), 1);
        QVERIFY(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0);
    } else if (!entry.endsWith(QLatin1Char('/'))) {
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    }
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
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QStringList>("left");
    const char small[] = "top/a.txt|top/sub/b.txt|top/other/c.txt|";
    const char outside[] = "outside/kept.txt|outside/deeper/kept.txt|outside/deeper/empty/|";
    const QStringList outsideLeft = paths("outside|outside/deeper|outside/deeper/empty|outside/deeper/kept.txt|outside/kept.txt");
    QTest::newRow("empty name") << paths(small) << QString() << true << paths("top|top/a.txt|top/other|top/other/c.txt|top/sub|top/sub/b.txt");
    QTest::newRow("missing folder") << paths("top/a.txt") << QStringLiteral("absent") << true << paths("top|top/a.txt");
    QTest::newRow("empty folder") << paths("top/") << QStringLiteral("top") << true << QStringList();
    QTest::newRow("tree") << paths(small) + paths("top/sub/deeper/d.txt|top/sub/empty/|top/Modèle µm/d e.txt") << QStringLiteral("top") << true << QStringList();
    QTest::newRow("hidden file") << paths(small) + paths("top/sub/.hidden") << QStringLiteral("top") << false << paths("top|top/sub|top/sub/.hidden");
    QTest::newRow("dangling link") << paths(small) + paths("top/sub/dangling -> nowhere") << QStringLiteral("top") << false << paths("top|top/sub|top/sub/dangling");
    QTest::newRow("links out of the tree") << paths(outside) + paths(small) + paths("top/folder link -> outside|top/sub/file link -> outside/kept.txt")
                                           << QStringLiteral("top") << true << outsideLeft;
    // A link given as the folder goes as a link too, even named as a folder.
    QTest::newRow("link as the folder") << paths(outside) + paths("top link -> outside") << QStringLiteral("top link/") << true << outsideLeft;
}

void TestRemoveDir::removeDir()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, name);
    QFETCH(bool, removed);
    QFETCH(QStringList, left);
    for (const QString &entry : tree)
        makeEntry(m_work->path(), entry);
    QCOMPARE(TavShare::removeDir(name), removed);
    QCOMPARE(entriesBelow(m_work->path()), left);
}

void TestRemoveDir::unremovableFileStopsWalk()
{
    const QString top = m_work->filePath(QStringLiteral("top"));
    for (const QString &entry : paths("top/free/free.txt|top/locked/locked.txt"))
        makeEntry(m_work->path(), entry);
    QVERIFY(setMode(top + QStringLiteral("/free"), 0777));
    QVERIFY(setMode(top + QStringLiteral("/locked"), 0555));
    // The entry listed last is walked first, "locked" and all its contents included.
    const QStringList topEntries = QDir(top).entryList(QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot, QDir::NoSort);
    const bool lockedFirst = topEntries.last() == QLatin1String("locked");

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

TAVTEST_MAIN(TestRemoveDir)
#include "tst_removedir.moc"
