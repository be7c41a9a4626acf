#include "TavShare.h"
#include "lockfile_p.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QProcess>

#include <csignal>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString appName = QStringLiteral("lockapp");

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
}

QStringList failure(const QString &where, const QString &what)
{
    return {where, QStringLiteral("%1  \"%2\"").arg(what, TavShare::getLockFilePath())};
}

bool allDebugMessages(const TavTest::MessageCapture &capture)
{
    for (const TavTest::MessageCapture::Message &message : capture.messages()) {
        if (message.type != QtDebugMsg)
            return false;
    }
    return true;
}

struct PeerResult {
    int exitCode;
    QByteArray output;
    QByteArray errors;
};

// Starts one lockpeer per argument list, lets them all go at once and waits for them.
QList<PeerResult> runPeers(const QList<QStringList> &argumentLists)
{
    std::vector<std::unique_ptr<QProcess>> peers;
    for (const QStringList &arguments : argumentLists) {
        peers.push_back(std::make_unique<QProcess>());
        peers.back()->start(QStringLiteral(LOCKPEER_PATH), arguments);
    }
    for (const auto &peer : peers)
        peer->waitForStarted();
    // QProcess writes only from its event loop or a waitFor call: flush each one now.
    for (const auto &peer : peers) {
        peer->write("\n");
        peer->waitForBytesWritten();
    }
    QList<PeerResult> results;
    for (const auto &peer : peers) {
        const bool finished = peer->waitForFinished(300000) && peer->exitStatus() == QProcess::NormalExit;
        results.append({finished ? peer->exitCode() : -1, peer->readAllStandardOutput(), peer->readAllStandardError()});
    }
    return results;
}

} // namespace

class TestLockFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lockFilePathFollowsApplicationName();
    void emptyApplicationName();
    void firstLockCreatesFile();
    void listedFileIsNotRewritten();
    void rewriteDropsEmptyLinesAndTrims_data();
    void rewriteDropsEmptyLinesAndTrims();
    void handleForTools();
    void formsOfOnePath_data();
    void formsOfOnePath();
    void unusualPathsRoundTrip_data();
    void unusualPathsRoundTrip();
    void release_data();
    void release();
    void releaseWithoutLockFile();
    void linksAndOddFilesAreNotUsed_data();
    void linksAndOddFilesAreNotUsed();
    void permissions_data();
    void permissions();
    void failedRewriteKeepsContent();
    void concurrentProcessesLoseNothing();
    void racingProcessesGetOneLock();

private:
    QString filePath(const QString &name) const { return m_files.filePath(name); }

    QTemporaryDir m_files;
    QString m_model;
};

void TestLockFile::initTestCase()
{
    QVERIFY(m_files.isValid());
    m_model = filePath(QStringLiteral("model.xml"));
    writeFile(m_model, "<model/>");
    // Let the unprivileged user of the permission cases reach the lock file and m_model.
    const QString sandboxRoot = QFileInfo(QDir::tempPath()).path();
    QVERIFY(::chmod(QFile::encodeName(sandboxRoot).constData(), 0711) == 0);
    QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(m_files.path()).constData(), 0755) == 0);
}

void TestLockFile::init()
{
    QCoreApplication::setApplicationName(appName);
    QVERIFY(!QFileInfo::exists(TavShare::getLockFilePath()));
}

void TestLockFile::cleanup()
{
    ::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0755);
    QCoreApplication::setApplicationName(appName);
    const QString lockFile = TavShare::getLockFilePath();
    if (!QFile::remove(lockFile))
        QDir().rmdir(lockFile);
    QDir::setCurrent(QDir::rootPath());
}

void TestLockFile::lockFilePathFollowsApplicationName()
{
    QCOMPARE(TavShare::getLockFilePath(), QDir::tempPath() + QStringLiteral("/lockapp.lock"));
    QCOMPARE(TavShare::getLock(m_model), 0);

    QCoreApplication::setApplicationName(QStringLiteral("otherapp"));
    const QString otherLockFile = TavShare::getLockFilePath();
    QCOMPARE(otherLockFile, QDir::tempPath() + QStringLiteral("/otherapp.lock"));
    QCOMPARE(TavShare::getLock(m_model), 0);
    QCOMPARE(TavShare::getLock(m_model), 1);
    QVERIFY(QFile::remove(otherLockFile));
}

