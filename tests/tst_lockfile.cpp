// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QProcess>

#include <csignal>
#include <memory>
#include <optional>
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

// The debug message pair of a failure: where it was found, and "Can't open file" or
// "Can't read file" with the lock file's path.
QStringList failure(const QString &where, const char *what)
{
    return {QStringLiteral("Error found at ") + where, QStringLiteral("Can't %1 file  \"%2\"").arg(QLatin1String(what), TavShare::getLockFilePath())};
}

// What stands at path: type, mode, owner and inode, and a regular file's size and start.
QByteArray snapshot(const QByteArray &path)
{
    struct stat status;
    if (::lstat(path.constData(), &status) != 0)
        return "nothing";
    const QByteArray identity = QByteArray::number(status.st_mode) + ' ' + QByteArray::number(status.st_uid) + ' ' + QByteArray::number(qulonglong(status.st_ino));
    QFile file(QFile::decodeName(path));
    if (!S_ISREG(status.st_mode) || !file.open(QIODevice::ReadOnly))
        return identity;
    return identity + ' ' + QByteArray::number(qlonglong(status.st_size)) + '\n' + file.read(65536);
}

// The user that TavTest::Unprivileged makes of us.
uid_t unprivilegedUser()
{
    const TavTest::Unprivileged unprivileged;
    return ::geteuid();
}

// Starts one lockpeer per argument list and lets them all go at once. Returns what each
// wrote, followed by "failed" for a peer that did not end with exit status 0.
QList<QByteArray> runPeers(const QVector<QStringList> &argumentLists)
{
    std::vector<std::unique_ptr<QProcess>> peers;
    for (const QStringList &arguments : argumentLists) {
        peers.push_back(std::make_unique<QProcess>());
        peers.back()->setProcessChannelMode(QProcess::MergedChannels);
        peers.back()->start(QStringLiteral(LOCKPEER_PATH), arguments);
        peers.back()->waitForStarted();
    }
    // QProcess writes only from its event loop or a waitFor call: flush each one now.
    for (const auto &peer : peers) {
        peer->write("\n");
        peer->waitForBytesWritten();
    }
    QList<QByteArray> outputs;
    for (const auto &peer : peers) {
        const bool succeeded = peer->waitForFinished(300000) && peer->exitStatus() == QProcess::NormalExit && peer->exitCode() == 0;
        outputs.append(peer->readAll() + (succeeded ? "" : "failed"));
    }
    return outputs;
}

} // namespace

class TestLockFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void lockFilePerApplicationName();
    void content_data();
    void content();
    void pathsRoundTrip_data();
    void pathsRoundTrip();
    void othersMayNotWrite_data();
    void othersMayNotWrite();
    void failures_data();
    void failures();
    void concurrentProcessesLoseNothing();
    void racingProcessesGetOneLock();

private:
    QString filePath(const QString &name) const { return m_files.filePath(name); }

    QTemporaryDir m_files;
    QString m_model;
};

void TestLockFile::initTestCase()
{
    // Before the first _data function too, whose expected messages name the lock file.
    QCoreApplication::setApplicationName(appName);
    QVERIFY(m_files.isValid());
    m_model = filePath(QStringLiteral("model.xml"));
    writeFile(m_model, "<model/>");
    // Let the unprivileged user of the failure cases reach the lock file and m_model.
    const QString sandboxRoot = QFileInfo(QDir::tempPath()).path();
    QVERIFY(::chmod(QFile::encodeName(sandboxRoot).constData(), 0711) == 0);
    QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(m_files.path()).constData(), 0755) == 0);
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

void TestLockFile::lockFilePerApplicationName()
{
    QCOMPARE(TavShare::getLockFilePath(), QDir::tempPath() + QStringLiteral("/lockapp.lock"));
    QCOMPARE(TavShare::getLock(m_model), 0);
    QCoreApplication::setApplicationName(QStringLiteral("otherapp"));
    QCOMPARE(TavShare::getLock(m_model), 0);
    QVERIFY(QFile::remove(QDir::tempPath() + QStringLiteral("/otherapp.lock")));
}

