#include "TavShare.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Creates the files and, for names ending in "/", the folders below root.
void makeTree(const QString &root, const QStringList &entries)
{
    QVERIFY(QDir().mkpath(root));
    for (const QString &entry : entries) {
        const QString path = root + QLatin1Char('/') + entry;
        if (entry.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("content");
        }
    }
}

// Also true for links, dangling ones included.
bool isPresent(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
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

    void nothingToRemove_data();
    void nothingToRemove();
    void removesTree_data();
    void removesTree();
    void unlistedEntryKeepsFolder_data();
    void unlistedEntryKeepsFolder();
    void linksAreRemovedNotFollowed();
    void unremovableFileStopsWalk();

private:
    QString path(const QString &name) const { return m_work->filePath(name); }

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
    makeTree(m_work->path(), {QStringLiteral("marker.txt")});
}

void TestRemoveDir::cleanup()
{
    // A folder left read-only by a case would stop the temporary folder's own removal.
    setMode(path(QStringLiteral("top/locked")), 0755);
    m_work.reset();
}

void TestRemoveDir::nothingToRemove_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty name") << QString();
    QTest::newRow("missing folder") << QStringLiteral("absent");
}

void TestRemoveDir::nothingToRemove()
{
    QFETCH(QString, name);
    QVERIFY(QDir::setCurrent(m_work->path()));
    QVERIFY(TavShare::removeDir(name));
    QVERIFY(QFileInfo::exists(path(QStringLiteral("marker.txt"))));
}

void TestRemoveDir::removesTree_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("empty folder") << QStringList();
    QTest::newRow("nested tree") << QStringList{QStringLiteral("a.txt"), QStringLiteral("sub/b.txt"), QStringLiteral("sub/deeper/c.txt"),
                                                QStringLiteral("sub/empty/"), QString::fromUtf8("Modèle µm/d e.txt"), QStringLiteral("other/")};
}

void TestRemoveDir::removesTree()
{
    QFETCH(QStringList, entries);
    const QString top = path(QStringLiteral("top"));
    makeTree(top, entries);
    QVERIFY(TavShare::removeDir(top));
    QVERIFY(!isPresent(top));
    QVERIFY(QFileInfo::exists(path(QStringLiteral("marker.txt"))));
}

void TestRemoveDir::unlistedEntryKeepsFolder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("hidden file") << QStringLiteral("hidden file");
    QTest::newRow("hidden folder") << QStringLiteral("hidden folder");
    QTest::newRow("fifo") << QStringLiteral("fifo");
    QTest::newRow("dangling link") << QStringLiteral("dangling link");
}

void TestRemoveDir::unlistedEntryKeepsFolder()
{
    QFETCH(QString, kind);
    const QString top = path(QStringLiteral("top"));
    makeTree(top, {QStringLiteral("a.txt"), QStringLiteral("sub/b.txt"), QStringLiteral("other/c.txt")});
    // What must survive: the unlisted entry, or for a hidden folder a file inside it.
    QString kept = top + QStringLiteral("/sub/.unlisted");
    if (kind == QLatin1String("hidden file")) {
        makeTree(top, {QStringLiteral("sub/.unlisted")});
    } else if (kind == QLatin1String("hidden folder")) {
        kept += QStringLiteral("/inside.txt");
        makeTree(top, {QStringLiteral("sub/.unlisted/inside.txt")});
    } else if (kind == QLatin1String("fifo")) {
        kept = top + QStringLiteral("/sub/fifo");
        QVERIFY(::mkfifo(QFile::encodeName(kept).constData(), 0644) == 0);
    } else {
        kept = top + QStringLiteral("/sub/dangling");
        QVERIFY(::symlink("nowhere", QFile::encodeName(kept).constData()) == 0);
    }

    QVERIFY(!TavShare::removeDir(top));
    QVERIFY(isPresent(kept));
    QVERIFY(QFileInfo(top + QStringLiteral("/sub")).isDir());
    QCOMPARE(QDir(top).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("sub")});
    QVERIFY(!QFileInfo::exists(top + QStringLiteral("/sub/b.txt")));
}

void TestRemoveDir::linksAreRemovedNotFollowed()
{
    const QString outside = path(QStringLiteral("outside"));
    const QStringList outsideEntries{QStringLiteral("kept.txt"), QStringLiteral("deeper/kept.txt"), QStringLiteral("deeper/empty/")};
    makeTree(outside, outsideEntries);
    const QString top = path(QStringLiteral("top"));
    makeTree(top, {QStringLiteral("a.txt"), QStringLiteral("sub/")});
    QVERIFY(QFile::link(outside, top + QStringLiteral("/folder link")));
    QVERIFY(QFile::link(outside + QStringLiteral("/kept.txt"), top + QStringLiteral("/sub/file link")));
    const QString topLink = path(QStringLiteral("top link"));
    QVERIFY(QFile::link(outside, topLink));

    QVERIFY(TavShare::removeDir(top));
    QVERIFY(!isPresent(top));
    // A link given as the folder itself goes as a link too, even named as a folder.
    QVERIFY(TavShare::removeDir(topLink + QLatin1Char('/')));
    QVERIFY(!isPresent(topLink));
    for (const QString &entry : outsideEntries)
        QVERIFY2(QFileInfo::exists(outside + QLatin1Char('/') + entry), qPrintable(entry));
}

void TestRemoveDir::unremovableFileStopsWalk()
{
    const QString top = path(QStringLiteral("top"));
    makeTree(top, {QStringLiteral("free/free.txt"), QStringLiteral("locked/locked.txt")});
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
    QVERIFY(QFileInfo::exists(top + QStringLiteral("/locked/locked.txt")));
    QCOMPARE(QFileInfo::exists(top + QStringLiteral("/free/free.txt")), lockedFirst);
    QVERIFY(QFileInfo(top + QStringLiteral("/free")).isDir());
}

TAVTEST_MAIN(TestRemoveDir)
#include "tst_removedir.moc"
