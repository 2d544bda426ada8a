#include "platform/media/MpvMediaEngine.h"

#include "platform/audio/StereoLevel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include <QFile>
#include <QFileInfo>

#include <mpv/client.h>

namespace {

using Clock = std::chrono::steady_clock;

// Opening a local file takes milliseconds; this only bounds a file that never answers.
constexpr std::chrono::seconds kOpenLimit { 10 };
// The core takes a queued seek at its next turn, well under a millisecond.
constexpr std::chrono::seconds kSeekLimit { 1 };

constexpr int kSilent = kSilentHundredthsOfDb;

// Seconds: under one sample at any sampling rate.
constexpr double kEndTolerance = 1e-6;

// mpv's volume is a cubic curve: volume v (0 to 100) scales the samples by (v / 100)^3.
double mpvVolume(int hundredthsOfDb)
{
    if (hundredthsOfDb <= kSilent)
        return 0.0;
    return 100.0 * std::pow(10.0, hundredthsOfDb / 6000.0);
}

int hundredthsOfDb(double mpvVolume)
{
    if (!(mpvVolume > 0.0))
        return kSilent;
    return static_cast<int>(
        std::clamp(std::lround(6000.0 * std::log10(mpvVolume / 100.0)), long { kSilent }, 0L));
}

// Fixed-point text: the pan filter reads no exponent notation.
QByteArray gainText(double value)
{
    return QByteArray::number(value, 'f', 9);
}

const char* nodeString(const mpv_node_list* map, const char* key)
{
    for (int i = 0; i < map->num; ++i)
        if (std::strcmp(map->keys[i], key) == 0 && map->values[i].format == MPV_FORMAT_STRING)
            return map->values[i].u.string;
    return nullptr;
}

bool nodeFlag(const mpv_node_list* map, const char* key)
{
    for (int i = 0; i < map->num; ++i)
        if (std::strcmp(map->keys[i], key) == 0 && map->values[i].format == MPV_FORMAT_FLAG)
            return map->values[i].u.flag != 0;
    return false;
}

int nodeInt(const mpv_node_list* map, const char* key)
{
    for (int i = 0; i < map->num; ++i)
        if (std::strcmp(map->keys[i], key) == 0 && map->values[i].format == MPV_FORMAT_INT64)
            return static_cast<int>(map->values[i].u.int64);
    return 0;
}

class MpvMediaGraph final : public MediaGraph
{
public:
    explicit MpvMediaGraph(const MpvMediaEngine::Options& options)
        : m_options(options)
    {}

    ~MpvMediaGraph() override { close(); }

    MpvMediaGraph(const MpvMediaGraph&) = delete;
    MpvMediaGraph& operator=(const MpvMediaGraph&) = delete;

    bool renderFile(const QString& path) override;

    bool hasAudio() const override { return m_audio; }

    bool hasVideo() const override { return m_video; }

    QSize videoSize() const override { return m_videoSize; }

    void showVideo(WId window) override;

    void run() override { setState(State::Running); }

    void pause() override { setState(State::Paused); }

    void stop() override { setState(State::Stopped); }

    State state() const override { return m_state; }

    double duration() const override;
    double position() const override;
    void seek(double seconds) override;

    double rate() const override { return doubleProperty("speed"); }

    void setRate(double rate) override { setDouble("speed", rate); }

    int volume() const override { return m_mpv ? hundredthsOfDb(doubleProperty("volume")) : 0; }

    void setVolume(int hundredthsOfDb) override { setDouble("volume", mpvVolume(hundredthsOfDb)); }

    int balance() const override { return m_balance; }

    void setBalance(int hundredthsOfDb) override;

private:
    void close();
    void setOption(const char* name, const QByteArray& value);
    void readTracks();
    void setState(State state);
    double doubleProperty(const char* name) const;
    void setDouble(const char* name, double value);
    // Takes the events mpv has queued, so that its queue never fills between our waits.
    void drainEvents() const;

