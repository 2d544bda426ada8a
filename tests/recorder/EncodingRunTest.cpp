#include "recorder/EncodingRun.h"

#include "WavBytes.h"
#include "platform/audio/WavWriter.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "recorder/ID3tag.h"

#include <functional>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The window's side of the run as plain values.
struct FakeView : EncodingView
{
    QStringList list;
    int current = 0;
    QString text1;
    QString text2;
    QString folder;
    QString output;
    QString mode = QStringLiteral("Stereo");
    int freqIndex = 2;
    QString bitrate = QStringLiteral("256");
    int bitrateIndex = 12;
    QString maxBitrate = QStringLiteral("128");
    bool vbr = false;
    bool tag = false;
    bool del = false;
    bool isPlaying = false;
    bool playEnabled = false;
    bool stopEnabled = false;
    std::vector<bool> encodingStates;
    int bar = 0;
    QString percent;
    QString status;
    std::function<void()> onEvents;

    static QString frequency(int index)
    {
        return QStringList { "Auto", "32000", "44100", "48000" }.at(index);
    }

    EncoderSettings settings() const override
    {
        EncoderSettings settings;
        settings.Text1 = text1;
        settings.Text2 = text2;
        settings.entries = list;
        settings.currentEntry = list.value(current);
        settings.outputFolder = folder;
        settings.outputName = output;
        settings.modeText = mode;
        settings.frequencyIndex = freqIndex;
        settings.frequencyText = frequency(freqIndex);
        settings.bitrateText = bitrate;
        settings.maxBitrateText = maxBitrate;
        settings.vbrQuality = 7;
        settings.vbr = vbr;
        settings.tag = tag;
        settings.deleteInput = del;
        settings.playing = isPlaying;
        return settings;
    }

    void selectEntry(int index) override
    {
        current = index;
        output = list.at(index).chopped(4) + QStringLiteral(".mp3");
    }

    void selectBitrate(int index) override
    {
        bitrateIndex = index;
        bitrate = QStringLiteral("128");
    }

    void stopPlaying() override { isPlaying = false; }

    void setPlayEnabled(bool enabled) override { playEnabled = enabled; }

    void setStopEnabled(bool enabled) override { stopEnabled = enabled; }

    void setEncoding(bool encoding) override { encodingStates.push_back(encoding); }

    int progress() const override { return bar; }

    void setProgress(int value, const QString& text) override
    {
        bar = value;
        percent = text;
    }

    void setStatus(const QString& text) override { status = text; }

    void processEvents() override
    {
        if (onEvents)
            onEvents();
    }
};

struct Call
{
    QString in;
    QString out;
    std::int32_t kbps;
    std::int32_t rate;
    std::uint8_t mode;
};

class EncodingRunTest : public ::testing::Test
{
protected:
    void SetUp() override { view.folder = dir.path(); }

    QString wav(const QString& name, int rate = 44100)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(wavFileBytes(1, rate, 16, QByteArray(400, '\1')));
        return file.fileName();
    }

    // Several inputs in the folder, as the window lists them.
    void several(const QStringList& names)
    {
        view.text1 = dir.path();
        for (const QString& name : names) {
            wav(name);
            view.text2 += name + QStringLiteral("\r\n");
        }
        view.list = names;
    }

    void single(const QString& name, int rate = 44100)
    {
        view.text1 = wav(name, rate);
        view.list = { name };
        view.output = name.chopped(4) + QStringLiteral(".mp3");
    }

    // The scripted library: reports `percents` through the cell, then writes an output and
    // answers the next scripted result (0 when none is left); a stop answer gives -2.
    EncoderFunctions library()
    {
        EncoderFunctions functions;
        functions.EncodeMp3 = [this](const QString& in, const QString& out, std::int32_t kbps,
                                  std::int32_t rate, std::uint8_t mode,
                                  WavpressProgress* cell) -> std::optional<std::int32_t> {
            calls.push_back({ in, out, kbps, rate, mode });
            for (std::int32_t p : percents)
                if ((*cell)(p) == 0)
                    return -2;
            const std::int32_t result = results.empty() ? 0 : results.front();
            if (!results.empty())
                results.erase(results.begin());
            if (result == 0) {
                QFile file(out);
                EXPECT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(QByteArray(300, 'M'));
            }
            return result;
        };
        functions.SetVBR = [this](std::int32_t enable, std::int32_t quality, std::int32_t minKbps,
                               std::int32_t maxKbps) -> std::optional<std::int32_t> {
            vbrCalls.push_back({ enable, quality, minKbps, maxKbps });
            return 0;
        };
        return functions;
    }

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const BoxRequest& box : boxes.shown())
            texts << box.text;
        return texts;
    }

    QTemporaryDir dir;
    EncoderSession session;
    FakeView view;
    FakeMessageBoxService boxes;
    std::vector<Call> calls;
    std::vector<std::int32_t> results;
    std::vector<std::int32_t> percents { 0, 50, 100 };
    std::vector<std::vector<std::int32_t>> vbrCalls;
};

