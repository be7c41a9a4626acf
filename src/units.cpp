// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "logging_p.h"

#include <QDebug>

// Every unit text takes its special characters from getUnicodeString(), so that the two
// can never disagree (a Greek mu where the micro sign belongs, for instance).

QString TavShare::getUnicodeString(UnicodeType unicodeType)
{
    switch (unicodeType) {
    case UnicodeDegreeSign: return QString(QChar(0x00B0));
    case UnicodeMicroSign: return QString(QChar(0x00B5));
    case UnicodeMiddleDot: return QString(QChar(0x00B7));
    case UnicodeSuperscriptTwo: return QString(QChar(0x00B2));
    case UnicodeSuperscriptThree: return QString(QChar(0x00B3));
    case UnicodePlusSign: return QString(QChar(0x002B));
    case UnicodeEqualsSign: return QString(QChar(0x003D));
    case UnicodeRightwardsArrow: return QString(QChar(0x2192));
    case UnicodeDivisionSlash: return QString(QChar(0x2215));
    }
    tavDebug() << "no unicode type defined";
    return QString();
}

QString TavShare::getUnicodeDegree()
{
    return getUnicodeString(UnicodeDegreeSign);
}

QString TavShare::getUnit(UnitType unitType)
{
    const auto micro = [] { return getUnicodeString(UnicodeMicroSign); };
    const auto squared = [] { return getUnicodeString(UnicodeSuperscriptTwo); };
    const auto cubed = [] { return getUnicodeString(UnicodeSuperscriptThree); };

    switch (unitType) {
    case UnitSquareMicrometerPerSecond: return micro() + QLatin1String("m") + squared() + QLatin1String("/s");
    case UnitLiterPerMoleSecond: return QLatin1String("l/mol") + getUnicodeString(UnicodeMiddleDot) + QLatin1String("s");
    case UnitPerSecond: return QStringLiteral("/s");
    case UnitMolePerLiter: return QStringLiteral("mol/l");
    case UnitMoleculePerCubicMicrometer: return QLatin1String("molecule/") + micro() + QLatin1String("m") + cubed();
    case UnitMoleculePerMembrane: return QStringLiteral("molecule/membrane");
    case UnitMolecules: return QStringLiteral("molecules");
    case UnitMolePerSquareMicrometer: return QLatin1String("mol/") + micro() + QLatin1String("m") + squared();
    case UnitMolePerSquareMeter: return QLatin1String("mol/m") + squared();
    case UnitMoleculePerSquareMicrometer: return QLatin1String("molecule/") + micro() + QLatin1String("m") + squared();
    case UnitSquareMeter: return QLatin1String("m") + squared();
    case UnitSquareMicrometer: return micro() + QLatin1String("m") + squared();
    case UnitMeter: return QStringLiteral("m");
    case UnitCentimeter: return QStringLiteral("cm");
    case UnitMicrometer: return micro() + QLatin1String("m");
    }
    tavDebug() << "Error found at QString TavShare::getUnit(int unitType) " << int(unitType);
    return QString();
}
