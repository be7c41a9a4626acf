// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"

#include "Daemon.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

// This process's application object is the Daemon under test: the cases send it real
// signals, from itself and from a child process. Cases that need a Daemon started in a
// given situation (with or without a power-management daemon) run one in daemonpeer.

namespace {

QString peerPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/daemonpeer");
}

// The line daemonpeer prints for a debug message.
QByteArray messageLine(const QByteArray &text)
{
    return "message " + text.toPercentEncoding() + '\n';
}

// Sends count signals from a child process and waits for it without running the event loop.
bool sendFromChild(int signalNumber, int count)
{
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        for (int i = 0; i < count; ++i)
            ::kill(parent, signalNumber);
        ::_exit(0);
    }
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child && status == 0;
}

// A daemonpeer running a Daemon of its own; collects what it prints.
struct ServingPeer {
    ServingPeer() { process.start(peerPath(), QStringList()); }
    ~ServingPeer()
    {
        process.kill();
        process.waitForFinished();
    }
    QByteArray output() { return m_output += process.readAllStandardOutput(); }
    // The peer must quit normally on SIGTERM, with nothing on its error output.
    bool terminatesCleanly()
    {
        ::kill(pid_t(process.processId()), SIGTERM);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
            && process.exitCode() == 0 && process.readAllStandardError().isEmpty();
    }
    QProcess process;
    QByteArray m_output;
};

Daemon *daemon()
{
    return static_cast<Daemon *>(QCoreApplication::instance());
}

} // namespace

