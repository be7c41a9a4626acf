// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QProcess>

#include <csignal>
#include <optional>

#include <sys/file.h>
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

} // namespace

class TestLockFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(appName);
        QVERIFY(m_files.isValid());
        // Blanks and characters beyond ASCII in every entry the cases write.
        m_model = filePath(QString::fromUtf8(" Modèle µm² → β.xml"));
        writeFile(m_model, "<model/>");
        QVERIFY(QDir::setCurrent(m_files.path()));
        QVERIFY(QDir().mkpath(QStringLiteral("sub")));
        writeFile(filePath(QStringLiteral("line\nbreak.xml")), "<model/>");
        // Let the unprivileged user of the failure cases reach the lock file and m_model.
        const QString sandboxRoot = QFileInfo(QDir::tempPath()).path();
        QVERIFY(::chmod(QFile::encodeName(sandboxRoot).constData(), 0711) == 0);
        QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_files.path()).constData(), 0755) == 0);
    }

    void cleanup()
    {
        ::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0755);
        const QString lockFile = TavShare::getLockFilePath();
        if (!QFile::remove(lockFile))
            QDir().rmdir(lockFile);
    }

    void content_data()
    {
        // "@" stands for the absolute path of the file that is taken or released, which is
        // given relative to the current folder and in a roundabout form. Others may not write
        // the lock file afterwards, nor may the umask cut the owner's rights.
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("modeBefore");
        QTest::addColumn<bool>("release");
        QTest::addColumn<int>("result"); // releaseLock's as 0 or 1
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<int>("modeAfter");
        QTest::newRow("take, no lock file") << QByteArray() << 0 << false << 0 << QByteArray("@") << 0600;
        QTest::newRow("take, emptied world-writable file") << QByteArray("") << 0666 << false << 0 << QByteArray("@") << 0644;
        QTest::newRow("take, empty and padded lines") << QByteArray("/a\r\n\n  /b \t\n   \n") << 0620 << false << 0 << QByteArray("/a\n/b\n@") << 0600;
        QTest::newRow("take, Unicode blanks") << QByteArray("\u00a0/a\u3000\n /\u00e9 \n\u2029") << 0644 << false << 0 << QByteArray("/a\n/\u00e9\n@") << 0644;
        QTest::newRow("take, prefixes are no match") << QByteArray("@.old\n/") << 0644 << false << 0 << QByteArray("@.old\n/\n@") << 0644;
        QTest::newRow("take, listed") << QByteArray("/a\n\n  @ \n") << 0664 << false << 1 << QByteArray("/a\n\n  @ \n") << 0644;
        QTest::newRow("take, listed in Unicode blanks") << QByteArray("/a\n\u00a0@\u00a0\n") << 0600 << false << 1 << QByteArray("/a\n\u00a0@\u00a0\n") << 0600;
        QTest::newRow("release, only entry") << QByteArray("@") << 0644 << true << 1 << QByteArray() << 0644;
        QTest::newRow("release, duplicates") << QByteArray("/x\n@\n  @ \n\n/y\n@") << 0644 << true << 1 << QByteArray("/x\n/y") << 0644;
        QTest::newRow("release, between kept lines") << QByteArray("/w\n/x\n@\n/y\n\n/z\n") << 0646 << true << 1 << QByteArray("/w\n/x\n/y\n/z") << 0644;
        QTest::newRow("release, not listed") << QByteArray("/x\n\n /y\n") << 0644 << true << 0 << QByteArray("/x\n\n /y\n") << 0644;
    }

    void content()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, modeBefore);
        QFETCH(bool, release);
        QFETCH(int, result);
        QFETCH(QByteArray, after);
        QFETCH(int, modeAfter);
        const QByteArray lockFile = QFile::encodeName(TavShare::getLockFilePath());
        if (!before.isNull()) {
            writeFile(TavShare::getLockFilePath(), before.replace('@', m_model.toUtf8()));
            QVERIFY(::chmod(lockFile.constData(), mode_t(modeBefore)) == 0);
        }
        const QString given = QStringLiteral("./sub/..//") + QFileInfo(m_model).fileName();
        TavTest::MessageCapture capture;
        const mode_t previousUmask = ::umask(0277);
        const int actual = release ? int(TavShare::releaseLock(given)) : TavShare::getLock(given);
        ::umask(previousUmask);
        QCOMPARE(actual, result);
        QCOMPARE(contentOf(TavShare::getLockFilePath()), after.replace('@', m_model.toUtf8()));
        struct stat status;
        QVERIFY(::stat(lockFile.constData(), &status) == 0);
        QCOMPARE(int(status.st_mode & 07777), modeAfter);

        // Once the file is gone from disk, its entry stays.
        QVERIFY(QFile::rename(m_model, m_model + QStringLiteral(".away")));
        QVERIFY(!TavShare::releaseLock(m_model));
        QVERIFY(QFile::rename(m_model + QStringLiteral(".away"), m_model));
        QCOMPARE(contentOf(TavShare::getLockFilePath()), after);
        QVERIFY(capture.messages().isEmpty());
    }

    // Applications' logs are searched for these texts: one failure of each function, exactly.
    void failureMessages()
    {
        const QString lockFile = QDir::tempPath() + QStringLiteral("/lockapp.lock");
        TavTest::MessageCapture capture;
        QVERIFY(!TavShare::releaseLock(m_model));
        QVERIFY(QDir().mkdir(lockFile));
        QCOMPARE(TavShare::getLock(m_model), 2);
        const QString cantRead = QStringLiteral("Can't read file  \"%1\"").arg(lockFile);
        QCOMPARE(capture.texts(), (QStringList{QStringLiteral("Error found at bool TavShare::releaseLock(const QString & file) 1"), cantRead,
                                               QStringLiteral("Error found at bool TavShare::getLock(const QString & file) 2"), cantRead}));
    }

    void failures_data()
    {
        // What stands at the lock file's path, and which file an unprivileged user takes or
        // releases: m_model, which the lock file lists, or another. Every failure writes two
        // debug messages, and the reason as a third where one is known.
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("release");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("result"); // releaseLock's as 0 or 1
        QTest::addColumn<QString>("reason");
        const QString other = filePath(QStringLiteral("new.xml"));
        QTest::newRow("folder not writable, take") << QStringLiteral("folder not writable") << false << other << 3 << QString();
        QTest::newRow("read-only, take new") << QStringLiteral("read-only") << false << other << 3 << QString();
        QTest::newRow("read-only, take listed") << QStringLiteral("read-only") << false << m_model << 1 << QString();
        QTest::newRow("read-only, release") << QStringLiteral("read-only") << true << m_model << 0 << QString();
        // Every case runs with a file size limit that lets nothing grow.
        QTest::newRow("full, take") << QStringLiteral("own") << false << other << 3 << QString();
        // A path the lock file cannot hold: taking it would list m_model.
        const QString unlistable = QStringLiteral("A path with a line break cannot be listed in a lock file");
        QTest::newRow("line feed, take") << QStringLiteral("own") << false << filePath(QStringLiteral("x\n")) + m_model << 3 << unlistable;
        QTest::newRow("carriage return, take") << QStringLiteral("own") << false << filePath(QStringLiteral("x\r")) + m_model << 3 << unlistable;
        QTest::newRow("line feed, release") << QStringLiteral("own") << true << filePath(QStringLiteral("line\nbreak.xml")) << 0 << unlistable;
        // Refused lock files: neither read (a planted entry would count) nor written.
        QTest::newRow("held, take listed") << QStringLiteral("held") << false << m_model << 2 << QStringLiteral("The lock file is held by another process");
        const QString tooLarge = QStringLiteral("The lock file is larger than 16 MiB");
        QTest::newRow("sparse 3 GiB, take listed") << QStringLiteral("sparse 3 GiB") << false << m_model << 2 << tooLarge;
        QTest::newRow("sparse 4 GiB, release") << QStringLiteral("sparse 4 GiB") << true << m_model << 0 << tooLarge;
        // Root may read and write anything: only the owner tells that the file is not ours.
        const QString nobodys = QStringLiteral("The lock file belongs to user nobody");
        QTest::newRow("nobody's, root takes new") << QStringLiteral("nobody's") << false << other << 2 << nobodys;
        QTest::newRow("nobody's, root releases") << QStringLiteral("nobody's") << true << m_model << 0 << nobodys;
        QTest::newRow("root's, unreadable") << QStringLiteral("root's, unreadable") << false << other << 2 << QStringLiteral("The lock file belongs to user root");
        QTest::newRow("unnamed user's, root takes listed") << QStringLiteral("uid 4242's") << false << m_model << 2 << QStringLiteral("The lock file belongs to uid 4242");
        // Anything but a regular file with a single name is a lock file that cannot be read.
        for (const char *kind : {"unreadable", "link to a file", "dangling link", "folder", "fifo", "hard link"}) {
            QTest::addRow("%s, take", kind) << QString::fromLatin1(kind) << false << other << 2 << QString();
            QTest::addRow("%s, release", kind) << QString::fromLatin1(kind) << true << m_model << 0 << QString();
        }
    }

    void failures()
    {
        QFETCH(QString, kind);
        QFETCH(bool, release);
        QFETCH(QString, file);
        QFETCH(int, result);
        QFETCH(QString, reason);
        // Lock file and link target list m_model, and the unprivileged user may write the
        // target: following a link would change it.
        const QByteArray content = "/x\n\n" + m_model.toUtf8();
        const QByteArray lockFile = QFile::encodeName(TavShare::getLockFilePath());
        const QByteArray target = QFile::encodeName(filePath(QStringLiteral("target.txt")));
        const QByteArray absent = QFile::encodeName(filePath(QStringLiteral("absent.txt")));
        writeFile(QFile::decodeName(target), content);
        QVERIFY(::chmod(target.constData(), 0666) == 0);
        // Another user's lock file is refused by the library running as root; the other cases
        // run as the unprivileged user, on a lock file of its own.
        const bool asRoot = kind.endsWith(QLatin1String("'s"));
        if (kind.contains(QLatin1String("'s")) && ::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        if (kind == QLatin1String("link to a file") || kind == QLatin1String("dangling link")) {
            QVERIFY(::symlink(kind.startsWith(QLatin1String("link")) ? target.constData() : absent.constData(), lockFile.constData()) == 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(::mkdir(lockFile.constData(), 0777) == 0);
        } else if (kind == QLatin1String("fifo")) {
            QVERIFY(::mkfifo(lockFile.constData(), 0666) == 0);
        } else if (kind == QLatin1String("hard link")) {
            QVERIFY(::link(target.constData(), lockFile.constData()) == 0);
        } else if (kind == QLatin1String("folder not writable")) {
            QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0555) == 0);
        } else {
            writeFile(QFile::decodeName(lockFile), content);
            const QHash<QString, mode_t> modes = {{QStringLiteral("unreadable"), 0222}, {QStringLiteral("read-only"), 0444}, {QStringLiteral("root's, unreadable"), 0600}};
            const QHash<QString, uid_t> owners = {{QStringLiteral("nobody's"), 65534}, {QStringLiteral("uid 4242's"), 4242}, {QStringLiteral("root's, unreadable"), 0}};
            QVERIFY(::chmod(lockFile.constData(), modes.value(kind, asRoot ? 0666 : 0644)) == 0);
            QVERIFY(::chown(lockFile.constData(), owners.value(kind, TavTest::Unprivileged::user()), gid_t(-1)) == 0);
            if (kind.startsWith(QLatin1String("sparse")))
                QVERIFY(::truncate(lockFile.constData(), off_t(kind.contains(QLatin1Char('3')) ? 3 : 4) << 30) == 0);
        }
        // A reader's shared lock on a description of its own, as any process may hold it.
        const int holder = kind == QLatin1String("held") ? ::open(lockFile.constData(), O_RDONLY | O_CLOEXEC) : -1;
        QVERIFY(kind != QLatin1String("held") || ::flock(holder, LOCK_SH) == 0);
        const QByteArray lockFileBefore = snapshot(lockFile);
        const QByteArray targetBefore = snapshot(target);
        rlimit previousSizeLimit;
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &previousSizeLimit) == 0);
        rlimit sizeLimit = previousSizeLimit;
        sizeLimit.rlim_cur = rlim_t(content.size());

        TavTest::MessageCapture capture;
        int actual;
        {
            std::optional<TavTest::Unprivileged> unprivileged;
            if (!asRoot && (!unprivileged.emplace().isActive() || !TavTest::Unprivileged::canEnter(QFile::encodeName(QDir::tempPath()))))
                QSKIP("cannot reach the temporary folder as an unprivileged user");
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &sizeLimit) == 0);
            const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
            actual = release ? int(TavShare::releaseLock(file)) : TavShare::getLock(file);
            std::signal(SIGXFSZ, previousHandler);
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &previousSizeLimit) == 0);
        }
        if (holder >= 0)
            ::close(holder);
        QCOMPARE(actual, result);
        const bool failed = release || result > 1;
        QCOMPARE(capture.texts().size(), failed ? 2 + int(!reason.isEmpty()) : 0);
        QCOMPARE(capture.texts().value(2), reason);
        for (const TavTest::MessageCapture::Message &message : capture.messages())
            QVERIFY(message.type == QtDebugMsg);

        // Whatever stood at the path, and whatever a link there leads to, is left as it was.
        QCOMPARE(snapshot(lockFile), lockFileBefore);
        QCOMPARE(snapshot(target), targetBefore);
        QVERIFY(!QFileInfo::exists(QFile::decodeName(absent)));
    }

    void processes_data()
    {
        // Eight processes at once, each on files of its own (taken, taken again, released:
        // no rewrite by another may lose an entry) or all on the same files (one wins each).
        QTest::addColumn<bool>("contested");
        QTest::newRow("churn") << false;
        QTest::newRow("race") << true;
    }

    void processes()
    {
        QFETCH(bool, contested);
        const int fileCount = 200;
        QProcess peers[8];
        for (int peer = 0; peer < 8; ++peer) {
            QStringList arguments = {appName, contested ? QStringLiteral("take") : QStringLiteral("cycle")};
            for (int i = 0; i < fileCount; ++i) {
                arguments << filePath(QStringLiteral("peer%1-%2").arg(contested ? 0 : peer).arg(i));
                writeFile(arguments.last(), "");
            }
            peers[peer].start(QStringLiteral(LOCKPEER_PATH), arguments);
        }
        // All go at once. QProcess writes only from its event loop or a waitFor call.
        for (QProcess &peer : peers)
            QVERIFY(peer.waitForStarted() && peer.write("\n") == 1 && peer.waitForBytesWritten());
        QVector<int> winners(fileCount, 0);
        for (QProcess &peer : peers) {
            QVERIFY(peer.waitForFinished(300000) && peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 0);
            const QByteArray output = peer.readAllStandardOutput();
            if (!contested) {
                QCOMPARE(output, QByteArray("0\n").repeated(fileCount) + QByteArray("1\n").repeated(2 * fileCount));
                continue;
            }
            const QList<QByteArray> results = output.split('\n');
            QCOMPARE(results.size(), fileCount + 1);
            for (int i = 0; i < fileCount; ++i) {
                QVERIFY(results.at(i) == "0" || results.at(i) == "1");
                winners[i] += results.at(i) == "0";
            }
        }
        if (contested)
            QCOMPARE(winners, QVector<int>(fileCount, 1));
        else
            QCOMPARE(contentOf(TavShare::getLockFilePath()), QByteArray());
    }

private:
    QString filePath(const QString &name) const { return m_files.filePath(name); }

    QTemporaryDir m_files;
    QString m_model;
};

TAVTEST_MAIN(TestLockFile)
#include "tst_lockfile.moc"
