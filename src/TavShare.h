// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_H
#define TAVSHARE_H

#include "tavshare_export.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <boost/random/mersenne_twister.hpp>
#include <boost/uuid/uuid.hpp>

#include <string>

/*
 * Utilities shared by every application of the suite. All operations are static and
 * keep no state; the one class-wide object is the random engine MersenneTwister.
 * Operations that diagnose bad input write a debug message (qDebug) and report the
 * failure through their result; nothing throws.
 */
class TAVSHARE_EXPORT TavShare
{
public:
    // One unit text each (see getUnit).
    enum UnitType : int {
        UnitSquareMicrometerPerSecond = 0,   // µm²/s
        UnitLiterPerMoleSecond = 1,          // l/mol·s
        UnitPerSecond = 2,                   // /s
        UnitMolePerLiter = 3,                // mol/l
        UnitMoleculePerCubicMicrometer = 4,  // molecule/µm³
        UnitMoleculePerMembrane = 5,         // molecule/membrane
        UnitMolecules = 6,                   // molecules
        UnitMolePerSquareMicrometer = 7,     // mol/µm²
        UnitMolePerSquareMeter = 8,          // mol/m²
        UnitMoleculePerSquareMicrometer = 9, // molecule/µm²
        UnitSquareMeter = 10,                // m²
        UnitSquareMicrometer = 11,           // µm²
        UnitMeter = 12,                      // m
        UnitCentimeter = 13,                 // cm
        UnitMicrometer = 14                  // µm
    };

    // One special character each (see getUnicodeString).
    enum UnicodeType : int {
        UnicodeDegreeSign = 0,       // U+00B0
        UnicodeMicroSign = 1,        // U+00B5, not the Greek mu
        UnicodeMiddleDot = 2,        // U+00B7
        UnicodeSuperscriptTwo = 3,   // U+00B2
        UnicodeSuperscriptThree = 4, // U+00B3
        UnicodePlusSign = 5,         // U+002B
        UnicodeEqualsSign = 6,       // U+003D
        UnicodeRightwardsArrow = 7,  // U+2192
        UnicodeDivisionSlash = 8     // U+2215
    };

    // Bits of the libraries argument of acknowledgements(); 0x0040 selects nothing.
    enum AckLibrary : unsigned long {
        AckBoost = 0x0001,
        AckQt = 0x0002, // under the LGPL 2.1
        AckSqlite = 0x0004,
        AckLibSbml = 0x0008,
        AckGraphviz = 0x0010,
        AckQwt = 0x0020,
        AckSundials = 0x0080,
        AckRowmap = 0x0100,
        AckDocBook = 0x0200,
        AckVtk = 0x0400,
        AckItk = 0x0800,
        AckSobolSequences = 0x1000,
        AckMongoDb = 0x2000,
        AckDensityEstimation = 0x4000,
        AckQtExamples = 0x8000 // the Qt examples, Qt under the BSD licence
    };

    TavShare() = delete;

    // --- Lock files: advisory, one list per application name, shared by its processes ---

    // QDir::tempPath() + "/" + the application name + ".lock".
    static QString getLockFilePath();
    // Lists file's absolute path in the lock file. Returns 0 when it was added (the caller
    // holds the lock), 1 when it was listed already, 2 when the lock file cannot be read
    // and 3 when it cannot be created or rewritten; on 2 and 3 nothing changed and a
    // debug message pair tells why. A link or non-regular file at the lock file's path
    // counts as a lock file that cannot be opened. So do, with a third message naming the
    // reason, a lock file of another user, one that another process holds for more than
    // a few seconds and one larger than 16 MiB. A path with a line feed or carriage
    // return cannot be listed: 3, and the lock file is not touched.
    static int getLock(const QString &file);
    // Removes every line naming file's absolute path. False when file does not exist on
    // disk, is not listed, has a line break in its path, or the lock file cannot be read
    // (as for getLock) or rewritten.
    static bool releaseLock(const QString &file);

    // --- Folders ---

    // Removes dirName with everything below it, never following symbolic links. True
    // when it is gone or never existed (an empty name included); false when a file or
    // folder in it could not be removed (hidden entries are left and keep it alive).
    static bool removeDir(const QString &dirName);

