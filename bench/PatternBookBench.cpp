// The pattern dialog on a book of 10 000 records (a musician's book holds a few hundred; this
// shows the cost grows no worse than linearly). Each case times what the user waits for after
// one action: the dialog's load, a Save of a new record, a Save that overwrites a record, and a
// Remove, each with the whole file written beside the old one and renamed over it. Goal: each
// under 50 ms.
#include "app/AppWindows.h"
#include "app/PatternBook.h"
#include "app/frmMtroNew.h"
#include "app/frmPatern.h"
#include "platform/FakePlatform.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 10'000;

// The main window on the fake platform with a pattern file of kRecords records.
struct Book
{
    Book()
    {
        QFile out(fake.platform.dataFileToWrite(PatternBook::kFileName));
        if (!out.open(QIODevice::WriteOnly))
            qFatal("cannot write the pattern file");
        QStringList lines;
        for (int i = 0; i < kRecords; ++i)
            lines << QStringLiteral("Pattern %1;%2|1").arg(i).arg(patternFor(i));
        out.write(patternFileBytes(lines));
        window = windows.loadMainWindow();
    }

    // A distinct pattern per number: its binary digits as U and D after an A.
    static QString patternFor(int n)
    {
        QString pattern = QStringLiteral("A");
        for (; n > 0; n /= 2)
            pattern += n % 2 ? u'U' : u'D';
        return pattern;
    }

    FakePlatform fake;
    AppWindows windows { fake.platform };
    frmMtroNew* window = nullptr;
};

void type(QWidget* field, const QString& text)
{
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

void dialog_load(benchmark::State& state)
{
    Book book;
    for (auto _ : state) {
        frmPatern dialog(book.fake.platform, book.window->metronome());
        benchmark::DoNotOptimize(dialog.book().size());
    }
}

// Save of a typed record under a new name: a new pattern appends, a stored one overwrites.
void save(benchmark::State& state, bool overwrite)
{
    Book book;
    frmPatern dialog(book.fake.platform, book.window->metronome());
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++n;
        type(dialog.txtRit1->lineEdit(), QStringLiteral("Saved %1").arg(n));
        type(dialog.txtRit,
            overwrite ? Book::patternFor(kRecords / 2) : Book::patternFor(kRecords + n));
        state.ResumeTiming();
        QTest::mouseClick(dialog.Command2, Qt::LeftButton);
    }
    state.counters["records"] = double(dialog.book().size());
}

void save_new(benchmark::State& state)
{
    save(state, false);
}

void save_overwrite(benchmark::State& state)
{
    save(state, true);
}

void remove(benchmark::State& state)
{
    Book book;
    frmPatern dialog(book.fake.platform, book.window->metronome());
    for (auto _ : state)
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    state.counters["records"] = double(dialog.book().size());
}

BENCHMARK(dialog_load)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(save_new)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(save_overwrite)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(remove)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
