// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare: inspect and repair the state that the suite's applications share.

#include "command.h"
#include "preferences.h"

#include "TavShare.h"

#include <QCoreApplication>
#include <QLoggingCategory>

// The names the option --<option> of the command named by words takes, one a line.
static QString optionValues(const QString &option, const QStringList &words)
{
    using namespace Tool;
    QString names;
    if (option == QLatin1String("app"))
        names = namesOf(applications, words.value(0) == QLatin1String("locks") ? 1 : 0);
    else if (option == QLatin1String("type"))
        names = words.value(0) == QLatin1String("recent") ? namesOf(fileTypes) : namesOf(valueTypes);
    return names.replace(QStringLiteral(", "), QStringLiteral("\n"));
}

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
    // Listed with the others; main() answers it, as "COMMAND --help".
    commands.push_back(group(QStringLiteral("help"), QStringLiteral("show the help of the tool or of a command, such as 'help settings set'"), QString(), {}));
    const Command tool = group(QStringLiteral("tavshare"), QString(), QStringLiteral(
        "Inspect and repair the state the suite's applications share: the preference\n"
        "store, the recent-file lists and the lock files. Try the suite's number and\n"
        "unit texts."), commands);

    QStringList arguments = app.arguments().mid(1);
    const auto isHelp = [](const QString &argument) { return argument == QLatin1String("--help") || argument == QLatin1String("-h"); };
    if (arguments.value(0) == QLatin1String("help") && !isHelp(arguments.value(1)))
        arguments = arguments.mid(1) << QStringLiteral("--help");
    const QString first = arguments.value(0);
    int exitCode = 0;
    if (first == QLatin1String("help")) {
        out() << "Usage: tavshare help [COMMAND...]\n"
                 "Show the help of the tool, or of COMMAND, as 'tavshare COMMAND... --help' does.\n";
    } else if (isHelp(first)) {
        out() << groupHelpText(tool, tool.name)
              << "\nOptions:\n"
                 "  -h, --help         Show this help.\n"
                 "  -V, -v, --version  Show the library's version and build revision.\n"
                 "A command's options may come before it too: tavshare --json settings show\n"
                 "\nExit status: 0 on success, 1 when the operation failed (the reason is on\n"
                 "standard error), 2 when the command line is wrong (a missing --yes, an unknown\n"
                 "name or key included).\n";
    } else if (first == QLatin1String("--version") || first == QLatin1String("-V") || first == QLatin1String("-v")) {
        out() << QStringLiteral("tavshare %1 (build revision %2)\n").arg(TavShare::getTavrelleCurrVersionQString()).arg(TavShare::getRevision());
    } else if (first == QLatin1String("--setting-keys")) {
        // Not in the help: the bash completion asks for the keys it offers.
        out() << knownSettingKeys().join(QLatin1Char('\n')) << '\n';
    } else if (first == QLatin1String("--option-values")) {
        // Not in the help either: the values it offers after --app and --type.
        out() << optionValues(arguments.value(1), arguments.mid(2)) << '\n';
    } else {
        exitCode = execute(tool, arguments);
    }
    out().flush();
    return exitCode;
}
