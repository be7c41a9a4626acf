// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "command.h"

#include "tavsettings_p.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QVector>

#include <algorithm>
#include <limits>
#include <numeric>

namespace Tool {

const Named<TavSettings::AppType> applications[6] = {
    {"shared", TavSettings::AppShared}, {"orbelle", TavSettings::AppOrbelle}, {"quintara", TavSettings::AppQuintara},
    {"halvex", TavSettings::AppHalvex}, {"dornel", TavSettings::AppDornel},   {"pellaris", TavSettings::AppPellaris},
};

const Named<TavSettings::TavrelleFileType> fileTypes[6] = {
    {"model", TavSettings::ModelFile},          {"geometry", TavSettings::GeometryFile},
    {"description", TavSettings::DescriptionFile}, {"simulation", TavSettings::SimulationFolder},
    {"workingdir", TavSettings::WorkingDirectory}, {"multiimport", TavSettings::MultiImportFile},
};

QString applicationGroup(TavSettings::AppType appType)
{
    // The library owns the group names: take the part before the "/" of a key it composes.
    const QString key = TavSettingsInternals::getKey(TavSettingsKeys::keyRecentFilePath, appType);
    return key == TavSettingsKeys::keyRecentFilePath ? QString() : key.section(QLatin1Char('/'), 0, 0);
}

QString suiteSpelling(const QString &name)
{
    const std::optional<TavSettings::AppType> appType = find(applications, name);
    return appType && *appType != TavSettings::AppShared ? applicationGroup(*appType) : name;
}

int editDistance(const QString &from, const QString &to)
{
    const QString a = from.toCaseFolded();
    const QString b = to.toCaseFolded();
    QVector<int> row(b.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int replaced = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({replaced, row[j] + 1, row[j - 1] + 1});
        }
    }
    return row.last();
}

QString closest(const QStringList &candidates, const QString &name, bool onlySlips)
{
    // A slip: two characters wrong, or one in a name of up to three.
    const int slip = name.size() > 3 ? 2 : 1;
    QString found;
    int foundDistance = onlySlips ? slip + 1 : std::numeric_limits<int>::max();
    for (const QString &candidate : candidates) {
        const int distance = editDistance(name, candidate);
        if (distance < foundDistance) {
            found = candidate;
            foundDistance = distance;
        }
    }
    return found;
}

QString unknownName(const QString &what, const QString &name, const QStringList &names)
{
    const QString suggestion = closest(names, name);
    const QString known = names.join(QStringLiteral(", "));
    if (suggestion.isEmpty())
        return QStringLiteral("unknown %1 '%2'; use one of: %3").arg(what, name, known);
    return QStringLiteral("unknown %1 '%2'; did you mean '%3'? Use one of: %4").arg(what, name, suggestion, known);
}

QCommandLineOption appOption(const QString &description)
{
    return {QStringLiteral("app"), description + QStringLiteral(" Applications: ") + namesOf(applications) + QLatin1Char('.'), QStringLiteral("NAME")};
}

const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Write JSON for scripts."));
const QCommandLineOption dryRunOption(QStringLiteral("dry-run"), QStringLiteral("Only print what would be dropped."));

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

static QTextStream err(stderr);

void note(const QString &text)
{
    out().flush();
    err << "tavshare: note: " << text << Qt::endl;
}

