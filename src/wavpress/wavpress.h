#pragma once

/* The MP3 encoder library's whole interface: two functions with C linkage, loaded at run time.
 * Paths are the file system's bytes. Calls are not reentrant: one encoding at a time, and never
 * from inside the progress function. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Called with the percentage done (0 to 100); answers -1 to go on, 0 to stop. */
typedef int16_t (*WavpressProgress)(int32_t percent);

/* Results of EncodeMp3 and SetVBR. */
enum {
    WAVPRESS_DONE = 0,
    WAVPRESS_FAILED = -1,
    WAVPRESS_STOPPED = -2,
    WAVPRESS_ENCODER_NOT_STARTED = -3,
    WAVPRESS_INPUT_NOT_OPENED = -4,
    WAVPRESS_OUTPUT_NOT_CREATED = -5,
    WAVPRESS_PARAMETERS_REFUSED = -6
};

/* Encodes a RIFF WAV file (PCM of 8, 16, 24 or 32 bits, or 32-bit float; mono or stereo; plain or
 * extensible format) into an MP3 file at `out`.
 * kbps: the constant bit rate (8 to 320); with VBR armed it is the maximum unless SetVBR gave one.
 * sampleRate: the MP3's rate, one MPEG audio has, or 0 to keep the input's.
 * mode: 0 stereo, 1 joint stereo, 2 dual channel (encoded as stereo), 3 mono; a mono input is
 * always encoded as mono.
 * cell: holds the progress function, read at each call; null (or a null function) reports none.
 * The progress function is called with 0 first, then with each new whole percent and at least
 * every 50 ms, and last with 100.
 * The MP3 (with its Info/VBR header frame, without any ID3 tag) is written beside `out` and
 * renamed over it only when complete; after a failure or a stop, `out` is as it was. */
int32_t EncodeMp3(const char* in,
    const char* out,
    int32_t kbps,
    int32_t sampleRate,
    uint8_t mode,
    WavpressProgress* cell);

/* Arms variable bit rate for the next EncodeMp3 only (enable 0 disarms): quality 0 (best) to 9,
 * minKbps 0 for none, maxKbps 0 to take EncodeMp3's kbps. Answers 0, or -6 for values out of
 * range, which leave VBR disarmed. */
int32_t SetVBR(int32_t enable, int32_t quality, int32_t minKbps, int32_t maxKbps);

#ifdef __cplusplus
}
#endif