TEST_F(EncodingRunTest, EachResultShowsItsTextAndEncodeAllGoesOnOnlyAfterAnUnknownOne)
{
    struct Row
    {
        std::int32_t result;
        const char* text;
        bool goesOn;
        int barAfter;
    };

    const Row rows[] = {
        { 0, "WAV to MP3 encoding done.", true, 0 },
        { -1, "MP3 encoding failed.", false, 100 },
        { -2, "Encoding cancelled by user.", false, 0 },
        { -3, "Could not get encoding API!", false, 100 },
        { -4, "Could not open input file!", false, 100 },
        { -5, "Could not open output file!", false, 100 },
        { -6, "Invalid encoding parameters.", false, 100 },
        { 7, "Encoding failed.", true, 100 },
        { -7, "Encoding failed.", true, 100 },
    };
    several({ "a.wav", "b.wav", "c.wav", "d.wav" });
    for (const Row& row : rows) {
        SCOPED_TRACE(row.result);
        calls.clear();
        boxes.clear();
        view.bar = 0;
        view.percent.clear();
        // The second entry answers the row's result; a stop answer comes from a Stop.
        results = { 0, row.result == -2 ? 0 : row.result };
        view.onEvents = [this, &row] {
            if (row.result == -2 && calls.size() == 2 && view.bar == 50)
                session.setCancelEncoding(true);
        };
        EncodingRun(session, view, library(), boxes).EncodeAll();

        EXPECT_EQ(calls.size(), row.goesOn ? 4u : 2u);
        if (row.result != 0) {
            ASSERT_EQ(boxes.shown().size(), 1u);
            EXPECT_EQ(boxes.shown()[0].text, QLatin1String(row.text));
            EXPECT_EQ(boxes.shown()[0].icon, MsgIcon::Exclamation);
        } else {
            EXPECT_TRUE(boxes.shown().empty());
            EXPECT_EQ(view.status, QLatin1String(row.text));
        }
        if (!row.goesOn) {
            EXPECT_EQ(view.bar, row.barAfter);
            EXPECT_EQ(view.percent, row.barAfter ? QStringLiteral("100%") : QString());
            EXPECT_FALSE(view.playEnabled);
        }
        EXPECT_FALSE(view.stopEnabled);
        EXPECT_FALSE(session.CancelEncoding());
        EXPECT_EQ(calls[1].in, dir.filePath("b.wav"));
        EXPECT_EQ(calls[1].out, dir.filePath("b.mp3"));
    }
}

TEST_F(EncodingRunTest, AStopIsAnsweredOnceAndLeavesNothingForTheNextRun)
{
    several({ "a.wav", "b.wav", "c.wav", "d.wav" });
    percents = { 0, 10, 20, 30, 40 };
    std::vector<std::int16_t> answers;
    view.onEvents = [this] {
        // Stop clicked while the second entry is at 10 %: the stop is answered at 20 %.
        if (calls.size() == 2 && view.bar == 10)
            session.setCancelEncoding(true);
    };
    EncodingRun(session, view, library(), boxes).EncodeAll();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(boxTexts(), QStringList { "Encoding cancelled by user." });
    EXPECT_EQ(view.bar, 0);
    EXPECT_EQ(view.percent, QString());
    EXPECT_FALSE(QFile::exists(dir.filePath("b.mp3")));

    // A request made while no encoding runs is dropped before the next encoding.
    view.onEvents = nullptr;
    session.setCancelEncoding(true);
    calls.clear();
    boxes.clear();
    EncodingRun(session, view, library(), boxes).EncodeAll();
    EXPECT_EQ(calls.size(), 4u);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(view.encodingStates,
        (std::vector<bool> {
            true, false, true, false, true, false, true, false, true, false, true, false }));
}