namespace {

// The invisible characters that reverse or re-order how the text around them is shown:
// the marks U+200E and U+200F, the embeddings and overrides U+202A to U+202E and the
// isolates U+2066 to U+2069.
bool isDirectionControl(char16_t c)
{
    return c == 0x200e || c == 0x200f || (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

QString unicodeEscape(char16_t c)
{
    return QStringLiteral("\\u%1").arg(c, 4, 16, QLatin1Char('0'));
}

// JSON text in which the C1 controls and the direction controls are escaped as \u00XX
// and \uXXXX. QJsonDocument writes them as they are, and a terminal or a viewer that
// shows the JSON would act on them. Outside strings JSON holds only ASCII, so every such
// character stands in a string, where its escape means the same.
QString escapedJson(const QByteArray &utf8)
{
    const QString text = QString::fromUtf8(utf8);
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        const char16_t unicode = c.unicode();
        if ((unicode >= 0x80 && unicode <= 0x9f) || isDirectionControl(unicode))
            escaped += unicodeEscape(unicode);
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

QString printable(const QString &text)
{
    // The characters with an escape of their own, and the letter of each escape.
    static const QString escaped = QStringLiteral("\\\t\n\r\a\b\f\v");
    static const QString letters = QStringLiteral("\\tnrabfv");
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const int escape = int(escaped.indexOf(c));
        if (escape >= 0)
            shown.append(QLatin1Char('\\')).append(letters.at(escape));
        else if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else if (isDirectionControl(c.unicode()))
            shown += unicodeEscape(c.unicode());
        else
            shown += c;
    }
    return shown;
}

void appendEntries(const QStringList &paths, const QString &indent, QString &text, QJsonArray &json)
{
    for (const QString &path : paths) {
        const bool exists = QFileInfo::exists(path);
        text += indent + printable(path) + (exists ? "\n" : "  (missing)\n");
        json.append(QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("exists"), exists}});
    }
}

QStringList existingPaths(const QStringList &paths, QStringList &dropped, const QString &prefix)
{
    QStringList kept;
    for (const QString &path : paths) {
        if (QFileInfo::exists(path))
            kept << path;
        else
            dropped << prefix + printable(path);
    }
    return kept;
}

std::optional<TavSettings::AppType> Invocation::application() const
{
    if (!isSet(QStringLiteral("app")))
        return std::nullopt;
    return lookUp(applications, QStringLiteral("application"), value(QStringLiteral("app")));
}

QString Invocation::requiredApplicationName() const
{
    if (!isSet(QStringLiteral("app")))
        throw UsageError{QStringLiteral("name the application with --app NAME")};
    return value(QStringLiteral("app"));
}

void Invocation::print(const QString &text, const QJsonValue &json) const
{
    if (!isSet(jsonOption))
        out() << text;
    else
        out() << escapedJson((json.isArray() ? QJsonDocument(json.toArray()) : QJsonDocument(json.toObject())).toJson(QJsonDocument::Indented));
}

void Invocation::printDropped(const QStringList &dropped) const
{
    for (const QString &entry : dropped)
        out() << (isSet(dryRunOption) ? "would drop " : "dropped ") << entry << '\n';
}

namespace {

// Parses the arguments after the command's words; false when only the help was asked for.
bool parse(Invocation &parser, const Command &command, const QString &commandLine, const QStringList &arguments)
{
    parser.setApplicationDescription(command.description);
    // Our own help option: Qt's would also offer --help-all with Qt's internal options.
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
    parser.addOption({QStringLiteral("debug"), QStringLiteral("Show the library's diagnostic messages on standard error.")});
    parser.addOptions(command.options);
    QStringList required;
    bool takesMany = false;
    for (const Argument &argument : command.arguments) {
        const QString name = QString(argument.syntax).remove(QRegularExpression(QStringLiteral("[][.]")));
        parser.addPositionalArgument(name, argument.description, argument.syntax);
        if (!argument.syntax.startsWith(QLatin1Char('[')))
            required << name;
        takesMany = argument.syntax.endsWith(QLatin1String("...]"));
    }

    if (!parser.parse(QStringList{commandLine} + arguments)) {
        // A negative number reads as an option; tell the user how to pass one.
        static const QRegularExpression negativeNumber(QStringLiteral("^-[0-9.]"));
        for (const QString &argument : arguments.mid(0, arguments.indexOf(QStringLiteral("--")))) {
            if (negativeNumber.match(argument).hasMatch())
                throw UsageError{QStringLiteral("%1 reads as an option; put -- before it: %2 ... -- %1").arg(argument, commandLine)};
        }
        throw UsageError{parser.errorText()};
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // Qt names the executable in the usage line; name the whole command instead.
        const QString help = parser.helpText();
        out() << QStringLiteral("Usage: ") + commandLine + help.mid(help.indexOf(QLatin1String(" [options]")));
        return false;
    }
    const QStringList given = parser.positionalArguments();
    if (given.size() < required.size())
        throw UsageError{QStringLiteral("missing ") + required.mid(given.size()).join(QLatin1Char(' '))};
    if (!takesMany && given.size() > command.arguments.size())
        throw UsageError{QStringLiteral("unexpected argument '%1'").arg(given.at(command.arguments.size()))};
    if (parser.isSet(QStringLiteral("debug")))
        QLoggingCategory::setFilterRules(QStringLiteral("tavshare*.debug=true"));
    return true;
}

} // namespace

QString groupHelpText(const Command &group, const QString &commandLine)
{
    int width = 0;
    for (const Command &member : group.members)
        width = std::max(width, int(member.name.size()));
    QString text = QStringLiteral("Usage: %1 COMMAND [options]\n%2\n\nCommands:\n").arg(commandLine, group.description);
    for (const Command &member : group.members)
        text += QStringLiteral("  %1  %2\n").arg(member.name.leftJustified(width), member.summary);
    const QString words = commandLine.section(QLatin1Char(' '), 1);
    return text + QStringLiteral("\nRun 'tavshare help %1COMMAND' or '%2 COMMAND --help' for the options of a command.\n")
                      .arg(words.isEmpty() ? QString() : words + QLatin1Char(' '), commandLine);
}

namespace {

// The names of the options below command that take a value ("app", "type", ...).
void addValueOptions(const Command &command, QStringList &names)
{
    for (const QCommandLineOption &option : command.options) {
        if (!option.valueName().isEmpty())
            names += option.names();
    }
    for (const Command &member : command.members)
        addValueOptions(member, names);
}

} // namespace

int execute(const Command &tool, const QStringList &arguments)
{
    const Command *command = &tool;
    QString commandLine = QStringLiteral("tavshare");
    try {
        // Options may come before the command words too ("tavshare --json settings show");
        // they are handed to the command with its own.
        QStringList valueOptions;
        addValueOptions(tool, valueOptions);
        QStringList leading;
        int used = 0;
        while (!command->run) {
            const QString first = arguments.value(used++);
            if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
                out() << groupHelpText(*command, commandLine);
                return 0;
            }
            if (first.startsWith(QLatin1Char('-'))) {
                leading << first;
                const QString name = first.mid(first.startsWith(QLatin1String("--")) ? 2 : 1);
                if (valueOptions.contains(name) && used < arguments.size())
                    leading << arguments.at(used++);
                continue;
            }
            QStringList names;
            for (const Command &member : command->members)
                names << member.name;
            if (!names.contains(first))
                throw UsageError{first.isEmpty() ? QStringLiteral("name a command: ") + names.join(QStringLiteral(", ")) : unknownName(QStringLiteral("command"), first, names)};
            command = &command->members.at(names.indexOf(first));
            commandLine += QLatin1Char(' ') + first;
        }
        Invocation invocation;
        invocation.commandLine = commandLine;
        if (parse(invocation, *command, commandLine, leading + arguments.mid(used)))
            command->run(invocation);
        return 0;
    } catch (const UsageError &error) {
        out().flush();
        err << commandLine << ": " << error.message << '\n' << "Try '" << commandLine << " --help'." << Qt::endl;
        return 2;
    } catch (const Failure &failure) {
        out().flush();
        err << "tavshare: " << failure.reason << Qt::endl;
        return 1;
    }
}

} // namespace Tool
