// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSETTINGS_H
#define TAVSETTINGS_H

#include "tavshare_export.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

/**
 * The suite's preference store.
 *
 * All five applications keep their preferences in one QSettings store, opened in user
 * scope and native format under organization "Zentrabio" and application "Tavrelle"
 * (on Linux: $XDG_CONFIG_HOME/Zentrabio/Tavrelle.conf, by default under ~/.config).
 * Each application's values stand below its own group ("Orbelle/LineSpace"); values kept
 * per kind of file add the file type ("Orbelle/RecentFileList/TavrelleModelFile").
 * AppShared, and any AppType value outside 1 to 5, means no application group.
 *
 * The class is never instantiated: every operation is static. Every call opens the
 * store, reads or writes, and closes it again: nothing is cached, so a value written by
 * one application is seen by the next call of any other, and calls may come from any
 * thread. Getters return the listed default when the key is absent; a value of the wrong
 * type converts as QVariant converts it (a non-numeric text reads as 0, not as the
 * default). No call reports a store that cannot be written.
 *
 * The display and editor preferences are one value per application, each with a getter
 * that gives the default listed with it, a setter, and (unless said) a remover that
 * brings the default back. Values of any range are stored and returned unchanged.
 *
 * Qt 5 and Qt 6 builds of the library read and write the store file in UTF-8, so they
 * can share it.
 */
class TavSettings
{
public:
    /** Which application a preference belongs to. */
    enum AppType : int {
        AppShared = 0,   ///< the whole suite: no application group
        AppOrbelle = 1,  ///< the model editor, group "Orbelle"
        AppQuintara = 2, ///< the cell designer, group "Quintara"
        AppHalvex = 3,   ///< the simulator, group "Halvex"
        AppDornel = 4,   ///< the analyzer, group "Dornel"
        AppPellaris = 5  ///< the network viewer, group "Pellaris"
    };

    /**
     * Which kind of file a per-file-type value belongs to.
     *
     * Values outside 0 to 5 select no file-type suffix.
     */
    enum TavrelleFileType : int {
        ModelFile = 0,        ///< model files, suffix "TavrelleModelFile"
        GeometryFile = 1,     ///< geometry files, suffix "TavrelleGeometryFile"
        DescriptionFile = 2,  ///< description files, suffix "TavrelleDescriptionFile"
        SimulationFolder = 3, ///< simulation folders: entries are folders, not files; suffix "TavrelleSimulationFolder"
        WorkingDirectory = 4, ///< working directories, suffix "TavrelleWorkingDirectory"
        MultiImportFile = 5   ///< multi-import files, suffix "TavrelleMultiImportFile"
    };

    /** No instances: every operation is static. */
    TavSettings() = delete;

    /**
     * \name Recent files, recent folder and working directory
     *
     * Kept per application and per kind of file.
     * @{
     */

    /**
     * The stored recent folder, even if empty or gone.
     *
     * Without one: the folder holding the first recent entry if that still exists, else
     * an empty string.
     */
    TAVSHARE_EXPORT static QString getRecentTavrelleFilePath(TavrelleFileType fileType, AppType appType);

    /** Stores the recent folder; it replaces the fallback of getRecentTavrelleFilePath(). */
    TAVSHARE_EXPORT static void setRecentTavrelleFilePath(const QString &path, TavrelleFileType fileType, AppType appType);

    /** The first entry of the recent list (not checked for existence), or an empty string. */
    TAVSHARE_EXPORT static QString getRecentTavrelleFile(TavrelleFileType fileType, AppType appType);

    /** The stored recent list, most recent first; empty when there is none. */
    TAVSHARE_EXPORT static QStringList getRecentTavrelleFileList(TavrelleFileType fileType, AppType appType);

    /** Stores \a list as the recent list, as given and without any check. */
    TAVSHARE_EXPORT static void setRecentTavrelleFileList(const QStringList &list, TavrelleFileType fileType, AppType appType);

    /**
     * Removes the recent list; with a \a fileType outside 0 to 5, the lists of every file
     * type of the application.
     */
    TAVSHARE_EXPORT static void clearRecentTavrelleFileList(TavrelleFileType fileType, AppType appType);

