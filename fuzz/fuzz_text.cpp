// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// Hostile input for the text operations: any text, format and precision for the number
// formatting (whose two ways must agree), any text as a name, any double as an angle and
// any value as a unit.
//
// Input layout: flags byte (bit 0 keeps trailing zeros, bit 1 reads the text as raw
// UTF-16 instead of Latin-1), dataFormat byte (signed), precision (4 bytes), angle (8
// bytes), then the text.

#include <TavShare.h>
#include <scientificformat_p.h>

#include <QString>
#include <QtGlobal>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr double pi = 3.141592653589793;

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
}

template<typename T>
T take(const uint8_t *&data)
{
    T value;
    std::memcpy(&value, data, sizeof value);
    data += sizeof value;
    return value;
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool isAngle(double angle)
{
    return std::isnan(angle) || (angle >= -pi && angle <= pi);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Bad numbers are logged; the log is not what is being tested.
    qInstallMessageHandler(discardMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr size_t headerSize = 2 + sizeof(int32_t) + sizeof(double);
    if (size < headerSize)
        return 0;
    const uint8_t *const end = data + size;

    const uint8_t flags = take<uint8_t>(data);
    const int dataFormat = take<int8_t>(data);
    const bool withZeroEndAfterDecimal = flags & 1;
    // With the zeros kept the text grows with the precision, up to a gigabyte: a larger
    // precision than 2^16 is cut to its last bits, unless Qt would not convert it at all.
    int precision = take<int32_t>(data);
    if (withZeroEndAfterDecimal && precision > 0xffff && precision < std::numeric_limits<int>::max() / 2)
        precision &= 0xffff;
    const double angle = take<double>(data);

    const QString text = (flags & 2)
        ? QString(reinterpret_cast<const QChar *>(data), int((end - data) / sizeof(QChar)))
        : QString::fromLatin1(reinterpret_cast<const char *>(data), int(end - data));

    const QString formatted = TavShare::getScientificFormat(text, dataFormat, precision, withZeroEndAfterDecimal);
    // Never longer than the input or a converted number of at most 1074 decimals, and the
    // zeros that a larger precision pads it with.
    require(formatted.size() <= qMax<qsizetype>(text.size(), qsizetype(1500) + (withZeroEndAfterDecimal ? qMax(precision, 0) : 0)));
    // Plain numbers skip Qt's conversions, yet must come out exactly as through them.
    const QString plain = TavShareScientificFormat::formatPlainNumber(text, dataFormat, precision, withZeroEndAfterDecimal);
    require(plain.isNull() || plain == TavShareScientificFormat::formatWithQt(text, dataFormat, precision, withZeroEndAfterDecimal));

    const QString found = TavShare::hasIllegalChars(text);
    require(found.isNull() || (TavShare::listOfIllegalChars().contains(found) && text.contains(found)));

    require(isAngle(TavShare::getAngleBetweenPis(angle)));
    require(isAngle(TavShare::getMiddleAngleBetweenPis(angle, -angle)));
    require(isAngle(TavShare::getMiddleAngleBetweenPis(angle, TavShare::getAngleFromDegree(angle))));

    TavShare::getUnit(TavShare::UnitType(precision));
    return 0;
}
