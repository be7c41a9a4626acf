// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare recent: the recent-file lists of the suite's applications.

#include "commandline.h"
#include "commands.h"
#include "preferencestore.h"
#include "suitenames.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Tool {
namespace {

const QString typeOptionName = QStringLiteral("type");

// The lists a command works on: one application's, of one file type or of all six.
struct Selection {
    TavSettings::AppType appType = TavSettings::AppShared;
    QList<TavSettings::TavrelleFileType> fileTypes;
};

void addSelectionOptions(CommandLine &line)
{
    line.addOption(applicationOption(QStringLiteral("The application whose lists are meant (required).")));
    line.addOption({typeOptionName,
                    QStringLiteral("Only the list of this kind of file (default: all): %1. The simulation list holds folders.")
                        .arg(fileTypeNames().join(QStringLiteral(", "))),
                    QStringLiteral("TYPE")});
}

// The lists that --app and --type select, or a usage error.
std::optional<Selection> selection(const CommandLine &line, int *exitCode)
{
    if (!line.isSet(QStringLiteral("app"))) {
        *exitCode = line.usageError(QStringLiteral("name the application with --app NAME (%1)").arg(applicationNames().join(QLatin1Char('|'))));
        return std::nullopt;
    }
    Selection selected;
    const std::optional<TavSettings::AppType> appType = applicationFromName(line.value(QStringLiteral("app")));
    if (!appType) {
        *exitCode = line.unknownName(QStringLiteral("application"), line.value(QStringLiteral("app")), applicationNames());
        return std::nullopt;
    }
    selected.appType = *appType;

    if (!line.isSet(typeOptionName)) {
        selected.fileTypes = fileTypes();
        return selected;
    }
    const std::optional<TavSettings::TavrelleFileType> fileType = fileTypeFromName(line.value(typeOptionName));
    if (!fileType) {
        *exitCode = line.unknownName(QStringLiteral("file type"), line.value(typeOptionName), fileTypeNames());
        return std::nullopt;
    }
    selected.fileTypes = {*fileType};
    return selected;
}

int list(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare recent list"),
                     QStringLiteral("Print an application's recent-file lists, most recent first. Entries whose\n"
                                    "file or folder no longer exists are marked (missing). With --type the entries\n"
                                    "alone, one a line; otherwise each stored list under its file type."));
    addSelectionOptions(line);
    line.addOption({QStringLiteral("json"), QStringLiteral("Write JSON for scripts: {type: [{path, exists}]}.")});
    if (const std::optional<int> done = line.parse(arguments))
        return *done;
    int exitCode = ExitSuccess;
    const std::optional<Selection> selected = selection(line, &exitCode);
    if (!selected)
        return exitCode;

    if (line.isSet(QStringLiteral("json"))) {
        QJsonObject json;
        for (const TavSettings::TavrelleFileType fileType : selected->fileTypes) {
            QJsonArray entries;
            for (const QString &entry : TavSettings::getRecentTavrelleFileList(fileType, selected->appType))
                entries.append(entryObject(entry));
            json.insert(fileTypeName(fileType), entries);
        }
        out() << QJsonDocument(json).toJson(QJsonDocument::Indented);
        return ExitSuccess;
    }

    const bool single = selected->fileTypes.size() == 1;
    for (const TavSettings::TavrelleFileType fileType : selected->fileTypes) {
        const QString key = TavSettingsInternals::getFileKey(TavSettingsKeys::keyRecentFileList, fileType, selected->appType);
        // One read-change-write under the lock the applications take for their own
        // changes of the list, so that a file they add meanwhile is not lost.
        TavSettingsUpdate store;
        const QStringList entries = store.value(key).toStringList();
        if (!single && !entries.isEmpty())
            out() << fileTypeName(fileType) << ":\n";
        for (const QString &entry : entries)
            out() << (single ? "" : "    ") << markedEntry(entry) << '\n';
    }
    return ExitSuccess;
}

int prune(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare recent prune"),
                     QStringLiteral("Drop the entries whose file or folder no longer exists from an application's\n"
                                    "recent-file lists, keeping the order of the rest. Prints each dropped entry."));
    addSelectionOptions(line);
    line.addOption(dryRunOption);
    if (const std::optional<int> done = line.parse(arguments))
        return *done;
    int exitCode = ExitSuccess;
    const std::optional<Selection> selected = selection(line, &exitCode);
    if (!selected)
        return exitCode;
    const bool dryRun = line.isSet(dryRunOption);

    StoreChange change;
    QStringList dropped;
    for (const TavSettings::TavrelleFileType fileType : selected->fileTypes) {
        const QString key = TavSettingsInternals::getFileKey(TavSettingsKeys::keyRecentFileList, fileType, selected->appType);
        // One read-change-write under the lock the applications take for their own
        // changes of the list, so that a file they add meanwhile is not lost.
        TavSettingsUpdate store;
        const QStringList entries = store.value(key).toStringList();
        QStringList kept;
        for (const QString &entry : entries) {
            if (QFileInfo::exists(entry))
                kept << entry;
            else
                dropped << fileTypeName(fileType) + QStringLiteral(": ") + printable(entry);
        }
        if (!dryRun && kept.size() != entries.size())
            store.setValue(key, kept);
    }
    if (!dryRun && !dropped.isEmpty()) {
        if (const int exitCode = change.confirm())
            return exitCode;
    }
    for (const QString &entry : dropped)
        out() << (dryRun ? "would drop " : "dropped ") << entry << '\n';
    return ExitSuccess;
}

} // namespace

int runRecent(const QStringList &arguments)
{
    return dispatch(QStringLiteral("tavshare recent"), QStringLiteral("Inspect and clean the recent-file lists of the suite's applications."),
                    {
                        {QStringLiteral("list"), QStringLiteral("print the recent-file lists, marking entries that are gone"), list},
                        {QStringLiteral("prune"), QStringLiteral("drop the entries whose file or folder is gone"), prune},
                    },
                    arguments);
}

} // namespace Tool
