// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "removedir_p.h"

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Others may be able to write inside the tree while it is removed, and swap any folder of
// it for a link to one of ours between two steps. So nothing below the top is reached by
// path. A folder is opened relative to its parent's descriptor without following a link;
// an entry is removed relative to the descriptor of the folder that holds it, and a link
// is removed as a link. Whatever happens to the names meanwhile, only what lies below the
// folder opened first can be removed.

namespace {

const int folderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Folders along the walk's path that keep their descriptor. A deeper tree closes the
// shallowest ones and opens them again through ".." on the way back.
const size_t maxOpenFolders = 64;

// Errors that mean there is no folder by that name (a loop of links leads to none either).
bool isNoFolder(int error)
{
    return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

// The descriptor of the folder name in parent, if that is still the folder examined; -1
// for anything else, a link put in its place included.
int openFolder(int parent, const char *name, const struct stat &examined)
{
    const int descriptor = ::openat(parent, name, folderOpenFlags);
    struct stat opened;
    if (descriptor >= 0 && (::fstat(descriptor, &opened) != 0 || opened.st_dev != examined.st_dev || opened.st_ino != examined.st_ino)) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// The name as QDir sees it, in UTF-16; a leading byte order mark is kept. False for a
// name that is not valid UTF-8 (stray or missing continuation bytes, overlong forms,
// surrogates, beyond U+10FFFF): QDir leaves such names out. key may be null to check only.
bool decodeName(const char *name, QString *key)
{
    char16_t units[NAME_MAX + 1];
    size_t count = 0;
    for (auto byte = reinterpret_cast<const unsigned char *>(name); *byte;) {
        char32_t code = *byte++;
        if (code >= 0x80) {
            int following;
            char32_t least;
            if (code >= 0xf5 || code < 0xc0)
                return false;
            if (code >= 0xf0) {
                following = 3, least = 0x10000, code &= 0x07;
            } else if (code >= 0xe0) {
                following = 2, least = 0x800, code &= 0x0f;
            } else {
                following = 1, least = 0x80, code &= 0x1f;
            }
            for (; following > 0; --following, ++byte) {
                if ((*byte & 0xc0) != 0x80) // the terminating NUL included
                    return false;
                code = code << 6 | (*byte & 0x3f);
            }
            if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
                return false;
        }
        if (code > 0xffff) {
            units[count++] = char16_t(0xd7c0 + (code >> 10));
            units[count++] = char16_t(0xdc00 | (code & 0x3ff));
        } else {
            units[count++] = char16_t(code);
        }
    }
    if (key)
        *key = QString(reinterpret_cast<const QChar *>(units), qsizetype(count)).toLower();
    return true;
}

// What QDir makes of an entry of the type given by the listing (a d_type).
bool classify(int folder, const char *name, unsigned char type, ListingOrder order, FolderListing::Kind *kind)
{
    struct stat status;
    if (type == DT_UNKNOWN) {
        if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            return false; // gone meanwhile
        type = S_ISREG(status.st_mode) ? DT_REG : S_ISDIR(status.st_mode) ? DT_DIR : S_ISLNK(status.st_mode) ? DT_LNK : DT_UNKNOWN;
    }
    if (type == DT_DIR) {
        *kind = FolderListing::Folder;
        return true;
    }
    if (order == ListingOrder::FoldersOnly)
        return false;
    if (type == DT_REG) {
        *kind = FolderListing::File;
        return true;
    }
    // A link counts by its target now, though the target may go before the link does.
    if (type != DT_LNK || ::fstatat(folder, name, &status, 0) != 0)
        return false;
    *kind = S_ISDIR(status.st_mode) ? FolderListing::LinkToFolder : FolderListing::File;
    return true;
}

} // namespace

bool listFolder(int descriptor, ListingOrder order, FolderListing *listing)
{
    // The stream owns a descriptor of its own, so the folder's stays open after listing.
    // The two share the position in the folder, which an earlier listing left at its end.
    const int streamDescriptor = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    DIR *stream = streamDescriptor >= 0 ? ::fdopendir(streamDescriptor) : nullptr;
    if (!stream) {
        if (streamDescriptor >= 0)
            ::close(streamDescriptor);
        return false;
    }
    ::rewinddir(stream);
    const bool sorted = order == ListingOrder::AsQDir;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(stream);
        if (!entry)
            break;
        FolderListing::Entry listed{QString(), listing->names.size(), FolderListing::File};
        if (entry->d_name[0] == '.' || !decodeName(entry->d_name, sorted ? &listed.key : nullptr)
            || !classify(descriptor, entry->d_name, entry->d_type, order, &listed.kind))
            continue;
        listing->names.append(entry->d_name, std::char_traits<char>::length(entry->d_name) + 1);
        listing->entries.push_back(std::move(listed));
    }
    const bool complete = errno == 0;
    ::closedir(stream);
    // QDir sorts the same way: std::sort, which is not stable, on the entries in the
    // folder's own order. Done alike, it puts names equal but for case in QDir's order too.
    if (sorted)
        std::sort(listing->entries.begin(), listing->entries.end(), [](const FolderListing::Entry &a, const FolderListing::Entry &b) {
            return a.key < b.key;
        });
    return complete;
}

namespace {

// One depth-first walk of a folder tree, without recursion: the entry listed last is
// handled first, and a folder's entries right after the folder.
class TreeWalk
{
public:
    enum Pass {
        RemoveFiles, // removes files and links to them, in QDir's order; stops at the first that stays
        RemoveFolders // removes each folder after those below it; one that stays is left
    };