void TestLockFile::emptyApplicationName()
{
    // With an application object the name falls back to the executable's.
    QProcess peer;
    peer.start(QStringLiteral(LOCKPEER_PATH), {QStringLiteral("path")});
    QVERIFY(peer.waitForFinished());
    QCOMPARE(QString::fromUtf8(peer.readAllStandardOutput()), QDir::tempPath() + QStringLiteral("/.lock\n"));
}

void TestLockFile::firstLockCreatesFile()
{
    const QString file = filePath(QStringLiteral("not yet saved.xml"));
    QCOMPARE(TavShare::getLock(file), 0);
    QCOMPARE(contentOf(TavShare::getLockFilePath()), file.toUtf8());
}

void TestLockFile::listedFileIsNotRewritten()
{
    const QByteArray content = "/elsewhere/a.xml\n\n  " + m_model.toUtf8() + " \n";
    writeFile(TavShare::getLockFilePath(), content);
    TavTest::MessageCapture capture;
    QCOMPARE(TavShare::getLock(m_model), 1);
    QCOMPARE(contentOf(TavShare::getLockFilePath()), content);

    const QString other = filePath(QStringLiteral("other.xml"));
    QCOMPARE(TavShare::getLock(other), 0);
    QCOMPARE(TavShare::getLock(other), 1);
    QVERIFY(capture.messages().isEmpty());
}

void TestLockFile::rewriteDropsEmptyLinesAndTrims_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("empty and padded lines") << QByteArray("/a\r\n\n  /b \t\n   \n") << 0 << QByteArray("/a\n/b\n/c");
    QTest::newRow("Unicode blanks") << QByteArray("\u00a0/a\u3000\n /\u00e9 \n\u2029") << 0 << QByteArray("/a\n/\u00e9\n/c");
    QTest::newRow("listed between Unicode blanks") << QByteArray("/a\n\u00a0/c\u00a0\n") << 1 << QByteArray("/a\n\u00a0/c\u00a0\n");
    QTest::newRow("a prefix is no match") << QByteArray("/c/d\n/") << 0 << QByteArray("/c/d\n/\n/c");
}

void TestLockFile::rewriteDropsEmptyLinesAndTrims()
{
    QFETCH(QByteArray, before);
    QFETCH(int, result);
    QFETCH(QByteArray, after);
    writeFile(TavShare::getLockFilePath(), before);
    QCOMPARE(TavShare::getLock(QStringLiteral("/c")), result);
    QCOMPARE(contentOf(TavShare::getLockFilePath()), after);
}

void TestLockFile::handleForTools()
{
    const QString lockFile = TavShare::getLockFilePath();
    {
        LockFileHandle missing(lockFile, LockFileHandle::OpenExisting);
        QCOMPARE(missing.status(), LockFileHandle::CannotOpen);
        QVERIFY(!missing.rewrite({QStringLiteral("/a")}));
    }
    QVERIFY(!QFileInfo::exists(lockFile));

    writeFile(lockFile, QString::fromUtf8(" /a\n\n/b \u00b5m\n/c\n/a").toUtf8());
    LockFileHandle handle(lockFile, LockFileHandle::OpenExisting);
    QCOMPARE(handle.status(), LockFileHandle::Open);
    QCOMPARE(handle.entries(), QStringList({QStringLiteral("/a"), QString::fromUtf8("/b \u00b5m"), QStringLiteral("/c"), QStringLiteral("/a")}));
    QVERIFY(handle.rewrite({QString::fromUtf8("/b \u00b5m"), QStringLiteral("/d")}));
    QCOMPARE(handle.remove(QStringLiteral("/x")), LockFileHandle::Unchanged);
    QCOMPARE(handle.remove(QStringLiteral("/d")), LockFileHandle::Rewritten);
    QCOMPARE(handle.entries(), QStringList{QString::fromUtf8("/b \u00b5m")});
    QCOMPARE(contentOf(lockFile), QString::fromUtf8("/b \u00b5m").toUtf8());
}

