#include "ReferenceFiles.h"

#include "FileBytes.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/WavReader.h"
#include "platform/midi/FluidSynthCore.h"
#include "platform/midi/MidiFile.h"
#include "platform/midi/SoundFontBank.h"

#include <cmath>
#include <complex>
#include <map>
#include <numbers>

#include <QDir>

#include <gtest/gtest.h>

using namespace referencefiles;

namespace {

constexpr double kRate = 44100;

MidiSequence sequenceOf(const QByteArray& bytes)
{
    MidiSequence sequence;
    EXPECT_EQ(MidiFile::parse(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                  std::size_t(bytes.size()), sequence),
        MidiFileError::None);
    return sequence;
}

// The file played on the built-in synthesizer, left channel, seconds [from, to).
std::vector<float> render(const MidiSequence& sequence, double from, double to)
{
    static const auto bank = SoundFontBank::load(SoundFontBank::choose());
    EXPECT_TRUE(bank) << "no General MIDI SoundFont";
    if (!bank)
        return {};
    constexpr int block = 64;
    auto synth = FluidSynthCore::create(bank, block);
    const auto first = std::int64_t(from * kRate);
    const auto last = std::int64_t(to * kRate);
    std::vector<float> mono;
    std::vector<float> mix(2 * block);
    std::size_t next = 0;
    for (std::int64_t start = 0; start < last; start += block) {
        while (next < sequence.events.size() && sequence.events[next].sample < start + block)
            synth->send(sequence.events[next++].message);
        std::fill(mix.begin(), mix.end(), 0.0f);
        synth->renderAdd(mix.data(), block);
        for (int i = 0; i < block; ++i) {
            if (start + i >= first && start + i < last)
                mono.push_back(mix[std::size_t(2 * i)]);
        }
    }
    return mono;
}

// Magnitude of the Hann-windowed spectrum of `x` at `frequency`.
double magnitudeAt(const std::vector<float>& x, double frequency)
{
    const std::complex<double> turn = std::polar(1.0, -2 * std::numbers::pi * frequency / kRate);
    const std::complex<double> windowTurn =
        std::polar(1.0, 2 * std::numbers::pi / double(x.size()));
    std::complex<double> phasor = 1;
    std::complex<double> window = 1;
    std::complex<double> sum = 0;
    for (float sample : x) {
        sum += (0.5 - 0.5 * window.real()) * double(sample) * phasor;
        phasor *= turn;
        window *= windowTurn;
    }
    return std::abs(sum) / double(x.size());
}

double midiFrequency(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

struct Peak
{
    double cents; // from `around`
    double magnitude;
};

// The strongest partial within a semitone of `around`, to a fraction of a cent.
Peak peakNear(const std::vector<float>& x, double around)
{
    Peak best { 0, -1 };
    for (double cents = -100; cents <= 100; cents += 4) {
        const double m = magnitudeAt(x, around * std::pow(2.0, cents / 1200));
        if (m > best.magnitude)
            best = { cents, m };
    }
    // Parabola through the three samples around the best one.
    const double lo = magnitudeAt(x, around * std::pow(2.0, (best.cents - 4) / 1200));
    const double hi = magnitudeAt(x, around * std::pow(2.0, (best.cents + 4) / 1200));
    const double denominator = lo - 2 * best.magnitude + hi;
    if (denominator < 0)
        best.cents += 4 * 0.5 * (lo - hi) / denominator;
    return best;
}

QByteArray committed(const QString& name)
{
    return fileBytes(QDir(QStringLiteral(KADENTOR_REFERENCE_DIR)).filePath(name));
}

} // namespace

TEST(ReferenceFilesTest, TheGeneratorMakesTheCommittedFilesByteForByte)
{
    const auto files = allFiles();
    ASSERT_EQ(files.size(), kNotes.size() + kExamples.size() + 1);
    for (const auto& file : files) {
        SCOPED_TRACE(file.name.toStdString());
        const QByteArray onDisk = committed(file.name);
        ASSERT_FALSE(onDisk.isEmpty());
        EXPECT_TRUE(onDisk == file.bytes);
    }
}

// A wrong note, a wrong octave or a detuned voice is heard by a tuner: each note's fundamental
// must sit on its name, with nothing sounding an octave or a twelfth below it.
TEST(ReferenceFilesTest, EachNoteSoundsItsNamedPitchWithin5Cents)
{
    for (const ReferenceNote& note : kNotes) {
        SCOPED_TRACE(note.file);
        const MidiSequence sequence = sequenceOf(committed(QString::fromLatin1(note.file)));
        EXPECT_NEAR(double(sequence.lengthSamples) / kRate, kNoteSeconds + 0.5, 0.01);
        const auto sound = render(sequence, 2.0, 4.0);
        ASSERT_FALSE(sound.empty());
        const double f0 = midiFrequency(note.note);
        const Peak peak = peakNear(sound, f0);
        EXPECT_GT(peak.magnitude, 1e-3);
        EXPECT_NEAR(peak.cents, 0.0, 5.0);
        EXPECT_LT(peakNear(sound, f0 / 2).magnitude, 0.05 * peak.magnitude);
        EXPECT_LT(peakNear(sound, f0 / 3).magnitude, 0.05 * peak.magnitude);
    }
}

TEST(ReferenceFilesTest, EachExampleDividesEveryCycleEvenlyBothWaysWithDownbeatsTogether)
{
    const auto cycleSamples =
        std::int64_t(kCycleTicks * (kMicrosPerQuarter / 1e6) / kDivision * kRate);
    for (const Polyrhythm& example : kExamples) {
        SCOPED_TRACE(example.file);
        const MidiSequence sequence = sequenceOf(committed(QString::fromLatin1(example.file)));
        const double seconds = double(sequence.lengthSamples) / kRate;
        EXPECT_GE(seconds, 20.0);
        EXPECT_LE(seconds, 30.0);

        // Strokes per voice (channel 10 note-ons), by the note they strike.
        std::map<int, std::vector<std::pair<std::int64_t, int>>> voices;
        for (const TimedMessage& event : sequence.events) {
            const int status = int(event.message & 0xFF);
            const int velocity = int((event.message >> 16) & 0xFF);
            if (status == 0x99 && velocity > 0)
                voices[int((event.message >> 8) & 0xFF)].push_back({ event.sample, velocity });
            else
                EXPECT_TRUE(status == 0x89 || (status == 0x99 && velocity == 0)) << status;
        }
        ASSERT_EQ(voices.size(), 2u);
        for (const auto& [note, strokes] : voices) {
            const int ways = note == kFirstVoiceNote ? example.p : example.q;
            SCOPED_TRACE(ways);
            ASSERT_EQ(strokes.size(), std::size_t(kCycles * ways + 1));
            for (std::size_t i = 0; i < strokes.size(); ++i) {
                const auto cycle = std::int64_t(i) / ways;
                const auto within = std::int64_t(i) % ways;
                // Within a sample of its even place; the cycle's first stroke accented.
                EXPECT_NEAR(double(strokes[i].first),
                    double(cycle * cycleSamples) + double(within * cycleSamples) / ways, 1.0)
                    << i;
                EXPECT_EQ(strokes[i].second > kStrokeVelocity, within == 0) << i;
            }
        }
        EXPECT_NE(example.p, example.q);
    }
}

TEST(ReferenceFilesTest, The440ToneMeasures440HzAtMinus6dBWithFades)
{
    const QByteArray bytes = committed(QStringLiteral("440.wav"));
    // 16-bit mono at 44100 Hz, 30 s.
    ASSERT_EQ(bytes.size(), 44 + 2 * kToneRate * kToneSeconds);
    EXPECT_EQ(bytes.mid(20, 16).toHex(), QByteArray("0100010044ac00008858010002001000"));
    std::vector<double> x;
    for (qsizetype i = 44; i + 1 < bytes.size(); i += 2)
        x.push_back(double(std::int16_t(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8))) / 32768);

    double peak = 0;
    for (double v : x)
        peak = std::max(peak, std::abs(v));
    EXPECT_NEAR(20 * std::log10(peak), -6.0, 0.05);
    // Silent at both ends, full within 20 ms.
    EXPECT_LT(std::abs(x.front()), 1e-3);
    EXPECT_LT(std::abs(x.back()), 1e-3);
    double early = 0;
    for (std::size_t i = 0; i < 100; ++i)
        early = std::max(early, std::abs(x[i]));
    EXPECT_LT(early, 0.05);

    // Frequency from the first and last rising zero crossings, placed between samples.
    std::vector<double> crossings;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0 && x[i] >= 0)
            crossings.push_back(double(i - 1) + x[i - 1] / (x[i - 1] - x[i]));
    }
    ASSERT_GT(crossings.size(), 2u);
    const double hz =
        double(crossings.size() - 1) / ((crossings.back() - crossings.front()) / kRate);
    EXPECT_NEAR(hz, 440.0, 0.05);

    // The real reader takes it as the engine's clip of the same length.
    const auto read = WavReader::decode(std::span(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    ASSERT_TRUE(read) << read.error;
    EXPECT_EQ(read.clip->frames(), kToneRate * kToneSeconds);
}
