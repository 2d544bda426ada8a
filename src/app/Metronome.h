#pragma once

#include "app/BeatLights.h"
#include "app/ClickRate.h"
#include "windows/TempoLabels.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <QString>

class ClickSounds;
class PlayerWindow;
class frmFlam;
struct Platform;

// Which skin picture an image of the main window shows. The running state is read from the
// play/stop image, so the picture is kept as this value and compared as a value, never by pixels.
enum class ShownPicture {
    None,
    playg,
    stopg,
    cg,
    cd,
    cb,
    og,
    od,
    ob,
    sg,
    sd,
    sb,
    Image1,
    Image2,
    Image3,
    Image24,
    Image25,
};
inline constexpr std::size_t kShownPictureCount = 17;
static_assert(static_cast<std::size_t>(ShownPicture::Image25) + 1 == kShownPictureCount);

// The skin picture's name (Skin.h); empty for None.
std::string_view pictureName(ShownPicture picture);

// The main window's controls whose state the metronome keeps and the window shows.
enum class MainControl {
    lblcd,
    Text2,
    lblTempo,
    imstop,
    Image10,
    Image11,
    Image12,
    Image5,
    imz,
    Image4
};
inline constexpr std::size_t kMainControlCount = 10;

struct ImageState
{
    ShownPicture picture = ShownPicture::None;
    bool visible = true;
    QString toolTip;
};

// The Italian tempo marking for a tempo; empty for 0 and below.
QString tempoMarking(double tempo);

// The custom-tempo flag as the tempo dial's ClockBackColor holds it: set means the tempo in
// Text2 was typed, clear (0) that it comes from the dial.
inline constexpr std::uint32_t kCustomTempoFlag = 0x8000000Fu;

// A dial tempo from this on is no tempo (the dial itself gives at most 177).
inline constexpr double kNoDialTempoFrom = 354;

// What the metronome needs of its window: the tempo dial, the volume slider, the keyboard focus
// and the redrawing of a control whose state changed. UI thread only.
class MetronomeView
{
public:
    virtual ~MetronomeView() = default;

    // AnalogClock1: its value as "hh:nn:ss"; setting the value runs AnalogClock1_Change before it
    // returns (also for the value it already has); its ClockBackColor holds the custom-tempo flag.
    virtual QString dialValueText() const = 0;
    virtual void setDialValue(double dateTime) = 0;
    virtual std::uint32_t dialClockBackColor() const = 0;
    virtual void setDialClockBackColor(std::uint32_t color) = 0;

    // SliderPic1: setting keeps the position within the slider's range and raises no event.
    virtual std::int32_t sliderPosition() const = 0;
    virtual void setSliderPosition(std::int32_t position) = 0;

    virtual void focusPicture1() = 0;
    virtual void controlChanged(MainControl control) = 0;
    // The click-sound dialog, modal.
    virtual void showClickSoundDialog() = 0;
    // Scales the window's controls for a display that is not 96 DPI, once while loading.
    virtual void ResizeForm() = 0;
};

// The main metronome window's state and procedures, without a display: start-up, the tempo
// chain from the dial or a typed tempo to the engine form's click rate, play and stop, the
// subdivision, the volume, the tempo markings and the beats per bar. The state lives in what
// stands for the window's controls (the mode word, the subdivision, the tempo texts, the
// pictures), as the other windows read and write it. It drives the beat lights for the engine
// form and takes the MIDI-file player's length and running time into its tempo texts.
// UI thread only.
class Metronome : public BeatLights, public TempoLabels
{
public:
    // `flam`, the engine form with its click sounds, outlives the metronome.
    Metronome(Platform& platform, frmFlam& flam, PlayerWindow& player, MetronomeView& view);
    ~Metronome() override;
    Metronome(const Metronome&) = delete;
    Metronome& operator=(const Metronome&) = delete;

    // Start-up. False when another copy of the program runs: the user has been told and the
    // program must end at once.
    bool Form_Load();
    // The window closes: nothing may sound or step after it.
    void Form_Unload();

    // The bar's accent pattern, the custom pattern's 1-based start and the pattern-player switch.
    QString BeatPattern;
    QString PatternStart;
    bool FlamencoMode = false;

    // The mode word: "MM", "PITCH", "POLY", or empty while a grouped rhythm is set.
    const QString& lblcd() const { return m_lblcd; }

    void setLblcd(const QString& caption);

    const QString& Text2() const { return m_Text2; }

    void setText2(const QString& caption) override;

    QString lblTempo() const override { return m_lblTempo; }

    void setLblTempo(const QString& caption) override;

    // The subdivision: "1/4", "1/8" or "1/16". A change of text runs Ritam_Change.
    const QString& Ritam() const { return m_Ritam; }

