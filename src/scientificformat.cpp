// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"

#include <QDebug>

namespace {

// No double has more exact decimals than the smallest subnormal, 2^-1074. A larger
// precision only makes QString::number pad with zeros, and one near INT_MAX would ask it
// for gigabytes. All the cap leaves out is padding.
constexpr int maxConversionPrecision = 1074;

bool isBlank(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

// Drops the zeros at the end of the decimals of the mantissa (the text before the first
// lower-case 'e'), then a point left at its end. The first zero always goes; every further
// one only while fewer than precision + 1 are gone, which is what stops an unconverted text
// or a negative precision early. Works in place: a freshly converted text is not copied.
void removeTrailingZeros(QString &text, int precision)
{
    const QChar *const characters = text.constData();
    qsizetype mantissaEnd = 0;
    bool hasPoint = false;
    for (; mantissaEnd < text.size() && characters[mantissaEnd] != QLatin1Char('e'); ++mantissaEnd)
        hasPoint = hasPoint || characters[mantissaEnd] == QLatin1Char('.');
    if (!hasPoint)
        return;

    qsizetype end = mantissaEnd;
    int removed = 0;
    while (characters[end - 1] == QLatin1Char('0')) {
        --end;
        if (++removed > precision)
            break;
    }
    if (characters[end - 1] == QLatin1Char('.'))
        --end;
    if (end < mantissaEnd)
        text.remove(end, mantissaEnd - end);
}

} // namespace

QString TavShare::getScientificFormat(const QString &numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal)
{
    bool isNumber = false;
    const double value = numberStr.toDouble(&isNumber);
    if (!isNumber) {
        // Blank text is no number either, but it means "nothing to show" rather than an error.
        if (isBlank(numberStr))
            return numberStr.trimmed();
        qDebug() << "Error found in QString TavShare::getScientificFormat(const QString & numberStr): " << numberStr;
        return numberStr;
    }

    const int conversionPrecision = qMin(precision, maxConversionPrecision);
    QString text;
    switch (dataFormat) {
    case 0:
        text = QString::number(value, 'e', conversionPrecision);
        break;
    case 1:
        text = QString::number(value, 'f', conversionPrecision);
        break;
    case 2: {
        const double magnitude = qAbs(value);
        const bool exponentForm = magnitude > 100.0 || magnitude < 0.01;
        text = QString::number(value, exponentForm ? 'e' : 'f', conversionPrecision);
        break;
    }
    default:
        qDebug() << "Error 1 found at QString TavShare::getScientificFormat(const QString & numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal) ";
        text = numberStr;
        break;
    }

    if (!withZeroEndAfterDecimal)
        removeTrailingZeros(text, precision);
    return text;
}
