#include "piano/ScalePlayer.h"

#include "piano/ChordBook.h"
#include "piano/KeyPlayer.h"
#include "piano/ScaleTempo.h"
#include "platform/basic/WakeTimer.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kTopScaleKey = 17;
constexpr int kRest = 10;

// "Mode-Mixolydian", "Neapolitan Minor" and "Diminished (8 Tone)" sound the scales they are named
// after: the lowered seventh, the minor sixth, and whole step, half step in turn.
const std::array<Scale, 25> kScales { {
    { { 0, 2, 4, 5, 7, 9, 11, 12 }, { 11, 9, 7, 5, 4, 2, 0 }, 160, "C D E F G A B C" },
    { { 0, 2, 3, 5, 7, 8, 10, 12 }, { 10, 8, 7, 5, 3, 2, 0 }, 160, "C D Eb F G Ab Bb C" },
    { { 0, 2, 3, 5, 7, 8, 11, 12 }, { 11, 8, 7, 5, 3, 2, 0 }, 160, "C D Eb F G Ab B C" },
    { { 0, 2, 3, 5, 7, 9, 11, 12 }, { 10, 8, 7, 5, 3, 2, 0 }, 160,
        "C D Eb F G A B C (Asc)\r\nC D Eb F G Ab Bb C (Desc)" },
    { { 0, 2, 3, 5, 7, 9, 10, 12 }, { 10, 9, 7, 5, 3, 2, 0 }, 160, "C D Eb F G A Bb C" },
    { { 0, 1, 3, 5, 7, 8, 10, 12 }, { 10, 8, 7, 5, 3, 1, 0 }, 160, "C Db Eb F G Ab Bb C" },
    { { 0, 2, 4, 6, 7, 9, 11, 12 }, { 11, 9, 7, 6, 4, 2, 0 }, 160, "C D E F# G A B C" },
    { { 0, 2, 4, 5, 7, 9, 10, 12 }, { 10, 9, 7, 5, 4, 2, 0 }, 160, "C D E F G A Bb C" },
    { { 0, 1, 3, 5, 6, 8, 10, 12 }, { 10, 8, 6, 5, 3, 1, 0 }, 160, "C Db Eb F Gb Ab Bb C" },
    { { 0, 1, 3, 4, 5, 7, 8, 10, 12 }, { 10, 8, 7, 5, 4, 3, 1, 0 }, 180, "C Db Eb E F G Ab Bb C" },
    { { 0, 2, 3, 5, 6, 8, 9, 11, 12 }, { 11, 9, 8, 6, 5, 3, 2, 0 }, 180, "C D Eb F Gb Ab A B C" },
    { { 0, 2, 3, 6, 7, 9, 10, 12 }, { 10, 9, 7, 6, 3, 2, 0 }, 160, "C D Es F# G A Bb C" },
    { { 0, 3, 4, 6, 7, 9, 10, 12 }, { 10, 9, 7, 6, 4, 3, 0 }, 160, "C D# E F# G A Bb C" },
    { { 0, 2, 3, 6, 7, 8, 11, 12 }, { 11, 8, 7, 6, 3, 2, 0 }, 160, "C D Eb F# G Ab B C" },
    { { 0, 1, 4, 5, 6, 9, 10, 12 }, { 10, 9, 6, 5, 4, 1, 0 }, 160, "C Db E F Gb A Bb C" },
    { { 0, 2, 4, 5, 7, 8, 10, 12 }, { 10, 8, 7, 5, 4, 2, 0 }, 160, "C D E F G Ab Bb C" },
    { { 0, 1, 4, 5, 7, 8, 10, 12 }, { 10, 8, 7, 5, 4, 1, 0 }, 160, "C Db E F G Ab Bb C" },
    { { 0, 1, 4, 5, 7, 8, 11, 12 }, { 11, 8, 7, 5, 4, 1, 0 }, 160, "C Db E F G Ab B C" },
    { { 0, 1, 3, 5, 7, 8, 11, 12 }, { 11, 8, 7, 5, 3, 1, 0 }, 160, "C Db Eb F G Ab B C" },
    { { 0, 1, 3, 4, 7, 8, 10, 12 }, { 10, 8, 7, 4, 3, 1, 0 }, 160, "C Db Eb E G Ab Bb C" },
    { { 0, 3, 4, 5, 7, 9, 10, 12 }, { 10, 9, 7, 5, 4, 3, 0 }, 160, "C Eb E F G A Bb C" },
    { { 0, 1, 4, 6, 8, 10, 11, 12 }, { 11, 10, 8, 6, 4, 1, 0 }, 160, "C Db E F# G# A# B C" },
    // The pentatonic scales run on past their last step 120, silent, to 140.
    { { 0, 2, 4, 7, 9, 12 }, { 9, 7, 4, 2, 0 }, 140, "C D E G A C" },
    { { 0, 3, 5, 7, 10, 12 }, { 10, 7, 5, 3, 0 }, 140, "C Eb F G Bb C" },
    { { 0, 2, 4, 6, 8, 10, 12 }, { 10, 8, 6, 4, 2, 0 }, 140, "C D E F# G# A# C" },
} };