    void setRitam(const QString& text);

    // Beats per bar as text ("4" at first, then a blank and the number).
    const QString& txtneakc2() const { return m_txtneakc2; }

    // The dial's value as time text, as the last dial change read it.
    const QString& Text1() const { return m_Text1; }

    const ImageState& image(MainControl control) const;
    // Shows a picture on an image (the hover pictures of the subdivision buttons).
    void setPicture(MainControl control, ShownPicture picture);

    // Running exactly when imstop shows the stop picture.
    bool running() const { return m_imstop.picture == ShownPicture::stopg; }

    std::uint32_t customTempoFlag() const;

    // The PLAY/STOP toggle (also the menu's Start/Stop entry).
    void imstop_Click();

    void raz7() { imstop_Click(); }

    // The toggle's tool tip as the pointer comes over it.
    QString imstopToolTip() const;

    // Keys on the skin. A held key repeats: Enter toggles only on the first press, the arrows
    // step the volume on every repeat.
    void Picture1_KeyDown(int KeyCode, int Shift, bool autoRepeat = false);

    void AnalogClock1_Change();
    void CheckDialTempo();
    // Start at the dial tempo / at the typed tempo.
    void kmnPlay1();
    void kmnPlay2();
    // OK of the rhythm dialogs, after their opener stopped the beat: at the typed tempo when one
    // is set, else through the play/stop toggle's start at the dial tempo; at dial 0 nothing plays.
    void startFromDialog();
    void StartQuarterBeat();
    void StartEighthBeat();
    void StartSixteenthBeat();
    // The subdivision buttons: start at that subdivision, only while the toggle is shown.
    void Image10_Click();
    void Image11_Click();
    void Image12_Click();

    // The custom-tempo prompt.
    void Text2_Click();

    void lblTempo_Click() { Text2_Click(); }

    QString lblTempoToolTip() const;

    // The volume slider moved; the level is newPosition (the slider stores it afterwards).
    void SliderPic1_PositionChanged(std::int32_t& oldPosition, std::int32_t& newPosition);

    // Writes the marking for a tempo text into lblTempo.
    void tempoOznake(const QString& TempoText);
    // The Beat menu: beats per bar 1 to 6 (Index 0 to 5), or the click-sound dialog (7).
    void Bitovi(int Index);
    // The tuner's stop (Index 12: the player and the tone stopped, the dial at 0, Text2 blank,
    // "PITCH"), as at start-up; the Pitch menu's other entries are the reference launchers'.
    void Picka(int Index);

    // BeatLights, for the engine form.
    void setImage5Visible(bool visible) override;
    void setImzVisible(bool visible) override;
    void setImage4Visible(bool visible) override;

    bool imzVisible() const override { return m_imz.visible; }

    // The tempos the custom-tempo prompt takes (beats per minute); every one of them plays at
    // every subdivision, up to four clicks a beat.
    static constexpr double kMinCustomTempo = kMinClickRate;
    static constexpr double kMaxCustomTempo = kMaxClickRate / 4;

private:
    enum class Subdivision { Quarter, Eighth, Sixteenth };

    void disableStepTimers();
    void stopPlayerAndTone();
    // The tempo chain: Text1's minutes times 3, written to Text2 and the click rate in Str form.
    double readDialTempo();
    static bool isTempo(double tempo);
    void StartBeat(Subdivision subdivision);
    void Ritam_Change();
    void saveVolume(std::int32_t position);
    bool acceptCustomTempo(const QString& answer);

    void setCaption(QString& field, const QString& caption, MainControl control);
    ImageState& imageRef(MainControl control);
    void setVisible(MainControl control, bool visible);
    void setImstopToolTip(const QString& text);

    Platform& m_platform;
    frmFlam& m_flam;
    ClickSounds& m_sounds;
    PlayerWindow& m_player;
    MetronomeView& m_view;

    // Control texts with their design values.
    QString m_lblcd = QStringLiteral("MM");
    QString m_Ritam = QStringLiteral("1/4");
    QString m_txtneakc2 = QStringLiteral("4");
    QString m_Text1;
    QString m_Text2;
    QString m_lblTempo;
    // Hidden text boxes that the dial change empties.
    QString m_Text;
    QString m_vreme;

    ImageState m_imstop;
    ImageState m_Image10 { ShownPicture::cb, true, QStringLiteral("1/4 FOR BASE") };
    ImageState m_Image11 { ShownPicture::og, true, QStringLiteral("1/8 FOR BASE") };
    ImageState m_Image12 { ShownPicture::sg, true, QStringLiteral("1/16 FOR BASE") };
    ImageState m_Image5 { ShownPicture::Image2, true, {} };
    ImageState m_imz;
    ImageState m_Image4;
};
