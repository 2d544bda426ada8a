#include "app/Metronome.h"

#include "app/ClickSounds.h"
#include "app/frmFlam.h"
#include "platform/Platform.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/StoredValues.h"
#include "platform/shell/InstanceGuard.h"
#include "windows/PlayerWindow.h"

namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;

const QString kMM = QStringLiteral("MM");
const QString kPITCH = QStringLiteral("PITCH");
const QString kPOLY = QStringLiteral("POLY");

bool playsReference(const QString& mode)
{
    return mode == kPITCH || mode == kPOLY;
}

} // namespace

std::string_view pictureName(ShownPicture picture)
{
    // In the order of ShownPicture.
    static constexpr std::array<std::string_view, 17> names { "", "playg", "stopg", "cg", "cd",
        "cb", "og", "od", "ob", "sg", "sd", "sb", "Image1", "Image2", "Image3", "Image24",
        "Image25" };
    return names.at(static_cast<std::size_t>(picture));
}

QString tempoMarking(double tempo)
{
    struct Band
    {
        double from;
        const char* marking;
    };

    // Each band runs from its own lower bound up to the next one's.
    static constexpr std::array<Band, 10> bands { {
        { 200, "Prestissimo" },
        { 168, "Presto" },
        { 147, "Allegro" },
        { 120, "Allegretto" },
        { 108, "Moderato" },
        { 76, "Andante" },
        { 66, "Adagio" },
        { 60, "Larghetto" },
        { 40, "Largo" },
        { 0, "Grave" },
    } };
    if (!(tempo > 0))
        return {};
    for (const Band& band : bands) {
        if (tempo >= band.from)
            return QString::fromLatin1(band.marking);
    }
    return {};
}

Metronome::Metronome(Platform& platform, frmFlam& flam, PlayerWindow& player, MetronomeView& view)
    : m_platform(platform)
    , m_flam(flam)
    , m_sounds(flam.sounds())
    , m_player(player)
    , m_view(view)
{}

Metronome::~Metronome() = default;

bool Metronome::Form_Load()
{
    if (m_platform.instance->anotherInstanceRunning()) {
        m_platform.boxes->msgBox(m_platform.programName + QStringLiteral(" is already running!"),
            MsgButtons::OK, MsgIcon::Exclamation, QStringLiteral("Kadentor Warning"));
        return false;
    }
    setPicture(MainControl::imz, ShownPicture::Image3);
    setVisible(MainControl::imz, false);
    setPicture(MainControl::Image4, ShownPicture::Image3);
    setVisible(MainControl::Image4, false);
    setPicture(MainControl::Image5, ShownPicture::Image2);

    m_sounds.LoadClickSoundIds();
    BeatPattern = QStringLiteral("UDDD");
    setLblcd(kMM);

    // A stored level that is no 16-bit number leaves the slider at its design position.
    if (const auto level = m_platform.settings->number(StoredValues::Volme))
        m_view.setSliderPosition(static_cast<std::int32_t>(*level));

    if (MenuEntry* mstop = m_flam.menus().entry(u"mstop"))
        mstop->setCaption(QStringLiteral("&Start Metronome"));
    m_view.ResizeForm();

    Picka(12);
    return true;
}

void Metronome::Form_Unload()
{
    // Nothing may step or sound once the window is gone; the player forgets its file.
    m_flam.Timer1.setEnabled(false);
    m_flam.Timer2.setEnabled(false);
    m_flam.Timer3.setEnabled(false);
    m_sounds.StopSound();
    m_player.stani2();
    m_player.setTxtmidi(QString());
}

void Metronome::setLblcd(const QString& caption)
{
    setCaption(m_lblcd, caption, MainControl::lblcd);
}

void Metronome::setText2(const QString& caption)
{
    setCaption(m_Text2, caption, MainControl::Text2);
}

void Metronome::setLblTempo(const QString& caption)
{
    setCaption(m_lblTempo, caption, MainControl::lblTempo);
}

void Metronome::setCaption(QString& field, const QString& caption, MainControl control)
{
    if (caption == field)
        return;
    field = caption;
    m_view.controlChanged(control);
}

void Metronome::setRitam(const QString& text)
{
    if (text == m_Ritam)
        return;
    m_Ritam = text;
    Ritam_Change();
}

const ImageState& Metronome::image(MainControl control) const
{
    return const_cast<Metronome*>(this)->imageRef(control);
}

