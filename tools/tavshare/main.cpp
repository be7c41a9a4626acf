// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare: inspect and repair the state that the suite's applications share.

#include "command.h"
#include "preferences.h"

#include "TavShare.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace {

const QString toolNotes = QStringLiteral(
    "\nOptions:\n"
    "  -h, --help     Show this help.\n"
    "  -V, --version  Show the library's version and build revision.\n"
    "\nExit status: 0 on success, 1 when the operation failed (the reason is on\n"
    "standard error), 2 when the command line is wrong (a missing --yes included).\n");

int run(const QStringList &arguments)
{
    using namespace Tool;
    std::vector<Command> commands = textCommands();
    commands.insert(commands.begin(), {settingsCommands(), recentCommands(), lockCommands()});
    const Command tool = group(QStringLiteral("tavshare"), QString(), QStringLiteral(
        "Inspect and repair the state the suite's applications share: the preference\n"
        "store, the recent-file lists and the lock files. Try the suite's number and\n"
        "unit texts."), commands);

    const QString first = arguments.value(0);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        out() << groupHelpText(tool, tool.name) << toolNotes;
        return 0;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-V")) {
        out() << QStringLiteral("tavshare %1 (build revision %2)\n").arg(TavShare::getTavrelleCurrVersionQString()).arg(TavShare::getRevision());
        return 0;
    }
    // Not in the help: the bash completion asks for the keys it offers.
    if (first == QLatin1String("--setting-keys")) {
        out() << knownSettingKeys().join(QLatin1Char('\n')) << '\n';
        return 0;
    }
    return execute(tool, arguments);
}

} // namespace

int main(int argc, char *argv[])
{
    // The library reports its diagnoses as debug messages. The tool states failures in its
    // own words, so those stay silent unless --debug asks for them, and go to standard
    // error, never between the lines of the tool's output.
    qSetMessagePattern(QStringLiteral("tavshare: %{type}: %{message}"));
    QLoggingCategory::setFilterRules(QStringLiteral("tavshare*.debug=false"));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavshare"));

    const int exitCode = run(app.arguments().mid(1));
    Tool::out().flush();
    return exitCode;
}