void TestLockFile::content_data()
{
    // "@" stands for the entry of the file that is taken or released.
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("release");
    QTest::addColumn<int>("result"); // releaseLock's as 0 or 1
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("take, emptied file") << QByteArray("") << false << 0 << QByteArray("@");
    QTest::newRow("take, empty and padded lines") << QByteArray("/a\r\n\n  /b \t\n   \n") << false << 0 << QByteArray("/a\n/b\n@");
    QTest::newRow("take, Unicode blanks") << QByteArray("\u00a0/a\u3000\n /\u00e9 \n\u2029") << false << 0 << QByteArray("/a\n/\u00e9\n@");
    QTest::newRow("take, prefixes are no match") << QByteArray("@.old\n/") << false << 0 << QByteArray("@.old\n/\n@");
    QTest::newRow("take, listed") << QByteArray("/a\n\n  @ \n") << false << 1 << QByteArray("/a\n\n  @ \n");
    QTest::newRow("take, listed in Unicode blanks") << QByteArray("/a\n\u00a0@\u00a0\n") << false << 1 << QByteArray("/a\n\u00a0@\u00a0\n");
    QTest::newRow("release, only entry") << QByteArray("@") << true << 1 << QByteArray();
    QTest::newRow("release, duplicates") << QByteArray("/x\n@\n  @ \n\n/y\n@") << true << 1 << QByteArray("/x\n/y");
    QTest::newRow("release, between kept lines") << QByteArray("/w\n/x\n@\n/y\n\n/z\n") << true << 1 << QByteArray("/w\n/x\n/y\n/z");
    QTest::newRow("release, not listed") << QByteArray("/x\n\n /y\n") << true << 0 << QByteArray("/x\n\n /y\n");
}

void TestLockFile::content()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, release);
    QFETCH(int, result);
    QFETCH(QByteArray, after);
    writeFile(TavShare::getLockFilePath(), before.replace('@', m_model.toUtf8()));
    TavTest::MessageCapture capture;
    QCOMPARE(release ? int(TavShare::releaseLock(m_model)) : TavShare::getLock(m_model), result);
    QCOMPARE(contentOf(TavShare::getLockFilePath()), after.replace('@', m_model.toUtf8()));

    // Once the file is gone from disk, its entry stays.
    QVERIFY(QFile::rename(m_model, m_model + QStringLiteral(".away")));
    QVERIFY(!TavShare::releaseLock(m_model));
    QVERIFY(QFile::rename(m_model + QStringLiteral(".away"), m_model));
    QCOMPARE(contentOf(TavShare::getLockFilePath()), after);
    QVERIFY(capture.messages().isEmpty());
}

void TestLockFile::pathsRoundTrip_data()
{
    // The file is taken as path, then taken again and released as form.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("form");
    QTest::newRow("relative") << m_model << QStringLiteral("model.xml");
    QTest::newRow("dot segments") << m_model << QStringLiteral("./sub/../model.xml");
    QTest::newRow("doubled separators") << m_model << m_files.path() + QStringLiteral("//model.xml");
    const QString blanks = filePath(QStringLiteral(" my  model file.xml"));
    QTest::newRow("blanks") << blanks << blanks;
    const QString nonAscii = filePath(QString::fromUtf8("Modèle µm² → β.xml"));
    QTest::newRow("non-ASCII") << nonAscii << nonAscii;
    QString longPath = m_files.path();
    for (int depth = 0; depth < 15; ++depth)
        longPath += QLatin1Char('/') + QString(200, QLatin1Char('a' + depth));
    longPath += QStringLiteral("/model.xml");
    QTest::newRow("long") << longPath << longPath;
}

void TestLockFile::pathsRoundTrip()
{
    QFETCH(QString, path);
    QFETCH(QString, form);
    QVERIFY(QDir::setCurrent(m_files.path()));
    QVERIFY(QDir().mkpath(QStringLiteral("sub")));
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    writeFile(path, "<model/>");

    QCOMPARE(TavShare::getLock(path), 0);
    QCOMPARE(contentOf(TavShare::getLockFilePath()), path.toUtf8());
    QCOMPARE(TavShare::getLock(form), 1);
    QVERIFY(TavShare::releaseLock(form));
    QCOMPARE(contentOf(TavShare::getLockFilePath()), QByteArray());
}

