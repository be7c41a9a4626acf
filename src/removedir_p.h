// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef REMOVEDIR_P_H
#define REMOVEDIR_P_H

// Inside the library only.

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

// The entries of one folder as QDir::entryList(Files | AllDirs | NoDotAndDotDot, NoSort)
// lists them, without hidden entries (a name beginning with a point), names that are not
// valid UTF-8, system entries (FIFOs, sockets, devices) and dangling links. A link is
// classified by its target when the folder is listed, as QDir does.
struct FolderListing {
    enum Kind : char {
        File, // a file, or a link to anything but a folder: removed as it is
        Folder,
        LinkToFolder // never followed
    };
    struct Entry {
        QString key; // the name in lower case, as QDir compares it; null when unsorted
        size_t offset; // of the name in names
        Kind kind;
    };
    std::string names; // each followed by a NUL
    std::vector<Entry> entries;

    const char *name(const Entry &entry) const { return names.c_str() + entry.offset; }
};

enum class ListingOrder {
    AsQDir, // every entry, in QDir's default order (by name, ignoring case)
    FoldersOnly // the folders alone, in the folder's own order
};

// Lists the folder open at descriptor, which stays open. False when it cannot be read.
bool listFolder(int descriptor, ListingOrder order, FolderListing *listing);

// Removes the folder at path (local 8-bit, no trailing separator unless it is "/") as
// TavShare::removeDir describes.
bool removeFolderTree(const QByteArray &path);

#endif // REMOVEDIR_P_H
