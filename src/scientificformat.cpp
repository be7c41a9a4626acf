// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "scientificformat_p.h"
#include "logging_p.h"

#include <QDebug>
#include <QtAlgorithms>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// No double has more exact decimals than the smallest subnormal, 2^-1074: at a larger
// precision QString::number only pads with zeros. No conversion is asked for more; the
// padding is added here, which also spares a huge precision Qt's own conversion.
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

// Longer texts are rare enough to be left to Qt's parser.
constexpr int maxPlainNumberLength = 128;

// The longest converted text: a sign, the 309 integer digits of the largest double, a point
// and one decimal more than the largest precision (for exact ties). The exponent form is
// shorter.
constexpr int maxConvertedLength = 1 + 309 + 1 + maxConversionPrecision + 1;

enum class Notation { Exponent, Fixed };

bool isDigitOrPoint(char16_t c)
{
    return (c >= u'0' && c <= u'9') || c == u'.';
}

bool parsePlainNumber(const QString &text, double &value)
{
    const int size = int(text.size());
    if (size == 0 || size > maxPlainNumberLength)
        return false;
    // A plain number begins with "-", a point or a digit and ends with a point or a digit.
    // Checked first, this leaves blanks, "+" and words such as "inf", "nan" and "infinity"
    // to Qt at almost no cost.
    const char16_t first = text.front().unicode();
    if (!(isDigitOrPoint(first) || first == u'-') || !isDigitOrPoint(text.back().unicode()))
        return false;
    char narrowed[maxPlainNumberLength];
    const QChar *const characters = text.constData();
    for (int i = 0; i < size; ++i) {
        const char16_t c = characters[i].unicode();
        if (c > 0x7f)
            return false;
        narrowed[i] = char(c);
    }
    // Of such texts from_chars reads the same ones as toDouble, to the same double. It
    // reports overflow and underflow as errors; Qt rejects those texts.
    const std::from_chars_result result = std::from_chars(narrowed, narrowed + size, value);
    return result.ec == std::errc() && result.ptr == narrowed + size;
}

// Whether value lies exactly halfway between two neighbouring multiples of 10^-decimals
// (decimals may be negative). With value = m * 2^e and m odd, that is when
// 2 * value * 10^decimals is an odd integer: e must be -(decimals + 1) and, for negative
// decimals, m a multiple of 5^-decimals.
bool isExactTie(double value, int decimals)
{
    if (value == 0)
        return false;
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);
    quint64 mantissa = quint64(std::ldexp(fraction, 53));
    const int zeroBits = int(qCountTrailingZeroBits(mantissa));
    mantissa >>= zeroBits;
    exponent += zeroBits - 53;
    if (exponent != -(decimals + 1))
        return false;
    for (int fives = -decimals; fives > 0; --fives) {
        if (mantissa % 5 != 0)
            return false;
        mantissa /= 5;
    }
    return true;
}

// Where the exponent ("e", a sign, two or three digits) of a text in exponent form begins.
char *exponentStart(char *textEnd)
{
    return textEnd[-4] == 'e' ? textEnd - 4 : textEnd - 5;
}

int exponentValue(const char *exponent, const char *textEnd)
{
    int value = 0;
    for (const char *digit = exponent + 2; digit < textEnd; ++digit)
        value = value * 10 + (*digit - '0');
    return exponent[1] == '-' ? -value : value;
}

// Writes the text of QString::number(value, 'e' or 'f', precision) into text, which holds
// maxConvertedLength characters, for a finite value and a precision from 0 to
// maxConversionPrecision; returns its end. Both round correctly, but to_chars breaks an
// exact tie towards the even digit where Qt rounds it away from zero, and Qt writes
// negative zero without its sign.
char *convertNumber(double value, Notation notation, int precision, char *text)
{
    char *const bufferEnd = text + maxConvertedLength;
    const std::chars_format format = notation == Notation::Exponent ? std::chars_format::scientific : std::chars_format::fixed;
    if (value == 0)
        value = 0; // without the sign of negative zero
    char *textEnd = std::to_chars(text, bufferEnd, value, format, precision).ptr;
    int decimals = precision;
    if (notation == Notation::Exponent)
        decimals -= exponentValue(exponentStart(textEnd), textEnd);
    if (!isExactTie(value, decimals))
        return textEnd;

    // With one decimal more the text is exact and ends in the tie's 5. If the digit before
    // it is odd, to_chars rounded up, as Qt does. An even one it kept, where Qt adds one,
    // which never carries.
    textEnd = std::to_chars(text, bufferEnd, value, format, precision + 1).ptr;
    char *const mantissaEnd = notation == Notation::Exponent ? exponentStart(textEnd) : textEnd;
    char *digit = mantissaEnd - 2;
    if (*digit == '.')
        --digit;
    if ((*digit - '0') % 2 != 0)
        return std::to_chars(text, bufferEnd, value, format, precision).ptr;
    ++*digit;
    // Drops the 5, and the point before it when there are no decimals.
    return std::move(mantissaEnd, textEnd, digit + 1);
}