void TestLockFile::formsOfOnePath_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("relative") << QStringLiteral("model.xml");
    QTest::newRow("dot segments") << QStringLiteral("./sub/../model.xml");
    QTest::newRow("doubled separators") << m_files.path() + QStringLiteral("//model.xml");
}

void TestLockFile::formsOfOnePath()
{
    QFETCH(QString, form);
    QVERIFY(QDir::setCurrent(m_files.path()));
    QVERIFY(QDir().mkpath(QStringLiteral("sub")));
    QCOMPARE(TavShare::getLock(m_model), 0);
    QCOMPARE(TavShare::getLock(form), 1);
    QVERIFY(TavShare::releaseLock(form));
    QCOMPARE(contentOf(TavShare::getLockFilePath()), QByteArray());
}

void TestLockFile::unusualPathsRoundTrip_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("blanks") << filePath(QStringLiteral(" my  model file.xml"));
    QTest::newRow("non-ASCII") << filePath(QString::fromUtf8("Modèle µm² → β.xml"));
    QString longPath = m_files.path();
    for (int depth = 0; depth < 15; ++depth)
        longPath += QLatin1Char('/') + QString(200, QLatin1Char('a' + depth));
    QTest::newRow("long") << longPath + QStringLiteral("/model.xml");
}

void TestLockFile::unusualPathsRoundTrip()
{
    QFETCH(QString, path);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    writeFile(path, "<model/>");

    QCOMPARE(TavShare::getLock(path), 0);
    QCOMPARE(contentOf(TavShare::getLockFilePath()), path.toUtf8());
    QCOMPARE(TavShare::getLock(path), 1);
    QVERIFY(TavShare::releaseLock(path));
    QCOMPARE(contentOf(TavShare::getLockFilePath()), QByteArray());
}

void TestLockFile::release_data()
{
    // "@" stands for the entry of the released file.
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<bool>("released");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("only entry") << QByteArray("@") << true << true << QByteArray();
    QTest::newRow("duplicates") << QByteArray("/x\n@\n  @ \n\n/y\n@") << true << true << QByteArray("/x\n/y");
    QTest::newRow("between kept lines") << QByteArray("/w\n/x\n@\n/y\n\n/z\n") << true << true << QByteArray("/w\n/x\n/y\n/z");
    QTest::newRow("Unicode blanks") << QByteArray("\u3000@\u00a0\n/\u00e9") << true << true << QByteArray("/\u00e9");
    QTest::newRow("not listed") << QByteArray("/x\n\n /y\n") << true << false << QByteArray("/x\n\n /y\n");
    QTest::newRow("file gone") << QByteArray("@") << false << false << QByteArray("@");
}

void TestLockFile::release()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, fileExists);
    QFETCH(bool, released);
    QFETCH(QByteArray, after);
    const QString file = fileExists ? m_model : filePath(QStringLiteral("deleted.xml"));
    writeFile(TavShare::getLockFilePath(), before.replace('@', file.toUtf8()));

    TavTest::MessageCapture capture;
    QCOMPARE(TavShare::releaseLock(file), released);
    QCOMPARE(contentOf(TavShare::getLockFilePath()), after.replace('@', file.toUtf8()));
    QVERIFY(capture.messages().isEmpty());
}

void TestLockFile::releaseWithoutLockFile()
{
    TavTest::MessageCapture capture;
    QVERIFY(!TavShare::releaseLock(m_model));
    QCOMPARE(capture.texts(), failure(QStringLiteral("Error found at bool TavShare::releaseLock(const QString & file) 1"), QStringLiteral("Can't read file")));
    QVERIFY(allDebugMessages(capture));
    QVERIFY(!QFileInfo::exists(TavShare::getLockFilePath()));
}

