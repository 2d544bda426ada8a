#include "players/clsMusic.h"

#include "platform/Platform.h"
#include "platform/media/MediaEngine.h"
#include "platform/media/MidiFileGraph.h"
#include "platform/midi/MidiFilePlayer.h"

#include <algorithm>

#include <QWindow>

namespace {

constexpr std::int32_t kSilent = -10000;
constexpr std::int32_t kFull = 0;
constexpr std::int32_t kRightOnly = 10000;
constexpr double kSlowest = 0.1;

} // namespace

clsMusic::clsMusic(Platform& platform)
    : m_platform(platform)
{}

clsMusic::~clsMusic()
{
    release();
}

void clsMusic::release()
{
    // The graph draws into the video window: it goes first.
    m_graph.reset();
    delete m_videoWindow.data();
    m_hasAudio = false;
    m_hasVideo = false;
}

int clsMusic::Width() const
{
    return m_hasVideo ? m_graph->videoSize().width() : 0;
}

int clsMusic::Height() const
{
    return m_hasVideo ? m_graph->videoSize().height() : 0;
}

void clsMusic::setFileName(const QString& name)
{
    m_fileName = name;
    if (m_graph)
        m_graph->stop();
    release();

    m_graph = createGraph(name);
    const bool rendered = m_graph->renderFile(name);
    m_hasAudio = rendered && m_graph->hasAudio();
    m_hasVideo = rendered && m_graph->hasVideo();
    if (m_hasVideo) {
        showVideoWindow();
        setPosition(0.0);
    }
}

std::unique_ptr<MediaGraph> clsMusic::createGraph(const QString& name) const
{
    // MIDI files play on our own sequencer and synth; the media engine has no MIDI synth.
    if (name.right(4).toUpper() == QLatin1String(".MID"))
        return std::make_unique<MidiFileGraph>(
            m_platform.midiFiles ? m_platform.midiFiles->newPlayer() : nullptr);
    return m_platform.media->createGraph();
}

void clsMusic::showVideoWindow()
{
    // Sized like the owner's outer frame; without an owner that size is empty and no window
    // shows, while the sound still plays.
    const QSize size = m_window ? m_window->frameGeometry().size() : QSize();
    if (size.isEmpty())
        return;
    // No Qt parent: the owner may be destroyed first, and the window must outlive the graph
    // that draws into it. The owner is its transient parent, so it stays above the owner.
    auto* window = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window->setAttribute(Qt::WA_NativeWindow);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setGeometry(QRect(QPoint(0, 0), size));
    window->winId();
    if (QWindow* owner = m_window->window()->windowHandle())
        window->windowHandle()->setTransientParent(owner);
    window->show();
    m_videoWindow = window;
    m_graph->showVideo(window->winId());
}

void clsMusic::Play()
{
    if (m_fileName.isEmpty() || !m_graph)
        return;
    // Exactly equal: the engine reports the end as the duration itself.
    if (Position() == Duration())
        setPosition(0.0);
    m_graph->run();
}

void clsMusic::Pause()
{
    if (m_graph)
        m_graph->pause();
}

void clsMusic::StopPlaying()
{
    if (m_graph)
        m_graph->stop();
}

double clsMusic::Position() const
{
    return m_graph ? m_graph->position() : 0.0;
}

void clsMusic::setPosition(double seconds)
{
    if (!m_graph)
        return;
    if (!(seconds >= 0.0))
        seconds = 0.0;
    else
        seconds = std::min(seconds, m_graph->duration());
    // An exact seek shows the new picture of a stopped video by itself, so a video seeks like
    // a sound: no run-and-wait for a frame, and a playing video plays on.
    m_graph->seek(seconds);
}

std::int32_t clsMusic::State() const
{
    if (!m_graph)
        return 0;
    switch (m_graph->state()) {
    case MediaGraph::State::Stopped:
        return 0;
    case MediaGraph::State::Paused:
        return 2;
    case MediaGraph::State::Running:
        return 1;
    }
    return 1;
}

double clsMusic::Speed() const
{
    return m_graph ? m_graph->rate() : 0.0;
}

void clsMusic::setSpeed(double speed)
{
    if (!(speed >= kSlowest))
        speed = kSlowest;
    if (m_graph)
        m_graph->setRate(speed);
}

double clsMusic::Duration() const
{
    return m_graph ? m_graph->duration() : 0.0;
}

std::int32_t clsMusic::Volume() const
{
    return m_graph ? m_graph->volume() : 0;
}

void clsMusic::setVolume(std::int32_t volume)
{
    if (m_graph)
        m_graph->setVolume(std::clamp(volume, kSilent, kFull));
}

std::int32_t clsMusic::Balance() const
{
    return m_graph ? m_graph->balance() : 0;
}

void clsMusic::setBalance(std::int32_t balance)
{
    if (m_graph)
        m_graph->setBalance(std::clamp(balance, -kRightOnly, kRightOnly));
}
