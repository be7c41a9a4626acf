// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A second process for tst_daemon:
//   daemonpeer serve                  runs a Daemon; prints "ready", then
//                                     "message <percent-encoded text>" per debug message,
//                                     and "term" on termCaught(), after which it quits
//   daemonpeer construct-with-free-descriptors N
//                                     lowers the descriptor limit so that only N more fit,
//                                     constructs a Daemon and prints "constructed"

#include "Daemon.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

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

int serve(int argc, char *argv[])
{
    qInstallMessageHandler(printMessage);
    Daemon daemon(argc, argv);
    QObject::connect(&daemon, &Daemon::termCaught, &daemon, [&daemon] {
        printLine("term");
        daemon.quit();
    });
    printLine("ready");
    return daemon.exec();
}

int constructWithFreeDescriptors(int argc, char *argv[], int wanted)
{
    int limit = 0;
    for (int free = 0; free < wanted; ++limit) {
        if (::fcntl(limit, F_GETFD) == -1)
            ++free;
    }
    rlimit descriptors;
    ::getrlimit(RLIMIT_NOFILE, &descriptors);
    descriptors.rlim_cur = rlim_t(limit);
    if (::setrlimit(RLIMIT_NOFILE, &descriptors) != 0)
        return 1;

    qInstallMessageHandler(printMessage);
    Daemon daemon(argc, argv);
    printLine("constructed");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray command = argc > 1 ? argv[1] : "";
    if (command == "serve")
        return serve(argc, argv);
    if (command == "construct-with-free-descriptors" && argc == 3)
        return constructWithFreeDescriptors(argc, argv, std::atoi(argv[2]));
    std::fputs("usage: daemonpeer serve | construct-with-free-descriptors N\n", stderr);
    return 2;
}
