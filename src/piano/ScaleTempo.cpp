#include "piano/ScaleTempo.h"

#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/StoredValues.h"

ScaleTempo::ScaleTempo(SettingsStore& settings, MessageBoxService& boxes)
    : m_settings(settings)
    , m_boxes(boxes)
{}

QString ScaleTempo::threeDigits(const QString& text)
{
    if (!IsNumeric(text))
        return text;
    return QStringLiteral("%1").arg(
        static_cast<qlonglong>(roundHalfEven(Val(text))), 3, 10, QLatin1Char('0'));
}

QString ScaleTempo::storedSpeed() const
{
    return m_settings.usableText(StoredValues::Speed);
}

void ScaleTempo::Text4_Change(const QString& text)
{
    m_text4 = text;
    m_txtSpeed = NumText(60000 / Val(text));
}

void ScaleTempo::load()
{
    Text4_Change(threeDigits(storedSpeed()));
}

void ScaleTempo::keyPressed()
{
    Text4_Change(storedSpeed());
}

bool ScaleTempo::GGCommand12_Click()
{
    const QString reply = m_boxes.inputBox(QStringLiteral("Select scale Tempo in range (50 - 500)"),
        QStringLiteral("Scale Tempo"), m_text4);
    if (reply.isEmpty())
        return false;
    if (StoredValues::Speed.accepts(reply)) {
        Text4_Change(reply);
        m_settings.save(StoredValues::Speed, reply);
    } else {
        m_boxes.msgBox(QStringLiteral("Selected Tempo ") + reply
                + QStringLiteral(" is out of range (50 - 500)."),
            MsgButtons::OK, MsgIcon::None, QStringLiteral("MIDI Piano"));
    }
    return true;
}

void ScaleTempo::unload()
{
    m_settings.save(StoredValues::Speed, m_text4);
}

int ScaleTempo::intervalMs() const
{
    return static_cast<int>(roundHalfEven(Val(m_txtSpeed)));
}
