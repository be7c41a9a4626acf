// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "logging_p.h"

Q_LOGGING_CATEGORY(lcTavShare, "tavshare")
