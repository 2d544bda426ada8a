// The settings store on a normal settings file and on one of 10 MB (200 000 comment lines before
// the same values), through the real file store: a read as every piano key makes it (the scale
// tempo), and a write as every volume step makes it. Goal: the read of the large file within 1 ms
// of the normal one's.
#include "platform/files/FileStore.h"
#include "platform/settings/SettingsStore.h"

#include <chrono>
#include <thread>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QString kApp = QStringLiteral("Taktovia");
const QString kGitara = QStringLiteral("Gitara");

// A settings file as a run of the program leaves it, after `commentLines` lines of comment.
struct SettingsOnDisk
{
    explicit SettingsOnDisk(int commentLines)
    {
        {
            SettingsStore writer(path, files);
            const std::pair<const char*, const char*> values[] = { { "Zv1", "103" },
                { "Zv2", "106" }, { "Zv3", "118" }, { "Zv4", "101" }, { "Volme", "99" },
                { "Speed", "120" }, { "Rate", "44100" }, { "Channels", "1" },
                { "Resolution", "16" }, { "WaveFileName", "" } };
            for (const auto& [name, value] : values)
                writer.SaveRegValue(
                    kApp, kGitara, QString::fromLatin1(name), QString::fromLatin1(value));
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read the settings file");
        const QByteArray values = file.readAll();
        file.close();
        const QByteArray comment = "; " + QByteArray(48, 'x') + '\n';
        QByteArray bytes;
        bytes.reserve(comment.size() * commentLines + values.size());
        for (int i = 0; i < commentLines; ++i)
            bytes += comment;
        bytes += values;
        if (!files.writeAtomically(path, bytes, nullptr))
            qFatal("cannot write the settings file");
    }

    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/settings.reg");
    DiskFileStore files;
};

int commentLines(const benchmark::State& state)
{
    return state.range(0) == 0 ? 0 : 200'000;
}

// The file untouched since long before the reads (1), or changed just before them (0), when the
// store reads and compares its bytes at every call to see changes its stamp cannot tell.
void settings_read(benchmark::State& state)
{
    SettingsOnDisk disk(commentLines(state));
    SettingsStore store(disk.path, disk.files);
    if (state.range(1) == 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(SettingsStore::kSettleMs + 100));
    state.SetLabel(QStringLiteral("%1 bytes").arg(QFileInfo(disk.path).size()).toStdString());
    for (auto _ : state) {
        const QVariant speed =
            store.GetRegValue(kApp, kGitara, QStringLiteral("Speed"), QStringLiteral("120"));
        benchmark::DoNotOptimize(speed);
        if (speed.toString() != QStringLiteral("120"))
            state.SkipWithError("the stored value was not read");
    }
}

void settings_write(benchmark::State& state)
{
    SettingsOnDisk disk(commentLines(state));
    SettingsStore store(disk.path, disk.files);
    int level = 0;
    for (auto _ : state) {
        level = (level + 1) % 100;
        if (!store.SaveRegValue(kApp, kGitara, QStringLiteral("Volme"), QString::number(level)))
            state.SkipWithError("the write failed");
    }
}

} // namespace

// First argument 0: the normal file; 1: the same values after 200 000 comment lines.
BENCHMARK(settings_read)
    ->Args({ 0, 1 })
    ->Args({ 1, 1 })
    ->Args({ 0, 0 })
    ->Args({ 1, 0 })
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(settings_write)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
