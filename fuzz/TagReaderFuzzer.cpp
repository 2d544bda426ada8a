// libFuzzer entry for both ID3v1 tag classes: any file must be read without a crash, and a tag
// written back onto it may change only its last 128 bytes or append 128 new ones, never a byte of
// what stands before them.
#include "platform/basic/MessageBoxService.h"
#include "recorder/ID3tag.h"
#include "recorder/cMP3ID3v1.h"

#include <cstdlib>

#include <QByteArray>
#include <QDir>
#include <QFile>

namespace {

// Reading shows nothing; a write to a writable file of more than 128 bytes neither.
class NoBoxes : public MessageBoxService
{
protected:
    MsgResult showMessage(const BoxRequest&) override { return MsgResult::OK; }

    QString showInput(const BoxRequest&) override { return {}; }

    void showNotice(const BoxRequest&) override {}

    void hideNotice() override {}
};

const QString& scratchFile()
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("tag-fuzz-%1.mp3").arg(getpid()));
    return path;
}

bool store(const QByteArray& bytes)
{
    QFile file(scratchFile());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

QByteArray load()
{
    QFile file(scratchFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void checkOnlyTheRecordChanged(const QByteArray& before)
{
    const QByteArray after = load();
    if (before.size() < 128) {
        if (after != before)
            std::abort();
        return;
    }
    const qsizetype kept = after.size() == before.size() ? before.size() - 128 : before.size();
    if ((after.size() != before.size() && after.size() != before.size() + 128)
        || after.left(kept) != before.left(kept)
        || (after.size() > before.size() && !after.mid(kept).startsWith("TAG")))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!store(bytes))
        return 0;
    ID3tag tag;
    tag.setFileName(scratchFile());
    (void)tag.Genre_str();
    tag.Save();
    checkOnlyTheRecordChanged(bytes);

    if (!store(bytes))
        return 0;
    NoBoxes boxes;
    cMP3ID3v1 editor(boxes);
    editor.setMP3File(scratchFile());
    (void)cMP3ID3v1::GenreName(editor.Genre());
    editor.Update();
    checkOnlyTheRecordChanged(bytes);
    // The run ends between two inputs, with nothing of its own to clean up after it.
    QFile::remove(scratchFile());
    return 0;
}