TEST_F(EncodingRunTest, AutoRateTakesTheHeaderAndSwitchesUnsupportedRatesTo128)
{
    struct Row
    {
        int rate;
        bool vbr;
        const char* bitrate;
        QStringList boxes;
        int kbps; // 0: nothing encoded
    };

    const QString info = QStringLiteral(
        "Current sample rate (22.05 KHz) is not fully supported by the encoder. For higher "
        "compatibility, the bitrate will be automatically set to 128 kbits/sec. There is a "
        "possibility that encoding will not succeed.");
    const QString refusal = QStringLiteral("Current sample rate (22.05 KHz) is not supported by "
                                           "VBR! Please choose between 32000, 44100, or 48000.");
    const Row rows[] = {
        { 22050, false, "192", { info }, 128 },
        { 22050, true, "192", { info, refusal }, 0 },
        { 22050, true, "128", { refusal }, 0 },
        { 44100, false, "192", {}, 192 },
        { 44100, true, "192", {}, 160 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rate);
        calls.clear();
        vbrCalls.clear();
        boxes.clear();
        single(QStringLiteral("take.wav"), row.rate);
        view.freqIndex = 0;
        view.vbr = row.vbr;
        view.maxBitrate = QStringLiteral("160");
        view.bitrate = QLatin1String(row.bitrate);
        EncodingRun(session, view, library(), boxes).EncodeSelected();
        QStringList expected = row.boxes;
        if (row.kbps)
            expected << QStringLiteral("WAV to MP3 encoding done.");
        EXPECT_EQ(boxTexts(), expected);
        if (!row.kbps) {
            EXPECT_TRUE(calls.empty());
            EXPECT_TRUE(vbrCalls.empty());
            EXPECT_FALSE(view.stopEnabled);
            continue;
        }
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].kbps, row.kbps);
        EXPECT_EQ(calls[0].rate, row.rate);
        EXPECT_EQ(vbrCalls.size(), row.vbr ? 1u : 0u);
        if (row.vbr) {
            EXPECT_EQ(vbrCalls[0], (std::vector<std::int32_t> { 1, 7, 0, 160 }));
        }
    }
}

TEST_F(EncodingRunTest, AutoTakesTheRateFromTheFormatChunkWhereverItStands)
{
    using namespace wavbytes;
    const Bytes format = formatBody(1, 1, 22050, 16);
    const Bytes data(400, 1);
    Bytes cutInFormat = riff({ chunk("LIST", Bytes(26, 'x')), chunk("fmt ", format) });
    cutInFormat.resize(cutInFormat.size() - 10);

    struct Row
    {
        const char* layout;
        Bytes file;
        std::int32_t rate; // 0: the library's "the input's rate"
    };

    const Row rows[] = {
        { "canonical", riff({ chunk("fmt ", format), chunk("data", data) }), 22050 },
        { "after a LIST chunk",
            riff({ chunk("LIST", Bytes(26, 'x')), chunk("fmt ", format), chunk("data", data) }),
            22050 },
        { "after an odd chunk and its pad byte",
            riff({ chunk("junk", Bytes(7, 'x')), chunk("fmt ", format), chunk("data", data) }),
            22050 },
        { "after the data, with a RIFF size that ends before it",
            riff({ chunk("data", data), chunk("fmt ", format) }, 4 + 8 + 400), 22050 },
        { "the first of two",
            riff({ chunk("fmt ", format), chunk("fmt ", formatBody(1, 1, 8000, 16)),
                chunk("data", data) }),
            22050 },
        { "none", riff({ chunk("LIST", Bytes(26, 'x')), chunk("data", data) }), 0 },
        { "too short for a rate", riff({ chunk("fmt ", Bytes(6, 0)), chunk("data", data) }), 0 },
        { "cut off by the end of the file", cutInFormat, 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.layout);
        calls.clear();
        boxes.clear();
        QFile file(dir.filePath(QStringLiteral("take.wav")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(
            reinterpret_cast<const char*>(row.file.data()), static_cast<qint64>(row.file.size()));
        file.close();
        view.text1 = file.fileName();
        view.text2.clear();
        view.output = QStringLiteral("take.mp3");
        view.freqIndex = 0;
        view.bitrate = QStringLiteral("128");
        EncodingRun(session, view, library(), boxes).EncodeSelected();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].rate, row.rate);
        EXPECT_EQ(boxTexts(), QStringList { "WAV to MP3 encoding done." });
    }
}

