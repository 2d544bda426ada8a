#include "platform/audio/TakeFile.h"

#include "FileBytes.h"
#include "platform/audio/WavWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray readAll(const TakeFile& take)
{
    QByteArray bytes(take.dataBytes(), Qt::Uninitialized);
    return take.read(0, bytes.data(), std::size_t(bytes.size())) ? bytes : "<unreadable>";
}

} // namespace

// A take is whose lock holds it, also within one process: one being recorded is never found as
// left, one left on disk by an object that went is found with its samples, and a take found by
// one start is not found by another while the first holds it.
TEST(TakeFile, aTakeIsFoundAsLeftOnlyOnceNothingHoldsItsLock)
{
    QTemporaryDir dir;
    const CaptureFormat format { 8000, 2, 16 };
    const QByteArray samples(4000, 'k');
    QString error;
    auto recording = TakeFile::create(dir.path(), format, &error);
    ASSERT_TRUE(recording) << error.toStdString();
    // Its format is on disk before any sample.
    EXPECT_EQ(fileBytes(recording->path()), wavHeader(2, 8000, 16, 0));
    ASSERT_EQ(recording->append(reinterpret_cast<const std::uint8_t*>(samples.constData()),
                  std::size_t(samples.size()), ::pwrite),
        TakeFault::None);
    EXPECT_TRUE(TakeFile::leftIn(dir.path()).empty());
    const QString path = recording->path();
    const QByteArray onDisk = fileBytes(path);

    recording->leaveOnDisk();
    recording.reset();
    EXPECT_EQ(fileBytes(path), onDisk);
    auto left = TakeFile::leftIn(dir.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0]->path(), path);
    EXPECT_EQ(left[0]->format(), format);
    EXPECT_EQ(readAll(*left[0]), samples);
    EXPECT_TRUE(TakeFile::leftIn(dir.path()).empty());

    left.clear();
    left = TakeFile::leftIn(dir.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(left[0]->remove());
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(readAll(*left[0]), samples);
}
