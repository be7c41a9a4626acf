// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef VERSION_P_H
#define VERSION_P_H

// Inside the library only: how the repository path is cut out of a repository URL.

#include <QString>

namespace TavShareVersion {
// url from the "/" after its first "/repos" on; url whole when it holds no "/repos/".
QString repositoryPath(const QString &url);
} // namespace TavShareVersion

#endif // VERSION_P_H
