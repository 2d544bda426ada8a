#include "recorder/LeftTakeOffer.h"

#include "FileBytes.h"
#include "KnownTake.h"
#include "platform/audio/TakeFile.h"
#include "platform/audio/WavWriter.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/FileStore.h"

#include <csignal>
#include <deque>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

const CaptureFormat kStereo { 44100, 2, 16 };

// The helper that records the known take in `folder`, started and waited for until a second of
// the take is in its file. Null when it did not get there.
std::unique_ptr<QProcess> startRecording(const QString& folder, const CaptureFormat& format)
{
    auto recorder = std::make_unique<QProcess>();
    recorder->start(QStringLiteral(TAKE_RECORDER),
        { folder, QString::number(format.sampleRate), QString::number(format.channels),
            QString::number(format.bitsPerSample) });
    if (!recorder->waitForStarted(10000))
        return nullptr;
    while (!recorder->canReadLine())
        if (!recorder->waitForReadyRead(10000))
            return nullptr;
    if (recorder->readLine().trimmed() != "recording")
        return nullptr;
    return recorder;
}

// SIGKILL, mid-take: nothing of the program runs after it.
bool killMidTake(QProcess& recorder)
{
    ::kill(pid_t(recorder.processId()), SIGKILL);
    return recorder.waitForFinished(10000) && recorder.exitStatus() == QProcess::CrashExit;
}

// The take's samples as the offer can read them: the whole frames after its header.
std::int64_t readableBytes(const QString& path, const CaptureFormat& format)
{
    const std::int64_t bytes = QFileInfo(path).size() - TakeFile::kDataOffset;
    return bytes - bytes % format.bytesPerFrame();
}

// Dates the take as recorded from `began` on: its file last written when its last sample came.
bool setBegan(const QString& path, const QDateTime& began, const CaptureFormat& format)
{
    QFile file(path);
    const std::int64_t milliseconds = readableBytes(path, format) * 1000 / format.bytesPerSecond();
    return file.open(QIODevice::ReadWrite)
        && file.setFileTime(began.addMSecs(milliseconds), QFileDevice::FileModificationTime);
}

struct Rig
{
    Rig()
    {
        offer.askSavePath = [this](QWidget*) {
            if (paths.empty())
                return QString(); // the dialog cancelled
            const QString path = paths.front();
            paths.pop_front();
            return path;
        };
    }

    QString folder() const { return dir.path() + "/cache/kadentor"; }

    QStringList takes() const
    {
        return QDir(folder()).entryList({ QStringLiteral("take-*.wav") }, QDir::Files);
    }

    QStringList questions() const
    {
        QStringList texts;
        for (const BoxRequest& box : boxes.shown())
            texts.append(box.text);
        return texts;
    }

    void offerNow()
    {
        boxes.clear();
        offer.offer(folder(), nullptr);
    }

    QTemporaryDir dir;
    FakeMessageBoxService boxes;
    DiskFileStore files;
    LeftTakeOffer offer { boxes, files };
    std::deque<QString> paths;
};

QRegularExpression questionFor(const QString& lengthPattern, const QString& began)
{
    return QRegularExpression(QStringLiteral(
        "^A recording from a session that ended unexpectedly was found: %1, recorded on %2\\.\n"
        "Save it\\?$")
                                  .arg(lengthPattern, QRegularExpression::escape(began)));
}

} // namespace