void TestLockFile::othersMayNotWrite_data()
{
    // The lock file's mode before getLock (none: getLock creates it), under umask.
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("after");
    QTest::newRow("created, umask 000") << 0 << 0 << 0600;
    QTest::newRow("created, umask 277") << 0 << 0277 << 0600;
    QTest::newRow("world-writable") << 0666 << 022 << 0644;
    QTest::newRow("group-writable") << 0620 << 022 << 0600;
}

void TestLockFile::othersMayNotWrite()
{
    QFETCH(int, before);
    QFETCH(int, umask);
    QFETCH(int, after);
    const QByteArray lockFile = QFile::encodeName(TavShare::getLockFilePath());
    if (before != 0) {
        writeFile(TavShare::getLockFilePath(), "/x");
        QVERIFY(::chmod(lockFile.constData(), mode_t(before)) == 0);
    }
    const mode_t previousUmask = ::umask(mode_t(umask));
    const int result = TavShare::getLock(m_model);
    ::umask(previousUmask);
    QCOMPARE(result, 0);
    struct stat status;
    QVERIFY(::stat(lockFile.constData(), &status) == 0);
    QCOMPARE(int(status.st_mode & 07777), after);
}

void TestLockFile::failures_data()
{
    // What stands at the lock file's path, and what an unprivileged user does: take
    // m_model ("take listed") or a file that is not listed ("take new"), or release m_model.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result"); // releaseLock's as 0 or 1
    QTest::addColumn<QStringList>("messages");
    const QString takeNew = QStringLiteral("take new");
    const QString release = QStringLiteral("release");
    const QString getLock = QStringLiteral("bool TavShare::getLock(const QString & file) %1");
    const QString releaseLock1 = QStringLiteral("bool TavShare::releaseLock(const QString & file) 1");
    const QString releaseLock2 = QStringLiteral("TavShare::releaseLock(const QString & file) 2");
    QTest::newRow("no lock file, release") << QStringLiteral("no lock file") << release << 0 << failure(releaseLock1, "read");
    QTest::newRow("folder not writable, take") << QStringLiteral("folder not writable") << takeNew << 3 << failure(getLock.arg(1), "open");
    QTest::newRow("read-only, take new") << QStringLiteral("read-only") << takeNew << 3 << failure(getLock.arg(3), "open");
    QTest::newRow("read-only, take listed") << QStringLiteral("read-only") << QStringLiteral("take listed") << 1 << QStringList();
    QTest::newRow("read-only, release") << QStringLiteral("read-only") << release << 0 << failure(releaseLock2, "open");
    QTest::newRow("full, take") << QStringLiteral("full") << takeNew << 3 << failure(getLock.arg(3), "open");
    // A path the lock file cannot hold: taking it would list m_model.
    const QStringList unlistable = {QStringLiteral("A path with a line break cannot be listed in a lock file")};
    QTest::newRow("line feed, take") << QStringLiteral("own") << QStringLiteral("take line feed") << 3 << failure(getLock.arg(3), "open") + unlistable;
    QTest::newRow("carriage return, take") << QStringLiteral("own") << QStringLiteral("take carriage return") << 3 << failure(getLock.arg(3), "open") + unlistable;
    QTest::newRow("line feed, release") << QStringLiteral("own") << QStringLiteral("release line feed") << 0 << failure(releaseLock2, "open") + unlistable;
    // Refused lock files: neither read (a planted entry would count) nor written.
    const QStringList heldByAnother = {QStringLiteral("The lock file is held by another process")};
    QTest::newRow("held, take listed") << QStringLiteral("held") << QStringLiteral("take listed") << 2 << failure(getLock.arg(2), "read") + heldByAnother;
    const QStringList tooLarge = {QStringLiteral("The lock file is larger than 16 MiB")};
    QTest::newRow("sparse 3 GiB, take listed") << QStringLiteral("sparse 3 GiB") << QStringLiteral("take listed") << 2 << failure(getLock.arg(2), "read") + tooLarge;
    QTest::newRow("sparse 4 GiB, release") << QStringLiteral("sparse 4 GiB") << release << 0 << failure(releaseLock1, "read") + tooLarge;
    // Root may read and write anything: only the owner tells that the file is not ours.
    const QStringList nobodys = {QStringLiteral("The lock file belongs to user nobody")};
    QTest::newRow("nobody's, root takes new") << QStringLiteral("nobody's") << takeNew << 2 << failure(getLock.arg(2), "read") + nobodys;
    QTest::newRow("nobody's, root releases") << QStringLiteral("nobody's") << release << 0 << failure(releaseLock1, "read") + nobodys;
    QTest::newRow("root's, unreadable") << QStringLiteral("root's, unreadable") << takeNew << 2 << failure(getLock.arg(2), "read")
                                        + QStringList{QStringLiteral("The lock file belongs to user root")};
    QTest::newRow("unnamed user's, root takes listed") << QStringLiteral("uid 4242's") << QStringLiteral("take listed") << 2
                                                       << failure(getLock.arg(2), "read") + QStringList{QStringLiteral("The lock file belongs to uid 4242")};
    // Anything but a regular file with a single name is a lock file that cannot be read.
    for (const char *kind : {"unreadable", "link to a file", "dangling link", "folder", "fifo", "hard link"}) {
        QTest::addRow("%s, take", kind) << QString::fromLatin1(kind) << takeNew << 2 << failure(getLock.arg(2), "read");
        QTest::addRow("%s, release", kind) << QString::fromLatin1(kind) << release << 0 << failure(releaseLock1, "read");
    }
}

