// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare ack and tavshare --version: the release facts of the library.

#include "commandline.h"
#include "commands.h"
#include "suitenames.h"

#include "TavShare.h"

namespace Tool {
namespace {

const NamedValue<TavShare::AckLibrary> libraries[] = {
    {"boost", TavShare::AckBoost},
    {"qt", TavShare::AckQt},
    {"sqlite", TavShare::AckSqlite},
    {"libsbml", TavShare::AckLibSbml},
    {"graphviz", TavShare::AckGraphviz},
    {"qwt", TavShare::AckQwt},
    {"sundials", TavShare::AckSundials},
    {"rowmap", TavShare::AckRowmap},
    {"docbook", TavShare::AckDocBook},
    {"vtk", TavShare::AckVtk},
    {"itk", TavShare::AckItk},
    {"sobol", TavShare::AckSobolSequences},
    {"mongodb", TavShare::AckMongoDb},
    {"density", TavShare::AckDensityEstimation},
    {"qt-examples", TavShare::AckQtExamples},
};

const QString everyLibrary = QStringLiteral("all");

// The bit of a library name, every bit for "all", nothing for an unknown name.
std::optional<unsigned long> libraryBits(const QString &name)
{
    if (const std::optional<TavShare::AckLibrary> bit = valueOf(libraries, name))
        return *bit;
    if (name.compare(everyLibrary, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    unsigned long all = 0;
    for (const auto &library : libraries)
        all |= library.value;
    return all;
}

} // namespace

int runAck(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare ack"),
                     QStringLiteral("Print the acknowledgement text an application of the suite shows: its name, the\n"
                                    "library's version and build facts, and a credit for each library named."));
    line.addOption({QStringLiteral("libs"),
                    QStringLiteral("The libraries to credit, separated by commas: %1, or %2. The option may be repeated.")
                        .arg(namesOf(libraries).join(QStringLiteral(", ")), everyLibrary),
                    QStringLiteral("NAMES")});
    line.addOption({QStringLiteral("experimental"), QStringLiteral("Add the note that the release is not an official one.")});
    line.addOption({QStringLiteral("app"),
                    QStringLiteral("The application named at the top: %1 (written as the suite spells it), or any other name "
                                   "(default: tavshare).")
                        .arg(applicationNames().mid(1).join(QStringLiteral(", "))),
                    QStringLiteral("NAME"), QStringLiteral("tavshare")});
    if (const std::optional<int> done = line.parse(arguments))
        return *done;

    unsigned long bits = 0;
    for (const QString &value : line.values(QStringLiteral("libs"))) {
        for (const QString &name : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const std::optional<unsigned long> bit = libraryBits(name.trimmed());
            if (!bit)
                return line.unknownName(QStringLiteral("library"), name.trimmed(), namesOf(libraries) << everyLibrary);
            bits |= *bit;
        }
    }

    QString appName = line.value(QStringLiteral("app"));
    if (const std::optional<TavSettings::AppType> appType = applicationFromName(appName)) {
        if (*appType != TavSettings::AppShared)
            appName = applicationGroup(*appType);
    }

    const QString text = TavShare::acknowledgements(appName, bits, line.isSet(QStringLiteral("experimental")));
    out() << text;
    if (!text.endsWith(QLatin1Char('\n')))
        out() << '\n';
    return ExitSuccess;
}

QString versionText()
{
    return QStringLiteral("tavshare %1 (build revision %2)\n").arg(TavShare::getTavrelleCurrVersionQString()).arg(TavShare::getRevision());
}

} // namespace Tool