struct ListEntry
{
    const char* name;
    int scale;
};

const std::array<ListEntry, 27> kList { {
    { "Major", 0 },
    { "Minor (Natural)", 1 },
    { "Minor (Harmonic)", 2 },
    { "Minor (Melodic)", 3 },
    { "Mode-Ionian", 0 },
    { "Mode-Dorian", 4 },
    { "Mode-Phrygian", 5 },
    { "Mode-Lydian", 6 },
    { "Mode-Mixolydian", 7 },
    { "Mode-Aeolian", 1 },
    { "Mode-Locrian", 8 },
    { "Flamenco (8 Tone)", 9 },
    { "Diminished (8 Tone)", 10 },
    { "Romanian", 11 },
    { "Hungarian-Major", 12 },
    { "Hungarian-Minor", 13 },
    { "Oriental", 14 },
    { "Hindu", 15 },
    { "Jewish", 16 },
    { "Gipsy", 17 },
    { "Neapolitan Minor", 18 },
    { "Indian", 19 },
    { "Blues", 20 },
    { "Enigmatic", 21 },
    { "Pentatonic Major", 22 },
    { "Pentatonic Minor", 23 },
    { "Hexatonic(6Tone)", 24 },
} };

} // namespace

std::span<const Scale> scales()
{
    return kScales;
}

QStringList scaleListNames()
{
    QStringList names;
    for (const ListEntry& entry : kList)
        names.append(QString::fromLatin1(entry.name));
    return names;
}

const Scale* scaleOfListEntry(int index)
{
    if (index < 0 || index >= static_cast<int>(kList.size()))
        return nullptr;
    return &kScales[kList[index].scale];
}

void Boxovi(QStringList& chordList, QStringList& scaleList)
{
    for (const ChordRow& row : chordRows())
        chordList.append(QString::fromUtf8(row.name));
    scaleList.append(scaleListNames());
}

ScalePlayer::ScalePlayer(KeyPlayer& keys,
    const ScaleTempo& tempo,
    MidiOut& midi,
    std::function<std::int64_t()> now,
    std::unique_ptr<WakeTimer> wake,
    ScaleView view)
    : m_keys(keys)
    , m_tempo(tempo)
    , m_now(now)
    , m_view(std::move(view))
    , m_stepper(midi, std::move(now), std::move(wake))
{
    m_stepper.onStep = [this](std::size_t index, std::int64_t due) {
        step(index, due);
    };
}

void ScalePlayer::releaseScaleKeys(std::optional<std::int64_t> at)
{
    for (int k = 0; k <= kTopScaleKey; ++k)
        m_keys.ReleaseKey(k, at);
}

void ScalePlayer::setTempoEnabled(bool enabled)
{
    m_tempoEnabled = enabled;
    if (m_view.setTempoEnabled)
        m_view.setTempoEnabled(enabled);
}

void ScalePlayer::stop()
{
    m_stepper.stop();
    m_counter = kRest;
}

void ScalePlayer::C2_Click(int index)
{
    // The notes of a stopped run may still be on their way: the releases follow its last one.
    std::optional<std::int64_t> releaseAt;
    if (const std::optional<std::int64_t> last = m_stepper.stop())
        releaseAt = std::max(*last, m_now());
    m_counter = kRest;
    releaseScaleKeys(releaseAt);
    m_rts.clear();
    m_scale = scaleOfListEntry(index);
    // Only a starting scale holds the tempo button until its last step: with no scale chosen
    // nothing would ever give it back.
    setTempoEnabled(!m_scale);
    if (!m_scale)
        return;
    m_rts = QString::fromLatin1(m_scale->structure);
    // Counter values 10 .. limit + 10 each take a step; the step after them ends the run.
    m_lastStep = static_cast<std::size_t>(m_scale->limit / 10 + 1);
    m_stepper.start(0, std::vector<TimedStepper::Step>(m_lastStep + 1), m_tempo.intervalMs());
}

void ScalePlayer::step(std::size_t index, std::int64_t due)
{
    if (index == m_lastStep) {
        m_counter = kRest;
        releaseScaleKeys(due);
    } else {
        m_counter = kRest * static_cast<int>(index + 1);
        if (m_view.setLabel6)
            m_view.setLabel6(QString::number(m_counter));
        // A new tempo takes effect from this step on.
        m_stepper.setIntervalMs(m_tempo.intervalMs());
        perform(*m_scale, due);
    }
}

void ScalePlayer::perform(const Scale& scale, std::int64_t due)
{
    const int n = static_cast<int>(scale.up.size());
    const int i = m_counter / kRest;
    if (i <= n) {
        m_keys.PressKey(scale.up.begin()[i - 1], due);
    } else if (i == n + 1) {
        releaseScaleKeys(due);
        m_keys.PressKey(12, due);
    } else if (i <= 2 * n) {
        m_keys.PressKey(scale.down.begin()[i - n - 2], due);
        if (i == 2 * n)
            setTempoEnabled(true);
    }
}