void TestLockFile::failures()
{
    QFETCH(QString, kind);
    QFETCH(QString, action);
    QFETCH(int, result);
    QFETCH(QStringList, messages);
    // Lock file and link target list m_model, and the unprivileged user may write the
    // target: following a link would change it.
    const QByteArray content = "/x\n\n" + m_model.toUtf8();
    const QByteArray lockFile = QFile::encodeName(TavShare::getLockFilePath());
    const QByteArray target = QFile::encodeName(filePath(QStringLiteral("target.txt")));
    const QString absent = filePath(QStringLiteral("absent.txt"));
    const QString lineBreak = filePath(QStringLiteral("line\nbreak.xml"));
    writeFile(lineBreak, "<model/>");
    // Another user's lock file is refused by the library running as root; the other cases
    // run as the unprivileged user, on a lock file of its own.
    const bool asRoot = kind.endsWith(QLatin1String("'s"));
    if (kind.contains(QLatin1String("'s")) && ::geteuid() != 0)
        QSKIP("giving a file to another user needs root");
    const QHash<QString, uid_t> owners = {{QStringLiteral("nobody's"), 65534}, {QStringLiteral("uid 4242's"), 4242}, {QStringLiteral("root's, unreadable"), 0}};
    const uid_t owner = owners.value(kind, unprivilegedUser());
    QProcess holder;
    writeFile(QFile::decodeName(target), content);
    QVERIFY(::chmod(target.constData(), 0666) == 0);
    if (kind == QLatin1String("link to a file")) {
        QVERIFY(::symlink(target.constData(), lockFile.constData()) == 0);
    } else if (kind == QLatin1String("dangling link")) {
        QVERIFY(::symlink(QFile::encodeName(absent).constData(), lockFile.constData()) == 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(::mkdir(lockFile.constData(), 0777) == 0);
    } else if (kind == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(lockFile.constData(), 0666) == 0);
    } else if (kind == QLatin1String("hard link")) {
        QVERIFY(::link(target.constData(), lockFile.constData()) == 0);
    } else if (kind == QLatin1String("folder not writable")) {
        QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0555) == 0);
    } else if (kind != QLatin1String("no lock file")) {
        writeFile(QFile::decodeName(lockFile), content);
        const mode_t mode = kind == QLatin1String("unreadable") ? 0222 : kind == QLatin1String("read-only") ? 0444 : asRoot ? 0666 : kind.startsWith(QLatin1String("root's")) ? 0600 : 0644;
        QVERIFY(::chmod(lockFile.constData(), mode) == 0);
        QVERIFY(::chown(lockFile.constData(), owner, gid_t(-1)) == 0);
        if (kind.startsWith(QLatin1String("sparse")))
            QVERIFY(::truncate(lockFile.constData(), off_t(kind.contains(QLatin1Char('3')) ? 3 : 4) << 30) == 0);
    }
    if (kind == QLatin1String("held")) {
        holder.start(QStringLiteral(LOCKPEER_PATH), {appName, QStringLiteral("hold")});
        QVERIFY(holder.waitForReadyRead());
        QCOMPARE(holder.readLine(), QByteArray("held\n"));
    }
    const QByteArray lockFileBefore = snapshot(lockFile);
    const QByteArray targetBefore = snapshot(target);
    rlimit sizeLimit;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &sizeLimit) == 0);
    const rlimit previousSizeLimit = sizeLimit;
    if (kind == QLatin1String("full"))
        sizeLimit.rlim_cur = rlim_t(content.size());
    const QHash<QString, QString> files = {{QStringLiteral("take new"), filePath(QStringLiteral("new.xml"))},
                                           {QStringLiteral("take line feed"), filePath(QStringLiteral("x\n")) + m_model},
                                           {QStringLiteral("take carriage return"), filePath(QStringLiteral("x\r")) + m_model},
                                           {QStringLiteral("release line feed"), lineBreak}};
    const QString file = files.value(action, m_model);

    TavTest::MessageCapture capture;
    int actual;
    {
        std::optional<TavTest::Unprivileged> unprivileged;
        if (!asRoot) {
            unprivileged.emplace();
            if (!unprivileged->isActive() || !TavTest::Unprivileged::canEnter(QFile::encodeName(QDir::tempPath())))
                QSKIP("cannot reach the temporary folder as an unprivileged user");
        }
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &sizeLimit) == 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        actual = action.startsWith(QLatin1String("release")) ? int(TavShare::releaseLock(file)) : TavShare::getLock(file);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &previousSizeLimit) == 0);
    }
    holder.closeWriteChannel();
    holder.waitForFinished();
    QCOMPARE(actual, result);
    QCOMPARE(capture.texts(), messages);
    for (const TavTest::MessageCapture::Message &message : capture.messages())
        QVERIFY(message.type == QtDebugMsg);

    // Whatever stood at the path, and whatever a link there leads to, is left as it was.
    QCOMPARE(snapshot(lockFile), lockFileBefore);
    QCOMPARE(snapshot(target), targetBefore);
    QVERIFY(!QFileInfo::exists(absent));
}

void TestLockFile::concurrentProcessesLoseNothing()
{
    const QString folder = filePath(QStringLiteral("churn"));
    QVERIFY(QDir().mkpath(folder));
    QVector<QStringList> arguments;
    for (int peer = 0; peer < 8; ++peer)
        arguments.append({appName, QStringLiteral("churn"), folder, QStringLiteral("peer%1").arg(peer), QStringLiteral("300")});
    for (const QByteArray &output : runPeers(arguments))
        QCOMPARE(output, QByteArray());
    QVERIFY(QFileInfo(TavShare::getLockFilePath()).isFile());
    QCOMPARE(contentOf(TavShare::getLockFilePath()), QByteArray());
}

void TestLockFile::racingProcessesGetOneLock()
{
    const int fileCount = 200;
    QStringList race = {appName, QStringLiteral("race")};
    for (int i = 0; i < fileCount; ++i)
        race << filePath(QStringLiteral("contested-%1.xml").arg(i));

    QVector<int> winners(fileCount, 0);
    for (const QByteArray &output : runPeers(QVector<QStringList>(8, race))) {
        const QList<QByteArray> results = output.trimmed().split('\n');
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