void TestLockFile::linksAndOddFilesAreNotUsed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("release");
    for (const char *kind : {"link to a file", "dangling link", "folder", "fifo", "hard link"}) {
        QTest::addRow("%s, take", kind) << QString::fromLatin1(kind) << false;
        QTest::addRow("%s, release", kind) << QString::fromLatin1(kind) << true;
    }
}

void TestLockFile::linksAndOddFilesAreNotUsed()
{
    QFETCH(QString, kind);
    QFETCH(bool, release);
    // The target lists m_model, so following the link would rewrite it either way.
    const QString target = filePath(QStringLiteral("target.txt"));
    const QByteArray targetContent = m_model.toUtf8() + '\n';
    writeFile(target, targetContent);
    const QString absent = filePath(QStringLiteral("absent.txt"));
    const QByteArray lockFile = QFile::encodeName(TavShare::getLockFilePath());
    if (kind == QLatin1String("link to a file"))
        QVERIFY(::symlink(QFile::encodeName(target).constData(), lockFile.constData()) == 0);
    else if (kind == QLatin1String("dangling link"))
        QVERIFY(::symlink(QFile::encodeName(absent).constData(), lockFile.constData()) == 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(::mkdir(lockFile.constData(), 0755) == 0);
    else if (kind == QLatin1String("fifo"))
        QVERIFY(::mkfifo(lockFile.constData(), 0644) == 0);
    else
        QVERIFY(::link(QFile::encodeName(target).constData(), lockFile.constData()) == 0);
    struct stat before;
    QVERIFY(::lstat(lockFile.constData(), &before) == 0);

    TavTest::MessageCapture capture;
    if (release) {
        QVERIFY(!TavShare::releaseLock(m_model));
        QCOMPARE(capture.texts(), failure(QStringLiteral("Error found at bool TavShare::releaseLock(const QString & file) 1"), QStringLiteral("Can't read file")));
    } else {
        QCOMPARE(TavShare::getLock(filePath(QStringLiteral("new.xml"))), 2);
        QCOMPARE(capture.texts(), failure(QStringLiteral("Error found at bool TavShare::getLock(const QString & file) 2"), QStringLiteral("Can't read file")));
    }
    QVERIFY(allDebugMessages(capture));
    QCOMPARE(contentOf(target), targetContent);
    QVERIFY(!QFileInfo::exists(absent));
    struct stat after;
    QVERIFY(::lstat(lockFile.constData(), &after) == 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
}

void TestLockFile::permissions_data()
{
    QTest::addColumn<int>("lockFileMode"); // -1: no lock file
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("release");
    QTest::addColumn<bool>("listedFile");
    QTest::addColumn<int>("result"); // releaseLock's as 0 or 1
    QTest::addColumn<QStringList>("messages");
    const QString take = QStringLiteral("Error found at bool TavShare::getLock(const QString & file) %1");
    const QString cantOpen = QStringLiteral("Can't open file");
    const QString cantRead = QStringLiteral("Can't read file");
    QTest::newRow("folder not writable, take") << -1 << 0555 << false << false << 3 << failure(take.arg(1), cantOpen);
    QTest::newRow("unreadable, take") << 0222 << 0755 << false << false << 2 << failure(take.arg(2), cantRead);
    QTest::newRow("unreadable, release") << 0222 << 0755 << true << true << 0
                                         << failure(QStringLiteral("Error found at bool TavShare::releaseLock(const QString & file) 1"), cantRead);
    QTest::newRow("read-only, take new") << 0444 << 0755 << false << false << 3 << failure(take.arg(3), cantOpen);
    QTest::newRow("read-only, take listed") << 0444 << 0755 << false << true << 1 << QStringList();
    QTest::newRow("read-only, release") << 0444 << 0755 << true << true << 0
                                        << failure(QStringLiteral("Error found at TavShare::releaseLock(const QString & file) 2"), cantOpen);
}

void TestLockFile::permissions()
{
    QFETCH(int, lockFileMode);
    QFETCH(int, folderMode);
    QFETCH(bool, release);
    QFETCH(bool, listedFile);
    QFETCH(int, result);
    QFETCH(QStringList, messages);
    const QString lockFile = TavShare::getLockFilePath();
    const QByteArray content = "/x\n\n" + m_model.toUtf8();
    if (lockFileMode >= 0) {
        writeFile(lockFile, content);
        QVERIFY(::chmod(QFile::encodeName(lockFile).constData(), mode_t(lockFileMode)) == 0);
    }
    QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), mode_t(folderMode)) == 0);
    const QString file = listedFile ? m_model : filePath(QStringLiteral("new.xml"));

    TavTest::MessageCapture capture;
    int actual;
    {
        TavTest::Unprivileged unprivileged;
        if (!unprivileged.isActive() || !TavTest::Unprivileged::canEnter(QFile::encodeName(QDir::tempPath())))
            QSKIP("cannot reach the temporary folder as an unprivileged user");
        actual = release ? int(TavShare::releaseLock(file)) : TavShare::getLock(file);
    }
    QCOMPARE(actual, result);
    QCOMPARE(capture.texts(), messages);
    QVERIFY(allDebugMessages(capture));
    if (lockFileMode >= 0)
        QVERIFY(::chmod(QFile::encodeName(lockFile).constData(), 0644) == 0);
    QCOMPARE(contentOf(lockFile), lockFileMode >= 0 ? content : QByteArray("<cannot read>"));
}

