// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare: inspect and repair the state that the suite's applications share.

#include "command.h"
#include "preferences.h"

#include "TavShare.h"

#include <QCoreApplication>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    using namespace Tool;
    // The library reports its diagnoses as debug messages. The tool states failures in its
    // own words, so those stay silent unless --debug asks for them, and go to standard
    // error, never between the lines of the tool's output.
    qSetMessagePattern(QStringLiteral("tavshare: %{type}: %{message}"));
    QLoggingCategory::setFilterRules(QStringLiteral("tavshare*.debug=false"));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavshare"));

    std::vector<Command> commands = textCommands();
    commands.insert(commands.begin(), {settingsCommands(), recentCommands(), lockCommands()});
    commands.insert(commands.begin() + 3, watchCommand());
    const Command tool = group(QStringLiteral("tavshare"), QString(), QStringLiteral(
        "Inspect and repair the state the suite's applications share: the preference\n"
        "store, the recent-file lists and the lock files. Try the suite's number and\n"
        "unit texts."), commands);

    const QStringList arguments = app.arguments().mid(1);
    const QString first = arguments.value(0);
    int exitCode = 0;
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        out() << groupHelpText(tool, tool.name)
              << "\nOptions:\n"
                 "  -h, --help     Show this help.\n"
                 "  -V, --version  Show the library's version and build revision.\n"
                 "\nExit status: 0 on success, 1 when the operation failed (the reason is on\n"
                 "standard error), 2 when the command line is wrong (a missing --yes included).\n";
    } else if (first == QLatin1String("--version") || first == QLatin1String("-V")) {
        out() << QStringLiteral("tavshare %1 (build revision %2)\n").arg(TavShare::getTavrelleCurrVersionQString()).arg(TavShare::getRevision());
    } else if (first == QLatin1String("--setting-keys")) {
        // Not in the help: the bash completion asks for the keys it offers.
        out() << knownSettingKeys().join(QLatin1Char('\n')) << '\n';
    } else {
        exitCode = execute(tool, arguments);
    }
    out().flush();
    return exitCode;
}
