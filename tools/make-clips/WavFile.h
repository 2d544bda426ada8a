#pragma once

#include "ClipDsp.h"

#include <string>

// Writes a canonical WAV file with 16-bit PCM at kRate, replacing any old one in one step.
// Samples are rounded and kept off full scale (+-32767). Returns false when the file cannot be
// written completely.
bool writeWav16(const std::string& path, const Clip& clip);
