// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "messagerouting.h"

#include "commandline.h"

#include <QtGlobal>

namespace Tool {
namespace {

bool debugShown = false;

void routeMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    const char *label = nullptr;
    switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
        if (!debugShown)
            return;
        label = "debug";
        break;
    case QtWarningMsg:
        label = "warning";
        break;
    case QtCriticalMsg:
    case QtFatalMsg:
        label = "error";
        break;
    }
    out().flush();
    err() << "tavshare: " << label << ": " << text << '\n';
    err().flush();
}

} // namespace

void installMessageRouting()
{
    qInstallMessageHandler(routeMessage);
}

void showLibraryMessages(bool show)
{
    debugShown = show;
}

} // namespace Tool
