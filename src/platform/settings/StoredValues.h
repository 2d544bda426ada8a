#pragma once

#include "platform/settings/StoredValue.h"

#include <cstdint>
#include <limits>

// Every value the program keeps in its settings, each named once. The windows read and write
// them through SettingsStore::text, number and save.
struct StoredValues
{
    static constexpr QStringView kGitara = u"Gitara";
    static constexpr QStringView kIzlaz = u"Izlaz";

    // The clip ids of the letters F, U, D and A (ClickSounds, frmMSound).
    static constexpr StoredValue Zv1 { kGitara, u"Zv1", StoredValue::Rule::Number, u"103", 0, 0 };
    static constexpr StoredValue Zv2 { kGitara, u"Zv2", StoredValue::Rule::Number, u"106", 0, 0 };
    static constexpr StoredValue Zv3 { kGitara, u"Zv3", StoredValue::Rule::Number, u"118", 0, 0 };
    static constexpr StoredValue Zv4 { kGitara, u"Zv4", StoredValue::Rule::Number, u"101", 0, 0 };

    // The volume slider's position (Metronome). One that is no 16-bit number leaves the slider
    // where it is.
    static constexpr StoredValue Volme { kGitara, u"Volme", StoredValue::Rule::Integer16, u"99", 0,
        0 };

    // The scale tempo as the user typed it (ScaleTempo). One outside 50..500 (empty, "abc", 0,
    // huge) reads as "120", so the note interval never divides by zero nor leaves a timer's range.
    static constexpr StoredValue Speed { kGitara, u"Speed", StoredValue::Rule::LeadingNumber,
        u"120", 50, 500 };

    // The recording format (modrec). A value that is no whole number from 1 to its variable's
    // largest (a word, a fraction, the 0 an earlier run wrote) reads as the default, so no
    // format that no device takes is ever written back.
    static constexpr StoredValue Rate { kGitara, u"Rate", StoredValue::Rule::WholeNumber, u"44100",
        1, std::numeric_limits<std::int32_t>::max() };
    static constexpr StoredValue Channels { kGitara, u"Channels", StoredValue::Rule::WholeNumber,
        u"1", 1, std::numeric_limits<std::int16_t>::max() };
    static constexpr StoredValue Resolution { kGitara, u"Resolution",
        StoredValue::Rule::WholeNumber, u"16", 1, std::numeric_limits<std::int16_t>::max() };
    // Written empty when the recorder closes; read by nothing.
    static constexpr StoredValue WaveFileName { kGitara, u"WaveFileName", StoredValue::Rule::Text,
        {}, 0, 0 };

    // The encoder's output folder (frmMp3); its default, the program's folder or the home
    // folder, is known only at run time.
    static constexpr StoredValue direkt { kIzlaz, u"direkt", StoredValue::Rule::Text, {}, 0, 0 };
};