    explicit TreeWalk(Pass pass)
        : m_pass(pass)
    {
    }
    ~TreeWalk()
    {
        while (!m_path.empty())
            closeDeepest();
    }
    TreeWalk(const TreeWalk &) = delete;
    TreeWalk &operator=(const TreeWalk &) = delete;

    // Walks below the folder open at top, which stays open. False when a file could not be
    // removed, a folder could not be opened or listed, or a folder on the way back up is no
    // longer where it was.
    bool run(int top);

private:
    struct Folder {
        int descriptor; // -1 while closed to bound the descriptors in use
        struct stat status;
        std::string name; // in its parent
        FolderListing pending;
    };

    bool handleLastEntry();
    bool enter(int descriptor, std::string name);
    bool leave();
    void closeDeepest();

    const Pass m_pass;
    std::vector<Folder> m_path;
    size_t m_firstOpen = 0; // the folders from here to the deepest are open
};

bool TreeWalk::run(int top)
{
    const int descriptor = ::fcntl(top, F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0 || !enter(descriptor, std::string()))
        return false;
    while (!m_path.empty()) {
        const bool goOn = m_path.back().pending.entries.empty() ? leave() : handleLastEntry();
        if (!goOn)
            return false;
    }
    return true;
}

bool TreeWalk::handleLastEntry()
{
    Folder &folder = m_path.back();
    FolderListing &pending = folder.pending;
    const FolderListing::Entry entry = std::move(pending.entries.back());
    pending.entries.pop_back();
    const char *name = pending.name(entry);

    switch (entry.kind) {
    case FolderListing::File:
        // One removed by someone else meanwhile is gone all the same.
        if (::unlinkat(folder.descriptor, name, 0) != 0 && errno != ENOENT)
            return false;
        break;
    case FolderListing::Folder:
        if (const int descriptor = ::openat(folder.descriptor, name, folderOpenFlags); descriptor >= 0)
            return enter(descriptor, name); // name is copied before the path grows
        // QDir lists nothing in a folder it cannot read, and its removal may still succeed.
        if (errno == EACCES) {
            if (m_pass == RemoveFolders)
                ::unlinkat(folder.descriptor, name, AT_REMOVEDIR);
        } else if (!isNoFolder(errno)) {
            return false;
        }
        break;
    case FolderListing::LinkToFolder:
        break; // stays, and keeps its folder
    }
    return true;
}

bool TreeWalk::enter(int descriptor, std::string name)
{
    if (m_path.size() - m_firstOpen == maxOpenFolders) {
        ::close(m_path[m_firstOpen].descriptor);
        m_path[m_firstOpen++].descriptor = -1;
    }
    m_path.push_back(Folder{descriptor, {}, std::move(name), FolderListing()});
    Folder &folder = m_path.back();
    return ::fstat(descriptor, &folder.status) == 0
        && listFolder(descriptor, m_pass == RemoveFiles ? ListingOrder::AsQDir : ListingOrder::FoldersOnly, &folder.pending);
}

bool TreeWalk::leave()
{
    const Folder &done = m_path.back();
    if (m_path.size() > 1) {
        Folder &parent = m_path[m_path.size() - 2];
        if (parent.descriptor < 0) {
            // ".." is the parent now, which may not be the one walked through: someone
            // may have moved this folder elsewhere.
            parent.descriptor = openFolder(done.descriptor, "..", parent.status);
            if (parent.descriptor < 0)
                return false;
            m_firstOpen = m_path.size() - 2;
        }
        // A folder that stays shows in the removal of the top.
        if (m_pass == RemoveFolders)
            ::unlinkat(parent.descriptor, done.name.c_str(), AT_REMOVEDIR);
    }
    closeDeepest();
    return true;
}

void TreeWalk::closeDeepest()
{
    if (m_path.back().descriptor >= 0)
        ::close(m_path.back().descriptor);
    m_path.pop_back();
}

// The folder that holds the entry at path may be searched without being readable; O_PATH
// asks for no more than that where it exists.
#ifdef O_PATH
const int parentOpenFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
const int parentOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Whether the top, a link in parent, is followed. As the kernel's protected_symlinks rule
// has it: unless others may write the folder that holds the link, where only one's own
// link in a sticky folder is. Whoever may write that folder could otherwise put a link to
// any folder of the caller's in the top's place, and have that folder emptied.
bool mayFollowTopLink(int parent, const struct stat &link)
{
    struct stat folder;
    if (::fstat(parent, &folder) != 0)
        return false;
    return (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0 || ((folder.st_mode & S_ISVTX) && link.st_uid == ::geteuid());
}

// Whether name in parent leads to a folder, through links.
bool leadsToFolder(int parent, const char *name)
{
    struct stat target;
    return ::fstatat(parent, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
}

} // namespace

bool removeFolderTree(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    const QByteArray parentPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const QByteArray name = slash + 1 < path.size() ? path.mid(slash + 1) : QByteArray(".");
    const int parent = ::open(parentPath.constData(), parentOpenFlags);
    if (parent < 0)
        return isNoFolder(errno);

    // The top is the folder its name leads to, through a link too where that link may be
    // followed; the walk below it follows none. A link stays in the end: it is no folder to
    // remove.
    bool removed;
    int top = ::openat(parent, name.constData(), folderOpenFlags);
    int openError = errno;
    struct stat link;
    const bool isLink = top < 0 && ::fstatat(parent, name.constData(), &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode);
    const bool followed = isLink && mayFollowTopLink(parent, link);
    if (followed) {
        top = ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        openError = errno;
    }
    if (top < 0) {
        // Nothing can be listed in a folder that cannot be read, but it may be empty. A link
        // not followed leaves its folder as it is.
        if (isLink && !followed)
            removed = !leadsToFolder(parent, name.constData());
        else if (openError == EACCES)
            removed = ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0;
        else
            removed = isNoFolder(openError);
    } else {
        // Files first, folders after: a file that stays leaves every folder in place.
        removed = TreeWalk(TreeWalk::RemoveFiles).run(top) && TreeWalk(TreeWalk::RemoveFolders).run(top)
            && ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0;
        ::close(top);
    }
    ::close(parent);
    return removed;
}