// Whether Qt converts a number at precision, to a text of length characters.
bool withinQtLimits(qint64 length, int precision)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // Qt 6's conversion aborts from a precision of INT_MAX / 2 on; its strings hold more.
    Q_UNUSED(length);
    return precision < std::numeric_limits<int>::max() / 2;
#else
    // A Qt 5 string is one allocation of at most INT_MAX bytes: a header, the characters
    // and a terminating zero.
    Q_UNUSED(precision);
    return length <= (std::numeric_limits<int>::max() - qint64(sizeof(QArrayData))) / 2 - 1;
#endif
}

// QString::number(value, format, precision) at any precision that Qt converts; a null
// string beyond. Without padded, the zeros that a precision beyond maxConversionPrecision
// adds are left out: they would be dropped again.
QString numberText(double value, char format, int precision, bool padded)
{
    QString text = QString::number(value, format, qMin(precision, maxConversionPrecision));
    if (!padded || precision <= maxConversionPrecision || !std::isfinite(value))
        return text;
    const int padding = precision - maxConversionPrecision;
    if (!withinQtLimits(qint64(text.size()) + padding, precision))
        return QString();
    const int mantissaEnd = format == 'e' ? int(text.indexOf(QLatin1Char('e'))) : int(text.size());
    QString result(text.size() + padding, Qt::Uninitialized);
    QChar *out = std::copy(text.cbegin(), text.cbegin() + mantissaEnd, result.begin());
    out = std::fill_n(out, padding, QLatin1Char('0'));
    std::copy(text.cbegin() + mantissaEnd, text.cend(), out);
    return result;
}

QChar *widen(const char *begin, const char *end, QChar *out)
{
    for (const char *c = begin; c < end; ++c)
        *out++ = QLatin1Char(*c);
    return out;
}

} // namespace

QString TavShareScientificFormat::formatPlainNumber(const QString &numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal)
{
    // The zeros that pad a precision beyond the longest expansion are left to formatWithQt.
    if (dataFormat < 0 || dataFormat > 2 || precision < 0 || (withZeroEndAfterDecimal && precision > maxConversionPrecision))
        return QString();
    double value = 0;
    if (!parsePlainNumber(numberStr, value))
        return QString();

    const double magnitude = qAbs(value);
    const bool exponentForm = dataFormat == 0 || (dataFormat == 2 && (magnitude > 100.0 || magnitude < 0.01));
    char text[maxConvertedLength];
    char *const textEnd = convertNumber(value, exponentForm ? Notation::Exponent : Notation::Fixed,
                                        qMin(precision, maxConversionPrecision), text);

    // The text has exactly the converted precision's decimals, fewer than removeTrailingZeros
    // may take, so all its trailing zeros go.
    char *const mantissaEnd = exponentForm ? exponentStart(textEnd) : textEnd;
    const char *kept = mantissaEnd;
    if (!withZeroEndAfterDecimal && precision > 0) {
        while (kept[-1] == '0')
            --kept;
        if (kept[-1] == '.')
            --kept;
    }
    QString result(int((kept - text) + (textEnd - mantissaEnd)), Qt::Uninitialized);
    widen(mantissaEnd, textEnd, widen(text, kept, result.data()));
    return result;
}

QString TavShareScientificFormat::formatWithQt(const QString &numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal)
{
    bool isNumber = false;
    const double value = numberStr.toDouble(&isNumber);
    if (!isNumber) {
        // Blank text is no number either, but it means "nothing to show" rather than an error.
        if (isBlank(numberStr))
            return numberStr.trimmed();
        tavDebug() << "Error found in QString TavShare::getScientificFormat(const QString & numberStr): " << numberStr;
        return numberStr;
    }

    QString text;
    switch (dataFormat) {
    case 0:
        text = numberText(value, 'e', precision, withZeroEndAfterDecimal);
        break;
    case 1:
        text = numberText(value, 'f', precision, withZeroEndAfterDecimal);
        break;
    case 2: {
        const double magnitude = qAbs(value);
        const bool exponentForm = magnitude > 100.0 || magnitude < 0.01;
        text = numberText(value, exponentForm ? 'e' : 'f', precision, withZeroEndAfterDecimal);
        break;
    }
    default:
        tavDebug() << "Error 1 found at QString TavShare::getScientificFormat(const QString & numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal) ";
        text = numberStr;
        break;
    }
    if (text.isNull()) {
        tavDebug() << "Error 2 found at QString TavShare::getScientificFormat(const QString & numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal)" << precision;
        return numberStr;
    }

    if (!withZeroEndAfterDecimal)
        removeTrailingZeros(text, precision);
    return text;
}

QString TavShare::getScientificFormat(const QString &numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal)
{
    // Most texts are plain numbers, which need none of Qt's far slower conversions.
    QString text = TavShareScientificFormat::formatPlainNumber(numberStr, dataFormat, precision, withZeroEndAfterDecimal);
    if (!text.isNull())
        return text;
    return TavShareScientificFormat::formatWithQt(numberStr, dataFormat, precision, withZeroEndAfterDecimal);
}
