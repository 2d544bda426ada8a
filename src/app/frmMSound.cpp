#include "app/frmMSound.h"

#include "app/ClickSounds.h"
#include "app/DialogLayout.h"
#include "platform/Platform.h"
#include "platform/basic/Conversions.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/StoredValue.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

// The bold letter and the rest of its caption, in the order of ClickSounds::soundChoices().
struct Letter
{
    const char* letter;
    const char* rest; // the caption after the bold letter
};

constexpr std::array<Letter, 4> kLetters { {
    { "F", " irst Beat:" },
    { "U", " p Beat:" },
    { "D", " own Beat:" },
    { "A", " ccent Beat:" },
} };

// The clip id equal to this value, when it is one of 101..124.
std::optional<int> clipIdOf(double value)
{
    // A fraction or NaN fails the first test, an infinity the range.
    if (value != std::floor(value) || value < ClickSounds::kFirstClipId
        || value >= ClickSounds::kFirstClipId + ClickSounds::kClipCount)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int> clipNamed(const QString& name)
{
    const auto& names = ClickSounds::clipNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (name == QLatin1String(names[i]))
            return ClickSounds::kFirstClipId + static_cast<int>(i);
    }
    return std::nullopt;
}

// The caption's leading blank is the bold letter's place, so that the row reads as one word
// ("First Beat:"): the letter, a child of the caption, ends where the blank ends. A bold letter
// is wider than a blank, so the caption's text is indented by the difference.
void placeOverLeadingBlank(QLabel& letter, QLabel& caption)
{
    const int letterWidth = letter.fontMetrics().horizontalAdvance(letter.text());
    const int blankWidth = caption.fontMetrics().horizontalAdvance(u' ');
    const int indent = std::max(0, letterWidth - blankWidth);
    caption.setIndent(indent);
    caption.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    caption.setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    caption.setFixedHeight(caption.sizeHint().height());
    letter.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    letter.setGeometry(indent + blankWidth - letterWidth, 0, letterWidth, caption.height());
}

} // namespace

frmMSound::frmMSound(Platform& platform, ClickSounds& sounds)
    : m_platform(platform)
    , m_sounds(sounds)
{
    setObjectName(QStringLiteral("frmMSound"));
    setWindowTitle(QStringLiteral("Settings"));
    buildControls();
    Form_Load();
}

frmMSound::~frmMSound() = default;

void frmMSound::DajZvuke(QComboBox& Box)
{
    for (const char* name : ClickSounds::clipNames())
        Box.addItem(QString::fromLatin1(name));
}

void frmMSound::buildControls()
{
    auto* frame = new QGroupBox(QStringLiteral("Select Metronome Sound"), this);
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(0);
    for (std::size_t row = 0; row < kLetters.size(); ++row) {
        const Letter& letter = kLetters[row];
        auto* caption = new QLabel(QString::fromLatin1(letter.rest), frame);
        auto* bold = new QLabel(QString::fromLatin1(letter.letter), caption);
        QFont font = caption->font();
        font.setBold(true);
        bold->setFont(font);
        placeOverLeadingBlank(*bold, *caption);
        auto* box = new QComboBox(frame);
        box->setObjectName(QStringLiteral("Combo%1").arg(row + 1));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        // Only an exact name counts: completion would turn "kick" into a clip the user did not
        // type.
        box->setCompleter(nullptr);
        grid->addWidget(caption, static_cast<int>(row), 0, Qt::AlignVCenter);
        grid->addItem(new QSpacerItem(8, 0), static_cast<int>(row), 1);
        grid->addWidget(box, static_cast<int>(row), 2);
        Combo[row] = box;
    }
    grid->setColumnStretch(2, 1);

    Command1 = dialogButton(*this, "Command1", QStringLiteral("&Save"));
    Command2 = dialogButton(*this, "Command2", QStringLiteral("Cancel"));
    frameAboveButtons(*this, frame, {}, { Command1, Command2 });

    connect(Command1, &QPushButton::clicked, this, [this] {
        Command1_Click();
    });
    connect(Command2, &QPushButton::clicked, this, [this] {
        reject();
    });
}

void frmMSound::Form_Load()
{
    for (QComboBox* box : Combo)
        DajZvuke(*box);
    // What the settings hold, not what plays: a stored text that names no clip shows blank.
    for (std::size_t i = 0; i < ClickSounds::soundChoices().size(); ++i) {
        const ClickSounds::SoundChoice& choice = ClickSounds::soundChoices()[i];
        const std::optional<double> stored = m_platform.settings->number(choice.value);
        const auto id = stored ? clipIdOf(*stored) : std::nullopt;
        Combo[i]->setCurrentIndex(id ? *id - ClickSounds::kFirstClipId : -1);
        if (!id)
            Combo[i]->setEditText(QString());
    }
}

void frmMSound::Command1_Click()
{
    const auto& choices = ClickSounds::soundChoices();
    for (std::size_t i = 0; i < choices.size(); ++i) {
        std::optional<double>& variable = m_sounds.*choices[i].variable;
        if (const auto chosen = clipNamed(Combo[i]->currentText()))
            variable = *chosen;
        else if (!variable || !clipIdOf(*variable))
            // Never an empty or unknown id into the settings: the letter's default instead.
            variable = choices[i].value.defaultNumber();
    }
    // Before the writes, which may take a while on a slow disk: the beat changes sound now.
    m_sounds.choicesChanged();
    // A failed write is told by the store, once a run; the new clips play either way.
    for (const ClickSounds::SoundChoice& choice : choices) {
        m_platform.settings->save(
            choice.value, static_cast<std::int32_t>(*(m_sounds.*choice.variable)));
    }
    accept();
}