ImageState& Metronome::imageRef(MainControl control)
{
    switch (control) {
    case MainControl::Image10:
        return m_Image10;
    case MainControl::Image11:
        return m_Image11;
    case MainControl::Image12:
        return m_Image12;
    case MainControl::Image5:
        return m_Image5;
    case MainControl::imz:
        return m_imz;
    case MainControl::Image4:
        return m_Image4;
    case MainControl::imstop:
    default:
        return m_imstop;
    }
}

void Metronome::setPicture(MainControl control, ShownPicture picture)
{
    ImageState& state = imageRef(control);
    if (state.picture == picture)
        return;
    state.picture = picture;
    m_view.controlChanged(control);
}

void Metronome::setVisible(MainControl control, bool visible)
{
    ImageState& state = imageRef(control);
    if (state.visible == visible)
        return;
    state.visible = visible;
    m_view.controlChanged(control);
}

void Metronome::setImstopToolTip(const QString& text)
{
    if (m_imstop.toolTip == text)
        return;
    m_imstop.toolTip = text;
    m_view.controlChanged(MainControl::imstop);
}

std::uint32_t Metronome::customTempoFlag() const
{
    return m_view.dialClockBackColor();
}

void Metronome::disableStepTimers()
{
    m_flam.Timer1.setEnabled(false);
    m_flam.Timer2.setEnabled(false);
}

void Metronome::stopPlayerAndTone()
{
    m_sounds.StopSound();
    m_player.stani2();
    m_player.setTxtmidi(QString());
}

double Metronome::readDialTempo()
{
    // Characters 4 and 5 of "hh:nn:ss" are the minutes; the dial's text always has two-digit
    // hours, whatever the desktop's time format.
    const double tempo = Val(m_Text1.mid(3, 2)) * 3;
    setText2(Str(tempo));
    m_flam.setLabel3(Str(tempo));
    return tempo;
}

bool Metronome::isTempo(double tempo)
{
    return tempo != 0 && tempo < kNoDialTempoFrom;
}

void Metronome::imstop_Click()
{
    if (m_imstop.picture == ShownPicture::stopg) {
        setPicture(MainControl::imstop, ShownPicture::playg);
        setImstopToolTip(QStringLiteral("PLAY"));
        m_sounds.StopSound();
        m_flam.Timer1.setEnabled(false);
        m_flam.Timer2.setEnabled(false);
        m_flam.Timer3.setEnabled(false);
        setVisible(MainControl::imz, false);
        setVisible(MainControl::Image4, false);
        setPicture(MainControl::Image5, ShownPicture::Image2);
        setVisible(MainControl::Image5, true);
    } else if (m_imstop.picture == ShownPicture::playg) {
        setPicture(MainControl::imstop, ShownPicture::stopg);
        setImstopToolTip(QStringLiteral("STOP"));
        if (customTempoFlag() != 0)
            kmnPlay2();
        else
            kmnPlay1();
    }
}

QString Metronome::imstopToolTip() const
{
    return running() ? QStringLiteral(" STOP ") : QStringLiteral(" PLAY ");
}

void Metronome::Picture1_KeyDown(int KeyCode, [[maybe_unused]] int Shift, bool autoRepeat)
{
    int step = 0;
    switch (KeyCode) {
    case kKeyEnter:
        if (!autoRepeat)
            imstop_Click();
        return;
    case kKeyUp:
    case kKeyRight:
        step = 1;
        break;
    case kKeyLeft:
    case kKeyDown:
        step = -1;
        break;
    default:
        return;
    }
    m_view.setSliderPosition(m_view.sliderPosition() + step);
    const std::int32_t position = m_view.sliderPosition();
    m_player.DajJako(position);
    saveVolume(position);
}

void Metronome::saveVolume(std::int32_t position)
{
    m_platform.settings->save(StoredValues::Volme, position);
}

void Metronome::SliderPic1_PositionChanged(
    [[maybe_unused]] std::int32_t& oldPosition, std::int32_t& newPosition)
{
    // The slider stores the new position only after this handler: CurPosition is still the old.
    saveVolume(newPosition);
    m_player.DajJako(newPosition);
    m_view.focusPicture1();
}

void Metronome::AnalogClock1_Change()
{
    disableStepTimers();
    if (playsReference(m_lblcd)) {
        stopPlayerAndTone();
        setLblcd(kMM);
    }
    if (customTempoFlag() == kCustomTempoFlag)
        m_view.setDialClockBackColor(0);
    m_Text1 = m_view.dialValueText();
    readDialTempo();
    if (m_lblcd == kMM)
        tempoOznake(m_Text2);
    m_Text.clear();
    m_vreme.clear();
    CheckDialTempo();
    // A valid tempo leaves the toggle stopped here, so every dial move (re)starts the beat.
    imstop_Click();
    m_view.focusPicture1();
}