TEST_F(EncodingRunTest, ModesRefusalsAndProgressLabel)
{
    several({ "a.wav", "b.wav", "c.wav" });
    percents = { 0, 0, 42 };
    std::vector<QString> labelsAtEvents;
    view.onEvents = [this, &labelsAtEvents] {
        labelsAtEvents.push_back(view.percent);
        // An unknown mode text from the second entry on keeps the previous mode.
        view.mode = QString();
    };
    view.mode = QStringLiteral("Mono");
    EncodingRun(session, view, library(), boxes).EncodeAll();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].mode, 3);
    EXPECT_EQ(calls[2].mode, 3);
    // A first report of 0 on a bar at 0 leaves the label empty.
    EXPECT_EQ(labelsAtEvents[0], QString());
    EXPECT_EQ(labelsAtEvents[2], QStringLiteral("42%"));

    struct Refusal
    {
        QByteArray bytes; // of the input; empty: no input file at all
        const char* output;
        const char* text;
    };

    const Refusal refusals[] = {
        { {}, "x.mp3", "Could not open input file!" },
        { QByteArray(20, 'x') + "WAVE", "x.mp3", nullptr },
        { QByteArray(55, 'x') + "WAVE", "x.mp3", "This is not a valid WAV file." },
        { "RIFF....WAVE", "x.wav", "Output file must have .mp3 extension." },
        { "RIFF....WAVE", "in.Mp3", "Output file must differ from the input file." },
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.output);
        calls.clear();
        boxes.clear();
        view.text2.clear();
        view.text1 = dir.filePath(QStringLiteral("in.Mp3"));
        QFile::remove(view.text1);
        if (!refusal.bytes.isEmpty()) {
            QFile file(view.text1);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(refusal.bytes);
        }
        view.output = QLatin1String(refusal.output);
        view.freqIndex = 2;
        EncodingRun(session, view, library(), boxes).EncodeSelected();
        if (!refusal.text) {
            EXPECT_EQ(calls.size(), 1u); // a short file is judged on the bytes it has
            continue;
        }
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(boxTexts(), QStringList { QLatin1String(refusal.text) });
        // Checking an input never makes one.
        EXPECT_EQ(QFile::exists(view.text1), !refusal.bytes.isEmpty());
    }
}

TEST_F(EncodingRunTest, TheInputGoesOnlyAfterASuccessAndTheTag)
{
    session.PendingTag().setName(QStringLiteral("Take"));
    (void)session.PendingTag().setGenre(17);
    view.tag = true;
    view.del = true;
    single(QStringLiteral("Take.wav"));
    EncodingRun(session, view, library(), boxes).EncodeSelected();
    EXPECT_FALSE(QFile::exists(view.text1));
    QFile made(dir.filePath(QStringLiteral("Take.mp3")));
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    const QByteArray bytes = made.readAll();
    ASSERT_EQ(bytes.size(), 300 + 128);
    EXPECT_EQ(bytes.mid(300, 7), QByteArray("TAGTake"));
    EXPECT_EQ(static_cast<std::uint8_t>(bytes.back()), 17);

    // A failure keeps its input.
    single(QStringLiteral("Kept.wav"));
    results = { -5 };
    EncodingRun(session, view, library(), boxes).EncodeSelected();
    EXPECT_TRUE(QFile::exists(view.text1));
}

TEST_F(EncodingRunTest, AReportAfterTheLibraryReturnedReachesNoWindow)
{
    single(QStringLiteral("take.wav"));
    WavpressProgress* kept = nullptr;
    EncoderFunctions functions = library();
    functions.EncodeMp3 = [&kept, encode = functions.EncodeMp3](const QString& in,
                              const QString& out, std::int32_t kbps, std::int32_t rate,
                              std::uint8_t mode, WavpressProgress* cell) {
        kept = cell;
        return encode(in, out, kbps, rate, mode, cell);
    };
    EncodingRun(session, view, functions, boxes).EncodeSelected();
    ASSERT_NE(kept, nullptr);
    ASSERT_EQ(view.bar, 0);
    // The window may be gone by now: the late report changes nothing and answers "go on".
    int events = 0;
    view.onEvents = [&events] {
        ++events;
    };
    session.setCancelEncoding(true);
    EXPECT_EQ((*kept)(70), -1);
    EXPECT_EQ(view.bar, 0);
    EXPECT_EQ(view.percent, QString());
    EXPECT_EQ(events, 0);
}

TEST_F(EncodingRunTest, AMissingLibraryIsReportedAndResetsTheButtons)
{
    single(QStringLiteral("take.wav"));
    EncodingRun(session, view, EncoderFunctions {}, boxes).EncodeSelected();
    EXPECT_EQ(boxTexts(), QStringList { "Could not get encoding API!" });
    EXPECT_FALSE(view.stopEnabled);
    EXPECT_FALSE(view.playEnabled);
}

} // namespace
