#pragma once

#include <memory>

#include <QString>

struct _fluid_synth_t;
struct _fluid_hashtable_t;
struct _fluid_sfont_t;

// The General MIDI SoundFont of the built-in synthesizer, loaded once and shared by every synth
// instance (a large font is a hundred megabytes; each synth only references it).
//
// Lifecycle: load() may run on any thread; the program runs it on a thread of its own
// (loadSoundFontInBackground: a large font takes a second, which the UI never waits for) and
// hands the bank to the UI thread through a shared future. Every FluidSynthCore made from it
// keeps it alive through a shared pointer, so the font outlives the synths that play it; whoever
// drops the last pointer frees it (the loader, when the program ends mid-load).
class SoundFontBank
{
public:
    // The font to use from `folder`: the largest General MIDI font there (a name with "GM" in it,
    // any case), so that a bigger font installed beside the small default one wins. Empty when
    // the folder holds none.
    static QString choose(const QString& folder = QStringLiteral("/usr/share/sounds/sf2"));

    // Loads `path`; null when it cannot be read as a SoundFont.
    static std::shared_ptr<SoundFontBank> load(const QString& path);

    ~SoundFontBank();
    SoundFontBank(const SoundFontBank&) = delete;
    SoundFontBank& operator=(const SoundFontBank&) = delete;

    _fluid_sfont_t* font() const { return m_font; }

private:
    SoundFontBank() = default;

    // The font belongs to a synth of its own that never renders: FluidSynth frees a font only
    // through the synth that loaded it.
    _fluid_hashtable_t* m_settings = nullptr;
    _fluid_synth_t* m_owner = nullptr;
    _fluid_sfont_t* m_font = nullptr;
};