void TestLockFile::failedRewriteKeepsContent()
{
    const QString lockFile = TavShare::getLockFilePath();
    const QByteArray content = "/x\n\n  /y";
    writeFile(lockFile, content);

    TavTest::MessageCapture capture;
    rlimit unlimited;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    rlimit limited = unlimited;
    limited.rlim_cur = rlim_t(content.size());
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    const int result = TavShare::getLock(filePath(QStringLiteral("model with a long name.xml")));
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(result, 3);
    QCOMPARE(capture.texts(), failure(QStringLiteral("Error found at bool TavShare::getLock(const QString & file) 3"), QStringLiteral("Can't open file")));
    QCOMPARE(contentOf(lockFile), content);
}

void TestLockFile::concurrentProcessesLoseNothing()
{
    const int peerCount = 8;
    const QString folder = filePath(QStringLiteral("churn"));
    QVERIFY(QDir().mkpath(folder));
    QList<QStringList> arguments;
    for (int peer = 0; peer < peerCount; ++peer)
        arguments.append({appName, QStringLiteral("churn"), folder, QStringLiteral("peer%1").arg(peer), QStringLiteral("300")});

    const QList<PeerResult> results = runPeers(arguments);
    for (const PeerResult &peer : results) {
        QCOMPARE(peer.errors, QByteArray());
        QCOMPARE(peer.exitCode, 0);
    }
    QVERIFY(QFileInfo(TavShare::getLockFilePath()).isFile());
    QCOMPARE(contentOf(TavShare::getLockFilePath()), QByteArray());
}

void TestLockFile::racingProcessesGetOneLock()
{
    const int peerCount = 8;
    const int fileCount = 200;
    QStringList race = {appName, QStringLiteral("race")};
    for (int i = 0; i < fileCount; ++i)
        race << filePath(QStringLiteral("contested-%1.xml").arg(i));
    QList<QStringList> arguments;
    for (int peer = 0; peer < peerCount; ++peer)
        arguments.append(race);

    QVector<int> winners(fileCount, 0);
    for (const PeerResult &peer : runPeers(arguments)) {
        QCOMPARE(peer.exitCode, 0);
        const QList<QByteArray> results = peer.output.trimmed().split('\n');
        QCOMPARE(results.size(), fileCount);
        for (int i = 0; i < fileCount; ++i) {
            QVERIFY(results.at(i) == "0" || results.at(i) == "1");
            winners[i] += results.at(i) == "0";
        }
    }
    QCOMPARE(winners, QVector<int>(fileCount, 1));
}

TAVTEST_MAIN(TestLockFile)
#include "tst_lockfile.moc"
