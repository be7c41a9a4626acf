// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef DAEMON_H
#define DAEMON_H

#include "tavshare_export.h"

#include <QCoreApplication>

class QLocalSocket;
class QSocketNotifier;

/**
 * Application object for background services: a QCoreApplication that turns SIGHUP and
 * SIGTERM into Qt signals.
 *
 * Use it in place of QCoreApplication. From the end of construction SIGHUP and SIGTERM
 * are caught for the whole process until it ends, and arrive, in the event loop's
 * thread, as hupCaught() and termCaught(), one emission per delivered signal (signals
 * the system merges count once). SIGTERM no longer ends the process by itself; connect
 * termCaught() to decide what it means.
 *
 * Data from the power-management daemon's socket "/var/run/acpid.socket" is written to
 * the debug output; its absence is silent.
 *
 * One Daemon per process: the socket pairs and signal handlers are process-wide. The
 * handlers only write one byte to a socket pair, so they may run on any thread; all Qt
 * work happens in the daemon's thread through its event loop. Failing to set up the
 * signal handling is fatal.
 */
class TAVSHARE_EXPORT Daemon : public QCoreApplication
{
    Q_OBJECT

public:
    /**
     * Makes the application object from the command line, as QCoreApplication does, and
     * starts catching SIGHUP and SIGTERM.
     *
     * Ends the process with a fatal message when a socket pair or a signal handler cannot
     * be set up.
     */
    Daemon(int &argc, char **argv);

    /**
     * Stops watching the socket pairs.
     *
     * The pairs stay open and the handlers installed, so a signal that arrives later
     * still has a harmless place to go; it is no longer emitted.
     */
    ~Daemon() override;

    /** The process's SIGHUP handler: writes one byte into sighupFd[0] and nothing else. */
    static void hupSignalHandler(int);

    /** The process's SIGTERM handler: writes one byte into sigtermFd[0] and nothing else. */
    static void termSignalHandler(int);

    /**
     * The SIGHUP socket pair: element 0 is written by the signal handler, element 1 is
     * watched and read by the event loop.
     *
     * Both ends are non-blocking and close on exec; -1 until a Daemon exists.
     */
    static int sighupFd[2];

    /** The SIGTERM socket pair, used as sighupFd is. */
    static int sigtermFd[2];

Q_SIGNALS:
    /** The process received SIGHUP; emitted once per delivered signal. */
    void hupCaught();

    /** The process received SIGTERM; emitted once per delivered signal. The process keeps running. */
    void termCaught();

public Q_SLOTS:
    /** Takes one byte from sighupFd[1] and emits hupCaught(); connected by the constructor. */
    void handleSigHup();

    /** Takes one byte from sigtermFd[1] and emits termCaught(); connected by the constructor. */
    void handleSigTerm();

    /**
     * Writes what arrived from the power-management socket to the debug output, in double
     * quotes; connected by the constructor.
     */
    void handleAcpi();

private:
    QSocketNotifier *sighupNotifier = nullptr;
    QSocketNotifier *sigtermNotifier = nullptr;
    QLocalSocket *acpiSocket = nullptr;
};

#endif // DAEMON_H