    // --- Units and symbols ---

    // The unit text of unitType; a null string and a debug message for other values.
    static QString getUnit(UnitType unitType);
    // The one-character string of unicodeType; a null string and a debug message for
    // other values.
    static QString getUnicodeString(UnicodeType unicodeType);
    // "°" (U+00B0).
    static QString getUnicodeDegree();

    // --- Numbers ---

    // numberStr in exponent form (dataFormat 0), fixed form (1) or, for 2, fixed form
    // when 0.01 <= |value| <= 100 and exponent form otherwise, with precision decimals;
    // without withZeroEndAfterDecimal the trailing zeros of the decimals are dropped.
    // Blank text gives an empty string; text that is no number comes back unchanged with
    // a debug message; another dataFormat logs and formats the text as it stands.
    // Precision above 1074, the most decimals a double has, converts as 1074.
    static QString getScientificFormat(const QString &numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal);

    // --- Names ---

    // The strings a user-given name must not hold: ; ( ) " ! < > xml, in that order.
    static QStringList listOfIllegalChars();
    // The first of listOfIllegalChars() found in name (case-sensitive), or a null string
    // when the name is acceptable.
    static QString hasIllegalChars(const QString &name);

    // --- Angles, in radians ---

    // degree * pi / 180.
    static double getAngleFromDegree(double degree);
    // angle * 180 / pi.
    static double getDegreeFromAngle(double angle);
    // The same direction in [-pi, pi], by adding 2 pi step by step with the rounding of
    // each step; beyond a thousand turns from zero by the exact remainder. NaN and
    // infinities give NaN.
    static double getAngleBetweenPis(double angle);
    // The direction halfway along the counter-clockwise arc from firstAngle to
    // secondAngle, in [-pi, pi].
    static double getMiddleAngleBetweenPis(double firstAngle, double secondAngle);

    // --- String tables (lists of rows of cells) ---

    // The distinct rows, grouped by first cell with groups in QString order; within a
    // group the rows stand in the reverse of their first occurrence. Rows without cells
    // are dropped.
    static QList<QStringList> removeRedundantItem(const QList<QStringList> &table);
    // The rows whose cell at column is non-empty and one of values, in input order.
    // A negative column selects nothing.
    static QList<QStringList> getFilteredList(const QList<QStringList> &table, const QStringList &values, int column);
    // Sorts list ignoring case; strings differing only in case put upper case first.
    static void tavQStringListSortCaseInSensitive(QStringList &list);

    // --- Identifiers ---

    // The same 128-bit value as a QUuid.
    static QUuid boostUuid2QUuid(const boost::uuids::uuid &uuid);
    // The 36-character lower-case text form, as boost::uuids::to_string writes it.
    static QString boostUuid2QString(const boost::uuids::uuid &uuid);
    // The identifier that text spells (32 hex digits in groups 8-4-4-4-12, any case,
    // blanks skipped, anything after the last digit ignored). Text of another form gives
    // the nil identifier.
    static boost::uuids::uuid qString2boostUuid(const QString &text);

    // The suite's shared random engine, seeded from the clock when the library loads.
    // Unlocked: callers on several threads serialise their use.
    static boost::mt19937 MersenneTwister;

    // --- Index mapping codes ---

    // The code of the reverse mapping of a ";"-separated code (the inverse permutation
    // for a permutation). Non-numeric entries count as 0; out-of-range entries are ignored.
    static QString getReverseMappingCode(const QString &code);

    // --- Release ---

    // The build revision.
    static int getRevision();
    // The repository path from "/repos/" on, without "/repos".
    static QString getSvnPath();
    // The library's version, "major.minor.patch".
    static QString getTavrelleCurrVersionQString();
    static std::string getTavrelleCurrVersionStdString();
    // The acknowledgement text: appName, version, build facts, the maker's address and
    // one credit per AckLibrary bit set in libraries; experimental adds a note that the
    // release is not official.
    static QString acknowledgements(const QString &appName, unsigned long libraries, bool experimental);
};

#endif // TAVSHARE_H
