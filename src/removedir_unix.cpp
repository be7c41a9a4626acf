// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "removedir_p.h"

#include <cerrno>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Others may be able to write inside the tree while it is removed, and swap any folder of
// it for a link to one of ours between two steps. So nothing below the top is reached by
// path. A folder is opened relative to its parent's descriptor without following a link,
// and used only if it is the very folder (device and inode) that was examined; an entry
// is removed relative to the descriptor of the folder that holds it, and a link is removed
// as a link. Whatever happens to the names meanwhile, only what lies below the folder
// opened first can be removed.

namespace {

const int folderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Folders along the walk's path that keep their descriptor. A deeper tree closes the
// shallowest ones and opens them again through ".." on the way back.
const size_t maxOpenFolders = 64;

bool isSameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The descriptor of the folder name in parent, if that is still the folder examined; -1
// for anything else, a link put in its place included.
int openFolder(int parent, const char *name, const struct stat &examined)
{
    const int descriptor = ::openat(parent, name, folderOpenFlags);
    struct stat opened;
    if (descriptor >= 0 && (::fstat(descriptor, &opened) != 0 || !isSameFile(opened, examined))) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// The entries of one folder still to handle, in the order listed: each name followed by
// a NUL, and the type from the listing (a d_type) of each, one byte per entry.
struct Entries {
    std::string names;
    std::string types;
};

// Adds the entries of the folder open at descriptor to pending. Hidden entries (a name
// that begins with a point, "." and ".." included) are not listed: they stay, and keep
// their folder.
void listEntries(int descriptor, Entries *pending)
{
    // The stream owns a descriptor of its own, so the folder's stays open after listing.
    const int listing = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    DIR *stream = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!stream) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    while (const dirent *entry = ::readdir(stream)) {
        if (entry->d_name[0] == '.')
            continue;
        pending->names.append(entry->d_name, std::char_traits<char>::length(entry->d_name) + 1);
        pending->types.push_back(char(entry->d_type));
    }
    ::closedir(stream);
}

enum class Action { Remove, Descend, Leave };

// What the walk does with the entry name in folder. Files and links to something that
// exists are removed; system entries (FIFOs, sockets, devices) and dangling links are
// left. The listing's type spares the status of most files; status is filled in for a
// folder.
Action actionFor(int folder, const char *name, unsigned char type, struct stat *status)
{
    if (type == DT_REG)
        return Action::Remove;
    if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN)
        return Action::Leave;
    if (::fstatat(folder, name, status, AT_SYMLINK_NOFOLLOW) != 0)
        return Action::Leave; // gone meanwhile
    if (S_ISDIR(status->st_mode))
        return Action::Descend;
    if (S_ISREG(status->st_mode))
        return Action::Remove;
    struct stat target;
    if (S_ISLNK(status->st_mode) && ::fstatat(folder, name, &target, 0) == 0)
        return Action::Remove;
    return Action::Leave;
}

// One depth-first walk of a folder tree, without recursion: the entry listed last is
// handled first, and a folder's entries right after the folder.
class TreeWalk
{
public:
    enum Pass {
        RemoveFiles,  // removes files and links; stops at the first that stays
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

    // Walks below the folder name in parent, which was examined as top. False when a file
    // could not be removed, or when a folder on the way back up is no longer where it was.
    bool run(int parent, const char *name, const struct stat &top);

private:
    struct Folder {
        int descriptor; // -1 while closed to bound the descriptors in use
        struct stat status;
        std::string name; // in its parent
        Entries pending;
    };

    bool handleLastEntry();
    void enter(int descriptor, const struct stat &status, const char *name);
    bool leave();
    void closeDeepest();

    const Pass m_pass;
    std::vector<Folder> m_path;
    size_t m_firstOpen = 0; // the folders from here to the deepest are open
};

bool TreeWalk::run(int parent, const char *name, const struct stat &top)
{
    const int descriptor = openFolder(parent, name, top);
    if (descriptor < 0)
        return true; // nothing below it can be reached; the folder's own removal tells
    enter(descriptor, top, name);
    while (!m_path.empty()) {
        const bool goOn = m_path.back().pending.types.empty() ? leave() : handleLastEntry();
        if (!goOn)
            return false;
    }
    return true;
}

bool TreeWalk::handleLastEntry()
{
    Folder &folder = m_path.back();
    Entries &pending = folder.pending;
    const size_t previousEnd = pending.names.rfind('\0', pending.names.size() - 2);
    const size_t start = previousEnd == std::string::npos ? 0 : previousEnd + 1;
    const char *name = pending.names.c_str() + start;
    const auto type = static_cast<unsigned char>(pending.types.back());
    // Once name is no longer used.
    const auto dropEntry = [&pending, start] {
        pending.names.resize(start);
        pending.types.pop_back();
    };

    struct stat status;
    switch (actionFor(folder.descriptor, name, type, &status)) {
    case Action::Remove:
        // One removed by someone else meanwhile is gone all the same.
        if (m_pass == RemoveFiles && ::unlinkat(folder.descriptor, name, 0) != 0 && errno != ENOENT)
            return false;
        break;
    case Action::Descend:
        if (const int descriptor = openFolder(folder.descriptor, name, status); descriptor >= 0) {
            const std::string childName = name;
            dropEntry();
            enter(descriptor, status, childName.c_str());
            return true;
        }
        // One that cannot be read may still be empty.
        if (m_pass == RemoveFolders)
            ::unlinkat(folder.descriptor, name, AT_REMOVEDIR);
        break;
    case Action::Leave:
        break;
    }
    dropEntry();
    return true;
}

void TreeWalk::enter(int descriptor, const struct stat &status, const char *name)
{
    if (m_path.size() - m_firstOpen == maxOpenFolders) {
        ::close(m_path[m_firstOpen].descriptor);
        m_path[m_firstOpen++].descriptor = -1;
    }
    m_path.push_back(Folder{descriptor, status, name, Entries()});
    listEntries(descriptor, &m_path.back().pending);
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

} // namespace

bool removeFolderTree(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    const QByteArray parentPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const QByteArray name = slash + 1 < path.size() ? path.mid(slash + 1) : QByteArray(".");
    const int parent = ::open(parentPath.constData(), parentOpenFlags);
    if (parent < 0)
        return true; // no folder there that could be reached

    struct stat status;
    bool removed = true; // also when there is no folder of that name
    if (::fstatat(parent, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(status.st_mode)) {
            removed = ::unlinkat(parent, name.constData(), 0) == 0;
        } else if (S_ISDIR(status.st_mode)) {
            // Files first, folders after: a file that stays leaves every folder in place.
            removed = TreeWalk(TreeWalk::RemoveFiles).run(parent, name.constData(), status)
                && TreeWalk(TreeWalk::RemoveFolders).run(parent, name.constData(), status)
                && ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0;
        }
    }
    ::close(parent);
    return removed;
}
