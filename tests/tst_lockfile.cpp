// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "lockfilereference.h"
#include "tavtest.h"
#include "unprivileged.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QThread>

#include <csignal>
#include <future>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// The largest lock file the library reads or writes.
const int maximumSize = 16 * 1024 * 1024;

// A file's bytes, null when it cannot be read. Lock files under test may be sparse and
// huge: one byte beyond the largest lock file is enough to tell.
QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(maximumSize + 1) : QByteArray();
}

// What stands at path: type, mode, owner, inode and size, and a regular file's bytes.
QByteArray snapshot(const QByteArray &path)
{
    struct stat s;
    if (::lstat(path.constData(), &s) != 0)
        return "nothing";
    return QString::asprintf("%o %u %llu %lld\n", unsigned(s.st_mode), unsigned(s.st_uid), qulonglong(s.st_ino), qlonglong(s.st_size)).toLatin1()
        + (S_ISREG(s.st_mode) ? contentOf(QFile::decodeName(path)) : QByteArray());
}

// What one call gave: its result, its messages and the whole lock file (null when there is none).
struct Outcome
{
    int result;
    QStringList messages;
    QByteArray bytes;
};

template <typename Call>
Outcome outcomeOf(Call call)
{
    TavTest::MessageCapture capture;
    const int result = call();
    return {result, capture.texts(), contentOf(TavShare::getLockFilePath())};
}

// The reference's messages for failure 1 to 5 (none for 0), then the reason if any.
QStringList messagesOf(int failure, const QString &reason = QString())
{
    TavTest::MessageCapture capture;
    if (failure > 0)
        Reference::report(failure, TavShare::getLockFilePath());
    return reason.isEmpty() ? capture.texts() : capture.texts() + QStringList(reason);
}

// Waits until the process pid has died (a zombie, or gone), at most five seconds: its
// descriptors, and so its flocks, are closed by then.
bool waitDead(qint64 pid)
{
    for (int i = 0; i < 5000; ++i) {
        const QByteArray stat = TavTest::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.isEmpty() || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z")
            return true;
        QThread::msleep(1);
    }
    return false;
}

bool finished(QProcess &process)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished();
}

// Starts a lockpeer that holds count files named after prefix, through program (the peer
// itself or a wrapper); the pid of the process that holds them, 0 on failure.
qint64 startHolder(QProcess &peer, const QString &mode, const QString &prefix, int count, const QStringList &wrapper = {})
{
    const QStringList arguments = {QStringLiteral(LOCKPEER_PATH), QCoreApplication::applicationName(), mode, prefix, QString::number(count)};
    peer.start(wrapper.isEmpty() ? arguments.first() : wrapper.first(), (wrapper.mid(1) + arguments).mid(wrapper.isEmpty() ? 1 : 0));
    QByteArray line;
    while (!line.startsWith("ready ") && (peer.canReadLine() || peer.waitForReadyRead(10000)))
        line = peer.readLine().trimmed();
    return line.mid(6).toLongLong();
}

// The record a process of another kernel, or of an earlier boot, would have left.
QByteArray recordOf(const QByteArray &bootId, qint64 pid, const QString &path)
{
    const QByteArray machine = TavTest::readFile(QStringLiteral("/etc/machine-id")).trimmed();
    return "boot=" + bootId + "\tmachine=" + machine + "\tpidns=pid:[1]\tpid=" + QByteArray::number(pid) + "\tstart=1\tuid="
        + QByteArray::number(::geteuid()) + "\thost=h\tapp=lockapp\texe=/bin/x\n" + path.toUtf8() + '\n';
}

const QString unlistable = QStringLiteral("A path with a line break, an unpaired surrogate or more than 16 MiB cannot be listed in a lock file");

} // namespace

class TestLockFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A write beyond the file size limit then fails instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &m_sizeLimit) == 0 && ::getrlimit(RLIMIT_NOFILE, &m_descriptorLimit) == 0);
        QCoreApplication::setApplicationName(QStringLiteral("lockapp"));
        m_lockFile = QFile::encodeName(TavShare::getLockFilePath());
        // Blanks and characters beyond ASCII in every entry the cases write.
        m_model = m_files.filePath(QString::fromUtf8(" Modèle µm² → β.xml"));
        QVERIFY(QDir::setCurrent(m_files.path()) && QDir().mkpath(QStringLiteral("sub")));
        // Files to release whose paths cannot be listed; an unpaired surrogate stands for U+FFFD in a file name.
        const QStringList names = {QFileInfo(m_model).fileName(), QStringLiteral("line\nbreak.xml"), QStringLiteral("a\rb.xml"),
                                   QString(QChar(0xfffd)), QStringLiteral("a.xml")};
        for (const QString &name : names)
            QVERIFY(TavTest::writeFile(m_files.filePath(name), "<model/>"));
        // Let the unprivileged user of the failure cases reach m_model.
        QVERIFY(::chmod(QFile::encodeName(m_files.path()).constData(), 0755) == 0);
    }

    void cleanup()
    {
        QCoreApplication::setApplicationName(QStringLiteral("lockapp"));
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &m_sizeLimit) == 0 && ::setrlimit(RLIMIT_NOFILE, &m_descriptorLimit) == 0);
        QVERIFY(::chmod(QFile::encodeName(QDir::tempPath()).constData(), 01777) == 0);
        QFile::remove(QFile::decodeName(m_lockFile));
        QDir(QFile::decodeName(m_lockFile) + QStringLiteral(".d")).removeRecursively();
    }

    void takeAndRelease_data()
    {
        // The unprivileged user takes or releases file, "@" in before and after. Before is its
        // lock file, with write rights for all; after is null where the lock file must stay
        // as it was. The row's name tells where another thing stands at the lock file's path.
        // A failure writes the message pair of its number, and the reason as a third
        // message where one is known.
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("release");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("result"); // releaseLock's as 0 or 1
        QTest::addColumn<int>("failure");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("reason");
        // Given relative to the current folder and in a roundabout form; listed as m_model.
        const QString model = QStringLiteral("./sub/..//") + QFileInfo(m_model).fileName();
        const QString other = m_files.filePath(QStringLiteral("new.xml"));
        const QByteArray listed = "/x\n\n@";
        const QByteArray none;
        // Created for the user alone, whatever the umask; taken from others' reach.
        QTest::newRow("no lock file") << QByteArray() << false << model << 0 << 0 << QByteArray("@") << QString();
        QTest::newRow("release") << QByteArray("/x\n@\n\n/z\n@") << true << model << 1 << 0 << QByteArray("/x\n/z") << QString();
        // Busy processes of the user's own, as one hold past the bound that keeps writing the file: waited for.
        QTest::newRow("held while written") << QByteArray("/x") << false << model << 0 << 0 << QByteArray("/x\n@") << QString();
        // Failures as the plain algorithm has them.
        QTest::newRow("folder not writable") << QByteArray() << false << other << 3 << 1 << none << QString();
        QTest::newRow("read-only") << listed << false << m_model << 1 << 0 << none << QString();
        QTest::newRow("read-only, new") << listed << false << other << 3 << 3 << none << QString();
        QTest::newRow("read-only, release") << listed << true << m_model << 0 << 5 << none << QString();
        // Its file size limit lets the lock file not grow.
        QTest::newRow("full") << listed << false << other << 3 << 3 << none << QString();
        // Out of descriptors, the open fails for what the step needed it for.
        QTest::newRow("no descriptors, no lock file") << QByteArray() << false << model << 3 << 1 << none << QString();
        QTest::newRow("no descriptors") << listed << false << model << 2 << 2 << none << QString();
        QTest::newRow("no descriptors, release") << listed << true << model << 0 << 4 << none << QString();
        // An application name with a NUL names a lock file that cannot exist, not the one cut at the NUL.
        QTest::newRow("NUL in application name") << QByteArray() << false << model << 3 << 1 << none << QString();
        QTest::newRow("NUL in application name, release") << QByteArray() << true << model << 0 << 4 << none << QString();
        QTest::newRow("long application name") << QByteArray() << false << model << 3 << 1 << none << QString();
        // Deliberately unlike the plain algorithm, which would write what it reads back
        // otherwise, or read what it lets others plant.
        // A path that UTF-8 cannot hold would be written as "/a/?", and so be listed by any other such path.
        QTest::newRow("unpaired surrogate") << QByteArray("/a/?") << false << QStringLiteral("/a/") + QChar(0xd801) << 3 << 3 << none << unlistable;
        QTest::newRow("unpaired surrogate, release") << listed << true << m_files.filePath(QString(QChar(0xdc00))) << 0 << 5 << none << unlistable;
        // A path with a line break: its lines would name other files; taking this one would list m_model.
        QTest::newRow("carriage return") << listed << false << m_files.filePath(QStringLiteral("x\r")) + m_model << 3 << 3 << none << unlistable;
        QTest::newRow("line feed") << listed << true << m_files.filePath(QStringLiteral("line\nbreak.xml")) << 0 << 5 << none << unlistable;
        // A lock file over the cap would be refused by every later call.
        QTest::newRow("17 MiB path") << QByteArray("") << false << QString(17 << 20, QLatin1Char('x')) << 3 << 3 << none << unlistable;
        QTest::newRow("over the cap") << QByteArray(maximumSize - 8, 'x') << false << other << 3 << 3 << none
                                      << QStringLiteral("The lock file would grow larger than 16 MiB");
        // Refused lock files: neither read (a planted entry would count) nor written.
        QTest::newRow("held") << listed << false << m_model << 2 << 2 << none << QStringLiteral("The lock file is held by another process");
        QTest::newRow("sparse 3 GiB") << listed << false << m_model << 2 << 2 << none << QStringLiteral("The lock file is larger than 16 MiB");
        // Readable and writable, but not ours; or ours to read for no one.
        QTest::newRow("uid 4242's") << listed << false << m_model << 2 << 2 << none << QStringLiteral("The lock file belongs to uid 4242");
        QTest::newRow("root's, unreadable") << listed << false << other << 2 << 2 << none << QStringLiteral("The lock file belongs to user root");
        // Anything but a regular file with a single name is a lock file that cannot be read.
        QTest::newRow("dangling link") << QByteArray() << false << other << 2 << 2 << none << QString();
        QTest::newRow("fifo") << QByteArray() << true << m_model << 0 << 4 << none << QString();
        QTest::newRow("hard link") << listed << false << other << 2 << 2 << none << QString();
    }

    void takeAndRelease()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, release);
        QFETCH(QString, file);
        QFETCH(int, result);
        QFETCH(int, failure);
        QFETCH(QByteArray, after);
        QFETCH(QString, reason);
        const QString kind = QString::fromLatin1(QTest::currentDataTag());
        const QByteArray absent = QFile::encodeName(m_files.filePath(QStringLiteral("absent.txt")));
        if (kind.contains(QLatin1String("'s")) && ::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
#ifdef TAVSHARE_SANITIZED
        if (kind.startsWith(QLatin1String("no descriptors")))
            QSKIP("the sanitizer runtime needs descriptors of its own");
#endif
        QVERIFY(kind != QLatin1String("dangling link") || ::symlink(absent.constData(), m_lockFile.constData()) == 0);
        QVERIFY(kind != QLatin1String("fifo") || ::mkfifo(m_lockFile.constData(), 0666) == 0);
        QVERIFY(kind != QLatin1String("folder not writable") || ::chmod(QFile::encodeName(QDir::tempPath()).constData(), 0555) == 0);
        if (!before.isNull()) {
            QVERIFY(TavTest::writeFile(QFile::decodeName(m_lockFile), before.replace('@', m_model.toUtf8())));
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
        std::future<void> writer; // waited for when it goes, before holder closes
        if (kind == QLatin1String("held while written")) {
            QVERIFY(holder.open(QIODevice::ReadWrite) && ::flock(holder.handle(), LOCK_EX) == 0);
            writer = std::async(std::launch::async, [&holder, end = before.size()] {
                // Blank lines, for 4 s: longer than a hold that writes nothing is waited for.
                for (int line = 0; line < 400 && ::pwrite(holder.handle(), "\n", 1, end + line) == 1; ++line)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                ::flock(holder.handle(), LOCK_UN);
            });
        }
        const QByteArray snapshotBefore = snapshot(m_lockFile);
        const rlimit full = {rlim_t(before.size()), m_sizeLimit.rlim_max};
        QVERIFY(kind != QLatin1String("full") || ::setrlimit(RLIMIT_FSIZE, &full) == 0);
        if (kind.contains(QLatin1String("application name")))
            QCoreApplication::setApplicationName(kind.startsWith(QLatin1String("NUL")) ? QStringLiteral("lock") + QChar(0) + QStringLiteral("app")
                                                                                    : QString(300, QLatin1Char('a')));

        TavTest::MessageCapture capture;
        int actual;
        {
            const TavTest::Unprivileged unprivileged;
            QVERIFY(unprivileged.isActive() && TavTest::Unprivileged::canEnter(QFile::encodeName(QDir::tempPath())));
            const mode_t previousUmask = ::umask(0277);
            const rlimit noDescriptors = {0, m_descriptorLimit.rlim_max};
            QVERIFY(!kind.startsWith(QLatin1String("no descriptors")) || ::setrlimit(RLIMIT_NOFILE, &noDescriptors) == 0);
            actual = release ? int(TavShare::releaseLock(file)) : TavShare::getLock(file);
            QVERIFY(::setrlimit(RLIMIT_NOFILE, &m_descriptorLimit) == 0);
            ::umask(previousUmask);
        }
        const QStringList messages = capture.texts();
        QCOMPARE(actual, result);
        QCOMPARE(messages, messagesOf(failure, reason));
        QVERIFY(!QFileInfo::exists(QFile::decodeName(absent)) && !QFileInfo::exists(QDir::tempPath() + QStringLiteral("/lock")));
        if (after.isNull()) {
            QCOMPARE(snapshot(m_lockFile), snapshotBefore);
            return;
        }
        QCOMPARE(contentOf(QFile::decodeName(m_lockFile)), after.replace('@', m_model.toUtf8()));
        // Others may not write the lock file afterwards, nor may the umask cut our rights.
        QCOMPARE(int(QFile::permissions(QFile::decodeName(m_lockFile)) & 0xf0ff), before.isNull() ? 0x6000 : 0x6044);
    }

    // The library against the plain algorithm of lockfilereference.h: lock files of random
    // lines made of the row's pieces ("@n" for candidate n), none when there are no pieces,
    // then random calls on the candidates, given absolute or relative. After each call, the
    // result, the messages and the lock file's bytes must be the reference's, but where the
    // library differs on purpose (see expected()).
    void sameAsReference_data()
    {
        QTest::addColumn<QString>("piecesText"); // split at "|"
        QTest::addColumn<int>("filler"); // bytes of entries ahead of the random lines
        QTest::addColumn<int>("calls");
        const QString entries = QStringLiteral("@0|@1|@2|@3|");
        QTest::newRow("no lock file") << QString() << 0 << 40;
        QTest::newRow("blank lines and white space") << entries + QString::fromUtf8("| |\t\v\f|\u00a0|\u3000\u2029") << 0 << 200;
        QTest::newRow("duplicates") << QStringLiteral("@0|@1|@0|@1") << 0 << 100;
        QTest::newRow("carriage returns") << entries + QStringLiteral("\r| ") << 0 << 200;
        QTest::newRow("beyond ASCII") << entries + QString::fromUtf8("\u00e9|\u2003|\ufeff|\U0001F9EC") << 0 << 200;
        QTest::newRow("byte order marks") << QString::fromUtf8("\ufeff@0|\ufeff@1") << 0 << 100;
        QTest::newRow("unlistable paths") << QStringLiteral("@1|@4|@5|?|\n") << 0 << 100;
        QTest::newRow("near the cap") << QStringLiteral("@0|@1|@2") << maximumSize - 200 << 12;
    }

    void sameAsReference()
    {
        QFETCH(QString, piecesText);
        QFETCH(int, filler);
        QFETCH(int, calls);
        // Existing, missing, beyond ASCII, and two that cannot be listed.
        const QStringList candidates = {m_model, m_files.filePath(QStringLiteral("a.xml")), m_files.filePath(QStringLiteral("gone.xml")),
                                        QString::fromUtf8("/x/\u00e9/y"), m_files.filePath(QStringLiteral("a\rb.xml")),
                                        m_files.filePath(QString(QChar(0xd800)))};
        const QStringList pieces = piecesText.isEmpty() ? QStringList() : piecesText.split(QLatin1Char('|'));
        QRandomGenerator random(qHash(QString::fromLatin1(QTest::currentDataTag())));
        QByteArray content;
        for (int line = 0; line * 1000 < filler; ++line)
            content += "/filler/" + QByteArray(990, char('a' + line % 26)) + '\n';
        content.truncate(filler);
        for (int line = random.bounded(8); !pieces.isEmpty() && line >= 0; --line) {
            QString text;
            for (int piece = random.bounded(4); piece > 0; --piece)
                text += pieces.at(random.bounded(int(pieces.size())));
            for (int n = 0; n < candidates.size(); ++n)
                text.replace(QStringLiteral("@%1").arg(n), candidates.at(n));
            content += text.toUtf8() + (line > 0 || random.bounded(2) ? "\n" : "");
        }
        QVERIFY(pieces.isEmpty() || TavTest::writeFile(QFile::decodeName(m_lockFile), content));

        for (int call = 0; call < calls; ++call) {
            const bool release = random.bounded(3) == 0;
            QString file = candidates.at(random.bounded(int(candidates.size())));
            if (file.startsWith(m_files.path()) && random.bounded(2))
                file = (random.bounded(2) ? QStringLiteral("sub/..//") : QStringLiteral("./")) + file.mid(m_files.path().size() + 1);
            const auto callOn = [&](auto getLock, auto releaseLock) { return [=] { return release ? int(releaseLock(file)) : getLock(file); }; };
            const QString lockFile = QFile::decodeName(m_lockFile);
            const bool existed = QFile::exists(lockFile);
            const QByteArray previous = contentOf(lockFile);
            const Outcome reference = outcomeOf(callOn(Reference::getLock, Reference::releaseLock));
            QVERIFY(existed ? TavTest::writeFile(lockFile, previous) : QFile::remove(lockFile) || !QFile::exists(lockFile));
            const Outcome actual = outcomeOf(callOn(TavShare::getLock, TavShare::releaseLock));
            const Outcome wanted = expected(reference, release, file, existed ? previous : QByteArray());
            const QByteArray where = QByteArray(release ? "release " : "take ") + file.toUtf8() + " on\n" + previous.left(300);
            QVERIFY2(actual.result == wanted.result && actual.messages == wanted.messages && actual.bytes == wanted.bytes, where.constData());
        }
    }

    // Processes at once on one lock file: eight each on files of their own (taken, taken
    // again, released: no rewrite by another may lose an entry); eight on the same files
    // (one wins each); sixteen taking and releasing files of their own on a long list (each
    // is served, however busy the others keep the lock file).
    void processes_data()
    {
        QTest::addColumn<int>("peerCount");
        QTest::addColumn<int>("fileCount");
        QTest::addColumn<bool>("contested");
        QTest::addColumn<QString>("passes"); // see lockpeer.cpp
        QTest::addColumn<int>("listed");
        QTest::addColumn<int>("taken");
        QTest::addColumn<int>("ones");
        QTest::newRow("own files") << 8 << 200 << false << QStringLiteral("ttr") << 0 << 8 * 200 << 16 * 200;
        QTest::newRow("same files") << 8 << 200 << true << QStringLiteral("t") << 0 << 200 << 7 * 200;
        QTest::newRow("busy, long list") << 16 << 20 << false << QStringLiteral("p") << 100000 << 16 * 20 << 16 * 20;
    }

    void processes()
    {
        QFETCH(int, peerCount);
        QFETCH(int, fileCount);
        QFETCH(bool, contested);
        QFETCH(QString, passes);
        QFETCH(int, listed);
        QFETCH(int, taken);
        QFETCH(int, ones);
        QByteArray list;
        for (int i = 0; i < listed; ++i)
            list += (i > 0 ? "\n" : "") + QFile::encodeName(m_files.filePath(QStringLiteral("cell-cycle-%1/models/model.xml").arg(i)));
        QVERIFY(TavTest::writeFile(QFile::decodeName(m_lockFile), list));
        std::vector<QProcess> peers(peerCount);
        for (int peer = 0; peer < peerCount; ++peer)
            peers[peer].start(QStringLiteral(LOCKPEER_PATH), {QCoreApplication::applicationName(), passes,
                                                              m_files.filePath(QStringLiteral("peer%1-").arg(contested ? 0 : peer)), QString::number(fileCount)});
        // All go at once. QProcess writes only from its event loop or a waitFor call.
        for (QProcess &peer : peers)
            QVERIFY(peer.waitForStarted() && peer.write("\n") == 1 && peer.waitForBytesWritten());
        QByteArray outputs;
        for (QProcess &peer : peers) {
            QVERIFY(peer.waitForFinished(300000) && peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 0);
            outputs += peer.readAllStandardOutput();
        }
        QCOMPARE(outputs.count('0'), taken);
        QCOMPARE(outputs.count('1'), ones);
        QCOMPARE(outputs.count('\n'), taken + ones);
        QVERIFY(passes == QLatin1String("t") || contentOf(QFile::decodeName(m_lockFile)) == list);
    }

    // Who holds an entry, as getLockHolder proves it, while the holder runs and after it
    // was killed with SIGKILL (-1: not killed). Each kill row runs TAVSHARE_HOLDER_ROUNDS
    // times (a few here; 100 in a measured run).
    void holders_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<int>("whileHeld");
        QTest::addColumn<int>("afterKill");
        const int running = TavShare::HeldByRunningProcess, ended = TavShare::HolderEnded, unknown = TavShare::HolderUnknown;
        QTest::newRow("this process") << QStringLiteral("self") << int(TavShare::HeldByThisProcess) << -1;
        QTest::newRow("released") << QStringLiteral("released") << int(TavShare::NotLocked) << -1;
        QTest::newRow("another process") << QStringLiteral("hold") << running << ended;
        // Its parent has exited; the child shares the parent's record and flock.
        QTest::newRow("forked child") << QStringLiteral("hold-fork") << running << ended;
        QTest::newRow("another pid namespace") << QStringLiteral("unshare") << running << ended;
        // An older library's entry, or a hand edit.
        QTest::newRow("no record") << QStringLiteral("none") << unknown << -1;
        // Flock free, but written by a kernel whose flocks this one cannot see.
        QTest::newRow("record of another kernel") << QStringLiteral("other boot") << unknown << -1;
        QTest::newRow("record from before this boot") << QStringLiteral("earlier boot") << ended << -1;
        // Nothing proves it came from this machine's earlier boot.
        QTest::newRow("record without boot id") << QStringLiteral("no boot id") << unknown << -1;
        // A dead holder whose pid now belongs to a running process (this one): still dead.
        QTest::newRow("pid reused") << QStringLiteral("reused") << ended << -1;
    }

    void holders()
    {
        QFETCH(QString, holder);
        QFETCH(int, whileHeld);
        QFETCH(int, afterKill);
        const QString prefix = m_files.filePath(QStringLiteral("held"));
        const QString file = prefix + QLatin1Char('0');
        const QString records = QFile::decodeName(m_lockFile) + QStringLiteral(".d");
        const int rounds = afterKill < 0 ? 1 : qEnvironmentVariableIsSet("TAVSHARE_HOLDER_ROUNDS") ? qEnvironmentVariableIntValue("TAVSHARE_HOLDER_ROUNDS") : 3;
        for (int round = 0; round < rounds; ++round) {
            QProcess peer;
            qint64 pid = 0;
            // A forked holder outlives its parent: never leave it behind on a failure.
            const auto killHolder = qScopeGuard([&pid] {
                if (pid > 0)
                    ::kill(pid_t(pid), SIGKILL);
            });
            if (holder == QLatin1String("self") || holder == QLatin1String("released")) {
                QVERIFY(TavTest::writeFile(file, "<model/>") && TavShare::getLock(file) == 0);
                QVERIFY(holder == QLatin1String("self") || TavShare::releaseLock(file));
            } else if (afterKill >= 0) {
                const bool unshare = holder == QLatin1String("unshare");
                pid = startHolder(peer, unshare ? QStringLiteral("hold") : holder, prefix, 1,
                                  unshare ? QStringList{QStringLiteral("unshare"), QStringLiteral("--pid"), QStringLiteral("--fork"), QStringLiteral("--kill-child")} : QStringList());
                if (pid == 0 && unshare)
                    QSKIP("unshare cannot make a pid namespace here");
                QVERIFY(pid > 0 && (holder != QLatin1String("hold-fork") || finished(peer)));
            } else {
                QVERIFY(TavTest::writeFile(QFile::decodeName(m_lockFile), file.toUtf8()));
                const QByteArray boot = holder == QLatin1String("reused") ? TavTest::readFile(QStringLiteral("/proc/sys/kernel/random/boot_id")).trimmed()
                    : holder == QLatin1String("no boot id")                  ? QByteArray()
                                                                             : QByteArray("other");
                const QString record = records + QStringLiteral("/handmade");
                QVERIFY(holder == QLatin1String("none") || (QDir().mkpath(records) && TavTest::writeFile(record, recordOf(boot, QCoreApplication::applicationPid(), file))));
                const timespec times[2] = {{1000, 0}, {1000, 0}};
                QVERIFY((holder != QLatin1String("earlier boot") && !boot.isEmpty()) || ::utimensat(AT_FDCWD, QFile::encodeName(record).constData(), times, 0) == 0);
            }
            QCOMPARE(int(TavShare::getLockHolder(file)), whileHeld);
            if (afterKill >= 0) {
                QVERIFY(::kill(pid_t(pid), SIGKILL) == 0 && waitDead(pid));
                pid = 0;
                QCOMPARE(int(TavShare::getLockHolder(file)), afterKill);
                QVERIFY(finished(peer));
            }
            cleanup();
        }
    }

    // Eight holders release and take their files at random and are killed at random for
    // TAVSHARE_HOLDER_STRESS_SECONDS (3 here; 60 in a measured run), each replaced by one
    // that takes the files over. After each kill, no entry of a living holder may read
    // anything but running (or not locked, between its release and take), and the killed
    // one's entries read ended.
    void randomKills()
    {
        const int seconds = qEnvironmentVariableIsSet("TAVSHARE_HOLDER_STRESS_SECONDS") ? qEnvironmentVariableIntValue("TAVSHARE_HOLDER_STRESS_SECONDS") : 3;
        const int holderCount = 8, fileCount = 4;
        std::vector<QProcess> peers(holderCount);
        std::vector<qint64> pids(holderCount);
        const auto fileOf = [this](int holder, int file) { return m_files.filePath(QStringLiteral("churn%1-%2").arg(holder).arg(file)); };
        for (int holder = 0; holder < holderCount; ++holder)
            QVERIFY((pids[holder] = startHolder(peers[holder], QStringLiteral("hold-churn"), fileOf(holder, 0).chopped(1), fileCount)) > 0);
        QRandomGenerator random(20);
        QElapsedTimer timer;
        timer.start();
        int kills = 0, livingNotRunning = 0, killedNotEnded = 0;
        while (timer.elapsed() < seconds * 1000) {
            const int victim = random.bounded(holderCount);
            QVERIFY(::kill(pid_t(pids[victim]), SIGKILL) == 0 && waitDead(pids[victim]) && finished(peers[victim]));
            for (int holder = 0; holder < holderCount; ++holder) {
                for (int file = 0; file < fileCount; ++file) {
                    const int state = TavShare::getLockHolder(fileOf(holder, file));
                    if (holder != victim)
                        livingNotRunning += state != TavShare::HeldByRunningProcess && state != TavShare::NotLocked;
                    else
                        killedNotEnded += state != TavShare::HolderEnded && state != TavShare::NotLocked;
                }
            }
            ++kills;
            QVERIFY((pids[victim] = startHolder(peers[victim], QStringLiteral("hold-churn"), fileOf(victim, 0).chopped(1), fileCount)) > 0);
        }
        qInfo("%d kills in %d s: %d entries of living holders not running, %d of killed ones not ended", kills, seconds, livingNotRunning, killedNotEnded);
        for (int holder = 0; holder < holderCount; ++holder)
            QVERIFY(::kill(pid_t(pids[holder]), SIGKILL) == 0 && finished(peers[holder]));
        QCOMPARE(livingNotRunning, 0);
        QCOMPARE(killedNotEnded, 0);
    }

