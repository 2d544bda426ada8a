#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace wavpress {

// The MP3 under construction: a new file in the target's folder, renamed over the target only by
// commit(). Destroyed uncommitted, it removes itself, so a failure or a stop never leaves a
// partial file and never touches an older output.
class OutputFile
{
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False when the folder does not exist or is not writable, or the target is a folder.
    bool create(const char* target);

    bool append(const unsigned char* data, std::size_t size);
    // Overwrites the first bytes (the Info frame that LAME placed at the start as a stand-in).
    bool overwriteStart(const unsigned char* data, std::size_t size);

    // Writes everything to the disk, then renames over the target.
    bool commit();

private:
    bool flush();

    std::string m_target;
    std::string m_temporary;
    int m_fd = -1;
    std::vector<unsigned char> m_pending;
};

} // namespace wavpress
