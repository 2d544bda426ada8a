#pragma once

#include "ClipDsp.h"

#include <string>

// Writes a RIFF WAVE file with 16-bit PCM at kRate: a 'fmt ' chunk and a 'data' chunk, nothing
// else. Samples are rounded and kept off full scale (+-32767). Returns false when the file cannot
// be written completely.
bool writeWav16(const std::string& path, const Clip& clip);
