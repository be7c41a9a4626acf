// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare: inspect and repair the state that the suite's applications share.

#include "commandline.h"
#include "commands.h"
#include "settingvalue.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace {

const QString toolDescription = QStringLiteral(
    "Inspect and repair the state the suite's applications share: the preference\n"
    "store, the recent-file lists and the lock files. Try the suite's number and\n"
    "unit texts.");

const QString toolNotes = QStringLiteral(
    "\nOptions:\n"
    "  -h, --help     Show this help.\n"
    "  -V, --version  Show the library's version and build revision.\n"
    "\nExit status: 0 on success, 1 when the operation failed (the reason is on\n"
    "standard error), 2 when the command line is wrong (a missing --yes included).\n");

const QList<Tool::Action> commands = {
    {QStringLiteral("settings"), QStringLiteral("show, get, set, unset and reset preferences"), Tool::runSettings},
    {QStringLiteral("recent"), QStringLiteral("list and prune the recent-file lists"), Tool::runRecent},
    {QStringLiteral("locks"), QStringLiteral("list, release and prune the entries of a lock file"), Tool::runLocks},
    {QStringLiteral("format"), QStringLiteral("write a number as the suite does"), Tool::runFormat},
    {QStringLiteral("unit"), QStringLiteral("print the text of a unit, or list them"), Tool::runUnit},
    {QStringLiteral("ack"), QStringLiteral("print the acknowledgement text"), Tool::runAck},
};

int run(const QStringList &arguments)
{
    const QString first = arguments.value(0);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        Tool::out() << Tool::groupHelpText(QStringLiteral("tavshare"), toolDescription, commands) << toolNotes;
        return Tool::ExitSuccess;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-V")) {
        Tool::out() << Tool::versionText();
        return Tool::ExitSuccess;
    }
    // Not in the help: the bash completion asks for the keys it offers.
    if (first == QLatin1String("--setting-keys")) {
        Tool::out() << Tool::knownSettingKeys().join(QLatin1Char('\n')) << '\n';
        return Tool::ExitSuccess;
    }
    return Tool::dispatch(QStringLiteral("tavshare"), toolDescription, commands, arguments);
}

} // namespace

int main(int argc, char *argv[])
{
    // The library reports its diagnoses as debug messages. The tool states failures in its
    // own words, so those stay silent unless --debug asks for them, and go to standard
    // error, never between the lines of the tool's output.
    qSetMessagePattern(QStringLiteral("tavshare: %{if-debug}debug%{endif}%{if-info}info%{endif}"
                                      "%{if-warning}warning%{endif}%{if-critical}error%{endif}"
                                      "%{if-fatal}error%{endif}: %{message}"));
    QLoggingCategory::setFilterRules(QStringLiteral("tavshare*.debug=false"));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavshare"));

    const int exitCode = run(app.arguments().mid(1));
    Tool::out().flush();
    Tool::err().flush();
    return exitCode;
}
