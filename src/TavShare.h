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

/**
 * Utilities shared by every application of the suite.
 *
 * Lock files, folder removal, unit texts and number formatting, name validation,
 * angles, string tables, identifiers, index mapping codes and the release facts.
 *
 * The class is never instantiated: every operation is static. The library keeps no
 * state of its own apart from the shared random engine MersenneTwister; the lock
 * operations work on the application's lock file in the temporary folder, and every
 * other operation only on its arguments. All operations may be called from any thread;
 * only MersenneTwister needs its callers to serialise their use.
 *
 * Operations that diagnose bad input write a debug message and report the failure
 * through their result; nothing throws.
 */
class TAVSHARE_EXPORT TavShare
{
public:
    /** The unit texts of model quantities, one each; see getUnit(). */
    enum UnitType : int {
        UnitSquareMicrometerPerSecond = 0,   ///< µm²/s
        UnitLiterPerMoleSecond = 1,          ///< l/mol·s
        UnitPerSecond = 2,                   ///< /s
        UnitMolePerLiter = 3,                ///< mol/l
        UnitMoleculePerCubicMicrometer = 4,  ///< molecule/µm³
        UnitMoleculePerMembrane = 5,         ///< molecule/membrane
        UnitMolecules = 6,                   ///< molecules
        UnitMolePerSquareMicrometer = 7,     ///< mol/µm²
        UnitMolePerSquareMeter = 8,          ///< mol/m²
        UnitMoleculePerSquareMicrometer = 9, ///< molecule/µm²
        UnitSquareMeter = 10,                ///< m²
        UnitSquareMicrometer = 11,           ///< µm²
        UnitMeter = 12,                      ///< m
        UnitCentimeter = 13,                 ///< cm
        UnitMicrometer = 14                  ///< µm
    };

    /** The special characters of the unit texts and labels, one each; see getUnicodeString(). */
    enum UnicodeType : int {
        UnicodeDegreeSign = 0,       ///< ° U+00B0
        UnicodeMicroSign = 1,        ///< µ U+00B5, not the Greek mu
        UnicodeMiddleDot = 2,        ///< · U+00B7
        UnicodeSuperscriptTwo = 3,   ///< ² U+00B2
        UnicodeSuperscriptThree = 4, ///< ³ U+00B3
        UnicodePlusSign = 5,         ///< + U+002B
        UnicodeEqualsSign = 6,       ///< = U+003D
        UnicodeRightwardsArrow = 7,  ///< → U+2192
        UnicodeDivisionSlash = 8     ///< ∕ U+2215, not the ASCII slash
    };

    /**
     * The libraries acknowledgements() can credit, one bit each.
     *
     * Combine them with |; the credits follow each other in increasing bit order.
     * 0x0040 selects nothing.
     */
    enum AckLibrary : unsigned long {
        AckBoost = 0x0001,             ///< Boost, under the Boost licence 1.0
        AckQt = 0x0002,                ///< Qt, under the LGPL 2.1
        AckSqlite = 0x0004,            ///< SQLite, in the public domain
        AckLibSbml = 0x0008,           ///< libSBML, under the LGPL 2.1
        AckGraphviz = 0x0010,          ///< Graphviz, under the EPL
        AckQwt = 0x0020,               ///< Qwt, under the Qwt licence
        AckSundials = 0x0080,          ///< Sundials, under the BSD licence
        AckRowmap = 0x0100,            ///< the C++ port of rowmap, under CC BY 4.0
        AckDocBook = 0x0200,           ///< DocBook
        AckVtk = 0x0400,               ///< VTK, under the VTK licence
        AckItk = 0x0800,               ///< ITK, under the Apache licence
        AckSobolSequences = 0x1000,    ///< the Sobol sequences, under their own licence
        AckMongoDb = 0x2000,           ///< the MongoDB C++ driver, under the Apache licence
        AckDensityEstimation = 0x4000, ///< density estimation, under the LGPL 2.1
        AckQtExamples = 0x8000         ///< the Qt examples, Qt under the BSD licence, with a heading of their own
    };

