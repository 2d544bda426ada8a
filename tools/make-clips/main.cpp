// Renders the program's 24 click clips into a folder of WAV files:
//   make-clips OUTPUT_FOLDER [SOUNDFONT.sf2]
// Drum hits come from a General MIDI SoundFont's kits (the largest one in /usr/share/sounds/sf2
// unless one is named); the glass ping, the finger snap and the pause tick are synthesised.
// Every clip is then cut to start at its attack, fitted to its exact length, faded out and
// normalised.

#include "ClipDsp.h"
#include "DrumRenderer.h"
#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using Kit = DrumRenderer::Kit;
namespace fs = std::filesystem;

// General MIDI percussion keys.
enum Drum {
    kSticks = 31,
    kBassDrum = 36,
    kSideStick = 37,
    kAcousticSnare = 38,
    kHandClap = 39,
    kElectricSnare = 40,
    kClosedHiHat = 42,
    kPedalHiHat = 44,
    kOpenHiHat = 46,
    kTambourine = 54,
    kCowbell = 56,
    kLowBongo = 61,
    kClaves = 75,
    kHighWoodBlock = 76,
    kLowWoodBlock = 77,
};

// Long enough for every hit used here to die away before it is cut.
constexpr double kHitSeconds = 1.0;

const double kPeak = std::pow(10.0, -3.0 / 20.0); // -3 dBFS
const double kPausePeak = 190.0 / 32767.0; // the pause clip is a near-silent tick

struct Recipe
{
    const char* name;
    int ms;
    double fadeMs;
    std::function<Clip(DrumRenderer&)> make;
};

Clip mono(Channel c)
{
    return Clip { { std::move(c) } };
}

std::function<Clip(DrumRenderer&)> hit(Kit kit, int note, int velocity, int semitones = 0)
{
    return [=](DrumRenderer& drums) {
        return mono(drums.hit(kit, note, velocity, kHitSeconds, semitones));
    };
}

// The kits' open hat is a dull sample with a hum near 700 Hz under its sizzle: played three
// semitones up, with everything under 2 kHz taken out (fourth order, steep), it sounds open.
Clip openHiHat(DrumRenderer& drums)
{
    Biquad first = Biquad::highPass(2000, 0.7);
    Biquad second = Biquad::highPass(2000, 0.7);
    return mono(
        second.apply(first.apply(drums.hit(Kit::Standard, kOpenHiHat, 110, kHitSeconds, 3))));
}

std::function<Clip(DrumRenderer&)> hitInRoom(Kit kit, int note, int velocity, Room room)
{
    return [=](DrumRenderer& drums) {
        return mono(withRoom(drums.hit(kit, note, velocity, kHitSeconds), room));
    };
}