void Metronome::CheckDialTempo()
{
    const double tempo = readDialTempo();
    if (!isTempo(tempo)) {
        if (running())
            imstop_Click();
        setVisible(MainControl::imstop, false);
        return;
    }
    if (running())
        imstop_Click();
    setPicture(MainControl::imstop, ShownPicture::playg);
    setVisible(MainControl::imstop, true);
    if (m_lblcd.isEmpty() || m_lblcd == kMM)
        tempoOznake(m_Text2);
}

void Metronome::kmnPlay1()
{
    m_player.DajJako(m_view.sliderPosition());
    if (!isTempo(readDialTempo())) {
        disableStepTimers();
        setText2(QString());
        // Nothing plays, so the toggle must not read as running: the next toggle starts again.
        setPicture(MainControl::imstop, ShownPicture::playg);
        setImstopToolTip(QStringLiteral("PLAY"));
        return;
    }
    if (m_Ritam == u"1/4")
        StartQuarterBeat();
    else if (m_Ritam == u"1/8")
        StartEighthBeat();
    else if (m_Ritam == u"1/16")
        StartSixteenthBeat();
}

void Metronome::kmnPlay2()
{
    m_player.DajJako(m_view.sliderPosition());
    m_flam.setLabel3(m_Text2);
    tempoOznake(m_Text2);
    // A typed tempo always plays quarter notes.
    setPicture(MainControl::Image10, ShownPicture::cb);
    setRitam(QStringLiteral("1/4"));
    setPicture(MainControl::imstop, ShownPicture::stopg);
    setVisible(MainControl::imstop, true);
    StartQuarterBeat();
}

void Metronome::startFromDialog()
{
    if (customTempoFlag() != 0) {
        kmnPlay2();
        return;
    }
    // kmnPlay1 alone would find the toggle at PLAY and start nothing.
    if (m_imstop.visible && m_imstop.picture == ShownPicture::playg)
        imstop_Click();
    else
        kmnPlay1();
}

void Metronome::StartQuarterBeat()
{
    StartBeat(Subdivision::Quarter);
}

void Metronome::StartEighthBeat()
{
    StartBeat(Subdivision::Eighth);
}

void Metronome::StartSixteenthBeat()
{
    StartBeat(Subdivision::Sixteenth);
}

void Metronome::StartBeat(Subdivision subdivision)
{
    if (m_imstop.picture == ShownPicture::playg)
        return;
    static const std::array<QString, 3> texts { QStringLiteral("1/4"), QStringLiteral("1/8"),
        QStringLiteral("1/16") };
    setRitam(texts[static_cast<std::size_t>(subdivision)]);
    if (!m_imstop.visible)
        return;
    // Steps per minute: the tempo, twice it or four times it, exactly, so that the beat plays at
    // the tempo shown.
    if (subdivision == Subdivision::Quarter)
        m_flam.setLabel3(m_Text2);
    else
        m_flam.setLabel3(NumText(Val(m_Text2) * (subdivision == Subdivision::Eighth ? 2 : 4)));
    setPicture(MainControl::Image5, ShownPicture::Image1);
    if (FlamencoMode) {
        m_flam.setTxtRit(BeatPattern);
        m_flam.setTxtBB(PatternStart);
        m_flam.Flamenko(BeatPattern);
        return;
    }
    if (subdivision == Subdivision::Quarter) {
        m_flam.Timer2.setEnabled(true);
        m_flam.SvirajNormal(BeatPattern);
    } else {
        m_flam.SvirajNormal(BeatPattern);
        m_flam.Timer2.setEnabled(true);
    }
}

void Metronome::Image10_Click()
{
    if (m_imstop.visible)
        StartQuarterBeat();
}

void Metronome::Image11_Click()
{
    if (m_imstop.visible)
        StartEighthBeat();
}

void Metronome::Image12_Click()
{
    if (m_imstop.visible)
        StartSixteenthBeat();
}

