#include "piano/frmMidiPiano.h"

#include "controls/ControlFonts.h"
#include "controls/GGCommand.h"
#include "controls/Knob.h"
#include "controls/SliderPic.h"
#include "controls/Twips.h"
#include "controls/clsResize.h"
#include "piano/ChordScalePanels.h"
#include "piano/PianoKeyCodes.h"
#include "piano/PianoPictures.h"
#include "piano/frmDrums.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/basic/WakeTimer.h"
#include "players/clsMusic.h"
#include "windows/PopupMenus.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace {

constexpr QSize kWindowSize(750, 300);
constexpr int kCorner = 60;
constexpr int kKeysLeft = 45;
constexpr int kKeysTop = 160;
constexpr QSize kWhite(30, 120);
constexpr QSize kBlack(18, 76);
constexpr QRect kSustainPlace(340, 118, 60, 30);
constexpr int kDesignWidthTwips = 11250;
// How often the keys' return looks whether a box is still open.
constexpr int kBoxPollMs = 50;
// The accompaniment's controls, in the window's upper right corner beside the drum pads.
constexpr QRect kRhythmPlace(666, 44, 52, 22);
constexpr QRect kStopRhythmPlace(666, 70, 22, 22);
constexpr QRect kLabel10Place(666, 96, 56, 16);
constexpr QRect kRateStripPlace(724, 40, 12, 82); // its top where a new style puts the pointer
constexpr QSize kRatePointer(12, 8);
// The media player's controls, beside the device labels.
constexpr int kMediaLeft = 214;
constexpr int kDeviceLabelWidth = kMediaLeft - 34;

const char* const kNoteNames[12] = { "C", "C#/Db", "D", "D#/Eb", "E", "F", "F#/Gb", "G", "G#/Ab",
    "A", "A#/Bb", "B/H" };

// Where key k sits: white keys side by side, each black key over the gap before the next white.
QRect keyPlace(int k)
{
    static const int whiteBefore[12] = { 0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6 };
    const int pitch = k % 12;
    const bool black = pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
    const int white = (k / 12) * 7 + whiteBefore[pitch];
    const int x = kKeysLeft + white * kWhite.width();
    if (black)
        return { QPoint(x - kBlack.width() / 2, kKeysTop), kBlack };
    return { QPoint(x, kKeysTop), kWhite };
}

bool isBlack(int k)
{
    return keyPlace(k).width() == kBlack.width();
}

// The pads' labels in the keypad's own arrangement.
const char* const kPadCaptions[PianoCore::kPadCount] = { "/", "*", "-", "7", "8", "9", "4", "5",
    "6", "1", "2", "3" };

} // namespace

// One key of the keyboard, or the sustain key: its two pictures and the mouse.
class PianoKey : public QWidget
{
public:
    PianoKey(QWidget* parent, int index, const QString& up, const QString& down)
        : QWidget(parent)
        , m_index(index)
        , m_up(pianoPicture(up))
        , m_down(pianoPicture(down))
    {
        setFocusPolicy(Qt::NoFocus);
    }

    std::function<void(int)> pressed, released, clicked;

    void showDown(bool down)
    {
        m_shownDown = down;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(rect(), m_shownDown ? m_down : m_up);
    }

    void mousePressEvent(QMouseEvent*) override { pressed(m_index); }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        released(m_index);
        if (rect().contains(event->position().toPoint()))
            clicked(m_index);
    }

private:
    int m_index;
    QImage m_up, m_down;
    bool m_shownDown = false;
};

// A drum pad's label: a click selects the pad.
class PadLabel : public QLabel
{
public:
    using QLabel::QLabel;
    std::function<void()> clicked;

protected:
    void mousePressEvent(QMouseEvent*) override { clicked(); }
};

// The tempo strip: the mouse's y in the strip's own pixels.
class RateStripLabel : public QLabel
{
public:
    using QLabel::QLabel;
    std::function<void(int)> pressed, moved;
    std::function<void()> released;

protected:
    void mousePressEvent(QMouseEvent* event) override { pressed(event->position().toPoint().y()); }

    void mouseMoveEvent(QMouseEvent* event) override { moved(event->position().toPoint().y()); }

    void mouseReleaseEvent(QMouseEvent*) override { released(); }
};