    /**
     * The results of getLock(), as the int it returns, and what an application does on each.
     */
    enum LockResult : int {
        /** The file is listed for this process: open it for editing, and releaseLock() it on closing. */
        LockTaken = 0,
        /** Another process has the file open, or this one has: offer it read-only, and never release the lock. */
        LockHeldAlready = 1,
        /** Whether the file is locked is unknown: tell the user that someone else may be editing it, and release nothing. */
        LockFileUnreadable = 2,
        /** The lock was not taken: tell the user that the file is not protected against a second editor, and release nothing. */
        LockNotTaken = 3
    };

    /** The forms of getScientificFormat(), as the int it takes. */
    enum NumberFormat : int {
        FormatExponent = 0,       ///< exponent form, 1.235e+05
        FormatFixed = 1,          ///< fixed form, 123456.000
        FormatFixedOrExponent = 2 ///< fixed form when 0.01 <= |value| <= 100, exponent form otherwise
    };

    /** No instances: every operation is static. */
    TavShare() = delete;

    /**
     * \name Lock files
     *
     * Advisory locks, shared by the processes of one application: a file is locked while
     * its absolute path is a line of the application's lock file, getLockFilePath(), a
     * UTF-8 text of one path per line. The path is QFileInfo::absoluteFilePath(): a
     * relative name and its absolute form are one entry, and links are not resolved.
     *
     * The locks carry no owner and never expire: any process of the application may
     * release any entry, and a crashed one leaves its entries behind (the tavshare tool's
     * "locks prune" drops those of files that are gone). Each change is one
     * read-and-rewrite under an exclusive flock on the lock file, so concurrent processes
     * lose no update; a process that holds the flock for more than a few seconds without
     * writing the lock file makes it count as unreadable.
     *
     * The lock file is named after QCoreApplication::applicationName(), so the processes of
     * one application share it only when they all set the same name, and the tavshare tool
     * finds it only under the suite's spelling: each application of the suite sets its own,
     * "Orbelle", "Quintara", "Halvex", "Dornel" or "Pellaris", before its first lock. A
     * program without an application object has an empty name and shares "<tmp>/.lock"
     * with every other such program.
     * @{
     */

    /** The path of this application's lock file: QDir::tempPath(), "/", the application name and ".lock". */
    static QString getLockFilePath();

    /**
     * Lists the absolute path of \a file in the lock file, creating the file if needed.
     *
     * The file itself need not exist. A link or non-regular file at the lock file's path
     * counts as a lock file that cannot be read. So do, with a third debug message naming
     * the reason, a lock file of another user, one that another process holds for more
     * than a few seconds without writing it and one larger than 16 MiB. A path with a line
     * feed, carriage return or unpaired surrogate, or one longer than 16 MiB, cannot be
     * listed, nor is one added that would make the lock file larger than 16 MiB: 3, with a
     * third message, and the lock file is not touched. On 2 and 3 nothing changed, and a
     * pair of debug messages tells why.
     *
     * \retval 0 it was added: the caller holds the lock
     * \retval 1 it was listed already, by this process or another; nothing changed
     * \retval 2 the lock file cannot be read
     * \retval 3 the lock file cannot be created or rewritten, or \a file cannot be listed
     *
     * The results have names, LockResult, which also say what an application does on each.
     */
    static int getLock(const QString &file);

    /**
     * Removes every line naming the absolute path of \a file from the lock file.
     *
     * False when \a file does not exist on disk (its entry stays), is not listed, has a
     * path that cannot be listed (as for getLock()), or the lock file cannot be read (as
     * for getLock()) or rewritten; the last three write debug messages.
     */
    static bool releaseLock(const QString &file);

    ///@}

    /**
     * \name Lock holders
     *
     * Beside the lock file, in the folder getLockFilePath() + ".d", each process that took
     * an entry keeps a record of what it holds, with an exclusive flock on it for as long
     * as it runs; the kernel drops the flock when the process dies, also on kill -9. So
     * whether the holder of an entry still runs can be proven, without any change to the
     * lock file: its bytes and the results of getLock() and releaseLock() are the same
     * with and without records, and programs built on older versions work beside newer
     * ones (their entries read HolderUnknown).
     *
     * Taking over a model that a crashed editor left locked:
     * \code
     * if (TavShare::getLock(model) == TavShare::LockHeldAlready && TavShare::getLockHolder(model) == TavShare::HolderEnded) {
     *     TavShare::releaseLock(model);
     *     TavShare::getLock(model); // LockTaken, unless another process was quicker
     * }
     * \endcode
     *
     * Limits: a child forked without exec shares its parent's record and flock, so the
     * parent's entries stay HeldByRunningProcess until the child ends too (never a false
     * HolderEnded). A cleaner of the temporary folder that deletes the record of a running
     * process turns its entries HolderUnknown until the process changes its record again
     * and so writes it anew; every change refreshes the record's time.
     * @{
     */

