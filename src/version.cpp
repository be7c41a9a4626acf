// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavshare_version.h"
#include "version_p.h"

namespace {
const int buildRevision = 5178;
const char repositoryUrl[] = "https://svn.example.org/repos/tavrelle/trunk/Tavrelle";
} // namespace

QString TavShareVersion::repositoryPath(const QString &url)
{
    const QLatin1String reposFolder("/repos/");
    const auto position = url.indexOf(reposFolder);
    if (position < 0)
        return url;
    // Keep the "/" that ends "/repos/", so that the path stays absolute.
    return url.mid(position + reposFolder.size() - 1);
}

int TavShare::getRevision()
{
    return buildRevision;
}

QString TavShare::getSvnPath()
{
    return TavShareVersion::repositoryPath(QLatin1String(repositoryUrl));
}

QString TavShare::getTavrelleCurrVersionQString()
{
    // The version this library was built as; the same project version names the shared library.
    return QStringLiteral(TAVSHARE_VERSION_STRING);
}

std::string TavShare::getTavrelleCurrVersionStdString()
{
    return getTavrelleCurrVersionQString().toLatin1().toStdString();
}
