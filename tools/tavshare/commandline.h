// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_COMMANDLINE_H
#define TAVSHARE_TOOL_COMMANDLINE_H

// The parts every tavshare command shares: exit codes, the output streams, option
// parsing with --help and --debug, and the wording of errors.

#include <QCommandLineParser>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace Tool {

enum ExitCode {
    ExitSuccess = 0,
    ExitFailure = 1, // the request was well formed but could not be carried out
    ExitUsage = 2    // the command line itself is wrong
};

// Standard output and standard error as UTF-8 text; main() flushes them.
QTextStream &out();
QTextStream &err();

// Writes "tavshare: <reason>" as one line on standard error and returns ExitFailure.
int failure(const QString &reason);
// Writes "tavshare: note: <text>" on standard error.
void note(const QString &text);

// The text as plain output shows it, so that what a file or the store holds cannot steer the
// terminal: control characters become \t, \n, \r, \a, \b, \f, \v or else \xHH (ESC is
// \x1b, the C1 controls \x80 to \x9f), and a backslash becomes \\, so that the escapes
// cannot be mistaken for the text. JSON output needs none of this: it escapes by itself.
QString printable(const QString &text);

// The listed files of the list and prune commands (recent files, lock entries): the path
// alone, or marked "  (missing)" when no such file or folder exists any more; as JSON,
// {path, exists}. The path is printable().
QString markedEntry(const QString &path);
QJsonObject entryObject(const QString &path);
// --dry-run of the prune commands.
extern const QCommandLineOption dryRunOption;

// The command line of one command, e.g. "tavshare settings show". Adds --help and
// --debug to the options the command declares.
class CommandLine
{
public:
    CommandLine(const QString &command, const QString &description);

    // How many values a positional argument takes.
    enum Arity { Required, Optional, Many };

    void addOption(const QCommandLineOption &option);
    // Positional arguments in their order; only the last may be Optional or Many.
    void addPositionalArgument(const QString &name, const QString &description, Arity arity = Required);

    // Parses the arguments that follow the command's words and checks the number of
    // positional arguments. Returns nothing when the command should go on; otherwise the
    // exit code after the help text (0) or a usage error (2) has been written.
    std::optional<int> parse(const QStringList &arguments);

    bool isSet(const QString &name) const { return m_parser.isSet(name); }
    bool isSet(const QCommandLineOption &option) const { return m_parser.isSet(option); }
    QString value(const QString &name) const { return m_parser.value(name); }
    QStringList values(const QString &name) const { return m_parser.values(name); }
    QStringList positionalArguments() const { return m_parser.positionalArguments(); }

    // Writes "<command>: <message>" and a pointer to --help on standard error, returns ExitUsage.
    int usageError(const QString &message) const;
    // Reports an unknown name given to an option, listing the accepted ones.
    int unknownName(const QString &what, const QString &given, const QStringList &accepted) const;
    // Refuses a destructive action that lacks --yes.
    int confirmationMissing(const QString &consequence) const;

    QString helpText() const;

private:
    QString m_command;
    QCommandLineParser m_parser;
    QStringList m_requiredNames;
    bool m_takesMany = false;
    int m_maximum = 0;
};

// One command of a command group, such as "show" in "tavshare settings show".
struct Action {
    QString name;
    QString summary;
    int (*run)(const QStringList &arguments);
};

// Runs the action named by the first argument, or answers --help for the group.
int dispatch(const QString &group, const QString &description, const QList<Action> &actions, const QStringList &arguments);
// The help text of a group: usage, description and its actions.
QString groupHelpText(const QString &group, const QString &description, const QList<Action> &actions);

} // namespace Tool

#endif // TAVSHARE_TOOL_COMMANDLINE_H
