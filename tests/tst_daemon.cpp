// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"

#include "Daemon.h"

#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

// This process's application object is the Daemon under test: the cases send it real
// signals, from itself and from another process. Cases that need a Daemon started in a
// given situation run this executable again as a peer (see main()).

class TestDaemon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signalBecomesQtSignal_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("count");
        QTest::newRow("SIGHUPs while the loop is blocked") << SIGHUP << 3;
        QTest::newRow("SIGTERM from another process") << SIGTERM << 1;
    }

    // Each signal gets its own emission, and only once the event loop runs.
    void signalBecomesQtSignal()
    {
        QFETCH(int, signalNumber);
        QFETCH(int, count);
        QSignalSpy hups(static_cast<Daemon *>(qApp), &Daemon::hupCaught);
        QSignalSpy terms(static_cast<Daemon *>(qApp), &Daemon::termCaught);
        // A single signal comes from a shell, which is waited for without running the event loop.
        const QString shellKill = QStringLiteral("kill -%1 %2").arg(signalNumber).arg(::getpid());
        for (int i = 0; i < count; ++i)
            QVERIFY(count == 1 ? QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), shellKill}) == 0
                               : ::kill(::getpid(), signalNumber) == 0);
        QCOMPARE(hups.count() + terms.count(), 0);
        QTRY_COMPARE((signalNumber == SIGHUP ? hups : terms).count(), count);
        QTest::qWait(50);
        QCOMPARE(hups.count() + terms.count(), count);
    }

    // Far more signals than the pair can hold while the event loop is stalled: the handler
    // must neither block, nor starve the other signal, nor leave its write error in errno
    // for the interrupted code to find.
    void burstKeepsProcessResponsive()
    {
        QSignalSpy terms(static_cast<Daemon *>(qApp), &Daemon::termCaught);
        errno = EDOM;
        for (int i = 0; i < 1000; ++i)
            ::kill(::getpid(), SIGHUP);
        QCOMPARE(errno, EDOM);
        QCOMPARE(::kill(::getpid(), SIGTERM), 0);
        QTRY_COMPARE(terms.count(), 1);
        int pending = -1;
        QTRY_VERIFY(::ioctl(Daemon::sighupFd[1], FIONREAD, &pending) == 0 && pending == 0);
        // An unrelated program started from here must not find the pairs among its descriptors.
        for (const int fd : {Daemon::sighupFd[0], Daemon::sighupFd[1], Daemon::sigtermFd[0], Daemon::sigtermFd[1]})
            QVERIFY(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
    }

    // Each socket pair takes two descriptors. Finds the descriptor limit at which the
    // hang-up pair fails, then the terminate pair fails, then the Daemon is ready.
    void socketPairFailureIsFatal()
    {
#ifdef TAVSHARE_SANITIZED
        QSKIP("The sanitizer runtime needs descriptors of its own and misreports when none are left");
#endif
        QProcess peer;
        peer.setProcessChannelMode(QProcess::MergedChannels);
        const auto startWithLimit = [&peer](int limit) {
            peer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peer"), QString::number(limit)});
            return peer.waitForFinished() ? peer.readAll() : QByteArray();
        };
        int limit = 0;
        while (limit < 64 && !startWithLimit(limit).contains("Could not set up socket for SIGHUP Handling"))
            ++limit;
        QVERIFY(limit < 64);
        QVERIFY(startWithLimit(limit + 2).contains("Could not set up socket for SIGTERM Handling"));
        QCOMPARE(startWithLimit(limit + 4), QByteArray("ready\n"));
    }
};

int main(int argc, char *argv[])
{
    // As a peer: a Daemon started under the descriptor limit given, which prints "ready".
    if (argc == 3 && qstrcmp(argv[1], "--peer") == 0) {
        rlimit descriptors;
        ::getrlimit(RLIMIT_NOFILE, &descriptors);
        descriptors.rlim_cur = rlim_t(QByteArray(argv[2]).toInt());
        ::setrlimit(RLIMIT_NOFILE, &descriptors);
        Daemon peer(argc, argv);
        std::puts("ready");
        return 0;
    }
    Daemon app(argc, argv);
    TestDaemon test;
    // Qt Test's crash handler would take SIGHUP and SIGTERM from the Daemon.
    QStringList arguments = app.arguments();
    arguments.insert(1, QStringLiteral("-nocrashhandler"));
    return QTest::qExec(&test, arguments);
}

#include "tst_daemon.moc"
