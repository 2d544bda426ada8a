#pragma once

#include "platform/media/MediaEngine.h"

#include <map>
#include <memory>
#include <vector>

#include <QStringList>

// What a fake graph did and what it answers; shared by the graph and the engine's list, so that
// a test can read it after the graph is gone and move the position as playback would.
struct FakeGraphRecord
{
    // Every command in order: "render <path>", "video", "run", "pause", "stop", "seek <s>",
    // "rate <r>", "volume <v>", "balance <b>", and "destroyed" last.
    QStringList calls;
    // The engine's journal, where the same commands go as "<graph number> <command>".
    std::shared_ptr<QStringList> journal;
    int number = 0;
    bool rendered = false;
    bool audio = false;
    bool video = false;
    QSize size;
    double duration = 0.0;
    double position = 0.0;
    double rate = 1.0;
    int volume = 0;
    int balance = 0;
    MediaGraph::State state = MediaGraph::State::Stopped;
};

// A media engine for tests. It plays nothing: its graphs render the files listed in `files` (any
// other path fails), record every command, and hold the position where the last seek put it
// until the test moves it.
class FakeMediaEngine : public MediaEngine
{
public:
    struct File
    {
        double duration = 0.0;
        bool audio = true;
        bool video = false;
        QSize size;
    };

    std::map<QString, File> files;

    // Every graph made, oldest first (numbered from 0).
    std::vector<std::shared_ptr<FakeGraphRecord>> graphs;
    // The commands of all graphs in the order they came.
    std::shared_ptr<QStringList> journal = std::make_shared<QStringList>();

    std::unique_ptr<MediaGraph> createGraph() override;
};