// Three recordings killed mid-take: the next start offers all three, the oldest first, each with
// its length and when it was recorded; Yes saves the take through the recorder's save dialog
// (".wav" added) sample for sample and removes it, No removes it, a cancelled dialog keeps it,
// and the start after that offers only the kept one.
TEST(LeftTakeOffer, takesKilledMidRecordingAreOfferedOldestFirstAndEachEndsAsAnswered)
{
    Rig rig;
    const QDateTime began[] = { QDateTime(QDate(2024, 5, 1), QTime(14, 50)),
        QDateTime(QDate(2024, 5, 1), QTime(14, 30)), QDateTime(QDate(2024, 5, 1), QTime(14, 40)) };
    QStringList killed;
    for (const QDateTime& at : began) {
        const QStringList before = rig.takes();
        const std::unique_ptr<QProcess> recorder = startRecording(rig.folder(), kStereo);
        ASSERT_TRUE(recorder);
        ASSERT_TRUE(killMidTake(*recorder));
        QStringList added = rig.takes();
        for (const QString& name : before)
            added.removeOne(name);
        ASSERT_EQ(added.size(), 1);
        const QString path = rig.folder() + u'/' + added[0];
        // Every sample that reached the file is the known take's, in order.
        const std::int64_t length = readableBytes(path, kStereo);
        ASSERT_GE(length, kStereo.bytesPerSecond());
        EXPECT_EQ(fileBytes(path).mid(TakeFile::kDataOffset, length), knownTakeBytes(0, length));
        ASSERT_TRUE(setBegan(path, at, kStereo));
        killed.append(path);
    }
    // Offered oldest first: the second killed, the third, the first.
    const QString offered[] = { killed[1], killed[2], killed[0] };
    const std::int64_t savedLength = readableBytes(offered[0], kStereo);

    rig.paths = { rig.dir.path() + "/saved" };
    rig.boxes.answerNext(MsgResult::Yes);
    rig.boxes.answerNext(MsgResult::No);
    rig.boxes.answerNext(MsgResult::Yes); // and then the dialog is cancelled
    rig.offerNow();
    const QStringList asked = rig.questions();
    ASSERT_EQ(asked.size(), 3);
    const char* times[] = { "2024-05-01 at 14:30", "2024-05-01 at 14:40", "2024-05-01 at 14:50" };
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(questionFor("[0-9]+\\.[0-9] s", times[i]).match(asked[i]).hasMatch())
            << asked[i].toStdString();
    EXPECT_EQ(rig.boxes.shown()[0].buttons, MsgButtons::YesNo);

    EXPECT_EQ(fileBytes(rig.dir.path() + "/saved.wav"),
        wavHeader(2, 44100, 16, quint32(savedLength)) + knownTakeBytes(0, savedLength));
    EXPECT_EQ(rig.takes(), QStringList { QFileInfo(offered[2]).fileName() });

    rig.boxes.answerNext(MsgResult::No);
    rig.offerNow();
    ASSERT_EQ(rig.questions().size(), 1);
    EXPECT_TRUE(questionFor("[0-9]+\\.[0-9] s", times[2]).match(rig.questions()[0]).hasMatch());
    EXPECT_TRUE(rig.takes().isEmpty());
}

// Whose a take is, is told by its lock, never by the process id in its name: a running copy's take
// is left alone while it records (and goes on growing), a dead one's is offered even under a
// living process's id, and the running one's is offered once its program is killed.
TEST(LeftTakeOffer, aTakeOfARunningCopyIsNeverTouchedWhateverTheNames)
{
    Rig rig;
    const CaptureFormat mono { 8000, 1, 16 };
    const std::unique_ptr<QProcess> running = startRecording(rig.folder(), mono);
    ASSERT_TRUE(running);
    ASSERT_EQ(rig.takes().size(), 1);
    const QString live = rig.folder() + u'/' + rig.takes()[0];

    // A dead take under the running copy's id.
    const QString dead =
        rig.folder() + QStringLiteral("/take-%1-dead00.wav").arg(running->processId());
    ASSERT_TRUE(writeFileBytes(dead, wavFileBytes(1, 8000, 16, knownTakeBytes(0, 16000))));

    const qint64 sizeBefore = QFileInfo(live).size();
    rig.boxes.answerNext(MsgResult::No);
    rig.offerNow();
    ASSERT_EQ(rig.questions().size(), 1);
    EXPECT_TRUE(rig.questions()[0].contains(": 1.0 s, recorded on "));
    EXPECT_FALSE(QFileInfo::exists(dead));
    EXPECT_TRUE(QFileInfo::exists(live));
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(live).size() == sizeBefore && waited.elapsed() < 10000)
        QThread::msleep(10);
    EXPECT_GT(QFileInfo(live).size(), sizeBefore);

    ASSERT_TRUE(killMidTake(*running));
    rig.boxes.answerNext(MsgResult::No);
    rig.offerNow();
    EXPECT_EQ(rig.questions().size(), 1);
    EXPECT_TRUE(rig.takes().isEmpty());
}