    /**
     * Puts \a file at the front of the recent list.
     *
     * The absolute path of an existing file (a folder for SimulationFolder) moves to the
     * front, its duplicates go, and the list keeps at most \a maxCount entries. Returns
     * false, changing nothing, for a missing path, the wrong kind of entry or a negative
     * \a maxCount. The other entries are not checked again.
     */
    TAVSHARE_EXPORT static bool addRecentFileToTavrelleFileList(const QString &file, TavrelleFileType fileType, AppType appType, int maxCount);

    /** The stored simulation working directory, or an empty string. */
    TAVSHARE_EXPORT static QString getSimulationWorkingDirectory(TavrelleFileType fileType, AppType appType);

    /** Stores \a dir as the simulation working directory, without any check. */
    TAVSHARE_EXPORT static void setSimulationWorkingDirectory(const QString &dir, TavrelleFileType fileType, AppType appType);

    ///@}

    // --- Display and editor preferences: getter (default), setter, remover ---

    ///@{
    /** Start screen size mode; default 1. */
    TAVSHARE_EXPORT static int getStartScreenSizeType(AppType appType);
    TAVSHARE_EXPORT static void setStartScreenSizeType(int value, AppType appType);
    TAVSHARE_EXPORT static void clearStartScreenSizeType(AppType appType);
    ///@}

    ///@{
    /** Last screen size; default 1440 x 900. No remover. */
    TAVSHARE_EXPORT static QSize getLastScreenSize(AppType appType);
    TAVSHARE_EXPORT static void setLastScreenSize(const QSize &value, AppType appType);
    ///@}

    ///@{
    /** Start screen position mode; default 0. */
    TAVSHARE_EXPORT static int getStartScreenPosType(AppType appType);
    TAVSHARE_EXPORT static void setStartScreenPosType(int value, AppType appType);
    TAVSHARE_EXPORT static void clearStartScreenPosType(AppType appType);
    ///@}

    ///@{
    /** Last screen position; default (0, 0). hasLastScreenPos() tells a stored (0, 0) from none. */
    TAVSHARE_EXPORT static QPoint getLastScreenPos(AppType appType);
    TAVSHARE_EXPORT static bool hasLastScreenPos(AppType appType);
    TAVSHARE_EXPORT static void setLastScreenPos(const QPoint &value, AppType appType);
    TAVSHARE_EXPORT static void clearLastScreenPos(AppType appType);
    ///@}

    ///@{
    /** Start page; default 0. */
    TAVSHARE_EXPORT static int getStartPageType(AppType appType);
    TAVSHARE_EXPORT static void setStartPageType(int value, AppType appType);
    TAVSHARE_EXPORT static void clearStartPageType(AppType appType);
    ///@}

    ///@{
    /** Application title mode; default 2. */
    TAVSHARE_EXPORT static int getApplicationTitleType(AppType appType);
    TAVSHARE_EXPORT static void setApplicationTitleType(int value, AppType appType);
    TAVSHARE_EXPORT static void clearApplicationTitleType(AppType appType);
    ///@}

    ///@{
    /** Icon size mode; default 0. */
    TAVSHARE_EXPORT static int getIconSizeType(AppType appType);
    TAVSHARE_EXPORT static void setIconSizeType(int value, AppType appType);
    TAVSHARE_EXPORT static void clearIconSizeType(AppType appType);
    ///@}

    ///@{
    /** Icon size; default 20 x 15. No remover. */
    TAVSHARE_EXPORT static QSize getIconSize(AppType appType);
    TAVSHARE_EXPORT static void setIconSize(const QSize &value, AppType appType);
    ///@}

    ///@{
    /** Line space; default 10. */
    TAVSHARE_EXPORT static int getLineSpace(AppType appType);
    TAVSHARE_EXPORT static void setLineSpace(int value, AppType appType);
    TAVSHARE_EXPORT static void clearLineSpace(AppType appType);
    ///@}

    ///@{
    /** Molecule tooltip mode (its key in the store keeps an old misspelling); default 2. */
    TAVSHARE_EXPORT static int getMoleculeTooltipsType(AppType appType);
    TAVSHARE_EXPORT static void setMoleculeTooltipsType(int value, AppType appType);
    TAVSHARE_EXPORT static void clearMoleculeTooltipsType(AppType appType);
    ///@}

