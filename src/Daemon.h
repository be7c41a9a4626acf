// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef DAEMON_H
#define DAEMON_H

#include "tavshare_export.h"

#include <QCoreApplication>

class QLocalSocket;
class QSocketNotifier;

/*
 * Application object for background services. Use it in place of QCoreApplication:
 * from the end of construction SIGHUP and SIGTERM are caught for the whole process and
 * arrive, in the event loop's thread, as hupCaught() and termCaught(), one emission per
 * delivered signal. SIGTERM no longer ends the process by itself; connect termCaught()
 * to decide what it means. Data from the power-management daemon's socket
 * "/var/run/acpid.socket" is written to the debug output; its absence is silent.
 * One Daemon per process. Failing to set up the signal handling is fatal.
 */
class TAVSHARE_EXPORT Daemon : public QCoreApplication
{
    Q_OBJECT

public:
    Daemon(int &argc, char **argv);
    ~Daemon() override;

    // The process's handlers for SIGHUP and SIGTERM: each writes one byte into its
    // socket pair and nothing else.
    static void hupSignalHandler(int);
    static void termSignalHandler(int);

    // Socket pairs: element 0 is written by the signal handler, element 1 is watched
    // and read by the event loop.
    static int sighupFd[2];
    static int sigtermFd[2];

Q_SIGNALS:
    void hupCaught();
    void termCaught();

public Q_SLOTS:
    // Connected by the constructor; programs need not call them.
    void handleSigHup();
    void handleSigTerm();
    void handleAcpi();

private:
    QSocketNotifier *sighupNotifier = nullptr;
    QSocketNotifier *sigtermNotifier = nullptr;
    QLocalSocket *acpiSocket = nullptr;
};

#endif // DAEMON_H
