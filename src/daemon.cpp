// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "Daemon.h"
#include "logging_p.h"

#include <QDebug>
#include <QLocalSocket>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

int Daemon::sighupFd[2] = {-1, -1};
int Daemon::sigtermFd[2] = {-1, -1};

namespace {

const char signalByte = 1;

// Both ends are non-blocking: a burst of signals that fills the pair must not block the
// handler (which may run on the very thread that drains the pair), and a spurious wake-up
// must not block the event loop. Close-on-exec keeps the pairs out of child processes.
bool createSignalPair(int fd[2])
{
    return ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fd) == 0;
}

bool installHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}

// Runs in signal context. A full pair already has the event loop woken, so a byte that
// does not fit is dropped rather than waited for. The interrupted code may be inspecting
// errno, which write() can change.
void writeNotification(int fd)
{
    const int savedErrno = errno;
    [[maybe_unused]] const ssize_t written = ::write(fd, &signalByte, sizeof signalByte);
    errno = savedErrno;
}

// Takes one notification out of the pair; false when there was none to take.
bool takeNotification(int fd)
{
    char byte;
    return ::read(fd, &byte, sizeof byte) == sizeof byte;
}

} // namespace

Daemon::Daemon(int &argc, char **argv)
    : QCoreApplication(argc, argv)
{
    // The pairs exist before the handlers, so that a signal arriving in between has
    // somewhere to go.
    if (!createSignalPair(sighupFd))
        qFatal("Could not set up socket for SIGHUP Handling");
    if (!createSignalPair(sigtermFd))
        qFatal("Could not set up socket for SIGTERM Handling");
    if (!installHandler(SIGHUP, &Daemon::hupSignalHandler))
        qFatal("Could not set up SIGHUP signal handler");
    if (!installHandler(SIGTERM, &Daemon::termSignalHandler))
        qFatal("Could not set up SIGTERM signal handler");

    sighupNotifier = new QSocketNotifier(sighupFd[1], QSocketNotifier::Read, this);
    connect(sighupNotifier, &QSocketNotifier::activated, this, &Daemon::handleSigHup);
    sigtermNotifier = new QSocketNotifier(sigtermFd[1], QSocketNotifier::Read, this);
    connect(sigtermNotifier, &QSocketNotifier::activated, this, &Daemon::handleSigTerm);

    // The power-management daemon is optional: a failed connection is silent.
    acpiSocket = new QLocalSocket(this);
    connect(acpiSocket, &QLocalSocket::readyRead, this, &Daemon::handleAcpi);
    acpiSocket->connectToServer(QStringLiteral("/var/run/acpid.socket"), QIODevice::ReadOnly);
}

// The pairs stay open and the handlers installed: a signal arriving after this still
// has a harmless place to go.
Daemon::~Daemon()
{
    delete sighupNotifier;
    delete sigtermNotifier;
}

void Daemon::hupSignalHandler(int)
{
    writeNotification(sighupFd[0]);
}

void Daemon::termSignalHandler(int)
{
    writeNotification(sigtermFd[0]);
}

// One byte per delivered signal: reading only one per activation leaves the notifier
// armed while more are pending, so each gets its own emission.
void Daemon::handleSigHup()
{
    sighupNotifier->setEnabled(false);
    if (takeNotification(sighupFd[1]))
        Q_EMIT hupCaught();
    sighupNotifier->setEnabled(true);
}

void Daemon::handleSigTerm()
{
    sigtermNotifier->setEnabled(false);
    if (takeNotification(sigtermFd[1]))
        Q_EMIT termCaught();
    sigtermNotifier->setEnabled(true);
}

// The event daemon's bytes are logged as they came, only framed by quotes.
void Daemon::handleAcpi()
{
    tavDebug().noquote().nospace() << '"' << acpiSocket->readAll() << '"';
}