    /** Who holds an entry of the lock file; see getLockHolder(). */
    enum LockHolder : int {
        NotLocked = 0,            ///< the lock file does not list the file
        HeldByThisProcess = 1,    ///< this process took it and has not released it
        HeldByRunningProcess = 2, ///< a process that took it still runs (or a child it forked without exec)
        HolderEnded = 3,          ///< every process recorded as its holder has provably ended: safe to take over
        HolderUnknown = 4         ///< no record tells (an older library, a hand edit, a cleaned or shared temporary folder); never to be taken for ended
    };

    /**
     * Whether, and by whom, \a file is held, under the lock file's flock.
     *
     * The path is made absolute as getLock() does. HolderEnded needs every record that
     * lists the file to be provably dead: its flock free, and written by the running
     * kernel, or on this machine before its last boot. Records from another kernel (a
     * temporary folder shared over a network) prove nothing: HolderUnknown. A lock file
     * that cannot be read gives HolderUnknown as well. Writes no debug messages.
     */
    static LockHolder getLockHolder(const QString &file);

    ///@}

    /** \name Folders
     *  @{ */

    /**
     * Removes the folder \a dirName with everything below it that QDir lists.
     *
     * True when it is gone, or when there is no folder of that name (an empty name, a name
     * with a NUL, a file, a link to a file and a dangling link included: these stay).
     * False when a file could not be removed (the walk stops there, and no folder is
     * removed), when a folder could not be opened or read for another reason than being
     * gone (one the caller may not read counts as empty, as QDir lists it), or when a
     * folder stays. Hidden entries, FIFOs, sockets, devices, dangling links and names that
     * are not valid UTF-8 are not listed: they stay, and keep their folders. Entries go in
     * the order QDir lists them, the last first, which decides what is gone when a file
     * stays.
     *
     * Links below \a dirName are never followed. A link to a file or to anything else but a
     * folder is removed as a link. A link to a folder stays, and keeps its folder, so the
     * result is then false; the walk never goes through it. When \a dirName is itself a link
     * to a folder, that folder is emptied and the link stays: the result is false. Such a
     * link is followed only where the kernel's protected_symlinks rule would follow it: in a
     * folder no one but its owner may write, or as the caller's own link in a sticky folder
     * such as /tmp. Any other, which someone else may have put there, is left with its
     * folder as it is, and the result is false.
     */
    static bool removeDir(const QString &dirName);

    ///@}

    /** \name Units and symbols
     *  @{ */

    /** The unit text of \a unitType; a null string and a debug message for other values. */
    static QString getUnit(UnitType unitType);

    /**
     * The one-character string of \a unicodeType; a null string and a debug message for
     * other values.
     */
    static QString getUnicodeString(UnicodeType unicodeType);

    /** The degree sign "°" (U+00B0) as a string. */
    static QString getUnicodeDegree();

    ///@}

    /** \name Numbers
     *  @{ */

    /**
     * The number that \a numberStr spells, written in the suite's scientific notation.
     *
     * \a dataFormat 0 (FormatExponent) gives exponent form, 1 (FormatFixed) fixed form, and
     * 2 (FormatFixedOrExponent) fixed form when 0.01 <= |value| <= 100 and exponent form
     * otherwise, each with \a precision decimals;
     * without \a withZeroEndAfterDecimal the trailing zeros of the decimals are dropped,
     * and a point left at the end with them. The forms are those of QString::number:
     * 1.235e+05, 100.00.
     *
     * Blank text gives an empty string; text that is no number comes back unchanged with
     * a debug message; another \a dataFormat logs and formats the text as it stands.
     * Every precision gives the text of QString::number, zeros beyond the last digit of the
     * double included, up to the precision where Qt's own conversion stops (Qt 6: below
     * INT_MAX / 2; Qt 5: a text that fits one QString). With the zeros kept, a larger
     * precision gives \a numberStr unchanged and a debug message, "Error 2 found at" and
     * the precision.
     */
    static QString getScientificFormat(const QString &numberStr, int dataFormat, int precision, bool withZeroEndAfterDecimal);

