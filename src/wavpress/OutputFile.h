#pragma once

#include "platform/files/PendingFile.h"

#include <cstddef>
#include <string>
#include <vector>

namespace wavpress {

// The MP3 under construction: a file without a name in the target's folder (or, where the file
// system makes no unnamed files, a hidden `.wavpress-*.part` there, which the next encoding into
// that folder removes if its owner is gone), given the target's name only by commit(). Destroyed
// uncommitted, or killed, it leaves nothing, and never touches an older output.
class OutputFile
{
public:
    // False when the folder does not exist or is not writable, or the target is a folder.
    bool create(const char* target);

    bool append(const unsigned char* data, std::size_t size);
    // Overwrites the first bytes (the Info frame that LAME placed at the start as a stand-in).
    bool overwriteStart(const unsigned char* data, std::size_t size);

    // Writes everything to the disk, then renames over the target.
    bool commit();

private:
    bool flush();

    PendingFile m_file;
    std::vector<unsigned char> m_pending;
};

} // namespace wavpress
