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

namespace {

const QString appName = QStringLiteral("lockapp");

// The start of a file: lock files under test may be sparse and huge.
QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(65536) : QByteArray("<cannot read>");
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

// What stands at path: type, mode, owner, inode and size, and a regular file's start.
QByteArray snapshot(const QByteArray &path)
{
    struct stat s;
    if (::lstat(path.constData(), &s) != 0)
        return "nothing";
    const QByteArray identity = QByteArray::number(s.st_mode) + ' ' + QByteArray::number(s.st_uid) + ' '
        + QByteArray::number(qulonglong(s.st_ino)) + ' ' + QByteArray::number(qlonglong(s.st_size)) + '\n';
    return S_ISREG(s.st_mode) ? identity + contentOf(QFile::decodeName(path)) : identity;
}

} // namespace

class TestLockFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(appName);
        m_lockFile = QFile::encodeName(TavShare::getLockFilePath());
        // Blanks and characters beyond ASCII in every entry the cases write.
        m_model = m_files.filePath(QString::fromUtf8(" Modèle µm² → β.xml"));
        writeFile(m_model, "<model/>");
        QVERIFY(QDir::setCurrent(m_files.path()) && QDir().mkpath(QStringLiteral("sub")));
        writeFile(m_files.filePath(QStringLiteral("line\nbreak.xml")), "<model/>");
        // Let the unprivileged user of the failure cases reach the lock file and m_model.
        QVERIFY(::chmod(QFile::encodeName(QFileInfo(QDir::tempPath()).path()).constData(), 0711) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_files.path()).constData(), 0755) == 0);
        // A write beyond the file size limit then fails instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
    }

    void init() { QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0755) == 0); }

    void cleanup()
    {
        if (!QFile::remove(QFile::decodeName(m_lockFile)))
            QDir().rmdir(QFile::decodeName(m_lockFile));
    }

    void content_data()
    {
        // "@" stands for the absolute path of m_model, which is given relative to the current
        // folder and in a roundabout form. A null "before" is no lock file.
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("release");
        QTest::addColumn<int>("result"); // releaseLock's as 0 or 1
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("take, no lock file") << QByteArray() << false << 0 << QByteArray("@");
        QTest::newRow("take, padded lines, prefixes") << QByteArray("/a\r\n\n  /b \t\n   \n@.old\n/") << false << 0 << QByteArray("/a\n/b\n@.old\n/\n@");
        QTest::newRow("take, Unicode blanks") << QByteArray("\u00a0/a\u3000\n /\u00e9 \n\u2029") << false << 0 << QByteArray("/a\n/\u00e9\n@");
        QTest::newRow("take, listed") << QByteArray("/a\n\n  @ \n") << false << 1 << QByteArray("/a\n\n  @ \n");
        QTest::newRow("release, duplicates") << QByteArray("/x\n@\n\u00a0@\u00a0\n\n/y\n@") << true << 1 << QByteArray("/x\n/y");
        QTest::newRow("release, between kept lines") << QByteArray("/w\n/x\n@\n/y\n\n/z\n") << true << 1 << QByteArray("/w\n/x\n/y\n/z");
        QTest::newRow("release, not listed") << QByteArray("/x\n\n /y\n") << true << 0 << QByteArray("/x\n\n /y\n");
    }

    void content()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, release);
        QFETCH(int, result);
        QFETCH(QByteArray, after);
        if (!before.isNull()) {
            writeFile(QFile::decodeName(m_lockFile), before.replace('@', m_model.toUtf8()));
            QVERIFY(::chmod(m_lockFile.constData(), 0666) == 0);
        }
        const QString given = QStringLiteral("./sub/..//") + QFileInfo(m_model).fileName();
        TavTest::MessageCapture capture;
        const mode_t previousUmask = ::umask(0277);
        QCOMPARE(release ? int(TavShare::releaseLock(given)) : TavShare::getLock(given), result);
        ::umask(previousUmask);
        QCOMPARE(contentOf(QFile::decodeName(m_lockFile)), after.replace('@', m_model.toUtf8()));
        // Others may not write the lock file afterwards, nor may the umask cut our rights.
        struct stat status;
        QVERIFY(::stat(m_lockFile.constData(), &status) == 0);
        QCOMPARE(int(status.st_mode & 07777), before.isNull() ? 0600 : 0644);
        QVERIFY(capture.messages().isEmpty());
    }

    // Applications' logs are searched for these texts: one failure of each function, exactly.
    void failureMessages()
    {
        TavTest::MessageCapture capture;
        QVERIFY(!TavShare::releaseLock(m_model));
        QVERIFY(QDir().mkdir(QFile::decodeName(m_lockFile)));
        QCOMPARE(TavShare::getLock(m_model), 2);
        const QString cantRead = QStringLiteral("Can't read file  \"%1\"").arg(QFile::decodeName(m_lockFile));
        QCOMPARE(capture.texts(), (QStringList{QStringLiteral("Error found at bool TavShare::releaseLock(const QString & file) 1"), cantRead,
                                               QStringLiteral("Error found at bool TavShare::getLock(const QString & file) 2"), cantRead}));
        QVERIFY(capture.messages().constFirst().type == QtDebugMsg);
    }

    void failures_data()
    {
        // The row's name tells what stands at the lock file's path, which lists m_model.
        // The unprivileged user takes or releases file. Every failure writes two messages,
        // and the reason as a third where one is known.
        QTest::addColumn<bool>("release");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("result"); // releaseLock's as 0 or 1
        QTest::addColumn<QString>("reason");
        const QString other = m_files.filePath(QStringLiteral("new.xml"));
        const QString unlistable = QStringLiteral("A path with a line break cannot be listed in a lock file");
        QTest::newRow("folder not writable") << false << other << 3 << QString();
        QTest::newRow("read-only") << false << m_model << 1 << QString();
        // Its file size limit lets the lock file not grow.
        QTest::newRow("full") << false << other << 3 << QString();
        // Taking this path would list m_model.
        QTest::newRow("carriage return") << false << m_files.filePath(QStringLiteral("x\r")) + m_model << 3 << unlistable;
        QTest::newRow("line feed") << true << m_files.filePath(QStringLiteral("line\nbreak.xml")) << 0 << unlistable;
        // Refused lock files: neither read (a planted entry would count) nor written.
        QTest::newRow("held") << false << m_model << 2 << QStringLiteral("The lock file is held by another process");
        QTest::newRow("sparse 3 GiB") << false << m_model << 2 << QStringLiteral("The lock file is larger than 16 MiB");
        // Root may read and write anything: only the owner tells that the file is not ours.
        QTest::newRow("root's, unreadable") << false << other << 2 << QStringLiteral("The lock file belongs to user root");
        QTest::newRow("uid 4242's") << false << m_model << 2 << QStringLiteral("The lock file belongs to uid 4242");
        // Anything but a regular file with a single name is a lock file that cannot be read.
        QTest::newRow("dangling link") << false << other << 2 << QString();
        QTest::newRow("fifo") << true << m_model << 0 << QString();
        QTest::newRow("hard link") << false << other << 2 << QString();
    }

    void failures()
    {
        QFETCH(bool, release);
        QFETCH(QString, file);
        QFETCH(int, result);
        QFETCH(QString, reason);
        const QString kind = QString::fromLatin1(QTest::currentDataTag());
        const QByteArray content = "/x\n\n" + m_model.toUtf8();
        const QByteArray absent = QFile::encodeName(m_files.filePath(QStringLiteral("absent.txt")));
        // Another user's lock file is refused by the library running as root; the other cases
        // run as the unprivileged user, on a lock file of its own.
        const bool asRoot = kind == QLatin1String("uid 4242's");
        if (kind.contains(QLatin1String("'s")) && ::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        if (kind == QLatin1String("dangling link"))
            QVERIFY(::symlink(absent.constData(), m_lockFile.constData()) == 0);
        else if (kind == QLatin1String("fifo"))
            QVERIFY(::mkfifo(m_lockFile.constData(), 0666) == 0);
        else if (kind == QLatin1String("folder not writable"))
            QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0555) == 0);
        else {
            writeFile(QFile::decodeName(m_lockFile), content);
            const QHash<QString, mode_t> modes = {{QStringLiteral("read-only"), 0444}, {QStringLiteral("root's, unreadable"), 0600}};
            const QHash<QString, uid_t> owners = {{QStringLiteral("uid 4242's"), 4242}, {QStringLiteral("root's, unreadable"), 0}};
            QVERIFY(::chmod(m_lockFile.constData(), modes.value(kind, 0644)) == 0);
            QVERIFY(::chown(m_lockFile.constData(), owners.value(kind, TavTest::Unprivileged::user()), gid_t(-1)) == 0);
            QVERIFY(!kind.startsWith(QLatin1String("sparse")) || ::truncate(m_lockFile.constData(), off_t(3) << 30) == 0);
            // A second name, as an attacker's link to a file of ours would give it.
            QVERIFY(kind != QLatin1String("hard link") || ::link(m_lockFile.constData(), (absent + ".2").constData()) == 0);
        }
        // A reader's shared lock on a description of its own, as any process may hold it.
        const int holder = kind == QLatin1String("held") ? ::open(m_lockFile.constData(), O_RDONLY | O_CLOEXEC) : -1;
        QVERIFY(holder < 0 || ::flock(holder, LOCK_SH) == 0);
        const QByteArray before = snapshot(m_lockFile);
        rlimit sizeLimit;
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &sizeLimit) == 0);
        const rlim_t previousSizeLimit = std::exchange(sizeLimit.rlim_cur, rlim_t(content.size()));

        TavTest::MessageCapture capture;
        int actual;
        {
            std::optional<TavTest::Unprivileged> unprivileged;
            if (!asRoot && (!unprivileged.emplace().isActive() || !TavTest::Unprivileged::canEnter(QFile::encodeName(QDir::tempPath()))))
                QSKIP("cannot reach the temporary folder as an unprivileged user");
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &sizeLimit) == 0);
            actual = release ? int(TavShare::releaseLock(file)) : TavShare::getLock(file);
            sizeLimit.rlim_cur = previousSizeLimit;
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &sizeLimit) == 0);
        }
        if (holder >= 0)
            ::close(holder);
        QCOMPARE(actual, result);
        QCOMPARE(capture.texts().size(), release || result > 1 ? 2 + int(!reason.isEmpty()) : 0);
        QCOMPARE(capture.texts().value(2), reason);
        // Whatever stood at the path is left as it was, and nothing is made through a link.
        QCOMPARE(snapshot(m_lockFile), before);
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
            QStringList arguments = {appName, contested ? QStringLiteral("1") : QStringLiteral("3")};
            for (int i = 0; i < fileCount; ++i) {
                arguments << m_files.filePath(QStringLiteral("peer%1-%2").arg(contested ? 0 : peer).arg(i));
                writeFile(arguments.last(), "");
            }
            peers[peer].start(QStringLiteral(LOCKPEER_PATH), arguments);
        }
        // All go at once. QProcess writes only from its event loop or a waitFor call.
        for (QProcess &peer : peers)
            QVERIFY(peer.waitForStarted() && peer.write("\n") == 1 && peer.waitForBytesWritten());
        QByteArray outputs;
        for (QProcess &peer : peers) {
            QVERIFY(peer.waitForFinished(300000) && peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 0);
            outputs += peer.readAllStandardOutput();
        }
        // Each file won once in the race; in the churn each peer lists and finds all its own.
        QCOMPARE(outputs.count('0'), contested ? fileCount : 8 * fileCount);
        QCOMPARE(outputs.count('1'), contested ? 7 * fileCount : 16 * fileCount);
        QCOMPARE(contentOf(QFile::decodeName(m_lockFile)).count('\n'), contested ? fileCount - 1 : 0);
    }

private:
    QTemporaryDir m_files;
    QByteArray m_lockFile;
    QString m_model;
};

TAVTEST_MAIN(TestLockFile)
#include "tst_lockfile.moc"
