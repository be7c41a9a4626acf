// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavservice FILE
//
// A background service that keeps the "name=value" lines of FILE as its settings. A
// hang-up (kill -HUP) makes it read FILE again; a terminate request (kill -TERM) makes it
// finish its event loop and exit with status 0. It says on standard output what it does.

#include <Daemon.h>

#include <QFile>
#include <QMap>
#include <QTextStream>

namespace {

void say(const QString &text)
{
    QTextStream out(stdout);
    out << text << '\n';
}

class Service
{
public:
    explicit Service(const QString &settingsPath)
        : m_settingsPath(settingsPath)
    {
    }

    // Keeps the settings it had when the file cannot be read.
    void reload()
    {
        QFile file(m_settingsPath);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            say(QStringLiteral("cannot read %1, keeping %2 settings").arg(m_settingsPath).arg(m_settings.size()));
            return;
        }
        QMap<QString, QString> settings;
        QTextStream in(&file);
        QString line;
        while (in.readLineInto(&line)) {
            const int separator = line.indexOf(QLatin1Char('='));
            if (separator > 0)
                settings.insert(line.left(separator).trimmed(), line.mid(separator + 1).trimmed());
        }
        m_settings = settings;
        say(QStringLiteral("loaded %1 settings from %2").arg(m_settings.size()).arg(m_settingsPath));
    }

private:
    QString m_settingsPath;
    QMap<QString, QString> m_settings;
};

} // namespace

int main(int argc, char *argv[])
{
    // From here on SIGHUP and SIGTERM arrive as Qt signals in the event loop, where the
    // service may do anything; they no longer end the process by themselves.
    Daemon daemon(argc, argv);
    const QStringList arguments = daemon.arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: tavservice FILE\n";
        return 2;
    }

    Service service(arguments.at(1));
    service.reload();

    QObject::connect(&daemon, &Daemon::hupCaught, [&service] {
        say(QStringLiteral("hang-up: reloading"));
        service.reload();
    });
    QObject::connect(&daemon, &Daemon::termCaught, &daemon, [&daemon] {
        say(QStringLiteral("terminate request: stopping"));
        daemon.quit();
    });

    say(QStringLiteral("running as process %1; SIGHUP reloads, SIGTERM stops")
            .arg(QCoreApplication::applicationPid()));
    const int status = daemon.exec();
    say(QStringLiteral("stopped"));
    return status;
}
