// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_COMMANDS_H
#define TAVSHARE_TOOL_COMMANDS_H

// The commands of tavshare. Each takes the arguments after its own name and returns
// the process's exit code.

#include <QStringList>

namespace Tool {

int runSettings(const QStringList &arguments);
int runRecent(const QStringList &arguments);
int runLocks(const QStringList &arguments);
int runFormat(const QStringList &arguments);
int runUnit(const QStringList &arguments);
int runAck(const QStringList &arguments);

// "tavshare <version> (build revision <revision>)" and a line feed.
QString versionText();

} // namespace Tool

#endif // TAVSHARE_TOOL_COMMANDS_H
