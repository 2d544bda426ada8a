#include "platform/media/FakeMediaEngine.h"

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

class FakeMediaGraph final : public MediaGraph
{
public:
    FakeMediaGraph(const FakeMediaEngine& engine, std::shared_ptr<FakeGraphRecord> record)
        : m_engine(engine)
        , m_record(std::move(record))
    {}

    ~FakeMediaGraph() override { command(QStringLiteral("destroyed")); }

    bool renderFile(const QString& path) override
    {
        FakeGraphRecord& r = *m_record;
        command(QStringLiteral("render ") + path);
        const auto file = m_engine.files.find(path);
        if (r.rendered || file == m_engine.files.end())
            return false;
        r.rendered = true;
        r.audio = file->second.audio;
        r.video = file->second.video;
        r.size = file->second.video ? file->second.size : QSize();
        r.duration = file->second.duration;
        return true;
    }

    bool hasAudio() const override { return m_record->audio; }

    bool hasVideo() const override { return m_record->video; }

    QSize videoSize() const override { return m_record->size; }

    void showVideo(WId) override { command(QStringLiteral("video")); }

    void run() override { setState(QStringLiteral("run"), State::Running); }

    void pause() override { setState(QStringLiteral("pause"), State::Paused); }

    void stop() override { setState(QStringLiteral("stop"), State::Stopped); }

    State state() const override { return m_record->state; }

    double duration() const override { return m_record->duration; }

    double position() const override { return m_record->position; }

    void seek(double seconds) override
    {
        if (command(QStringLiteral("seek ") + number(seconds)))
            m_record->position = seconds;
    }

    double rate() const override { return m_record->rate; }

    void setRate(double rate) override
    {
        if (command(QStringLiteral("rate ") + number(rate)))
            m_record->rate = rate;
    }

    int volume() const override { return m_record->volume; }

    void setVolume(int hundredthsOfDb) override
    {
        if (command(QStringLiteral("volume ") + QString::number(hundredthsOfDb)))
            m_record->volume = hundredthsOfDb;
    }

    int balance() const override { return m_record->balance; }

    void setBalance(int hundredthsOfDb) override
    {
        if (command(QStringLiteral("balance ") + QString::number(hundredthsOfDb)))
            m_record->balance = hundredthsOfDb;
    }

private:
    // Records the command; true when the graph has a file to apply it to.
    bool command(const QString& text)
    {
        m_record->calls << text;
        *m_record->journal << QString::number(m_record->number) + QLatin1Char(' ') + text;
        return m_record->rendered;
    }

    void setState(const QString& text, State state)
    {
        if (command(text))
            m_record->state = state;
    }

    const FakeMediaEngine& m_engine;
    std::shared_ptr<FakeGraphRecord> m_record;
};

} // namespace

std::unique_ptr<MediaGraph> FakeMediaEngine::createGraph()
{
    auto record = std::make_shared<FakeGraphRecord>();
    record->journal = journal;
    record->number = static_cast<int>(graphs.size());
    graphs.push_back(record);
    return std::make_unique<FakeMediaGraph>(*this, graphs.back());
}