frmMidiPiano::frmMidiPiano(Platform& platform, PopupMenus& menus, std::function<void(bool)> closed)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_platform(platform)
    , m_menus(menus)
    , m_closed(std::move(closed))
    , m_core(*platform.midiOut, menus, *platform.boxes, view(), makeQtWakeTimer())
    , m_keyFilter(
          [this](int code) {
              m_panels->keyPressed();
              if (m_core.keyDown(code))
                  unloadWindow(true);
          },
          [this](int code) {
              m_core.keyUp(code);
          })
{
    setWindowTitle(QStringLiteral("MIDI Piano"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(kWindowSize);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_mediaPlayer = std::make_unique<clsMusic>(platform);
    placeControls();
    placeBeatControls();
    placeMediaControls();
    m_panels = std::make_unique<ChordScalePanels>(*this, m_core, platform, [this] {
        focusPicPozadina();
    });

    const auto width = std::clamp<std::int64_t>(pixelsToTwips(this->width()), 0, INT16_MAX);
    clsResize().ResizeKlavir(*this, kDesignWidthTwips, static_cast<std::int16_t>(width));
    setMask(roundedMask(size(), kCorner));

    QFile list(platform.programFolder + QStringLiteral("/Inslst.dat"));
    const QByteArray bytes = list.open(QIODevice::ReadOnly) ? list.readAll() : QByteArray();
    m_core.load(parseInstrumentList(bytes));
}

frmMidiPiano::~frmMidiPiano()
{
    stopOnce();
    delete m_drums;
}

bool frmMidiPiano::stopOnce()
{
    if (m_unloaded)
        return false;
    m_unloaded = true;
    m_keyFilter.clear();
    m_beat->stop();
    m_panels->unload();
    m_core.unload();
    m_tmrTimer->stop();
    m_mediaPlayer->StopPlaying();
    return true;
}

PianoView frmMidiPiano::view()
{
    PianoView v;
    v.keyShown = [this](int k, bool down) {
        const int slot = k == PianoCore::kSustainKey ? PianoCore::kKeyCount : k;
        if (m_keys[slot])
            m_keys[slot]->showDown(down);
    };
    v.setLabel3 = [this](const QString& text) {
        m_label3->setText(text);
    };
    v.setLabel9 = [this](const QString& text) {
        m_label9->setText(text);
    };
    v.setLblInst = [this](const QString& text) {
        m_lblInst->setText(text);
    };
    v.focusBackground = [this] {
        setFocus();
    };
    return v;
}

QLabel* frmMidiPiano::label(const QRect& place, const QString& text, int points)
{
    auto* made = new QLabel(text, this);
    made->setGeometry(place);
    made->setFont(controlFont(QStringLiteral("Arial"), points));
    made->setStyleSheet(QStringLiteral("color: #9fe07a; background: transparent;"));
    made->setFocusPolicy(Qt::NoFocus);
    return made;
}

void frmMidiPiano::placeControls()
{
    m_label9 = label({ 30, 30, kDeviceLabelWidth, 20 }, QStringLiteral("MIDI Mapper"), 9);
    m_label3 = label({ 30, 54, kDeviceLabelWidth, 20 }, QStringLiteral("Chanel: 1   Base: 60"), 9);
    m_lblInst = label({ 30, 78, kDeviceLabelWidth, 20 }, QStringLiteral("Acoustic Grand Piano"), 9);
    label({ 340, 16, 60, 14 }, QStringLiteral("Velocity"), 7);
    m_label14 = label({ 400, 50, 40, 16 }, QStringLiteral("100"), 8);

    m_knob2 = new Knob(this);
    m_knob2->setGeometry(350, 38, 40, 40);
    m_knob2->setFocusPolicy(Qt::NoFocus);
    connect(m_knob2, &Knob::Changed, this, [this] {
        m_core.setKnobValue(m_knob2->KnobValue());
        m_label14->setText(QString::number(m_knob2->KnobValue()));
    });

    m_instrument = makePianoButton(this, { 450, 30, 84, 22 }, QStringLiteral("Instrument"),
        QStringLiteral("Select Instrument"));
    m_options = makePianoButton(this, { 450, 60, 84, 22 }, QStringLiteral("Options"), QString());
    m_close = makePianoButton(this, { 706, 18, 22, 22 }, QStringLiteral("r"),
        QStringLiteral("Close"), QStringLiteral("glyph_close"));
    // Whatever is chosen from the piano's menus, or none, the keys play again afterwards.
    connect(m_instrument, &GGCommand::Click, this, [this] {
        m_menus.popup(u"mnuMain", 0, QCursor::pos(), *this, [this] {
            focusPicPozadina();
        });
    });
    connect(m_options, &GGCommand::Click, this, [this] {
        m_menus.popup(u"mnuOptions", PopupMenus::kNoIndex, QCursor::pos(), *this, [this] {
            focusPicPozadina();
        });
    });
    connect(m_close, &GGCommand::Click, this, [this] {
        unloadWindow(false);
    });

    for (int i = 0; i < PianoCore::kPadCount; ++i) {
        auto* pad = new PadLabel(QString::fromLatin1(kPadCaptions[i]), this);
        pad->setGeometry(560 + (i % 3) * 34, 22 + (i / 3) * 26, 30, 22);
        pad->setAlignment(Qt::AlignCenter);
        pad->setStyleSheet(QStringLiteral(
            "color: #f0e0b0; background: #3a2a1a; border: 1px solid #8a6a40; border-radius: 4px;"));
        pad->setToolTip(QStringLiteral(" Drum pad %1 ").arg(i + 1));
        pad->clicked = [this, i] {
            m_core.Drum2(i);
        };
    }

    // White keys first, so that the black keys lie over them.
    for (const bool black : { false, true }) {
        for (int k = 0; k < PianoCore::kKeyCount; ++k) {
            if (isBlack(k) != black)
                continue;
            auto* key = new PianoKey(this, k,
                black ? QStringLiteral("black_up") : QStringLiteral("white_up"),
                black ? QStringLiteral("black_down") : QStringLiteral("white_down"));
            key->setGeometry(keyPlace(k));
            key->setToolTip(QStringLiteral(" %1 ").arg(QString::fromLatin1(kNoteNames[k % 12])));
            m_keys[k] = key;
        }
    }
    auto* sustain = new PianoKey(
        this, PianoCore::kSustainKey, QStringLiteral("sustain_up"), QStringLiteral("sustain_down"));
    sustain->setGeometry(kSustainPlace);
    m_keys[PianoCore::kKeyCount] = sustain;
    for (PianoKey* key : m_keys) {
        key->pressed = [this](int k) {
            m_core.keyMouseDown(k);
        };
        key->released = [this](int k) {
            m_core.keyMouseUp(k);
        };
        key->clicked = [this](int k) {
            m_core.key_Click(k);
        };
    }
}

void frmMidiPiano::placeBeatControls()
{
    m_rhythm = makePianoButton(
        this, kRhythmPlace, QStringLiteral("Rhythm"), QStringLiteral("Select Rhythm"));
    m_stopRhythm = makePianoButton(this, kStopRhythmPlace, QStringLiteral("<"),
        QStringLiteral("Stop Rhythm"), QStringLiteral("glyph_stop"));
    m_stopRhythm->setEnabled(false);
    m_label10 = label(kLabel10Place, QString(), 7);
    m_lblRate = new RateStripLabel(this);
    m_lblRate->setGeometry(kRateStripPlace);
    m_lblRate->setToolTip(QStringLiteral("Tempo"));
    m_lblRate->setFocusPolicy(Qt::NoFocus);
    m_lblRate->setStyleSheet(
        QStringLiteral("background: #20140c; border: 1px solid #8a6a40; border-radius: 3px;"));
    m_line1 = new QFrame(this);
    m_line1->setStyleSheet(QStringLiteral("background: #9fe07a;"));
    m_line1->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_lblRatePtr = new QLabel(this);
    m_lblRatePtr->setPixmap(QPixmap::fromImage(pianoPicture(QStringLiteral("rate_pointer"))));
    m_lblRatePtr->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_lblRatePtr->setGeometry(QRect(kRateStripPlace.topLeft(), kRatePointer));

    m_beat = std::make_unique<BeatAccompaniment>(
        m_core, *m_platform.midiOut,
        [this] {
            return m_platform.audio->now();
        },
        makeQtWakeTimer(), beatView());
    // The pointer starts where the timer's design interval reads off the strip.
    beatView().setPointerTop(
        BeatAccompaniment::pointerTopFor(BeatAccompaniment::kDesignIntervalMs, rateStrip()));

    connect(m_rhythm, &GGCommand::Click, this, [this] {
        m_menus.popup(u"mnuMain", 2, QCursor::pos(), *this, [this] {
            if (!m_unloaded)
                m_stopRhythm->setEnabled(true);
            focusPicPozadina();
        });
    });
    connect(m_stopRhythm, &GGCommand::Click, this, [this] {
        m_beat->GGCommand6_Click();
    });
    m_lblRate->pressed = [this](int y) {
        m_beat->lblRate_MouseDown(pixelsToTwips(y), rateStrip());
    };
    m_lblRate->moved = [this](int y) {
        m_beat->lblRate_MouseMove(pixelsToTwips(y), rateStrip());
    };
    m_lblRate->released = [this] {
        m_beat->lblRate_MouseUp();
    };
}

BeatView frmMidiPiano::beatView()
{
    BeatView v;
    v.setLabel10 = [this](const QString& text) {
        m_label10->setText(text);
    };
    v.setStopEnabled = [this](bool enabled) {
        m_stopRhythm->setEnabled(enabled);
    };
    // Line1 runs from the pointer's lower edge to the strip's bottom.
    v.setPointerTop = [this](int twips) {
        const QRect strip = m_lblRate->geometry();
        const int top = static_cast<int>(twipsToPixels(twips));
        m_lblRatePtr->move(strip.left(), top);
        const int lineTop = top + m_lblRatePtr->height();
        m_line1->setGeometry(strip.center().x(), lineTop, 1, std::max(0, strip.bottom() - lineTop));
    };
    v.rateStrip = [this] {
        return rateStrip();
    };
    return v;
}

RateStrip frmMidiPiano::rateStrip() const
{
    const QRect strip = m_lblRate->geometry();
    return { static_cast<int>(pixelsToTwips(strip.top())),
        static_cast<int>(pixelsToTwips(strip.height())),
        static_cast<int>(pixelsToTwips(m_lblRatePtr->height())) };
}

void frmMidiPiano::placeMediaControls()
{
    m_openMedia = makePianoButton(this, { kMediaLeft, 30, 22, 22 }, QStringLiteral("\u00AF"),
        QStringLiteral("Open Media"), QStringLiteral("glyph_open"));
    m_toggle = makePianoButton(this, { kMediaLeft + 24, 30, 22, 22 }, QStringLiteral(";"),
        QStringLiteral("Pause"), QStringLiteral("glyph_pause"));
    m_stopMedia = makePianoButton(this, { kMediaLeft + 48, 30, 22, 22 }, QStringLiteral("<"),
        QStringLiteral("Stop"), QStringLiteral("glyph_stop"));
    m_toggle->setForeColor(0);
    m_stopMedia->setForeColor(0);
    m_knob1 = new Knob(this);
    m_knob1->setGeometry(kMediaLeft + 76, 28, 26, 26);
    m_knob1->setFocusPolicy(Qt::NoFocus);
    m_knob1->setToolTip(QStringLiteral("Volume"));
    m_label4 = label({ kMediaLeft + 104, 34, 24, 14 }, QStringLiteral("100"), 7);
    m_slider1 = new SliderPic(this);
    m_slider1->setGeometry(kMediaLeft, 60, 120, 16);
    m_slider1->setFocusPolicy(Qt::NoFocus);
    (void)m_slider1->setBackStyle(0);
    m_slider1->setDisabledStyle(1);
    m_slider1->setEnabled(false);
    m_label15 = label({ kMediaLeft, 80, 120, 16 }, QString(), 8);
    m_tmrTimer = new QTimer(this);
    m_tmrTimer->setInterval(100);

    m_music = std::make_unique<MusicPlayer>(*m_mediaPlayer);
    m_player = std::make_unique<PianoMediaPlayer>(
        *m_music, mediaView(),
        [this] {
            m_core.closeOutput();
        },
        [this] {
            m_core.Uredjaj(m_core.chosenDevice());
        });
    chooseMediaFile = [this] {
        return QFileDialog::getOpenFileName(this, QString(), QString(),
            QStringLiteral("Audio Files (*.wav *.mp3 *.mid *.wma *.ogg);;All Files (*)"));
    };
    m_toggle->setEnabled(false);
    m_stopMedia->setEnabled(false);
    connect(m_openMedia, &GGCommand::Click, this, [this] {
        const QString name = chooseMediaFile();
        if (m_unloaded)
            return;
        m_player->open(name);
        // The file dialog had the keys: they play along with the file now.
        focusPicPozadina();
    });
    connect(m_toggle, &GGCommand::Click, this, [this] {
        m_player->GGCommand15_Click();
    });
    connect(m_stopMedia, &GGCommand::Click, this, [this] {
        m_player->GGCommand14_Click();
    });
    connect(m_tmrTimer, &QTimer::timeout, this, [this] {
        m_player->tmrTimer_Timer();
    });
    connect(m_knob1, &Knob::Changed, this, [this] {
        m_player->Knob1_Changed(m_knob1->KnobValue());
    });
    // The slider stores its new position only after this event: seek to the one it carries.
    connect(m_slider1, &SliderPic::PositionChanged, this,
        [this](std::int32_t&, std::int32_t& newPosition) {
            m_player->SliderPic1_PositionChanged(newPosition);
        });
}

MediaView frmMidiPiano::mediaView()
{
    MediaView v;
    v.setButtonsEnabled = [this](bool enabled) {
        m_toggle->setEnabled(enabled);
        m_stopMedia->setEnabled(enabled);
    };
    // The toggle's text colour is what tells playing from paused; the glyph follows it.
    v.showPaused = [this](bool paused) {
        m_toggle->setForeColor(paused ? PianoMediaPlayer::kPausedColour : 0);
        m_toggle->setCaption(paused ? QStringLiteral("4") : QStringLiteral(";"));
        m_toggle->setToolTip(paused ? QStringLiteral("Play") : QStringLiteral("Pause"));
        m_toggle->setCaptionGlyph(
            pianoPicture(paused ? QStringLiteral("glyph_play") : QStringLiteral("glyph_pause")));
    };
    v.prepareSlider = [this](std::int32_t max) {
        m_slider1->setEnabled(true);
        (void)m_slider1->setMin(0);
        (void)m_slider1->setMax(max);
        m_slider1->setCurPosition(0);
    };
    v.setSliderPosition = [this](std::int32_t at) {
        m_slider1->setCurPosition(at);
    };
    v.sliderHeld = [this] {
        return m_slider1->dragging();
    };
    v.setTimerRunning = [this](bool running) {
        if (running)
            m_tmrTimer->start();
        else
            m_tmrTimer->stop();
    };
    v.setLabel15 = [this](const QString& text) {
        m_label15->setText(text);
    };
    v.setLabel4 = [this](const QString& text) {
        m_label4->setText(text);
    };
    return v;
}

void frmMidiPiano::mnBeat(int Index)
{
    m_beat->mnBeat(Index);
}

void frmMidiPiano::focusPicPozadina()
{
    if (m_unloaded || !isVisible() || m_focusPending)
        return;
    // A menu's choice may have opened a box (the base note, a device that failed), whose own
    // event loop runs this before the box has been answered: the keys stay with the box and
    // come to the piano once it is gone.
    if (QApplication::activeModalWidget()) {
        m_focusPending = true;
        QTimer::singleShot(kBoxPollMs, this, [this] {
            m_focusPending = false;
            focusPicPozadina();
        });
        return;
    }
    activateWindow();
    setFocus();
}

void frmMidiPiano::setLabel10Caption(const QString& caption)
{
    m_label10->setText(caption);
}

void frmMidiPiano::setCombo1Text(const QString& text)
{
    m_panels->setCombo1Text(text);
}

void frmMidiPiano::setPratnjaAvailable(bool available)
{
    m_panels->Pratnja()->setEnabled(available);
}

void frmMidiPiano::setLblInstCaption(const QString& caption)
{
    m_lblInst->setText(caption);
}

void frmMidiPiano::showFrmDrums()
{
    if (!m_drums)
        m_drums = new frmDrums(*this, m_menus, *m_platform.boxes);
    m_drums->show();
    m_drums->raise();
}

bool frmMidiPiano::event(QEvent* event)
{
    // The background takes Tab as a key like any other, never as a move of the focus.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            if (event->type() == QEvent::KeyPress)
                keyPressEvent(key);
            else
                keyReleaseEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void frmMidiPiano::paintEvent(QPaintEvent*)
{
    static const QImage background = pianoPicture(QStringLiteral("background"));
    QPainter(this).drawImage(rect(), background);
}

void frmMidiPiano::keyPressEvent(QKeyEvent* event)
{
    if (!m_unloaded)
        m_keyFilter.press(pianoKeyCode(*event), event->isAutoRepeat(), event->timestamp());
}

void frmMidiPiano::keyReleaseEvent(QKeyEvent* event)
{
    if (!m_unloaded)
        m_keyFilter.release(pianoKeyCode(*event), event->isAutoRepeat(), event->timestamp());
}

void frmMidiPiano::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
}

void frmMidiPiano::mouseMoveEvent(QMouseEvent*)
{
    setFocus();
}

void frmMidiPiano::closeEvent(QCloseEvent* event)
{
    unloadWindow(false);
    QWidget::closeEvent(event);
}

void frmMidiPiano::Form_Unload()
{
    unloadWindow(false);
}

void frmMidiPiano::unloadWindow(bool byEscape)
{
    if (!stopOnce())
        return;
    if (m_drums)
        m_drums->hide();
    hide();
    if (m_closed)
        m_closed(byEscape);
}
