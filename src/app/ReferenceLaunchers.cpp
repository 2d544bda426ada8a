#include "app/ReferenceLaunchers.h"

#include "app/ClickSounds.h"
#include "app/Metronome.h"
#include "windows/OtherWindows.h"
#include "windows/PlayerWindow.h"

#include <array>

#include <QDir>

namespace {

// The play-from-a-file-name flag of the sound call; the file is played asynchronously.
constexpr std::int32_t kSndFilename = 0x20000;

struct Item
{
    const char* name;
    const char* file;
};

// Pitch menu entries 2 to 10.
constexpr std::array<Item, 9> kNotes { {
    { "D3", "D3.mid" },
    { "E3", "E3.mid" },
    { "G3", "G3.mid" },
    { "A3", "A3.mid" },
    { "D4", "D4.mid" },
    { "G4", "G4.mid" },
    { "A4", "A4.mid" },
    { "B4 or H4", "H4.mid" },
    { "E5", "E5.mid" },
} };

// Poly menu entries 2 to 6.
constexpr std::array<const char*, 5> kExamples { "Ex1.mid", "Ex2.mid", "Ex3.mid", "Ex4.mid",
    "Ex5.mid" };

const QString kExampleName = QStringLiteral("PolyRhithm");

} // namespace

ReferenceLaunchers::ReferenceLaunchers(const QString& programFolder,
    Metronome& metronome,
    ClickSounds& sounds,
    PlayerWindow& player,
    OtherWindows& windows,
    MetronomeView& view)
    : m_programFolder(programFolder)
    , m_metronome(metronome)
    , m_sounds(sounds)
    , m_player(player)
    , m_windows(windows)
    , m_view(view)
{}

void ReferenceLaunchers::Picka(int Index)
{
    if (Index == 0) {
        PlayA440Wav();
    } else if (Index == 1) {
        OpenToneGenerator();
        return;
    } else if (Index >= 2 && Index <= 10) {
        const Item& note = kNotes[static_cast<std::size_t>(Index - 2)];
        launchMidi(QString::fromLatin1(note.name), QString::fromLatin1(note.file));
    } else if (Index == 12) {
        m_metronome.Picka(12);
    }
    m_metronome.setLblcd(QStringLiteral("PITCH"));
}

void ReferenceLaunchers::Primeri(int Index)
{
    if (m_metronome.running())
        m_metronome.imstop_Click();
    if (Index >= 2 && Index <= 6) {
        launchMidi(
            kExampleName, QString::fromLatin1(kExamples[static_cast<std::size_t>(Index - 2)]));
        m_metronome.setLblcd(QStringLiteral("POLY"));
    } else if (Index == 8) {
        StopPolyExample();
        m_metronome.setLblcd(QStringLiteral("MM"));
    }
}

void ReferenceLaunchers::stopAndReset()
{
    m_sounds.StopSound();
    m_player.stani2();
    m_player.setTxtmidi(QString());
    m_view.setDialValue(0);
    m_metronome.setText2(QString());
}

void ReferenceLaunchers::launchMidi(const QString& name, const QString& file)
{
    stopAndReset();
    m_metronome.setLblTempo(name);
    m_player.setTxtmidi(file);
    m_player.svirajmidi();
    m_player.sviraj();
}

void ReferenceLaunchers::PlayA440Wav()
{
    stopAndReset();
    m_metronome.setLblTempo(QStringLiteral("A4 = 440 Hz"));
    // A missing file plays nothing and says nothing.
    m_sounds.PlayWavFile(
        QDir(m_programFolder).filePath(QStringLiteral("440.wav")), true, kSndFilename, 0);
}

void ReferenceLaunchers::OpenToneGenerator()
{
    stopAndReset();
    m_windows.showFrmfrekvencijeModal();
}

void ReferenceLaunchers::StopPolyExample()
{
    m_sounds.StopSound();
    m_player.stani2();
    m_player.setTxtmidi(QString());
    m_metronome.setText2(QString());
    m_metronome.setLblTempo(QString());
    // An empty name: the player opens nothing and writes nothing, so nothing plays and both
    // texts stay blank.
    m_player.setTxtmidi(QString());
    m_player.svirajmidi();
    m_player.sviraj();
}