    ///@{
    /** Auto-save mode for single molecule complexes; default 0. */
    TAVSHARE_EXPORT static int getAutoSaveSingleMolCpxType(AppType appType);
    TAVSHARE_EXPORT static void setAutoSaveSingleMolCpxType(int value, AppType appType);
    TAVSHARE_EXPORT static void clearAutoSaveSingleMolCpxType(AppType appType);
    ///@}

    ///@{
    /** Centre buttons display mode; default 1. */
    TAVSHARE_EXPORT static int getDisplayCenterButtonsType(AppType appType);
    TAVSHARE_EXPORT static void setDisplayCenterButtonsType(int value, AppType appType);
    TAVSHARE_EXPORT static void clearDisplayCenterButtonsType(AppType appType);
    ///@}

    ///@{
    /** Full-name display mode; default 1. displayFullName() is true exactly for mode 0. No remover. */
    TAVSHARE_EXPORT static int getDisplayFullNameType(AppType appType);
    TAVSHARE_EXPORT static bool displayFullName(AppType appType);
    TAVSHARE_EXPORT static void setDisplayFullNameType(int value, AppType appType);
    ///@}

    ///@{
    /** Potts-model section visible; default false. */
    TAVSHARE_EXPORT static bool isPottsModelSecVisible(AppType appType);
    TAVSHARE_EXPORT static void setPottsModelSecVisible(bool value, AppType appType);
    TAVSHARE_EXPORT static void clearPottsModelSecVisible(AppType appType);
    ///@}

    ///@{
    /** Spline resolution (its key in the store keeps an old misspelling); default 500. */
    TAVSHARE_EXPORT static int getSplineResolution(AppType appType);
    TAVSHARE_EXPORT static void setSplineResolution(int value, AppType appType);
    TAVSHARE_EXPORT static void clearSplineResolution(AppType appType);
    ///@}

    ///@{
    /** Spline profiles synchronised; default true. */
    TAVSHARE_EXPORT static bool isSplineProfileSynchronized(AppType appType);
    TAVSHARE_EXPORT static void setSplineProfileSynchronized(bool value, AppType appType);
    TAVSHARE_EXPORT static void clearSplineProfileSynchronized(AppType appType);
    ///@}

    ///@{
    /** Image export magnification factor; default 1. */
    TAVSHARE_EXPORT static int getImageExportMagnificationFactor(AppType appType);
    TAVSHARE_EXPORT static void setImageExportMagnificationFactor(int value, AppType appType);
    TAVSHARE_EXPORT static void clearImageExportMagnificationFactor(AppType appType);
    ///@}

    ///@{
    /** VTK axis marker visible; default true. */
    TAVSHARE_EXPORT static bool isVisibleVtkAxisMarker(AppType appType);
    TAVSHARE_EXPORT static void setVisibleVtkAxisMarker(bool value, AppType appType);
    TAVSHARE_EXPORT static void clearVisibleVtkAxisMarker(AppType appType);
    ///@}

    ///@{
    /** Model information section visible; default true. */
    TAVSHARE_EXPORT static bool isVisibleTavModelInfoSec(AppType appType);
    TAVSHARE_EXPORT static void setVisibleTavModelInfoSec(bool value, AppType appType);
    TAVSHARE_EXPORT static void clearVisibleTavModelInfoSec(AppType appType);
    ///@}

private:
    // Inside the library only: private and not exported, so that an application calling
    // them fails to compile rather than to link. The library's tool and tests reach them
    // through TavSettingsInternals.
    friend struct TavSettingsInternals;

    // "App/keySrc" for applications 1 to 5, keySrc alone otherwise. An empty keySrc is a
    // programming error: it logs and ends the process with status 1.
    static QString getKey(const QString &keySrc, AppType appType);
    // getKey plus "/" and the file-type key for file types 0 to 5.
    static QString getFileKey(const QString &keySrc, TavrelleFileType fileType, AppType appType);
    // Removes every value of every application from the store.
    static void clearAllSettings();
    static void clearIconSize(AppType appType);
};

#endif // TAVSETTINGS_H
