#include "tavtest.h"

#include "Daemon.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TAVTEST_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVTEST_SANITIZED
#endif
#endif

// This process's application object is the Daemon under test: the cases send it real
// signals, from itself and from daemonpeer. Cases that need a Daemon started in a given
// situation (with or without a power-management daemon) run one in daemonpeer.

namespace {

const QString acpiSocketPath = QStringLiteral("/var/run/acpid.socket");

QString peerPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/daemonpeer");
}

int pendingBytes(int fd)
{
    int count = 0;
    return ::ioctl(fd, FIONREAD, &count) == 0 ? count : -1;
}

// What the kernel names the descriptor's file, such as "socket:[4711]".
QByteArray descriptorTarget(int fd)
{
    char target[256];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    return length > 0 ? QByteArray(target, int(length)) : QByteArray();
}

// Sends `count` signals from a second process and waits for it without running the
// event loop.
bool sendFromPeer(int signalNumber, int count)
{
    QProcess peer;
    peer.start(peerPath(), {QStringLiteral("burst"), QString::number(::getpid()),
                            QLatin1String(signalNumber == SIGTERM ? "TERM" : "HUP"), QString::number(count)});
    return peer.waitForFinished(60000) && peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 0;
}

struct PeerOutcome {
    QList<QByteArray> lines;
    bool crashed;
};

// A daemonpeer that constructs a Daemon with room for only `free` more descriptors.
PeerOutcome constructWithFreeDescriptors(int free)
{
    QProcess peer;
    peer.start(peerPath(), {QStringLiteral("construct-with-free-descriptors"), QString::number(free)});
    peer.waitForFinished();
    QList<QByteArray> lines = peer.readAllStandardOutput().split('\n');
    lines.removeLast();
    return {lines, peer.exitStatus() == QProcess::CrashExit};
}

QByteArray messageLine(const QByteArray &text)
{
    return "message " + text.toPercentEncoding();
}

// A daemonpeer running a Daemon of its own; collects the lines it prints.
class ServingPeer
{
public:
    ServingPeer() { m_process.start(peerPath(), {QStringLiteral("serve")}); }
    ~ServingPeer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    void send(int signalNumber) { ::kill(pid_t(m_process.processId()), signalNumber); }
    bool finishedCleanly()
    {
        return m_process.waitForFinished(10000) && m_process.exitStatus() == QProcess::NormalExit
            && m_process.exitCode() == 0;
    }
    QList<QByteArray> lines()
    {
        m_output += m_process.readAllStandardOutput();
        QList<QByteArray> complete = m_output.split('\n');
        complete.removeLast();
        return complete;
    }
    QByteArray errorOutput() { return m_process.readAllStandardError(); }

private:
    QProcess m_process;
    QByteArray m_output;
};

} // namespace

class TestDaemon : public QObject
{
    Q_OBJECT

public:
    explicit TestDaemon(Daemon *daemon)
        : m_daemon(daemon)
    {
    }

private Q_SLOTS:
    void signalBecomesQtSignal_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("fromPeer");