class TestDaemon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signalBecomesQtSignal_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("fromChild");
        QTest::newRow("one SIGHUP") << SIGHUP << 1 << false;
        QTest::newRow("three SIGHUPs while the loop is blocked") << SIGHUP << 3 << false;
        QTest::newRow("SIGTERM from another process") << SIGTERM << 1 << true;
        QTest::newRow("three SIGTERMs while the loop is blocked") << SIGTERM << 3 << false;
    }

    void signalBecomesQtSignal()
    {
        QFETCH(int, signalNumber);
        QFETCH(int, count);
        QFETCH(bool, fromChild);
        QSignalSpy hups(daemon(), &Daemon::hupCaught);
        QSignalSpy terms(daemon(), &Daemon::termCaught);
        if (fromChild) {
            QVERIFY(sendFromChild(signalNumber, count));
        } else {
            for (int i = 0; i < count; ++i)
                QCOMPARE(::kill(::getpid(), signalNumber), 0);
        }
        // Only the event loop delivers them.
        QCOMPARE(hups.count() + terms.count(), 0);
        QSignalSpy &expected = signalNumber == SIGHUP ? hups : terms;
        QTRY_COMPARE(expected.count(), count);
        QTest::qWait(50);
        QCOMPARE(expected.count(), count);
        QCOMPARE(hups.count() + terms.count(), count);
    }

    // Far more signals than the pair can hold, from another process and from this one,
    // while the event loop is stalled: the handler must neither block, nor starve the other
    // signal, nor leave its write error in errno for the interrupted code to find.
    void burstKeepsProcessResponsive()
    {
        QSignalSpy hups(daemon(), &Daemon::hupCaught);
        QSignalSpy terms(daemon(), &Daemon::termCaught);
        QVERIFY(sendFromChild(SIGHUP, 50000));
        errno = EDOM;
        for (int i = 0; i < 1000; ++i)
            ::kill(::getpid(), SIGHUP);
        QCOMPARE(errno, EDOM);
        QCOMPARE(::kill(::getpid(), SIGTERM), 0);
        QTRY_COMPARE(terms.count(), 1);
        int pending = -1;
        QTRY_VERIFY(::ioctl(Daemon::sighupFd[1], FIONREAD, &pending) == 0 && pending == 0);
        QVERIFY(hups.count() >= 1);
    }

    // An unrelated program started from here must not find the pairs among its descriptors.
    void socketPairsAreClosedOnExec()
    {
        QProcess child;
        child.start(QStringLiteral("ls"), {QStringLiteral("-l"), QStringLiteral("/proc/self/fd/")});
        QVERIFY(child.waitForFinished());
        const QByteArray listing = child.readAllStandardOutput();
        QVERIFY2(listing.contains("pipe:["), "the child listed no descriptors");
        for (int fd : {Daemon::sighupFd[0], Daemon::sighupFd[1], Daemon::sigtermFd[0], Daemon::sigtermFd[1]}) {
            const QByteArray target = QFile::encodeName(QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd)));
            QVERIFY2(target.contains("socket:[") && !listing.contains(target), target.constData());
        }
    }

    // Each socket pair takes two descriptors. Finds the descriptor limit at which the
    // hang-up pair fails, then the terminate pair fails, then the Daemon is ready.
    void socketPairFailureIsFatal()
    {
#ifdef TAVSHARE_SANITIZED
        QSKIP("The sanitizer runtime needs descriptors of its own and misreports when none are left");
#endif
        const QByteArray outcomes[] = {messageLine("Could not set up socket for SIGHUP Handling"),
                                       messageLine("Could not set up socket for SIGTERM Handling"), "ready\n"};
        QProcess peer;
        const auto startWithLimit = [&peer](int limit) {
            peer.start(peerPath(), {QString::number(limit)});
            peer.waitForFinished();
            return peer.readAllStandardOutput();
        };
        int limit = 0;
        while (limit < 64 && startWithLimit(limit) != outcomes[0])
            ++limit;
        QVERIFY2(limit < 64, "the hang-up pair never failed alone");
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(startWithLimit(limit + 2 * i), outcomes[i]);
            QCOMPARE(peer.exitStatus() == QProcess::CrashExit, i < 2);
        }
    }

    // First without a power-management daemon, then with a stand-in one, created only where
    // none exists so that a real one is never disturbed.
    void powerManagementDataIsLogged()
    {
        const QFileInfo socketFile(QStringLiteral("/var/run/acpid.socket"));
        if (socketFile.exists() || socketFile.isSymLink())
            QSKIP("Something already exists at /var/run/acpid.socket; it is left alone");
        {
            ServingPeer peer;
            QTRY_COMPARE(peer.output(), QByteArray("ready\n"));
            QVERIFY(peer.terminatesCleanly());
            QCOMPARE(peer.output(), QByteArray("ready\nterm\n"));
        }
        QLocalServer server;
        if (!QDir().mkpath(socketFile.path()) || !server.listen(socketFile.filePath()))
            QSKIP(qPrintable("Cannot stand in for the power-management daemon: " + server.errorString()));
        ServingPeer peer;
        QTRY_VERIFY(server.hasPendingConnections());
        QLocalSocket *client = server.nextPendingConnection();
        // Each read becomes one message, the bytes as they came between quotes.
        const QList<QByteArray> events = {"button/power PBTN 00000080 00000001\n", "quote \" backslash \\ tab \t caf\xc3\xa9"};
        for (const QByteArray &event : events) {
            client->write(event);
            QVERIFY(client->waitForBytesWritten());
            QTRY_VERIFY(peer.output().endsWith(messageLine('"' + event + '"')));
        }
        QVERIFY(peer.terminatesCleanly());
        QVERIFY(peer.output().endsWith("term\n"));
        QCOMPARE(peer.output().count('\n'), 2 + events.size());
    }
};

int main(int argc, char *argv[])
{
    TavTest::Sandbox sandbox;
    Daemon app(argc, argv);
    TestDaemon test;
    // Qt Test's crash handler would take SIGHUP and SIGTERM from the Daemon.
    QStringList arguments = app.arguments();
    arguments.insert(1, QStringLiteral("-nocrashhandler"));
    return QTest::qExec(&test, arguments);
}

#include "tst_daemon.moc"