private:
    // What the library must give where the reference gave reference, for a call on file
    // and a lock file that held previous (null: none). The deliberate differences:
    // - A path with a line break, an unpaired surrogate or more than 16 MiB: the reference
    //   writes lines that name other files, or the path with its surrogate replaced or
    //   dropped, so that "/a/\ud800" and "/a/\ud801" are one entry. The library takes no
    //   such path (3) and releases none that exists (false), with a reason, and leaves the
    //   lock file alone.
    // - A lock file that would grow beyond 16 MiB: the library reads no such file, so every
    //   later call would fail until the file is deleted by hand. It refuses to take the
    //   path (3), with a reason, and leaves the lock file as it was.
    // Not generated here: bytes that are not UTF-8, in a line that starts and ends in ASCII,
    // stay as they are where text reading rewrites them as U+FFFD (decoding every line
    // would cost a long list more than its read and rewrite; another program's entry keeps
    // its bytes), and a lock file that opens with a UTF-16 or UTF-32 byte order mark is
    // read as UTF-8 all the same.
    // Attack cases (another thing at the lock file's path, another user's or a shared file,
    // a file over the cap) are rows of takeAndRelease.
    static Outcome expected(const Outcome &reference, bool release, const QString &file, const QByteArray &previous)
    {
        const QString path = QFileInfo(file).absoluteFilePath();
        const bool listable = !path.contains(QLatin1Char('\n')) && !path.contains(QLatin1Char('\r')) && path.isValidUtf16()
            && path.toUtf8().size() <= maximumSize;
        if (!listable && (!release || QFileInfo::exists(file)))
            return {release ? 0 : 3, messagesOf(release ? 5 : 3, unlistable), previous};
        if (reference.bytes.size() > maximumSize)
            return {3, messagesOf(3, QStringLiteral("The lock file would grow larger than 16 MiB")), previous};
        return reference;
    }

    QTemporaryDir m_files;
    QByteArray m_lockFile;
    rlimit m_sizeLimit, m_descriptorLimit;
    // The unprivileged user the cases run as.
    const uid_t m_user = ::geteuid() == 0 ? 65534 : ::geteuid();
    QString m_model;
};

TAVTEST_MAIN(TestLockFile)
#include "tst_lockfile.moc"
