// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#pragma once

// Root passes every permission check, so a permission test runs its case as the
// unprivileged user 65534 and becomes root again at the end of the scope. Any other user
// keeps its identity; the mode bits then apply to it as the owner. Give the owner's group
// and others the same bits: root's group stays among the supplementary groups.

#include <QtGlobal>

#include <fcntl.h>
#include <unistd.h>

namespace TavTest {

class Unprivileged
{
public:
    ~Unprivileged()
    {
        if (m_wasRoot && (seteuid(0) != 0 || setegid(0) != 0))
            qFatal("cannot become root again");
    }

    // False when the identity could not be dropped.
    bool isActive() const { return m_active; }
    // Whether the current (effective) user may enter folder.
    static bool canEnter(const QByteArray &folder) { return faccessat(AT_FDCWD, folder.constData(), X_OK, AT_EACCESS) == 0; }

private:
    const bool m_wasRoot = geteuid() == 0;
    const bool m_active = !m_wasRoot || (setegid(65534) == 0 && seteuid(65534) == 0);
};

} // namespace TavTest
