// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_COMMAND_H
#define TAVSHARE_TOOL_COMMAND_H

// How a tavshare command is declared and run, and what every command shares: the output,
// the two kinds of error, the tables of names a user types.

#include "TavSettings.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <cstddef>
#include <optional>
#include <vector>

namespace Tool {

// The command line is wrong: the command's name, the message and a pointer to its --help
// go to standard error, and the exit status is 2.
struct UsageError {
    QString message;
};

// The request was well formed but could not be carried out: "tavshare: <reason>" goes to
// standard error, and the exit status is 1.
struct Failure {
    QString reason;
};

// Standard output as UTF-8 text.
QTextStream &out();
// Writes "tavshare: note: <text>" on standard error.
void note(const QString &text);

// The text as plain output shows it, so that what a file or the store holds cannot steer the
// terminal: control characters become \t, \n, \r, \a, \b, \f, \v or else \xHH (ESC is
// \x1b, the C1 controls \x80 to \x9f), the text-direction controls become \uHHHH (U+202E
// is \u202e), and a backslash becomes \\, so that the escapes cannot be mistaken for the
// text. JSON output escapes the C1 and text-direction controls as \u00HH and \uHHHH.
QString printable(const QString &text);

// The listed files of the list commands (recent files, lock entries), each on a line after
// indent: printable() and marked "  (missing)" when no such file or folder exists any more;
// as JSON, {path, exists}.
void appendEntries(const QStringList &paths, const QString &indent, QString &text, QJsonArray &json);
// The paths that still exist; the others go to dropped, printable() after prefix.
QStringList existingPaths(const QStringList &paths, QStringList &dropped, const QString &prefix = QString());

// A name a user types and the value it stands for.
template <typename T>
struct Named {
    const char *name;
    T value;
};

// The names of table from the entry first on, as a list "a, b, c".
template <typename T, std::size_t N>
QString namesOf(const Named<T> (&table)[N], std::size_t first = 0)
{
    QStringList names;
    for (std::size_t i = first; i < N; ++i)
        names << QLatin1String(table[i].name);
    return names.join(QStringLiteral(", "));
}

// The value name stands for in table, in any case.
template <typename T, std::size_t N>
std::optional<T> find(const Named<T> (&table)[N], const QString &name)
{
    for (const Named<T> &entry : table) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.value;
    }
    return std::nullopt;
}

// How many characters must be inserted, deleted or replaced to turn one text into the
// other, letter case aside.
int editDistance(const QString &from, const QString &to);
// The candidate closest to name by editDistance(), the first of equally close ones; an
// empty string when none is within typing-slip distance and onlySlips is set.
QString closest(const QStringList &candidates, const QString &name, bool onlySlips = true);
// "unknown <what> '<name>'; use one of: <names>", with "did you mean '<closest>'?" when one
// is close: the text of a usage error.
QString unknownName(const QString &what, const QString &name, const QStringList &names);

// Like find(), with a usage error for an unknown name, naming the known ones.
template <typename T, std::size_t N>
T lookUp(const Named<T> (&table)[N], const QString &what, const QString &name)
{
    if (const std::optional<T> value = find(table, name))
        return *value;
    throw UsageError{unknownName(what, name, namesOf(table).split(QStringLiteral(", ")))};
}

// shared, orbelle, quintara, halvex, dornel, pellaris.
extern const Named<TavSettings::AppType> applications[6];
// model, geometry, description, simulation, workingdir, multiimport.
extern const Named<TavSettings::TavrelleFileType> fileTypes[6];

// The application's group in the preference store ("Orbelle"); empty for AppShared.
QString applicationGroup(TavSettings::AppType appType);
// name as the suite spells it: the group of one of its applications ("Orbelle" for
// "ORBELLE"), any other name, "shared" included, as it stands.
QString suiteSpelling(const QString &name);

// --app NAME, --json and --dry-run; description says what --app means to the command,
// and the names of the suite's applications are added to it.
QCommandLineOption appOption(const QString &description);
extern const QCommandLineOption jsonOption;
extern const QCommandLineOption dryRunOption;

// The command line of one command, parsed and checked against its declaration.
class Invocation : public QCommandLineParser
{
public:
    QString commandLine; // the command's words, such as "tavshare settings set"

    // The value of --app, or nothing when it is not given.
    std::optional<TavSettings::AppType> application() const;
    // The value of --app, which the command needs.
    QString requiredApplicationName() const;
    // Writes json, an object or an array, with --json, and else text.
    void print(const QString &text, const QJsonValue &json) const;
    // "dropped <entry>" a line, or with --dry-run "would drop <entry>".
    void printDropped(const QStringList &dropped) const;
};

// A positional argument as the usage line shows it: "KEY" is required, "[NAME]" may be
// left out, "[VALUE...]" takes any number of values; only the last may be optional.
struct Argument {
    QString syntax;
    QString description;
};

// One command, such as "settings show", or a group of commands, such as "settings".
struct Command {
    QString name;        // its word on the command line, such as "show"
    QString summary;     // its line in the help of its group
    QString description; // the start of its own help
    QList<Argument> arguments;
    QList<QCommandLineOption> options;
    // What the command does; none for a group. It reports errors by throwing UsageError
    // or Failure.
    void (*run)(const Invocation &) = nullptr;
    std::vector<Command> members = {}; // those of a group
};

// A group of commands, such as "settings".
inline Command group(const QString &name, const QString &summary, const QString &description, std::vector<Command> members)
{
    return {name, summary, description, {}, {}, nullptr, std::move(members)};
}

// Runs the command of tool that the first arguments name, catching its errors; returns the
// exit status.
int execute(const Command &tool, const QStringList &arguments);
// The help of a group: usage, description and the commands below it.
QString groupHelpText(const Command &group, const QString &commandLine);

// The commands of tavshare by subject: the groups settings, recent and locks, and the
// commands format, unit and ack.
Command settingsCommands();
Command recentCommands();
Command lockCommands();
std::vector<Command> textCommands();

} // namespace Tool

#endif // TAVSHARE_TOOL_COMMAND_H