std::vector<Recipe> recipes()
{
    return {
        { "ACCENT1", 62, 12, hit(Kit::Standard, kHighWoodBlock, 127) },
        { "ACCENT2", 62, 12, hit(Kit::Standard, kClaves, 127) },
        { "BONGO", 177, 25, hit(Kit::Standard, kLowBongo, 110) },
        { "COWBALL1", 148, 25, hit(Kit::Standard, kCowbell, 110) },
        { "COWBALL2", 149, 35, hit(Kit::Tr808, kCowbell, 110) },
        { "GLASS", 52, 8,
            [](DrumRenderer&) {
                return mono(glassPing(framesForMs(52)));
            } },
        { "HANDCLAP1", 138, 25, hit(Kit::Standard, kHandClap, 110) },
        // Smaller hands: the kits carry one clap sample, played here three semitones up.
        { "HANDCLAP2", 129, 25, hit(Kit::Standard, kHandClap, 110, 3) },
        { "HANDCLAP3", 2000, 60,
            hitInRoom(Kit::Standard, kHandClap, 120, Room { 1.7, 0.6, 5000, 3 }) },
        { "HANDCLAP4", 826, 40,
            [](DrumRenderer& drums) {
                // A clap a little left of centre, each side with a room of its own. The sides
                // differ in level and in their rooms only: delaying one side of the clap itself
                // would comb-filter it wherever the two are heard together.
                const Channel clap = drums.hit(Kit::Standard, kHandClap, 115, kHitSeconds);
                Clip stereo;
                stereo.channels.push_back(withRoom(clap, Room { 0.55, 0.45, 6000, 41 }));
                Channel right = clap;
                for (float& v : right)
                    v *= 0.8f;
                stereo.channels.push_back(withRoom(right, Room { 0.55, 0.45 / 0.8, 6000, 42 }));
                return stereo;
            } },
        { "HATTITE", 42, 10, hit(Kit::Standard, kClosedHiHat, 127) },
        { "HIHAT1", 120, 40, openHiHat },
        { "HIHAT2", 92, 20, hit(Kit::Standard, kPedalHiHat, 110) },
        // A larger hat than the tight one: the same closed hat two semitones down.
        { "HIHAT3", 62, 12, hit(Kit::Standard, kClosedHiHat, 110, -2) },
        { "KICK", 167, 25, hit(Kit::Standard, kBassDrum, 127) },
        { "PAUSE", 8, 2,
            [](DrumRenderer&) {
                Noise noise(116);
                return mono(quietTick(framesForMs(8), noise));
            } },
        { "SIDE", 586, 60,
            hitInRoom(Kit::Standard, kSideStick, 110, Room { 0.5, 0.3, 6000, 117 }) },
        { "SNAP", 15, 4,
            [](DrumRenderer&) {
                Noise noise(118);
                return mono(fingerSnap(framesForMs(15), noise));
            } },
        { "SNARE1", 134, 25, hit(Kit::Standard, kAcousticSnare, 115) },
        { "SNARE2", 157, 25, hit(Kit::Standard, kElectricSnare, 115) },
        { "SNARE3", 165, 25, hit(Kit::Tr808, kAcousticSnare, 115) },
        { "SOFTTAMB", 157, 30,
            [](DrumRenderer& drums) {
                // Struck lightly: the jingles' top is duller as well as quieter.
                Biquad dull = Biquad::lowPass(5000, 0.7);
                return mono(dull.apply(drums.hit(Kit::Standard, kTambourine, 45, kHitSeconds)));
            } },
        { "STICKS", 30, 7, hit(Kit::Standard, kSticks, 120) },
        { "TAMBOURIN", 141, 30, hit(Kit::Standard, kTambourine, 127) },
    };
}

// The largest SoundFont installed: the richest General MIDI set on this machine.
std::string defaultSoundFont()
{
    const fs::path folder = "/usr/share/sounds/sf2";
    std::string best = (folder / "TimGM6mb.sf2").string();
    std::uintmax_t bestSize = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        // The distribution's default-GM.sf2 is a link to one of the others.
        if (entry.path().extension() != ".sf2" || entry.is_symlink(error)
            || !entry.is_regular_file(error))
            continue;
        const std::uintmax_t size = entry.file_size(error);
        if (!error && size > bestSize) {
            bestSize = size;
            best = entry.path().string();
        }
    }
    return best;
}

double dbfs(double level)
{
    return level > 0 ? 20 * std::log10(level) : -200.0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [SOUNDFONT.sf2]\n", argv[0]);
        return 2;
    }
    const fs::path out = argv[1];
    const std::string soundFont = argc == 3 ? argv[2] : defaultSoundFont();
    try {
        DrumRenderer drums(soundFont);
        std::printf("SoundFont: %s\n", soundFont.c_str());
        std::printf(
            "%-10s %6s %3s %8s %8s %8s\n", "clip", "frames", "ch", "peak dB", "rms dB", "onset");
        for (const Recipe& r : recipes()) {
            Clip clip = r.make(drums);
            removeDc(clip);
            trimToOnset(clip);
            fitLength(clip, framesForMs(r.ms));
            fadeOut(clip, framesForSeconds(r.fadeMs / 1000.0));
            normalisePeak(clip, std::string(r.name) == "PAUSE" ? kPausePeak : kPeak);

            const double peak = peakOf(clip);
            double energy = 0;
            std::size_t onset = clip.frames();
            for (const Channel& c : clip.channels) {
                for (std::size_t i = 0; i < c.size(); ++i) {
                    energy += double(c[i]) * c[i];
                    if (std::fabs(c[i]) >= 0.1 * peak)
                        onset = std::min(onset, i);
                }
            }
            const double rms = std::sqrt(energy / (clip.frames() * clip.channels.size()));
            std::printf("%-10s %6zu %3zu %8.2f %8.2f %6.2fms\n", r.name, clip.frames(),
                clip.channels.size(), dbfs(peak), dbfs(rms), onset * 1000.0 / kRate);
            const fs::path file = out / (std::string(r.name) + ".wav");
            if (!writeWav16(file.string(), clip)) {
                std::fprintf(stderr, "cannot write %s\n", file.c_str());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