    MpvMediaEngine::Options m_options;
    mpv_handle* m_mpv = nullptr;
    bool m_audio = false;
    bool m_video = false;
    QSize m_videoSize;
    State m_state = State::Stopped;
    int m_balance = 0;
};

void MpvMediaGraph::close()
{
    if (m_mpv)
        mpv_terminate_destroy(m_mpv);
    m_mpv = nullptr;
}

void MpvMediaGraph::setOption(const char* name, const QByteArray& value)
{
    // An option this build of mpv lacks changes nothing we rely on: passed over.
    mpv_set_option_string(m_mpv, name, value.constData());
}

bool MpvMediaGraph::renderFile(const QString& path)
{
    if (m_mpv || path.isEmpty())
        return false;

    m_mpv = mpv_create();
    if (!m_mpv)
        return false;

    for (const auto& [name, value] : std::initializer_list<std::pair<const char*, const char*>> {
             { "config", "no" },
             { "load-scripts", "no" },
             { "load-auto-profiles", "no" },
             { "load-stats-overlay", "no" },
             { "load-osd-console", "no" },
             { "osc", "no" },
             { "ytdl", "no" },
             { "terminal", "no" },
             { "input-default-bindings", "no" },
             { "input-vo-keyboard", "no" },
             { "input-cursor", "no" },
             { "osd-level", "0" },
             { "resume-playback", "no" },
             { "save-position-on-quit", "no" },
             { "sub-auto", "no" },
             { "audio-file-auto", "no" },
             { "cover-art-auto", "no" },
             { "audio-display", "no" },
             { "idle", "yes" },
             { "keep-open", "yes" },
             { "keep-open-pause", "no" },
             { "pause", "yes" },
             { "vo", "null" },
             { "audio-client-name", "Kadentor" },
         })
        setOption(name, value);
    setOption("ao", m_options.audioOutput.toUtf8());
    for (const auto& [name, value] : m_options.extraOptions)
        setOption(name.toUtf8().constData(), value.toUtf8());

    if (mpv_initialize(m_mpv) < 0) {
        close();
        return false;
    }

    // An absolute path: mpv would take a name like "http://..." for a location to fetch.
    const QByteArray file = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    const char* load[] = { "loadfile", file.constData(), nullptr };
    bool loaded = false;
    if (mpv_command(m_mpv, load) >= 0) {
        const auto deadline = Clock::now() + kOpenLimit;
        for (bool waiting = true; waiting;) {
            const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
            const mpv_event* event = mpv_wait_event(m_mpv, std::max(left, 0.0));
            switch (event->event_id) {
            case MPV_EVENT_FILE_LOADED:
                loaded = true;
                waiting = false;
                break;
            case MPV_EVENT_END_FILE:
            case MPV_EVENT_SHUTDOWN:
                waiting = false;
                break;
            case MPV_EVENT_NONE:
                waiting = left > 0.0;
                break;
            default:
                break;
            }
        }
    }
    if (!loaded) {
        close();
        return false;
    }
    readTracks();
    return true;
}

void MpvMediaGraph::readTracks()
{
    mpv_node tracks {};
    if (mpv_get_property(m_mpv, "track-list", MPV_FORMAT_NODE, &tracks) < 0)
        return;
    if (tracks.format == MPV_FORMAT_NODE_ARRAY) {
        for (int i = 0; i < tracks.u.list->num; ++i) {
            const mpv_node& track = tracks.u.list->values[i];
            if (track.format != MPV_FORMAT_NODE_MAP)
                continue;
            const mpv_node_list* map = track.u.list;
            const char* type = nodeString(map, "type");
            if (!type)
                continue;
            if (std::strcmp(type, "audio") == 0)
                m_audio = true;
            else if (std::strcmp(type, "video") == 0 && !nodeFlag(map, "albumart")
                && !nodeFlag(map, "image") && !m_video) {
                m_video = true;
                m_videoSize = QSize(nodeInt(map, "demux-w"), nodeInt(map, "demux-h"));
            }
        }
    }
    mpv_free_node_contents(&tracks);
    if (m_video && m_videoSize.isEmpty()) {
        std::int64_t width = 0;
        std::int64_t height = 0;
        mpv_get_property(m_mpv, "width", MPV_FORMAT_INT64, &width);
        mpv_get_property(m_mpv, "height", MPV_FORMAT_INT64, &height);
        m_videoSize = QSize(static_cast<int>(width), static_cast<int>(height));
    }
}

void MpvMediaGraph::showVideo(WId window)
{
    if (!m_mpv || !m_video)
        return;
    // The window is read when a video output starts, so it goes in before the output changes.
    std::int64_t id = static_cast<std::int64_t>(window);
    mpv_set_property(m_mpv, "wid", MPV_FORMAT_INT64, &id);
    const QByteArray outputs = m_options.videoOutput.toUtf8();
    mpv_set_property_string(m_mpv, "vo", outputs.constData());
}

void MpvMediaGraph::setState(State state)
{
    if (!m_mpv)
        return;
    int pause = state == State::Running ? 0 : 1;
    if (mpv_set_property(m_mpv, "pause", MPV_FORMAT_FLAG, &pause) >= 0)
        m_state = state;
    drainEvents();
}

double MpvMediaGraph::duration() const
{
    const double seconds = doubleProperty("duration");
    return seconds > 0.0 ? seconds : 0.0;
}

double MpvMediaGraph::position() const
{
    if (!m_mpv)
        return 0.0;
    drainEvents();
    const double length = duration();
    // At the end mpv holds the last decoded time, a hair off the length; the callers recognise
    // the end by the position being the duration itself.
    int atEnd = 0;
    if (mpv_get_property(m_mpv, "eof-reached", MPV_FORMAT_FLAG, &atEnd) >= 0 && atEnd)
        return length;
    const double seconds = doubleProperty("time-pos");
    if (!(seconds > 0.0))
        return 0.0;
    // mpv counts time in samples and frames, so a seek to the end may read back a few units
    // in the last place short of it; less than a sample from the end is the end.
    if (length > 0.0 && seconds > length - kEndTolerance)
        return length;
    return seconds;
}

void MpvMediaGraph::seek(double seconds)
{
    if (!m_mpv)
        return;
    drainEvents();
    // mpv counts a negative absolute target from the end.
    const QByteArray target = QByteArray::number(seconds > 0.0 ? seconds : 0.0, 'g', 17);
    const char* command[] = { "seek", target.constData(), "absolute+exact", nullptr };
    if (mpv_command(m_mpv, command) < 0)
        return;
    // The command only queues the seek; until the core has taken it, the position still reads
    // the old place. Waiting for that (not for a decoded frame) keeps position() coherent.
    const auto deadline = Clock::now() + kSeekLimit;
    for (;;) {
        const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
        if (left <= 0.0)
            return;
        const mpv_event* event = mpv_wait_event(m_mpv, left);
        if (event->event_id == MPV_EVENT_SEEK || event->event_id == MPV_EVENT_SHUTDOWN
            || event->event_id == MPV_EVENT_END_FILE)
            return;
    }
}

void MpvMediaGraph::setBalance(int hundredthsOfDb)
{
    if (!m_mpv)
        return;
    QByteArray filter;
    if (hundredthsOfDb != 0) {
        const SideGains gains = SideGains::of(0, hundredthsOfDb);
        // Mono and multichannel sources are brought to stereo first, so there is a right side.
        filter = "lavfi=[aformat=channel_layouts=stereo,pan=stereo|c0=" + gainText(gains.left)
            + "*c0|c1=" + gainText(gains.right) + "*c1]";
    }
    if (mpv_set_property_string(m_mpv, "af", filter.constData()) < 0)
        return;
    m_balance = hundredthsOfDb;
    // Sound decoded ahead went through the old filter. Playing, that is a moment's worth; but a
    // balance set before Play must hold from the first sample, so the waiting sound is dropped
    // by seeking to where it stands.
    if (m_state != State::Running)
        seek(position());
}

double MpvMediaGraph::doubleProperty(const char* name) const
{
    double value = 0.0;
    if (!m_mpv || mpv_get_property(m_mpv, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return 0.0;
    return value;
}

void MpvMediaGraph::setDouble(const char* name, double value)
{
    if (m_mpv)
        mpv_set_property(m_mpv, name, MPV_FORMAT_DOUBLE, &value);
}

void MpvMediaGraph::drainEvents() const
{
    while (mpv_wait_event(m_mpv, 0)->event_id != MPV_EVENT_NONE) {}
}

} // namespace

MpvMediaEngine::MpvMediaEngine()
    : MpvMediaEngine(Options {})
{}

MpvMediaEngine::MpvMediaEngine(Options options)
    : m_options(std::move(options))
{}

std::unique_ptr<MediaGraph> MpvMediaEngine::createGraph()
{
    return std::make_unique<MpvMediaGraph>(m_options);
}
