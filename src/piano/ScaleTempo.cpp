#include "piano/ScaleTempo.h"

#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/settings/SettingsStore.h"

namespace {

constexpr double kSlowest = 50;
constexpr double kFastest = 500;
const QString kDefaultSpeed = QStringLiteral("120");

bool inRange(const QString& text)
{
    const double v = Val(text);
    return v >= kSlowest && v <= kFastest;
}

} // namespace

ScaleTempo::ScaleTempo(SettingsStore& settings, MessageBoxService& boxes)
    : m_settings(settings)
    , m_boxes(boxes)
{}

QString ScaleTempo::usableSpeed(const QString& stored)
{
    return inRange(stored) ? stored : kDefaultSpeed;
}

QString ScaleTempo::threeDigits(const QString& text)
{
    if (!IsNumeric(text))
        return text;
    return QStringLiteral("%1").arg(
        static_cast<qlonglong>(roundHalfEven(Val(text))), 3, 10, QLatin1Char('0'));
}

QString ScaleTempo::storedSpeed() const
{
    return usableSpeed(m_settings
                           .GetRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"),
                               QStringLiteral("Speed"), kDefaultSpeed)
                           .toString());
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
    if (inRange(reply)) {
        Text4_Change(reply);
        m_settings.SaveRegValue(
            QStringLiteral("Taktovia"), QStringLiteral("Gitara"), QStringLiteral("Speed"), reply);
    } else {
        m_boxes.msgBox(QStringLiteral("Selected Tempo ") + reply
                + QStringLiteral(" is out of range (50 - 500)."),
            MsgButtons::OK, MsgIcon::None, QStringLiteral("MIDI Piano"));
    }
    return true;
}

void ScaleTempo::unload()
{
    m_settings.SaveRegValue(
        QStringLiteral("Taktovia"), QStringLiteral("Gitara"), QStringLiteral("Speed"), m_text4);
}

int ScaleTempo::intervalMs() const
{
    return static_cast<int>(roundHalfEven(Val(m_txtSpeed)));
}
