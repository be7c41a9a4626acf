// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "commandline.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>

#include <cstdio>

namespace Tool {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int failure(const QString &reason)
{
    out().flush();
    err() << "tavshare: " << reason << '\n';
    err().flush();
    return ExitFailure;
}

void note(const QString &text)
{
    out().flush();
    err() << "tavshare: note: " << text << '\n';
    err().flush();
}

CommandLine::CommandLine(const QString &command, const QString &description)
    : m_command(command)
{
    m_parser.setApplicationDescription(description);
    // Our own help option: Qt's would also offer --help-all with Qt's internal options.
    m_parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
    m_parser.addOption({QStringLiteral("debug"), QStringLiteral("Show the library's diagnostic messages on standard error.")});
}

void CommandLine::addOption(const QCommandLineOption &option)
{
    m_parser.addOption(option);
}

void CommandLine::addPositionalArgument(const QString &name, const QString &description, Arity arity)
{
    switch (arity) {
    case Required:
        m_parser.addPositionalArgument(name, description);
        m_requiredNames << name;
        break;
    case Optional:
        m_parser.addPositionalArgument(name, description, QStringLiteral("[%1]").arg(name));
        break;
    case Many:
        m_parser.addPositionalArgument(name, description, QStringLiteral("[%1...]").arg(name));
        m_takesMany = true;
        break;
    }
    ++m_maximum;
}

std::optional<int> CommandLine::parse(const QStringList &arguments)
{
    if (!m_parser.parse(QStringList{m_command} + arguments)) {
        // A negative number reads as an option; tell the user how to pass one.
        static const QRegularExpression negativeNumber(QStringLiteral("^-[0-9.]"));
        const int end = arguments.indexOf(QStringLiteral("--"));
        for (const QString &argument : arguments.mid(0, end)) {
            if (negativeNumber.match(argument).hasMatch())
                return usageError(QStringLiteral("%1 reads as an option; put -- before it: %2 ... -- %1").arg(argument, m_command));
        }
        return usageError(m_parser.errorText());
    }
    if (m_parser.isSet(QStringLiteral("help"))) {
        out() << helpText();
        return ExitSuccess;
    }
    const QStringList positional = m_parser.positionalArguments();
    if (positional.size() < m_requiredNames.size())
        return usageError(QStringLiteral("missing %1").arg(m_requiredNames.mid(positional.size()).join(QLatin1Char(' '))));
    if (!m_takesMany && positional.size() > m_maximum)
        return usageError(QStringLiteral("unexpected argument '%1'").arg(positional.at(m_maximum)));

    if (m_parser.isSet(QStringLiteral("debug")))
        QLoggingCategory::setFilterRules(QStringLiteral("tavshare*.debug=true"));
    return std::nullopt;
}

int CommandLine::usageError(const QString &message) const
{
    out().flush();
    err() << m_command << ": " << message << '\n'
          << "Try '" << m_command << " --help'.\n";
    err().flush();
    return ExitUsage;
}

int CommandLine::unknownName(const QString &what, const QString &given, const QStringList &accepted) const
{
    return usageError(QStringLiteral("unknown %1 '%2'; use one of: %3").arg(what, given, accepted.join(QStringLiteral(", "))));
}

int CommandLine::confirmationMissing(const QString &consequence) const
{
    return usageError(QStringLiteral("this %1; add --yes to go ahead").arg(consequence));
}

QString CommandLine::helpText() const
{
    // Qt names the executable in the usage line; name the whole command instead.
    QString text = m_parser.helpText();
    const QString options = QStringLiteral(" [options]");
    const int usageEnd = text.indexOf(options);
    if (usageEnd >= 0)
        text.replace(0, usageEnd, QStringLiteral("Usage: ") + m_command);
    return text;
}

QString groupHelpText(const QString &group, const QString &description, const QList<Action> &actions)
{
    int width = 0;
    for (const Action &action : actions)
        width = qMax(width, int(action.name.size()));

    QString text = QStringLiteral("Usage: %1 COMMAND [options]\n%2\n\nCommands:\n").arg(group, description);
    for (const Action &action : actions)
        text += QStringLiteral("  %1  %2\n").arg(action.name.leftJustified(width), action.summary);
    text += QStringLiteral("\nRun '%1 COMMAND --help' for the options of a command.\n").arg(group);
    return text;
}

int dispatch(const QString &group, const QString &description, const QList<Action> &actions, const QStringList &arguments)
{
    const QString first = arguments.value(0);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        out() << groupHelpText(group, description, actions);
        return ExitSuccess;
    }

    QStringList names;
    for (const Action &action : actions) {
        if (action.name == first)
            return action.run(arguments.mid(1));
        names << action.name;
    }

    out().flush();
    if (first.isEmpty())
        err() << group << ": name a command: " << names.join(QStringLiteral(", ")) << '\n';
    else
        err() << group << ": unknown command '" << first << "'; use one of: " << names.join(QStringLiteral(", ")) << '\n';
    err() << "Try '" << group << " --help'.\n";
    err().flush();
    return ExitUsage;
}

QString printable(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': shown += QLatin1String("\\\\"); break;
        case '\t': shown += QLatin1String("\\t"); break;
        case '\n': shown += QLatin1String("\\n"); break;
        case '\r': shown += QLatin1String("\\r"); break;
        case '\a': shown += QLatin1String("\\a"); break;
        case '\b': shown += QLatin1String("\\b"); break;
        case '\f': shown += QLatin1String("\\f"); break;
        case '\v': shown += QLatin1String("\\v"); break;
        default:
            if (c.category() == QChar::Other_Control)
                shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                shown += c;
        }
    }
    return shown;
}

QString markedEntry(const QString &path)
{
    const QString shown = printable(path);
    return QFileInfo::exists(path) ? shown : shown + QLatin1String("  (missing)");
}

QJsonObject entryObject(const QString &path)
{
    return QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("exists"), QFileInfo::exists(path)}};
}

const QCommandLineOption dryRunOption(QStringLiteral("dry-run"), QStringLiteral("Only print what would be dropped."));

} // namespace Tool
