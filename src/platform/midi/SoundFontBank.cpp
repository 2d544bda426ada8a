#include "platform/midi/SoundFontBank.h"

#include <QDir>
#include <QFileInfo>

#include <fluidsynth.h>

namespace {

void quiet(int, const char*, void*)
{}

// FluidSynth logs from inside the render call, which runs on the audio thread: keep it silent
// there, and let only panics through.
void silenceLogging()
{
    static const bool done = [] {
        for (int level : { FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG })
            fluid_set_log_function(level, quiet, nullptr);
        return true;
    }();
    (void)done;
}

} // namespace

QString SoundFontBank::choose(const QString& folder)
{
    QString best;
    qint64 bestSize = -1;
    const QFileInfoList files =
        QDir(folder).entryInfoList({ QStringLiteral("*.sf2"), QStringLiteral("*.SF2") },
            QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
        if (!file.fileName().contains(QStringLiteral("GM"), Qt::CaseInsensitive))
            continue;
        // default-GM.sf2 is a link to one of the others: count the target once.
        const QFileInfo target(file.canonicalFilePath());
        if (target.size() > bestSize) {
            bestSize = target.size();
            best = target.filePath();
        }
    }
    return best;
}

std::shared_ptr<SoundFontBank> SoundFontBank::load(const QString& path)
{
    silenceLogging();
    std::shared_ptr<SoundFontBank> bank(new SoundFontBank);
    bank->m_settings = new_fluid_settings();
    if (!bank->m_settings)
        return nullptr;
    bank->m_owner = new_fluid_synth(bank->m_settings);
    if (!bank->m_owner)
        return nullptr;
    const QByteArray file = QFile::encodeName(path);
    if (!fluid_is_soundfont(file.constData()))
        return nullptr;
    const int id = fluid_synth_sfload(bank->m_owner, file.constData(), 0);
    if (id == FLUID_FAILED)
        return nullptr;
    bank->m_font = fluid_synth_get_sfont_by_id(bank->m_owner, id);
    return bank->m_font ? bank : nullptr;
}

SoundFontBank::~SoundFontBank()
{
    if (m_owner)
        delete_fluid_synth(m_owner);
    if (m_settings)
        delete_fluid_settings(m_settings);
}
