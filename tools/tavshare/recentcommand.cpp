// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare recent: the recent-file lists of the suite's applications.

#include "command.h"
#include "preferences.h"

namespace Tool {
namespace {

// The lists that --app and --type select: one application's, of one file type or of all six.
struct Selection {
    TavSettings::AppType appType;
    QList<Named<TavSettings::TavrelleFileType>> fileTypes;
};

Selection selection(const Invocation &invocation)
{
    invocation.requiredApplicationName();
    Selection selected{*invocation.application(), {}};
    std::optional<TavSettings::TavrelleFileType> only;
    if (invocation.isSet(QStringLiteral("type")))
        only = lookUp(fileTypes, QStringLiteral("file type"), invocation.value(QStringLiteral("type")));
    for (const auto &fileType : fileTypes) {
        if (!only || fileType.value == *only)
            selected.fileTypes << fileType;
    }
    return selected;
}

void list(const Invocation &invocation)
{
    const Selection selected = selection(invocation);
    const bool single = selected.fileTypes.size() == 1;
    QString text;
    QJsonObject json;
    for (const auto &fileType : selected.fileTypes) {
        const QStringList entries = TavSettings::getRecentTavrelleFileList(fileType.value, selected.appType);
        if (!single && !entries.isEmpty())
            text += QLatin1String(fileType.name) + QStringLiteral(":\n");
        QJsonArray entryObjects;
        appendEntries(entries, single ? QString() : QStringLiteral("    "), text, entryObjects);
        json.insert(QLatin1String(fileType.name), entryObjects);
    }
    invocation.print(text.isEmpty() ? QStringLiteral("no entries\n") : text, json);
}

void prune(const Invocation &invocation)
{
    const Selection selected = selection(invocation);
    StoreChange change;
    QStringList dropped;
    {
        // One read-change-write under the lock the applications take for their own
        // changes of the lists, so that a file they add meanwhile is not lost.
        TavSettingsUpdate store;
        for (const auto &fileType : selected.fileTypes) {
            const QString key = TavSettingsInternals::getFileKey(TavSettingsKeys::keyRecentFileList, fileType.value, selected.appType);
            const QStringList entries = store.value(key).toStringList();
            const QStringList kept = existingPaths(entries, dropped, QLatin1String(fileType.name) + QStringLiteral(": "));
            if (!invocation.isSet(dryRunOption) && kept.size() != entries.size())
                store.setValue(key, kept);
        }
    }
    if (!invocation.isSet(dryRunOption) && !dropped.isEmpty())
        change.confirm();
    invocation.printDropped(dropped);
}

} // namespace

Command recentCommands()
{
    const QList<QCommandLineOption> selection = {
        appOption(QStringLiteral("The application whose lists are meant (required).")),
        {QStringLiteral("type"), QStringLiteral("Only the list of this kind of file: %1.").arg(namesOf(fileTypes)),
         QStringLiteral("TYPE")}};
    return group(QStringLiteral("recent"), QStringLiteral("list and prune the recent-file lists"),
         QStringLiteral("Inspect and clean the recent-file lists of the suite's applications."), {
        {QStringLiteral("list"), QStringLiteral("print the recent-file lists, marking entries that are gone"),
         QStringLiteral("Print an application's recent-file lists, most recent first, marking (missing)\n"
                        "the entries whose file or folder no longer exists."),
         {}, selection + QList<QCommandLineOption>{jsonOption}, list},
        {QStringLiteral("prune"), QStringLiteral("drop the entries whose file or folder is gone"),
         QStringLiteral("Drop the entries whose file or folder no longer exists from an application's\n"
                        "recent-file lists."),
         {}, selection + QList<QCommandLineOption>{dryRunOption}, prune},
    });
}

} // namespace Tool
