// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_COMMANDS_H
#define TAVSHARE_TOOL_COMMANDS_H

// The commands of tavshare, by subject, each group first.

#include "command.h"

namespace Tool {

QList<Command> settingsCommands();
QList<Command> recentCommands();
QList<Command> lockCommands();
// format, unit and ack.
QList<Command> textCommands();

} // namespace Tool

#endif // TAVSHARE_TOOL_COMMANDS_H
