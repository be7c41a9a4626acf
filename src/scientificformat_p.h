// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef SCIENTIFICFORMAT_P_H
#define SCIENTIFICFORMAT_P_H

// Inside the library only: the two ways TavShare::getScientificFormat can take, reachable
// one by one so that each can be checked against the other.

#include <QString>

namespace TavShareScientificFormat {

// The text for a plain number: an optional "-", digits with an optional point, an
// optional exponent, nothing else; formats 0 to 2 and a precision of 0 or more only.
// Parses and converts without Qt's conversions, yet gives exactly their text. A null
// QString for any input it leaves to formatWithQt; it writes no message.
QString formatPlainNumber(const QString &numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal);

// The text by QString::toDouble and QString::number, for any input, with the debug
// messages for texts that are no number and for unlisted formats.
QString formatWithQt(const QString &numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal);

} // namespace TavShareScientificFormat

#endif // SCIENTIFICFORMAT_P_H
