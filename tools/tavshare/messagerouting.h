// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_MESSAGEROUTING_H
#define TAVSHARE_TOOL_MESSAGEROUTING_H

// The library reports its diagnoses as debug messages. The tool states failures in its
// own words, so those messages stay silent unless --debug asks for them; they then go
// to standard error, never between the lines of the tool's output.

namespace Tool {

// Takes over Qt's message output for the rest of the process.
void installMessageRouting();
// Whether debug and info messages are written (with "tavshare: debug: ") or dropped.
// Warnings and worse are always written.
void showLibraryMessages(bool show);

} // namespace Tool

#endif // TAVSHARE_TOOL_MESSAGEROUTING_H
