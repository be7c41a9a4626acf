// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare format, unit and ack: the suite's number, unit and acknowledgement texts.

#include "command.h"

#include "TavShare.h"

namespace Tool {
namespace {

const Named<int> notations[] = {{"exponent", TavShare::FormatExponent}, {"fixed", TavShare::FormatFixed}, {"auto", TavShare::FormatFixedOrExponent}};

// Named by their enumerators.
#define TOOL_UNIT(enumerator) {#enumerator, TavShare::enumerator}
const Named<TavShare::UnitType> units[] = {
    TOOL_UNIT(UnitSquareMicrometerPerSecond), TOOL_UNIT(UnitLiterPerMoleSecond), TOOL_UNIT(UnitPerSecond), TOOL_UNIT(UnitMolePerLiter),
    TOOL_UNIT(UnitMoleculePerCubicMicrometer), TOOL_UNIT(UnitMoleculePerMembrane), TOOL_UNIT(UnitMolecules),
    TOOL_UNIT(UnitMolePerSquareMicrometer), TOOL_UNIT(UnitMolePerSquareMeter), TOOL_UNIT(UnitMoleculePerSquareMicrometer),
    TOOL_UNIT(UnitSquareMeter), TOOL_UNIT(UnitSquareMicrometer), TOOL_UNIT(UnitMeter), TOOL_UNIT(UnitCentimeter), TOOL_UNIT(UnitMicrometer),
};
#undef TOOL_UNIT

const Named<unsigned long> libraries[] = {
    {"boost", TavShare::AckBoost}, {"qt", TavShare::AckQt}, {"sqlite", TavShare::AckSqlite}, {"libsbml", TavShare::AckLibSbml},
    {"graphviz", TavShare::AckGraphviz}, {"qwt", TavShare::AckQwt}, {"sundials", TavShare::AckSundials},
    {"rowmap", TavShare::AckRowmap}, {"docbook", TavShare::AckDocBook}, {"vtk", TavShare::AckVtk}, {"itk", TavShare::AckItk},
    {"sobol", TavShare::AckSobolSequences}, {"mongodb", TavShare::AckMongoDb}, {"density", TavShare::AckDensityEstimation},
    {"qt-examples", TavShare::AckQtExamples}, {"all", 0xffff}, // every credit; 0x0040 credits none
};

const int maximumPrecision = 99;

void format(const Invocation &invocation)
{
    const int notation = lookUp(notations, QStringLiteral("notation"), invocation.value(QStringLiteral("notation")));
    bool ok = false;
    const int precision = invocation.value(QStringLiteral("precision")).toInt(&ok);
    if (!ok || precision < 0 || precision > maximumPrecision)
        throw UsageError{QStringLiteral("--precision takes a whole number from 0 to %1, not '%2'").arg(maximumPrecision).arg(invocation.value(QStringLiteral("precision")))};
    // The library hands back text that is no number unchanged; say so instead.
    const QString number = invocation.positionalArguments().first();
    number.toDouble(&ok);
    if (!ok)
        throw UsageError{QStringLiteral("'%1' is not a number; write it as 120000, -0.5 or 1.5e-3").arg(number)};
    out() << TavShare::getScientificFormat(number, notation, precision, invocation.isSet(QStringLiteral("keep-zeros"))) << '\n';
}

void unit(const Invocation &invocation)
{
    if (invocation.positionalArguments().isEmpty()) {
        for (const auto &unit : units)
            out() << QStringLiteral("  %1  %2  %3\n").arg(int(unit.value), 2).arg(QLatin1String(unit.name), -31).arg(TavShare::getUnit(unit.value));
        return;
    }
    // The enumerator with or without "Unit", or its value.
    const QString name = invocation.positionalArguments().first();
    std::optional<TavShare::UnitType> found;
    for (const auto &unit : units) {
        const QString enumerator = QLatin1String(unit.name);
        if (!name.compare(enumerator, Qt::CaseInsensitive) || !name.compare(enumerator.mid(4), Qt::CaseInsensitive) || name == QString::number(unit.value))
            found = unit.value;
    }
    if (!found)
        throw UsageError{QStringLiteral("unknown unit '%1'; 'tavshare unit' lists them all").arg(name)};
    out() << TavShare::getUnit(*found) << '\n';
}

void ack(const Invocation &invocation)
{
    unsigned long bits = 0;
    for (const QString &value : invocation.values(QStringLiteral("libs"))) {
        for (const QString &name : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
            bits |= lookUp(libraries, QStringLiteral("library"), name.trimmed());
    }
    const QString name = invocation.isSet(QStringLiteral("app")) ? invocation.value(QStringLiteral("app")) : QStringLiteral("tavshare");
    const QString text = TavShare::acknowledgements(suiteSpelling(name), bits, invocation.isSet(QStringLiteral("experimental")));
    out() << text << (text.endsWith(QLatin1Char('\n')) ? "" : "\n");
}

} // namespace

std::vector<Command> textCommands()
{
    return {
        {QStringLiteral("format"), QStringLiteral("write a number as the suite does"),
         QStringLiteral("Write NUMBER as the suite does: exponent (1.235e+05), fixed (123456.000) or auto\n"
                        "(fixed from 0.01 to 100, exponent outside), without trailing zeros unless\n"
                        "--keep-zeros. Put -- before a negative number: tavshare format -- -0.001"),
         {{QStringLiteral("NUMBER"), QStringLiteral("The number, such as 120000, 0.5 or 1.5e-3.")}},
         {{QStringLiteral("notation"), QStringLiteral("%1 (default: auto).").arg(namesOf(notations)),
           QStringLiteral("NOTATION"), QStringLiteral("auto")},
          {QStringLiteral("precision"), QStringLiteral("Digits after the decimal point, 0 to %1 (default: 6).").arg(maximumPrecision),
           QStringLiteral("N"), QStringLiteral("6")},
          {QStringLiteral("keep-zeros"), QStringLiteral("Keep the trailing zeros of the decimals.")}},
         format},
        {QStringLiteral("unit"), QStringLiteral("print the text of a unit, or list them"),
         QStringLiteral("Print the suite's text of a unit, or, without NAME, of every unit."),
         {{QStringLiteral("[NAME]"), QStringLiteral("The unit in any case: UnitMicrometer, micrometer or 14.")}}, {}, unit},
        {QStringLiteral("ack"), QStringLiteral("print the acknowledgement text"),
         QStringLiteral("Print the acknowledgement text an application of the suite shows: its name, the\n"
                        "library's version and build facts, and a credit for each library named."),
         {}, {{QStringLiteral("libs"),
           QStringLiteral("The libraries to credit, separated by commas: %1. The option may be repeated.").arg(namesOf(libraries)),
           QStringLiteral("NAMES")},
          {QStringLiteral("experimental"), QStringLiteral("Add the note that the release is not an official one.")},
          appOption(QStringLiteral("The application named at the top (default: tavshare)."))},
         ack},
    };
}

} // namespace Tool
