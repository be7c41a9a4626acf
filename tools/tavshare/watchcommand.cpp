// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare watch: each change of the shared state, printed as it comes, until interrupted.

#include "command.h"
#include "preferences.h"

#include "TavWatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace Tool {
namespace {

// The write end of the pair that brings SIGINT and SIGTERM into the event loop.
int signalWriteEnd = -1;

void forwardSignal(int)
{
    const char byte = 1;
    // Nothing can be done about a full pair: one byte in it is enough.
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd, &byte, 1);
}

// Ends the event loop on SIGINT and SIGTERM, so that the command returns as it ends.
void quitOnInterrupt()
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
        throw Failure{QStringLiteral("cannot catch interrupts: %1").arg(qt_error_string(errno))};
    signalWriteEnd = pair[1];
    auto *notifier = new QSocketNotifier(pair[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, QCoreApplication::instance(), &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = forwardSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void emitLine(const Invocation &invocation, const QString &text, const QJsonObject &json)
{
    out() << (invocation.isSet(jsonOption) ? jsonLine(json) : text + QLatin1Char('\n'));
    out().flush();
}

void watch(const Invocation &invocation)
{
    const std::optional<TavSettings::AppType> only = invocation.application();
    TavWatcher watcher;
    for (const Named<TavSettings::AppType> &application : applications) {
        if (only && *only != application.value)
            continue;
        watcher.watchPreferences(application.value);
        if (application.value != TavSettings::AppShared)
            watcher.watchLockList(applicationGroup(application.value));
    }

    QObject::connect(&watcher, &TavWatcher::preferenceChanged, [&invocation](TavSettings::AppType appType, const QString &setting) {
        const QString key = TavSettingsInternals::getKey(setting, appType);
        const TavSettingsStore store;
        QJsonObject json{{QStringLiteral("event"), QStringLiteral("preference")}, {QStringLiteral("key"), key}};
        if (!store.contains(key)) {
            json.insert(QStringLiteral("value"), QJsonValue::Null);
            emitLine(invocation, printable(key) + QLatin1String(" removed"), json);
            return;
        }
        const DecodedValue value = decodeValue(key, store.value(key));
        json.insert(QStringLiteral("value"), value.json);
        QStringList lines;
        for (const QString &line : value.lines)
            lines << printable(line);
        emitLine(invocation, printable(key) + QLatin1String(" = ") + lines.join(QLatin1String("; ")), json);
    });
    QObject::connect(&watcher, &TavWatcher::lockListChanged, [&invocation](const QString &name, const QStringList &added, const QStringList &removed) {
        for (const auto &[event, paths] : {std::pair{QStringLiteral("locked"), added}, std::pair{QStringLiteral("released"), removed}}) {
            for (const QString &path : paths) {
                emitLine(invocation, QStringLiteral("%1 %2 %3").arg(event, printable(name), printable(path)),
                         {{QStringLiteral("event"), event}, {QStringLiteral("application"), name}, {QStringLiteral("path"), path}});
            }
        }
    });
    QObject::connect(&watcher, &TavWatcher::storeReset, [&invocation] {
        emitLine(invocation, QStringLiteral("store reset: the store vanished, cannot be read or changes were missed"),
                 {{QStringLiteral("event"), QStringLiteral("reset")}});
    });

    quitOnInterrupt();
    if (watcher.backend() == TavWatcher::Polling)
        note(QStringLiteral("the files are on a network file system or inotify is not available: polling every 2 seconds"));
    QCoreApplication::exec();
}

} // namespace

Command watchCommand()
{
    return {QStringLiteral("watch"), QStringLiteral("print each change of preferences and lock files as it comes"),
            QStringLiteral("Print each change of the preference store and of the applications' lock files\n"
                           "as it comes, whoever makes it, until interrupted (Ctrl+C, SIGTERM). With\n"
                           "--json, one JSON object a line: {event: preference, key, value} (value null\n"
                           "when removed), {event: locked|released, application, path} or {event: reset}."),
            {},
            {appOption(QStringLiteral("Only this application's preferences and lock file.")), jsonOption},
            watch};
}

} // namespace Tool
