#include "app/frmpoly.h"

#include "app/DialogLayout.h"
#include "app/Metronome.h"
#include "platform/Platform.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool isGroup(const QString& field)
{
    return !field.isEmpty() && Val(field) > 0;
}

} // namespace

frmpoly::frmpoly(Platform& platform, Metronome& metronome)
    : m_platform(platform)
    , m_metronome(metronome)
{
    setObjectName(QStringLiteral("frmpoly"));
    setWindowTitle(QStringLiteral("Set Rhythm"));
    buildControls();
}

frmpoly::~frmpoly() = default;

void frmpoly::buildControls()
{
    auto* framepoly = new QGroupBox(QStringLiteral("Misc Rhythm"), this);
    framepoly->setObjectName(QStringLiteral("framepoly"));
    auto* row = new QHBoxLayout(framepoly);
    for (int i = 0; i < kGroups; ++i) {
        if (i > 0)
            row->addWidget(new QLabel(QStringLiteral("+"), framepoly));
        auto* field = new QLineEdit(framepoly);
        field->setObjectName(QStringLiteral("txtpoly%1").arg(i));
        field->setMaximumWidth(40);
        field->installEventFilter(this);
        row->addWidget(field);
        txtpoly[static_cast<std::size_t>(i)] = field;
    }

    cmdOk = dialogButton(*this, "cmdOk", QStringLiteral("OK"));
    cmdCancel = dialogButton(*this, "cmdCancel", QStringLiteral("Cancel"));
    frameAboveButtons(*this, framepoly, {}, { cmdOk, cmdCancel });

    for (std::size_t i = 1; i < txtpoly.size(); ++i)
        setTabOrder(txtpoly[i - 1], txtpoly[i]);
    setTabOrder(txtpoly.back(), cmdOk);
    setTabOrder(cmdOk, cmdCancel);

    connect(cmdOk, &QPushButton::clicked, this, [this] {
        cmdOk_Click();
    });
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        reject();
    });
}

void frmpoly::showModal()
{
    // Every showing: Cancel puts back what was current now, not what an earlier showing found.
    SavedPattern = m_metronome.BeatPattern;
    exec();
}

bool frmpoly::eventFilter(QObject* watched, QEvent* event)
{
    if (enterRunsOk(*event, std::bind_front(&frmpoly::cmdOk_Click, this)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void frmpoly::reject()
{
    m_metronome.BeatPattern = SavedPattern;
    done(QDialog::Rejected);
}

QString frmpoly::ExtrRitam(const QString& Field)
{
    if (!isGroup(Field))
        return {};
    // A fraction counts as its whole part; 0 < n < 2 is the up beat alone.
    const double beats = std::min(std::floor(Val(Field)), double { kMaxGroup });
    return QStringLiteral("U") + QString(static_cast<qsizetype>(std::max(beats, 1.0)) - 1, u'D');
}

QString frmpoly::ExtrRitamMisc(const std::array<QString, kGroups>& fields)
{
    QString label;
    for (const QString& field : fields) {
        if (!isGroup(field))
            continue;
        if (!label.isEmpty())
            label += u'+';
        label += field;
    }
    return label;
}

std::array<QString, frmpoly::kGroups> frmpoly::fieldTexts() const
{
    std::array<QString, kGroups> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = txtpoly[i]->text();
    return texts;
}

void frmpoly::cmdOk_Click()
{
    const auto fields = fieldTexts();
    for (const QString& field : fields) {
        if (isGroup(field) && Val(field) > kMaxGroup) {
            m_platform.boxes->msgBox(QStringLiteral("A group holds 1 to %1 beats: %2 is too many.")
                                         .arg(kMaxGroup)
                                         .arg(field),
                MsgButtons::OK, MsgIcon::Critical);
            return;
        }
    }
    QString pattern;
    for (const QString& field : fields)
        pattern += ExtrRitam(field);
    m_metronome.BeatPattern = pattern;
    m_metronome.setLblTempo(ExtrRitamMisc(fields));
    m_metronome.setLblcd(QString());
    // The bar plays through the metronome player with its lights, from its first step, also
    // after a custom pattern played.
    m_metronome.FlamencoMode = false;
    m_metronome.startFromDialog();
    m_unloaded = true;
    done(QDialog::Accepted);
}
