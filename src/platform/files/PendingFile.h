#pragma once

#include <string>

#include <sys/types.h>

// A new file that has no name until it is complete, so that a process killed while it writes
// (SIGKILL, a power cut of the process) leaves nothing in the folder. It is made with O_TMPFILE in
// its target's folder and linked in at the end; where the file system cannot make unnamed files, it
// is a hidden part file from the start.
//
// A part (also the moment's one between linking and renaming over the target) is named
// `<prefix><pid>-<start>-<random>.part`: its owner's process id and start time (in clock ticks
// since boot, so that a reused id is told apart), and the owner holds a lock (flock) on it while
// it lives. The next create() with the same prefix in that folder removes every part whose lock
// is free and whose owner is no longer running, so a part left by a crash lasts until the next
// write of its kind there, and a part of a writer at work (in this process, another, another
// user's or another container's) is never touched.
//
// Plain C++ without Qt: the encoder library builds it too. Any one thread per object. Failures
// answer false with errno set, and leave nothing behind.
class PendingFile
{
public:
    enum class Naming {
        UnnamedWherePossible,
        // The part file from the start, as on a file system without O_TMPFILE: for tests.
        PartFile,
    };

    PendingFile() = default;
    // Uncommitted, the file goes: an unnamed one with its descriptor, a part with its name.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Makes the file for `target` in its folder (the folder must exist) with `mode` as open(2)
    // takes it (the user's mask applies), after sweeping the folder's dead parts of `prefix`.
    bool create(const std::string& target,
        const std::string& prefix,
        mode_t mode,
        Naming naming = Naming::UnnamedWherePossible);

    // Open for reading and writing; -1 before create() and after commit or discard.
    int fd() const { return m_fd; }

    // True while the file has no name.
    bool unnamed() const { return m_fd >= 0 && m_part.empty(); }

    // Gives an unnamed file its part name (a part file has it already). The caller has written
    // and synced the content first.
    bool nameAsPart();

    // Renames the part over the target in one step (an old file of that name is replaced whole,
    // never seen half-way), syncs the folder so that the rename lasts, and closes the file.
    // Names an unnamed file first.
    bool replaceTarget();

    // Closes the file and removes its part name, if it has one.
    void discard();

    // Removes the parts of `prefix` in `folder` whose owner is gone; answers how many.
    static int sweep(const std::string& folder, const std::string& prefix);

private:
    std::string m_target;
    std::string m_folder;
    std::string m_prefix;
    std::string m_part;
    int m_fd = -1;
};
