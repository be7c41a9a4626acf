// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A second process for tst_daemon. It runs a Daemon and prints "ready", then
// "message <percent-encoded text>" per debug message and "term" on termCaught(), after
// which it quits.
//   daemonpeer        runs until terminated
//   daemonpeer LIMIT  lowers the descriptor limit to LIMIT first, and quits once ready

#include "Daemon.h"

#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>

namespace {

void printLine(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    printLine("message " + text.toUtf8().toPercentEncoding());
}

} // namespace

int main(int argc, char *argv[])
{
    const bool limited = argc > 1;
    if (limited) {
        rlimit descriptors;
        ::getrlimit(RLIMIT_NOFILE, &descriptors);
        descriptors.rlim_cur = rlim_t(std::atoi(argv[1]));
        if (::setrlimit(RLIMIT_NOFILE, &descriptors) != 0)
            return 2;
    }
    qInstallMessageHandler(printMessage);
    Daemon daemon(argc, argv);
    QObject::connect(&daemon, &Daemon::termCaught, &daemon, [&daemon] {
        printLine("term");
        daemon.quit();
    });
    printLine("ready");
    return limited ? 0 : daemon.exec();
}