    ///@}

    /** \name Names
     *  @{ */

    /** The strings a user-given name must not hold: `; ( ) " ! < > xml`, in that order. */
    static QStringList listOfIllegalChars();

    /**
     * The first of listOfIllegalChars() found in \a name (case-sensitive), or a null
     * string when the name is acceptable.
     */
    static QString hasIllegalChars(const QString &name);

    ///@}

    /** \name Angles, in radians
     *  @{ */

    /** \a degree * pi / 180. */
    static double getAngleFromDegree(double degree);

    /** \a angle * 180 / pi. */
    static double getDegreeFromAngle(double angle);

    /**
     * The same direction as \a angle, in [-pi, pi].
     *
     * Found by adding 2 pi step by step, with the rounding of each step, as the
     * applications have always had it; beyond a thousand turns from zero by the exact
     * remainder. NaN and infinities give NaN.
     */
    static double getAngleBetweenPis(double angle);

    /**
     * The direction halfway along the counter-clockwise arc from \a firstAngle to
     * \a secondAngle, in [-pi, pi].
     */
    static double getMiddleAngleBetweenPis(double firstAngle, double secondAngle);

    ///@}

    /** \name String tables
     *  A table is a list of rows, each a list of cells; rows may differ in length.
     *  @{ */

    /**
     * The distinct rows of \a table, grouped by first cell.
     *
     * The groups stand in QString order of their first cells; within a group the rows
     * stand in the reverse of their first occurrence. Rows without cells are dropped.
     */
    static QList<QStringList> removeRedundantItem(const QList<QStringList> &table);

    /**
     * The rows of \a table whose cell at \a column is non-empty and one of \a values, in
     * input order.
     *
     * Rows too short to have that cell and a negative \a column select nothing.
     */
    static QList<QStringList> getFilteredList(const QList<QStringList> &table, const QStringList &values, int column);

    /** Sorts \a list ignoring case; strings differing only in case put upper case first. */
    static void tavQStringListSortCaseInSensitive(QStringList &list);

    ///@}

    /** \name Identifiers and the random engine
     *  @{ */

    /** The same 128-bit value as a QUuid. */
    static QUuid boostUuid2QUuid(const boost::uuids::uuid &uuid);

    /** The 36-character lower-case text form, as boost::uuids::to_string writes it. */
    static QString boostUuid2QString(const boost::uuids::uuid &uuid);

    /**
     * The identifier that \a text spells, or the nil identifier.
     *
     * The text is 32 hex digits in groups 8-4-4-4-12, in any case, with blanks skipped
     * and anything after the last digit ignored; text of another form gives the nil
     * identifier.
     */
    static boost::uuids::uuid qString2boostUuid(const QString &text);

    /**
     * The suite's shared random engine, seeded from the clock when the library loads.
     *
     * The library itself never draws from it; programs draw from it and may reseed it.
     * It is unlocked: callers on several threads serialise their use.
     */
    static boost::mt19937 MersenneTwister;

    ///@}

    /** \name Index mapping codes
     *  A mapping code is a ";"-separated list of integers: entry i is the position that
     *  position i maps to.
     *  @{ */

    /**
     * The code of the reverse mapping of \a code: the inverse permutation for a
     * permutation.
     *
     * Where a value occurs more than once, its last position wins; a position with no
     * preimage gets 0. Non-numeric entries count as 0; out-of-range entries are ignored.
     */
    static QString getReverseMappingCode(const QString &code);

    ///@}

    /** \name Release facts
     *  Fixed when the library is built.
     *  @{ */

    /** The build revision. */
    static int getRevision();

    /** The repository path from "/repos/" on, without "/repos". */
    static QString getSvnPath();

    /** The library's version, "major.minor.patch". */
    static QString getTavrelleCurrVersionQString();

    /** The library's version as a standard string. */
    static std::string getTavrelleCurrVersionStdString();

    /**
     * The acknowledgement text an application shows.
     *
     * \a appName, the version, the build facts, the maker's address and one credit per
     * AckLibrary bit set in \a libraries; \a experimental adds a note that the release is
     * not official.
     */
    static QString acknowledgements(const QString &appName, unsigned long libraries, bool experimental);

    ///@}
};

#endif // TAVSHARE_H
