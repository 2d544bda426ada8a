#include "piano/ChordScalePanels.h"

#include "controls/ControlFonts.h"
#include "controls/GGCommand.h"
#include "piano/ChordModes.h"
#include "piano/PianoCore.h"
#include "piano/PianoPictures.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/basic/WakeTimer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace {

const QString kText = QStringLiteral("color: #9fe07a; background: transparent;");

QComboBox* comboBox(QWidget* parent, const QRect& place, const QString& text)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    // Typed text is a mode or a choice to look up, never a new entry of the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setGeometry(place);
    box->setFont(controlFont(QStringLiteral("Arial"), 8));
    box->setFocusPolicy(Qt::ClickFocus);
    box->setEditText(text);
    return box;
}

// The chord and scale boxes: centred, bold.
QLabel* textBox(QWidget* parent, const QRect& place)
{
    auto* label = new QLabel(parent);
    label->setGeometry(place);
    label->setFont(controlFont(QStringLiteral("Arial"), 7, 700));
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(kText);
    return label;
}

QLabel* caption(QWidget* parent, const QRect& place, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setFont(controlFont(QStringLiteral("Arial"), 8));
    label->setStyleSheet(kText);
    return label;
}

} // namespace

ChordScalePanels::ChordScalePanels(
    QWidget& window, PianoCore& core, Platform& platform, std::function<void()> focusBack)
    : m_core(core)
    , m_focusBack(std::move(focusBack))
    , m_chords(core,
          *platform.boxes,
          [this](const QString& mode) {
              setCombo1Text(mode);
          })
    , m_tempo(*platform.settings, *platform.boxes)
    , m_scales(core,
          m_tempo,
          *platform.midiOut,
          [&platform] {
              return platform.audio->now();
          },
          makeQtWakeTimer(),
          { [this](const QString& text) {
               m_label6->setText(text);
           },
              [this](bool enabled) {
                  m_tempoButton->setEnabled(enabled);
              } })
{
    caption(&window, { 410, 104, 80, 16 }, QStringLiteral("Piano Mode:"));
    m_combo1 = comboBox(&window, { 410, 126, 124, 22 }, kNormalMode);
    QStringList modes;
    DodajIntrvale(modes);
    m_combo1->addItems(modes);
    m_combo1->setEditText(kNormalMode);
    m_pratnja = new QCheckBox(QStringLiteral("Left Hand only"), &window);
    m_pratnja->setGeometry(538, 128, 110, 20);
    m_pratnja->setFont(controlFont(QStringLiteral("Arial"), 8));
    m_pratnja->setStyleSheet(kText);
    m_pratnja->setFocusPolicy(Qt::NoFocus);
    m_pratnja->setEnabled(false);
    connect(m_pratnja, &QCheckBox::toggled, this, [this](bool ticked) {
        m_core.setPratnja(ticked);
        m_focusBack();
    });
    connect(m_combo1, &QComboBox::editTextChanged, this, [this](const QString& text) {
        modeChanged(text);
    });
    connect(m_combo1, &QComboBox::activated, this, [this] {
        m_focusBack();
    });

    m_chordPanel = new QWidget(&window);
    m_scalePanel = new QWidget(&window);
    for (QWidget* panel : { m_scalePanel, m_chordPanel })
        panel->setGeometry(30, 110, 306, 46);
    auto* chordsButton = makePianoButton(
        &window, { 650, 126, 46, 22 }, QStringLiteral("Chords"), QStringLiteral("Select Chords"));
    auto* scalesButton = makePianoButton(
        &window, { 698, 126, 46, 22 }, QStringLiteral("Scales"), QStringLiteral("Select Scales"));
    // The panels lie on each other and show through: the one in front is the one shown.
    connect(chordsButton, &GGCommand::Click, this, [this] {
        m_scalePanel->hide();
        m_chordPanel->show();
    });
    connect(scalesButton, &GGCommand::Click, this, [this] {
        m_chordPanel->hide();
        m_scalePanel->show();
    });

    QStringList chordNames, scaleNames;
    Boxovi(chordNames, scaleNames);
    m_c1 = comboBox(m_chordPanel, { 0, 0, 112, 22 }, {});
    m_c1->addItems(chordNames);
    m_c1->setCurrentIndex(-1);
    m_c1->setEditText(QStringLiteral("Select Chord"));
    auto* replayChord =
        makePianoButton(m_chordPanel, { 114, 0, 24, 22 }, QStringLiteral("\u25B6"), {});
    m_transpose = makePianoButton(m_chordPanel, { 140, 0, 46, 22 }, QStringLiteral("2nd"),
        QStringLiteral("Transpose Chrod for:"));
    m_text1 = textBox(m_chordPanel, { 0, 24, 176, 20 });
    m_text2 = textBox(m_chordPanel, { 178, 24, 128, 20 });
    connect(m_c1, &QComboBox::activated, this, [this](int index) {
        m_chords.C1_Click(index);
        showChord();
    });
    // A typed text chooses no row: the next replay presses nothing.
    connect(m_c1->lineEdit(), &QLineEdit::textEdited, this, [this] {
        m_c1->setCurrentIndex(-1);
    });
    connect(replayChord, &GGCommand::Click, this, [this] {
        m_chords.C1_Click(m_c1->currentIndex());
        showChord();
    });
    connect(m_transpose, &GGCommand::Click, this, [this] {
        m_chords.GGCommand9_Click();
        showChord();
    });

    m_c2 = comboBox(m_scalePanel, { 0, 0, 112, 22 }, {});
    m_c2->addItems(scaleNames);
    m_c2->setCurrentIndex(-1);
    m_c2->setEditText(QStringLiteral("Select Scale"));
    auto* replayScale =
        makePianoButton(m_scalePanel, { 114, 0, 24, 22 }, QStringLiteral("\u25B6"), {});
    m_tempoButton =
        makePianoButton(m_scalePanel, { 140, 0, 76, 22 }, QStringLiteral("Scale Tempo"), {});
    m_lblMM = textBox(m_scalePanel, { 218, 0, 44, 22 });
    m_label6 = textBox(m_scalePanel, { 264, 0, 42, 22 });
    m_rts = textBox(m_scalePanel, { 0, 24, 306, 22 });
    connect(m_c2, &QComboBox::activated, this, [this](int index) {
        m_scales.C2_Click(index);
        showScale();
    });
    connect(m_c2->lineEdit(), &QLineEdit::textEdited, this, [this] {
        m_c2->setCurrentIndex(-1);
    });
    connect(replayScale, &GGCommand::Click, this, [this] {
        m_scales.C2_Click(m_c2->currentIndex());
        showScale();
    });
    connect(m_tempoButton, &GGCommand::Click, this, [this] {
        if (m_tempo.GGCommand12_Click())
            m_focusBack();
        m_lblMM->setText(m_tempo.lblMM());
    });

    m_tempo.load();
    m_lblMM->setText(m_tempo.lblMM());
    m_scalePanel->hide();
}

ChordScalePanels::~ChordScalePanels() = default;

void ChordScalePanels::modeChanged(const QString& text)
{
    m_core.setMode(text);
    // The box follows the mode on every change, also those of the dictionary and the menus.
    m_pratnja->setEnabled(text != kNormalMode);
}

void ChordScalePanels::setCombo1Text(const QString& text)
{
    m_combo1->setEditText(text);
    modeChanged(text);
}

void ChordScalePanels::showChord()
{
    m_text1->setText(m_chords.text1());
    m_text2->setText(m_chords.text2());
    m_transpose->setCaption(m_chords.transposeCaption());
    m_focusBack();
}

void ChordScalePanels::showScale()
{
    m_rts->setText(m_scales.rts());
    m_lblMM->setText(m_tempo.lblMM());
    m_focusBack();
}

void ChordScalePanels::keyPressed()
{
    m_tempo.keyPressed();
    m_lblMM->setText(m_tempo.lblMM());
}

void ChordScalePanels::unload()
{
    m_scales.stop();
    m_tempo.unload();
}