// A take whose header does not match its file is offered with what can be read (whole frames
// from byte 44 to the file's end, whatever the sizes say) and saved so; one of which nothing can
// be read is removed unasked. Other files in the folder are not takes.
TEST(LeftTakeOffer, aDamagedTakeIsOfferedWithWhatCanBeReadOrRemoved)
{
    const QByteArray samples = knownTakeBytes(0, 24001);
    const auto header = [](std::int64_t dataBytes) {
        return wavHeader(1, 8000, 16, quint32(dataBytes));
    };
    QByteArray noRiffSize = header(24000);
    noRiffSize.replace(4, 4, QByteArray(4, '\0'));
    QByteArray twelveBits = header(0);
    twelveBits[34] = 12;
    QByteArray floats = header(0);
    floats[20] = 3;

    const struct
    {
        const char* what;
        QByteArray bytes;
        std::int64_t readable; // -1: removed unasked
    } cases[] = {
        { "a header behind its samples (killed between the two writes)",
            header(16000) + samples.left(24000), 24000 },
        { "a header ahead of a file cut short mid-frame", header(32000) + samples, 24000 },
        { "a RIFF size of nothing", noRiffSize + samples.left(24000), 24000 },
        { "a header cut short", header(0).left(30), -1 },
        { "a header and no sample", header(0), -1 },
        { "half a frame", header(0) + samples.left(1), -1 },
        { "no header yet", QByteArray(44, '\0') + samples.left(24000), -1 },
        { "a format no take has", twelveBits + samples.left(24000), -1 },
        { "samples that are no integers", floats + samples.left(24000), -1 },
    };

    for (const auto& damaged : cases) {
        SCOPED_TRACE(damaged.what);
        Rig rig;
        ASSERT_TRUE(QDir().mkpath(rig.folder()));
        const QString take = rig.folder() + "/take-1-abcdef.wav";
        ASSERT_TRUE(writeFileBytes(take, damaged.bytes));
        const QString others[] = { rig.folder() + "/notes.wav", rig.folder() + "/take-1-x.txt" };
        for (const QString& other : others)
            ASSERT_TRUE(writeFileBytes(other, damaged.bytes));
        const QString saved = rig.dir.path() + "/saved.wav";
        rig.paths = { saved };
        rig.boxes.answerNext(MsgResult::Yes);
        rig.offerNow();
        EXPECT_FALSE(QFileInfo::exists(take));
        for (const QString& other : others)
            EXPECT_EQ(fileBytes(other), damaged.bytes);
        if (damaged.readable < 0) {
            EXPECT_TRUE(rig.questions().isEmpty());
            EXPECT_FALSE(QFileInfo::exists(saved));
            continue;
        }
        ASSERT_EQ(rig.questions().size(), 1);
        EXPECT_TRUE(rig.questions()[0].contains(": 1.5 s, recorded on "))
            << rig.questions()[0].toStdString();
        EXPECT_EQ(fileBytes(saved), header(damaged.readable) + samples.left(damaged.readable));
    }
}

// A save that fails is told, and the take stays for the next start, as it does when the program
// ends with the question unanswered.
TEST(LeftTakeOffer, aFailedSaveOrAnUnansweredQuestionKeepsTheTake)
{
    Rig rig;
    ASSERT_TRUE(QDir().mkpath(rig.folder()));
    const QString take = rig.folder() + "/take-1-abcdef.wav";
    const QByteArray bytes = wavFileBytes(2, 44100, 16, knownTakeBytes(0, 4 * 44100 * 75));
    ASSERT_TRUE(writeFileBytes(take, bytes));

    rig.paths = { rig.dir.path() + "/no such folder/saved.wav" };
    rig.boxes.answerNext(MsgResult::Yes);
    rig.offerNow();
    ASSERT_EQ(rig.questions().size(), 2);
    EXPECT_TRUE(rig.questions()[0].contains(": 1 min 15 s, recorded on "));
    EXPECT_EQ(rig.questions()[1], "Unable to save " + rig.dir.path() + "/no such folder/saved.wav");
    EXPECT_EQ(fileBytes(take), bytes);

    rig.boxes.answerNext(MsgResult::Cancel);
    rig.offerNow();
    EXPECT_EQ(rig.questions().size(), 1);
    EXPECT_EQ(fileBytes(take), bytes);
}
