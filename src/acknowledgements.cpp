// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"

namespace {

struct Credit {
    TavShare::AckLibrary library;
    const char *text; // UTF-8
};

// In increasing bit order, the order in which the credits appear.
const Credit credits[] = {
    {TavShare::AckBoost,
     "* Boost\tVarious contributors.\n"
     "\tUsed under the Boost license 1.0\n"
     "\tcf. Licenses/boost.txt for details.\n"
     "\thttps://www.boost.org\n\n"},
    {TavShare::AckQt,
     "* Qt\tDigia Plc\n"
     "\tand/or its subsidiary(-ies).\n"
     "\tUsed under the LGPL 2.1\n"
     "\tcf. Licenses/lgpl-2.1.txt for details.\n"
     "\thttps://www.qt.io\n\n"},
    {TavShare::AckSqlite,
     "* SQLite\tThe SQLite Consortium.\n"
     "\tSQLite is in the public domain.\n"
     "\thttps://www.sqlite.org\n\n"},
    {TavShare::AckLibSbml,
     "* libSBML\tVarious contributors\n"
     "\tUsed under the LGPL 2.1\n"
     "\tcf. Licenses/lgpl-2.1.txt &\n"
     "\tLicenses/libsbml.txt for details.\n"
     "\thttps://sbml.org/software/libsbml/\n\n"},
    {TavShare::AckGraphviz,
     "* Graphviz\tVarious contributors\n"
     "\tUsed under the EPL\n"
     "\tcf. Licenses/graphviz.txt for details.\n"
     "\thttps://www.graphviz.org\n\n"},
    {TavShare::AckQwt,
     "* Qwt\tUwe Rathmann and Josef Wilgen\n"
     "\tUsed under the Qwt license.\n"
     "\tcf. Licenses/qwt-license.txt for details.\n"
     "\thttps://qwt.sourceforge.io\n\n"},
    {TavShare::AckSundials,
     "* Sundials\tAlan C. Hindmarsh, Peter N. Brown, Keith E. Grant, Steven L. Lee,\n"
     "\tRadu Serban, Dan E. Shumaker and Carol S. Woodward (LLNL)\n"
     "\t Used under the BSD license.\n"
     "\tcf. Licenses/sundials.txt\n"
     "\thttps://computing.llnl.gov/projects/sundials\n\n"},
    {TavShare::AckRowmap,
     "* C++ port of rowmap\n"
     "\toriginal FORTRAN implementation by Hans Podhaisky, R\u00fcdiger Weiner and Bernhard A. Schmitt.\n"
     "\t Used under the Creative Commons BY 4.0 license.\tcf. https://creativecommons.org/licenses/by/4.0/"
     "\thttps://www.mathematik.uni-halle.de/wissenschaftliches_rechnen/forschung/software/\n\n"},
    {TavShare::AckDocBook,
     " * DocBook\tNorman Walsh\n"
     "\tand  The DocBook Project\n"
     "\tcf. Licenses/DocBook.txt\n"
     "\thttps://docbook.org\n\n"},
    {TavShare::AckVtk,
     "* VTK\tKen Martin, Will Schroeder and Bill Lorensen\n"
     "\tUsed under the vtk license.\n"
     "\tcf. Licenses/vtk.txt  for details.\n"
     "\thttps://vtk.org\n\n"},
    {TavShare::AckItk,
     "* ITK\tInsight Software Consortium\n"
     "\tUsed under the apache license.\n"
     "\tcf. Licenses/itk.txt &\n"
     "\tLicenses/apache2_0.txt for details.\n"
     "\thttps://itk.org\n\n"},
    {TavShare::AckSobolSequences,
     "* Sobol Sequences\tStephen Joe and Frances Y. Kuo\n"
     "\tUsed under license\n"
     "\tcf. 3rdPartyLicenses/sobolSequence.txt for details.\n"
     "\thttps://web.maths.unsw.edu.au/~fkuo/sobol/\n\n"},
    {TavShare::AckMongoDb,
     "* MongoDB\tMongoDB, Inc.\n"
     "\tC++ driver used under the apache license.\n"
     "\tcf. Licenses/apache2_0.txt for details.\n"
     "\thttps://www.mongodb.com\n\n"},
    {TavShare::AckDensityEstimation,
     "* Density Estimation\t Vlad I. Morariu\n"
     "\tUsed under the LGPL 2.1\n"
     "\tcf. Licenses/lgpl-2.1.txt for details.\n"
     "\thttps://github.com/vmorariu/figtree\n\n"},
    // Examples shipped with Qt carry a licence of their own, hence a heading of their own.
    {TavShare::AckQtExamples,
     "\n\nWe gratefully acknowledge the use of the Qt examples.\n\n"
     "* Qt\tDigia Plc\n"
     "\tand/or its subsidiary(-ies).\n"
     "\tUsed under the BSD\n"
     "\tcf. Licenses/bsd-qt.txt for details.\n"
     "\thttps://www.qt.io\n\n"},
};

const char makerAddress[] =
    "Department of Cellular Systems Modelling\n"
    "Institute for Cell Dynamics and Modelling\n"
    "Zentrabio Research Association\n"
    "Germany\n"
    "tavrelle@example.org\n"
    "\n";

} // namespace

QString TavShare::acknowledgements(const QString &appName, unsigned long libraries, bool experimental)
{
    QString text = appName;
    text += QLatin1String("\nVer ") + getTavrelleCurrVersionQString() + QLatin1String(" \n\n");
    if (experimental)
        text += QLatin1String("This is an experimental (NOT AN OFFICIAL) release. \n\n");
    text += QLatin1String("(Build Revision: ") + QString::number(getRevision()) + QLatin1String(")\n");
    text += QLatin1String("(SVN path: ") + getSvnPath() + QLatin1String(")\n");
    text += QLatin1Char('\n');
    text += QLatin1String(makerAddress);
    text += QLatin1String("We gratefully acknowledge the use of the following libraries.\n\n");
    for (const Credit &credit : credits) {
        if (libraries & credit.library)
            text += QString::fromUtf8(credit.text);
    }
    return text;
}
