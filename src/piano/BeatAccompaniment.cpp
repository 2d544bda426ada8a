#include "piano/BeatAccompaniment.h"

#include "piano/PianoCore.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/WakeTimer.h"

#include <algorithm>

#include <QStringList>

BeatAccompaniment::BeatAccompaniment(PianoCore& piano,
    MidiOut& midi,
    std::function<std::int64_t()> now,
    std::unique_ptr<WakeTimer> wake,
    BeatView view,
    std::array<basMidi1::BeatStyle, 4> styles)
    : m_piano(piano)
    , m_view(std::move(view))
    , m_stepper(midi, std::move(now), std::move(wake))
    , m_styles(std::move(styles))
{
    m_stepper.onStep = [this](std::size_t, std::int64_t due) {
        placeStep(due);
    };
}

void BeatAccompaniment::mnBeat(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(m_styles.size()))
        return;
    m_styleIndex = Index;
    m_step = 0;
    m_section = 0;
    // A stop pressed while the style before finished its section belongs to that style.
    m_nextSection = kNoRequest;
    m_interval = m_styles[std::size_t(Index)].Interval;
    // The strip reads the tempo the style plays at, so a click where the pointer sits keeps it.
    if (m_view.setPointerTop && m_view.rateStrip)
        m_view.setPointerTop(pointerTopFor(m_interval, m_view.rateStrip()));
    // From the intro at once, on a grid of its own.
    m_stepper.startEndless(m_interval);
}

void BeatAccompaniment::tmrBeat_Timer(std::optional<std::int64_t> at)
{
    if (m_section < 0)
        return;
    const QStringList sections = m_styles[std::size_t(m_styleIndex)].Pattern.split(u';');
    // A section the pattern lacks has no steps: it ends at once by the rules below.
    const QStringList steps = sections.value(m_section).split(u'|');
    if (m_section < sections.size()) {
        for (const QString& text : steps.value(m_step).split(u',')) {
            bool number = false;
            const int note = text.toInt(&number);
            if (number && note >= 0 && note <= 127)
                m_piano.beatNoteOn(note, at);
        }
    }
    ++m_step;
    if (m_section >= sections.size() || m_step > steps.size() - 1) {
        if (m_nextSection >= kSilent) {
            m_section = m_nextSection;
            m_nextSection = kNoRequest;
        } else if (m_section == 4) {
            m_section = kSilent;
        } else if (m_section != 1) {
            m_section = 1;
        }
        m_step = 0;
    }
}

void BeatAccompaniment::placeStep(std::int64_t due)
{
    tmrBeat_Timer(due);
    if (m_section < 0)
        m_stepper.stop();
}

void BeatAccompaniment::GGCommand6_Click()
{
    m_nextSection = kSilent;
    if (m_view.setLabel10)
        m_view.setLabel10(QString());
    if (m_view.setStopEnabled)
        m_view.setStopEnabled(false);
}

void BeatAccompaniment::stop()
{
    m_stepper.stop();
}

void BeatAccompaniment::setInterval(int ms)
{
    m_interval = ms;
    if (ms <= 0) {
        // The pointer at the top: the accompaniment stands at its step.
        m_stepper.stop();
    } else if (m_stepper.running()) {
        m_stepper.setIntervalMs(ms);
    } else if (m_section >= 0) {
        m_stepper.startEndless(ms);
    }
}

int BeatAccompaniment::pointerTopFor(int intervalMs, const RateStrip& strip)
{
    const int range = std::max(0, strip.height - strip.pointerHeight);
    const int ms = std::clamp(intervalMs, 0, kSlowestMs);
    return strip.top + static_cast<int>(roundHalfEven(double(ms) * range / kSlowestMs));
}

void BeatAccompaniment::lblRate_MouseDown(int Y, const RateStrip& strip)
{
    m_dragging = true;
    lblRate_MouseMove(Y, strip);
}

void BeatAccompaniment::lblRate_MouseMove(int Y, const RateStrip& strip)
{
    if (!m_dragging)
        return;
    const int range = strip.height - strip.pointerHeight;
    double y = Y - strip.pointerHeight / 2.0; // the pointer centred on the mouse
    if (y < 0)
        y = 0;
    if (range < y)
        y = range;
    if (m_view.setPointerTop)
        m_view.setPointerTop(qRound(strip.top + y));
    // A strip no taller than its pointer has no travel to read a tempo from.
    if (range <= 0)
        return;
    setInterval(CInt(y / range * kSlowestMs).value_or(kSlowestMs));
}
