// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QProcess>

#include <csignal>

#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

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
        QCoreApplication::setApplicationName(QStringLiteral("lockapp"));
        m_lockFile = QFile::encodeName(TavShare::getLockFilePath());
        // Blanks and characters beyond ASCII in every entry the cases write.
        m_model = m_files.filePath(QString::fromUtf8(" Modèle µm² → β.xml"));
        writeFile(m_model, "<model/>");
        QVERIFY(QDir::setCurrent(m_files.path()) && QDir().mkpath(QStringLiteral("sub")));
        writeFile(m_files.filePath(QStringLiteral("line\nbreak.xml")), "<model/>");
        // Let the unprivileged user of the failure cases reach m_model.
        QVERIFY(::chmod(QFile::encodeName(m_files.path()).constData(), 0755) == 0);
        // A write beyond the file size limit then fails instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &m_sizeLimit) == 0);
    }

    void cleanup()
    {
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &m_sizeLimit) == 0);
        QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 01777) == 0);
        QFile::remove(QFile::decodeName(m_lockFile));
    }

    void takeAndRelease_data()
    {
        // The unprivileged user takes or releases file, "@" in before and after. Before is its
        // lock file, with write rights for all; after is null where the lock file must stay
        // as it was. The row's name tells where another thing stands at the lock file's path.
        // Every failure writes two messages, and the reason as a third where one is known.
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("release");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("result"); // releaseLock's as 0 or 1
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("reason");
        // Given relative to the current folder and in a roundabout form; listed as m_model.
        const QString model = QStringLiteral("./sub/..//") + QFileInfo(m_model).fileName();
        const QString other = m_files.filePath(QStringLiteral("new.xml"));
        const QByteArray listed = "/x\n\n@";
        const QByteArray none;
        QTest::newRow("no lock file") << QByteArray() << false << model << 0 << QByteArray("@") << QString();
        QTest::newRow("blanks") << QByteArray("/a\r\n\n  /b \t\n@.old\n/\n\u00a0/\u00e9\u3000\n\u2029") << false << model << 0
                                << QByteArray("/a\n/b\n@.old\n/\n/\u00e9\n@") << QString();
        QTest::newRow("listed") << QByteArray("/a\n\n  @ \n") << false << model << 1 << QByteArray("/a\n\n  @ \n") << QString();
        QTest::newRow("release") << QByteArray("/x\n@\n/y\n\u00a0@\u00a0\n\n/z\n@") << true << model << 1 << QByteArray("/x\n/y\n/z")
                                 << QString();
        QTest::newRow("release not listed") << QByteArray("/x\n") << true << model << 0 << QByteArray("/x\n") << QString();
        QTest::newRow("folder not writable") << QByteArray() << false << other << 3 << none << QString();
        QTest::newRow("read-only") << listed << false << m_model << 1 << none << QString();
        QTest::newRow("read-only, release") << listed << true << m_model << 0 << none << QString();
        // Its file size limit lets the lock file not grow.
        QTest::newRow("full") << listed << false << other << 3 << none << QString();
        // A path with a line break: its lines would name other files; taking this one would list m_model.
        const QString unlistable = QStringLiteral("A path with a line break or an unpaired surrogate cannot be listed in a lock file");
        QTest::newRow("carriage return") << listed << false << m_files.filePath(QStringLiteral("x\r")) + m_model << 3 << none << unlistable;
        QTest::newRow("line feed") << listed << true << m_files.filePath(QStringLiteral("line\nbreak.xml")) << 0 << none << unlistable;
        // Refused lock files: neither read (a planted entry would count) nor written.
        QTest::newRow("held") << listed << false << m_model << 2 << none << QStringLiteral("The lock file is held by another process");
        QTest::newRow("sparse 3 GiB") << listed << false << m_model << 2 << none << QStringLiteral("The lock file is larger than 16 MiB");
        // Readable and writable, but not ours; or ours to read for no one.
        QTest::newRow("uid 4242's") << listed << false << m_model << 2 << none << QStringLiteral("The lock file belongs to uid 4242");
        QTest::newRow("root's, unreadable") << listed << false << other << 2 << none << QStringLiteral("The lock file belongs to user root");
        // Anything but a regular file with a single name is a lock file that cannot be read.
        QTest::newRow("dangling link") << QByteArray() << false << other << 2 << none << QString();
        QTest::newRow("fifo") << QByteArray() << true << m_model << 0 << none << QString();
        QTest::newRow("hard link") << listed << false << other << 2 << none << QString();
    }

    void takeAndRelease()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, release);
        QFETCH(QString, file);
        QFETCH(int, result);
        QFETCH(QByteArray, after);
        QFETCH(QString, reason);
        const QString kind = QString::fromLatin1(QTest::currentDataTag());
        const QByteArray absent = QFile::encodeName(m_files.filePath(QStringLiteral("absent.txt")));
        if (kind.contains(QLatin1String("'s")) && ::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        QVERIFY(kind != QLatin1String("dangling link") || ::symlink(absent.constData(), m_lockFile.constData()) == 0);
        QVERIFY(kind != QLatin1String("fifo") || ::mkfifo(m_lockFile.constData(), 0666) == 0);
        QVERIFY(kind != QLatin1String("folder not writable") || ::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0555) == 0);
        if (!before.isNull()) {
            writeFile(QFile::decodeName(m_lockFile), before.replace('@', m_model.toUtf8()));
            const bool roots = kind.startsWith(QLatin1String("root's"));
            const mode_t mode = kind.startsWith(QLatin1String("read-only")) ? 0444 : roots ? 0600 : after.isNull() ? 0644 : 0666;
            const uid_t owner = kind == QLatin1String("uid 4242's") ? 4242 : roots ? 0 : m_user;
            QVERIFY(::chmod(m_lockFile.constData(), mode) == 0 && ::chown(m_lockFile.constData(), owner, gid_t(-1)) == 0);
            QVERIFY(!kind.startsWith(QLatin1String("sparse")) || ::truncate(m_lockFile.constData(), off_t(3) << 30) == 0);
            // A second name, as an attacker's link to a file of ours would give it.
            QVERIFY(kind != QLatin1String("hard link") || ::link(m_lockFile.constData(), (absent + ".2").constData()) == 0);
        }
        // A reader's shared lock on a description of its own, as any process may hold it.
        QFile holder(QFile::decodeName(m_lockFile));
        QVERIFY(kind != QLatin1String("held") || (holder.open(QIODevice::ReadOnly) && ::flock(holder.handle(), LOCK_SH) == 0));
        const QByteArray snapshotBefore = snapshot(m_lockFile);
        const rlimit full = {rlim_t(before.size()), m_sizeLimit.rlim_max};
        QVERIFY(kind != QLatin1String("full") || ::setrlimit(RLIMIT_FSIZE, &full) == 0);

        TavTest::MessageCapture capture;
        int actual;
        {
            const TavTest::Unprivileged unprivileged;
            QVERIFY(unprivileged.isActive() && TavTest::Unprivileged::canEnter(QFile::encodeName(QDir::tempPath())));
            const mode_t previousUmask = ::umask(0277);
            actual = release ? int(TavShare::releaseLock(file)) : TavShare::getLock(file);
            ::umask(previousUmask);
        }
        QCOMPARE(actual, result);
        QCOMPARE(capture.texts().size(), after.isNull() && (release || result > 1) ? 2 + int(!reason.isEmpty()) : 0);
        QCOMPARE(capture.texts().value(2), reason);
        if (kind == QLatin1String("held")) // one of the fixed message pairs, word for word
            QCOMPARE(capture.texts().mid(0, 2), (QStringList{QStringLiteral("Error found at bool TavShare::getLock(const QString & file) 2"),
                                                             QStringLiteral("Can't read file  \"%1\"").arg(QFile::decodeName(m_lockFile))}));
        QVERIFY(!QFileInfo::exists(QFile::decodeName(absent)));
        if (after.isNull()) {
            QCOMPARE(snapshot(m_lockFile), snapshotBefore);
            return;
        }
        QCOMPARE(contentOf(QFile::decodeName(m_lockFile)), after.replace('@', m_model.toUtf8()));
        // Others may not write the lock file afterwards, nor may the umask cut our rights.
        QCOMPARE(int(QFile::permissions(QFile::decodeName(m_lockFile)) & 0xf0ff), before.isNull() ? 0x6000 : 0x6044);
    }

    // Eight processes at once, each on files of its own (taken, taken again, released: no
    // rewrite by another may lose an entry), then all on the same files (one wins each).
    void processes()
    {
        const int fileCount = 200;
        for (const bool contested : {false, true}) {
            QProcess peers[8];
            for (int peer = 0; peer < 8; ++peer) {
                QStringList arguments = {QCoreApplication::applicationName(), contested ? QStringLiteral("1") : QStringLiteral("3")};
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
            QCOMPARE(outputs.count('0'), contested ? fileCount : 8 * fileCount);
            QCOMPARE(outputs.count('1'), contested ? 7 * fileCount : 16 * fileCount);
        }
    }

private:
    QTemporaryDir m_files;
    QByteArray m_lockFile;
    rlimit m_sizeLimit;
    // The unprivileged user the cases run as.
    const uid_t m_user = ::geteuid() == 0 ? 65534 : ::geteuid();
    QString m_model;
};

TAVTEST_MAIN(TestLockFile)
#include "tst_lockfile.moc"
