// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare format and tavshare unit: the suite's number and unit texts.

#include "commandline.h"
#include "commands.h"

#include "TavShare.h"

namespace Tool {
namespace {

struct Notation {
    const char *name;
    int dataFormat; // as getScientificFormat takes it
};

const Notation notations[] = {
    {"exponent", 0},
    {"fixed", 1},
    {"auto", 2},
};

struct UnitName {
    const char *enumerator;
    TavShare::UnitType unitType;
};

const UnitName units[] = {
    {"UnitSquareMicrometerPerSecond", TavShare::UnitSquareMicrometerPerSecond},
    {"UnitLiterPerMoleSecond", TavShare::UnitLiterPerMoleSecond},
    {"UnitPerSecond", TavShare::UnitPerSecond},
    {"UnitMolePerLiter", TavShare::UnitMolePerLiter},
    {"UnitMoleculePerCubicMicrometer", TavShare::UnitMoleculePerCubicMicrometer},
    {"UnitMoleculePerMembrane", TavShare::UnitMoleculePerMembrane},
    {"UnitMolecules", TavShare::UnitMolecules},
    {"UnitMolePerSquareMicrometer", TavShare::UnitMolePerSquareMicrometer},
    {"UnitMolePerSquareMeter", TavShare::UnitMolePerSquareMeter},
    {"UnitMoleculePerSquareMicrometer", TavShare::UnitMoleculePerSquareMicrometer},
    {"UnitSquareMeter", TavShare::UnitSquareMeter},
    {"UnitSquareMicrometer", TavShare::UnitSquareMicrometer},
    {"UnitMeter", TavShare::UnitMeter},
    {"UnitCentimeter", TavShare::UnitCentimeter},
    {"UnitMicrometer", TavShare::UnitMicrometer},
};

const int defaultPrecision = 6;
const int maximumPrecision = 99;

// The enumerator without its "Unit", in lower case: micrometer for UnitMicrometer.
QString shortUnitName(const UnitName &unit)
{
    return QString::fromLatin1(unit.enumerator).mid(4).toLower();
}

// One line per unit: value, enumerator and text.
QString unitTable()
{
    QString table;
    for (const UnitName &unit : units) {
        table += QStringLiteral("  %1  %2  %3\n")
                     .arg(int(unit.unitType), 2)
                     .arg(QString::fromLatin1(unit.enumerator), -31)
                     .arg(TavShare::getUnit(unit.unitType));
    }
    return table;
}

} // namespace

int runFormat(const QStringList &arguments)
{
    QStringList notationNames;
    for (const Notation &notation : notations)
        notationNames << QLatin1String(notation.name);

    CommandLine line(QStringLiteral("tavshare format"),
                     QStringLiteral("Write NUMBER as the suite writes numbers: in exponent form (1.235e+05),\n"
                                    "fixed form (123456.000) or, with auto, fixed form from 0.01 to 100 and\n"
                                    "exponent form outside.\n"
                                    "Trailing zeros of the decimals are dropped unless --keep-zeros is given.\n"
                                    "Put -- before a negative number: tavshare format -- -0.001"));
    line.addPositionalArgument(QStringLiteral("NUMBER"), QStringLiteral("The number, such as 120000, 0.5 or 1.5e-3."));
    line.addOption({QStringLiteral("notation"),
                    QStringLiteral("%1 (default: auto).").arg(notationNames.join(QStringLiteral(", "))),
                    QStringLiteral("NOTATION"), QStringLiteral("auto")});
    line.addOption({QStringLiteral("precision"),
                    QStringLiteral("Digits after the decimal point, 0 to %1 (default: %2).").arg(maximumPrecision).arg(defaultPrecision),
                    QStringLiteral("N"), QString::number(defaultPrecision)});
    line.addOption({QStringLiteral("keep-zeros"), QStringLiteral("Keep the trailing zeros of the decimals.")});
    if (const std::optional<int> done = line.parse(arguments))
        return *done;

    const QString notationName = line.value(QStringLiteral("notation"));
    const int found = int(notationNames.indexOf(notationName.toLower()));
    if (found < 0)
        return line.unknownName(QStringLiteral("notation"), notationName, notationNames);

    bool ok = false;
    const int precision = line.value(QStringLiteral("precision")).toInt(&ok);
    if (!ok || precision < 0 || precision > maximumPrecision)
        return line.usageError(QStringLiteral("--precision takes a whole number from 0 to %1, not '%2'")
                                   .arg(maximumPrecision)
                                   .arg(line.value(QStringLiteral("precision"))));

    // The library hands back text that is no number unchanged; say so instead.
    const QString number = line.positionalArguments().first();
    number.toDouble(&ok);
    if (!ok)
        return line.usageError(QStringLiteral("'%1' is not a number; write it as 120000, -0.5 or 1.5e-3").arg(number));

    out() << TavShare::getScientificFormat(number, notations[found].dataFormat, precision, line.isSet(QStringLiteral("keep-zeros"))) << '\n';
    return ExitSuccess;
}

int runUnit(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare unit"),
                     QStringLiteral("Print the suite's text of a unit, or, without NAME, every unit. NAME is the\n"
                                    "enumerator, the enumerator without Unit, or the value, in any case\n"
                                    "(UnitMicrometer, micrometer, 14):\n\n")
                         + unitTable());
    line.addPositionalArgument(QStringLiteral("NAME"), QStringLiteral("The unit, e.g. UnitMicrometer, micrometer or 14."), CommandLine::Optional);
    if (const std::optional<int> done = line.parse(arguments))
        return *done;

    if (line.positionalArguments().isEmpty()) {
        out() << unitTable();
        return ExitSuccess;
    }
    const QString name = line.positionalArguments().first();
    for (const UnitName &unit : units) {
        const bool matches = name.compare(QLatin1String(unit.enumerator), Qt::CaseInsensitive) == 0
            || name.compare(shortUnitName(unit), Qt::CaseInsensitive) == 0 || name == QString::number(int(unit.unitType));
        if (matches) {
            out() << TavShare::getUnit(unit.unitType) << '\n';
            return ExitSuccess;
        }
    }
    return line.usageError(QStringLiteral("unknown unit '%1'; 'tavshare unit' lists them all").arg(name));
}

} // namespace Tool