        QTest::newRow("one SIGHUP") << SIGHUP << 1 << false;
        QTest::newRow("three SIGHUPs while the loop is blocked") << SIGHUP << 3 << false;
        QTest::newRow("SIGHUP from another process") << SIGHUP << 1 << true;
        QTest::newRow("one SIGTERM") << SIGTERM << 1 << false;
        QTest::newRow("three SIGTERMs while the loop is blocked") << SIGTERM << 3 << false;
        QTest::newRow("SIGTERM from another process") << SIGTERM << 1 << true;
    }

    void signalBecomesQtSignal()
    {
        QFETCH(int, signalNumber);
        QFETCH(int, count);
        QFETCH(bool, fromPeer);

        QSignalSpy hups(m_daemon, &Daemon::hupCaught);
        QSignalSpy terms(m_daemon, &Daemon::termCaught);
        if (fromPeer) {
            QVERIFY(sendFromPeer(signalNumber, count));
        } else {
            for (int i = 0; i < count; ++i)
                QCOMPARE(::kill(::getpid(), signalNumber), 0);
        }
        // Only the event loop delivers them.
        QCOMPARE(hups.count() + terms.count(), 0);

        QSignalSpy &expected = signalNumber == SIGHUP ? hups : terms;
        QSignalSpy &other = signalNumber == SIGHUP ? terms : hups;
        QTRY_COMPARE(expected.count(), count);
        QTest::qWait(50);
        QCOMPARE(expected.count(), count);
        QCOMPARE(other.count(), 0);
    }

    // Far more signals than the pair can hold, while the event loop is stalled: the
    // handler must neither block nor starve the other signal.
    void burstKeepsProcessResponsive_data()
    {
        QTest::addColumn<bool>("fromPeer");
        QTest::newRow("from this process") << false;
        QTest::newRow("from another process") << true;
    }

    void burstKeepsProcessResponsive()
    {
        QFETCH(bool, fromPeer);
        const int burst = 50000;

        QSignalSpy hups(m_daemon, &Daemon::hupCaught);
        QSignalSpy terms(m_daemon, &Daemon::termCaught);
        if (fromPeer) {
            QVERIFY(sendFromPeer(SIGHUP, burst));
        } else {
            for (int i = 0; i < burst; ++i)
                ::kill(::getpid(), SIGHUP);
        }
        QCOMPARE(::kill(::getpid(), SIGTERM), 0);

        QTRY_COMPARE(terms.count(), 1);
        QTRY_COMPARE(pendingBytes(Daemon::sighupFd[1]), 0);
        QVERIFY(hups.count() >= 1);
        QVERIFY(hups.count() <= burst);
    }

    // A handler that meets a full pair must not leave its write error in errno for the
    // interrupted code to find.
    void handlerKeepsErrno()
    {
        QSignalSpy hups(m_daemon, &Daemon::hupCaught);
        errno = EDOM;
        for (int i = 0; i < 1000; ++i)
            ::kill(::getpid(), SIGHUP);
        QCOMPARE(errno, EDOM);
        QTRY_COMPARE(pendingBytes(Daemon::sighupFd[1]), 0);
    }

    void socketPairsAreClosedOnExec()
    {
        const QList<QByteArray> pairs = {
            descriptorTarget(Daemon::sighupFd[0]), descriptorTarget(Daemon::sighupFd[1]),
            descriptorTarget(Daemon::sigtermFd[0]), descriptorTarget(Daemon::sigtermFd[1])};
        for (const QByteArray &target : pairs)
            QVERIFY2(target.startsWith("socket:"), target.constData());

        QProcess child;
        child.start(peerPath(), {QStringLiteral("list-fds")});
        QVERIFY(child.waitForFinished());
        const QList<QByteArray> inherited = child.readAllStandardOutput().split('\n');
        QVERIFY2(inherited.size() > 1, "the child listed no descriptors");
        for (const QByteArray &target : pairs)
            QVERIFY2(!inherited.contains(target), target.constData());
    }

    // Each socket pair takes two descriptors. Below the point where the application
    // object itself fits, finds the limit at which the hang-up pair fails.
    void socketPairFailureIsFatal()
    {
#ifdef TAVTEST_SANITIZED
        QSKIP("The sanitizer runtime needs descriptors of its own and misreports when none are left");
#endif
        const QByteArray hupFailure = messageLine("Could not set up socket for SIGHUP Handling");
        int free = 0;
        while (free < 32 && !constructWithFreeDescriptors(free).lines.contains(hupFailure))
            ++free;
        QVERIFY2(free < 32, "the hang-up pair never failed alone");

        PeerOutcome outcome = constructWithFreeDescriptors(free);
        QVERIFY(outcome.crashed);
        QCOMPARE(outcome.lines, QList<QByteArray>{hupFailure});
        outcome = constructWithFreeDescriptors(free + 2);
        QVERIFY(outcome.crashed);
        QCOMPARE(outcome.lines, QList<QByteArray>{messageLine("Could not set up socket for SIGTERM Handling")});
        outcome = constructWithFreeDescriptors(free + 4);
        QVERIFY(!outcome.crashed);
        QCOMPARE(outcome.lines, QList<QByteArray>{"constructed"});
    }

    void metaObject()
    {
        const QMetaObject &meta = Daemon::staticMetaObject;
        QCOMPARE(meta.className(), "Daemon");
        QCOMPARE(meta.superClass(), &QCoreApplication::staticMetaObject);
        QCOMPARE(meta.methodCount() - meta.methodOffset(), 5);
        const QList<QByteArray> signatures = {"hupCaught()", "termCaught()", "handleSigHup()",
                                              "handleSigTerm()", "handleAcpi()"};
        for (int i = 0; i < signatures.size(); ++i) {
            const QMetaMethod method = meta.method(meta.methodOffset() + i);
            QCOMPARE(method.methodSignature(), signatures.at(i));
            QCOMPARE(method.methodType(), i < 2 ? QMetaMethod::Signal : QMetaMethod::Slot);
            QCOMPARE(method.access(), QMetaMethod::Public);
        }
        QCOMPARE(meta.propertyCount(), meta.propertyOffset());
        QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
        QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
    }

    void withoutPowerManagementNothingIsLogged()
    {
        if (QFileInfo::exists(acpiSocketPath))
            QSKIP("A power-management socket exists on this machine; this case needs none");

        ServingPeer peer;
        QTRY_VERIFY(peer.lines().contains("ready"));
        peer.send(SIGHUP);
        QTRY_VERIFY(peer.lines().contains("hup"));
        peer.send(SIGTERM);
        QVERIFY(peer.finishedCleanly());
        QCOMPARE(peer.lines(), (QList<QByteArray>{"ready", "hup", "term"}));
        QCOMPARE(peer.errorOutput(), QByteArray());
    }

    // A stand-in power-management daemon: only where none exists and the path may be
    // created, so a real one is never disturbed.
    void powerManagementDataIsLogged()
    {
        const QFileInfo socketFile(acpiSocketPath);
        if (socketFile.exists() || socketFile.isSymLink())
            QSKIP("Something already exists at /var/run/acpid.socket; it is left alone");
        if (!QDir().mkpath(socketFile.path()))
            QSKIP("Cannot create /var/run for a stand-in power-management socket");
        QLocalServer server;
        if (!server.listen(acpiSocketPath))
            QSKIP(qPrintable("Cannot stand in for the power-management daemon: " + server.errorString()));

        ServingPeer peer;
        QTRY_VERIFY(server.hasPendingConnections());
        QLocalSocket *client = server.nextPendingConnection();

        // Each read becomes one message, the bytes as they came between quotes.
        const QList<QByteArray> events = {"button/power PBTN 00000080 00000001\n",
                                          "quote \" backslash \\ tab \t caf\xc3\xa9"};
        for (const QByteArray &event : events) {
            client->write(event);
            QVERIFY(client->waitForBytesWritten());
            QTRY_VERIFY(peer.lines().contains(messageLine('"' + event + '"')));
        }
        peer.send(SIGTERM);
        QVERIFY(peer.finishedCleanly());
        QCOMPARE(peer.lines().size(), 2 + events.size());

        server.close();
        QVERIFY(!QFileInfo::exists(acpiSocketPath));
    }

private:
    Daemon *m_daemon;
};

int main(int argc, char *argv[])
{
    TavTest::Sandbox sandbox;
    Daemon daemon(argc, argv);
    TestDaemon test(&daemon);
    // Qt Test's crash handler would take SIGHUP and SIGTERM from the Daemon.
    QStringList arguments = daemon.arguments();
    arguments.insert(1, QStringLiteral("-nocrashhandler"));
    return QTest::qExec(&test, arguments);
}

#include "tst_daemon.moc"