void Metronome::Ritam_Change()
{
    struct Row
    {
        const char* text;
        ShownPicture quarter;
        ShownPicture eighth;
        ShownPicture sixteenth;
    };

    static constexpr std::array<Row, 3> rows { {
        { "1/4", ShownPicture::cb, ShownPicture::og, ShownPicture::sg },
        { "1/8", ShownPicture::cg, ShownPicture::ob, ShownPicture::sg },
        { "1/16", ShownPicture::cg, ShownPicture::og, ShownPicture::sb },
    } };
    for (const Row& row : rows) {
        if (m_Ritam == QLatin1String(row.text)) {
            setPicture(MainControl::Image10, row.quarter);
            setPicture(MainControl::Image11, row.eighth);
            setPicture(MainControl::Image12, row.sixteenth);
        }
    }
}

bool Metronome::acceptCustomTempo(const QString& answer)
{
    // The typed tempo becomes the click rate as it stands (quarter notes) and four times it in
    // sixteenths, so it must be one the engine can time at both; anything else would leave the
    // old tempo playing under the new text.
    const double tempo = Val(answer);
    if (IsNumeric(answer) && tempo >= kMinCustomTempo && tempo <= kMaxCustomTempo)
        return true;
    m_platform.boxes->msgBox(QStringLiteral("Please enter a tempo from %1 to %2 beats per minute.")
                                 .arg(NumText(kMinCustomTempo), NumText(kMaxCustomTempo)),
        MsgButtons::OK, MsgIcon::Critical, QStringLiteral("Set Metronome Tempo"));
    return false;
}

void Metronome::Text2_Click()
{
    disableStepTimers();
    if (running())
        imstop_Click();
    if (playsReference(m_lblcd)) {
        stopPlayerAndTone();
        setLblcd(kMM);
        setText2(QString());
        setLblTempo(QString());
    }
    const QString answer = m_platform.boxes->inputBox(QStringLiteral("Enter custom Tempo Value."),
        QStringLiteral("Set Metronome Tempo"), QStringLiteral("120"));
    if (answer.isEmpty() || !acceptCustomTempo(answer))
        return;
    m_view.setDialValue(0);
    setText2(answer);
    m_view.setDialClockBackColor(kCustomTempoFlag);
    kmnPlay2();
}

QString Metronome::lblTempoToolTip() const
{
    return m_lblcd == kPITCH ? QStringLiteral("STOP Tuner") : m_lblTempo;
}

void Metronome::tempoOznake(const QString& TempoText)
{
    if (FlamencoMode)
        return;
    const double tempo = Val(TempoText);
    if (tempo == 0) {
        setLblTempo(QString());
        return;
    }
    if (m_lblcd != kMM)
        return;
    if (tempo < 0) {
        setLblTempo(QString());
        return;
    }
    setLblTempo(tempoMarking(tempo) + QStringLiteral("  on ") + m_txtneakc2);
}

void Metronome::Bitovi(int Index)
{
    static const std::array<QString, 6> patterns { QStringLiteral("U"), QStringLiteral("UD"),
        QStringLiteral("UDD"), QStringLiteral("UDDD"), QStringLiteral("UDUDD"),
        QStringLiteral("ADDUDD") };
    if (running())
        imstop_Click();
    FlamencoMode = false;
    if (playsReference(m_lblcd)) {
        stopPlayerAndTone();
        m_view.setDialValue(0);
        setText2(QString());
        setLblTempo(QString());
    }
    setLblcd(kMM);
    if (Index == 7) {
        m_view.showClickSoundDialog();
        return;
    }
    FlamMenus& menus = m_flam.menus();
    for (int i = 0; i < 6; ++i) {
        if (MenuEntry* entry = menus.entry(u"mnuBeat", i))
            entry->setChecked(false);
    }
    if (MenuEntry* chosen = menus.entry(u"mnuBeat", Index))
        chosen->setChecked(!chosen->checked());
    if (Index >= 0 && Index < 6)
        BeatPattern = patterns[static_cast<std::size_t>(Index)];
    m_txtneakc2 = QStringLiteral(" ") + QString::number(Index + 1);
    tempoOznake(m_Text2);
}

void Metronome::Picka(int Index)
{
    if (Index != 12)
        return;
    stopPlayerAndTone();
    m_view.setDialValue(0);
    setText2(QString());
    setLblcd(kPITCH);
}

void Metronome::setImage5Visible(bool visible)
{
    setVisible(MainControl::Image5, visible);
}

void Metronome::setImzVisible(bool visible)
{
    setVisible(MainControl::imz, visible);
}

void Metronome::setImage4Visible(bool visible)
{
    setVisible(MainControl::Image4, visible);
}
