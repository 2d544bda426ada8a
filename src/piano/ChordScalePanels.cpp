#include "piano/ChordScalePanels.h"

#include "controls/ControlFonts.h"
#include "controls/GGCommand.h"
#include "piano/ChoiceBox.h"
#include "piano/ChordModes.h"
#include "piano/PianoCore.h"
#include "piano/PianoPictures.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/basic/WakeTimer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace {

const QString kText = QStringLiteral("color: #9fe07a; background: transparent;");

ChoiceBox* comboBox(QWidget* parent, const QRect& place, const QString& text)
{
    auto* box = new ChoiceBox(parent);
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
    label->setFont(controlFont(QStringLiteral("Arial"), 8, 700));
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(kText);
    return label;
}

QLabel* caption(QWidget* parent,
    const QRect& place,
    const QString& text,
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setFont(controlFont(QStringLiteral("Arial"), 8));
    label->setAlignment(align);
    label->setStyleSheet(kText);
    return label;
}

// The play buttons draw the right-pointing triangle of the symbol font's "4".
GGCommand* playButton(QWidget* parent)
{
    return makePianoButton(
        parent, { 110, 0, 22, 20 }, QStringLiteral("4"), {}, QStringLiteral("glyph_play"));
}

// "Left Hand only" in the window's own colours: Qt's style draws the box dark on the dark wood,
// where it does not show. A square with a tick, greyed with its text while out of use.
class WoodCheckBox : public QCheckBox
{
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        const bool inUse = isEnabled();
        const QColor ink = inUse ? QColor(0x9f, 0xe0, 0x7a) : QColor(0x8c, 0x86, 0x7c);
        const QColor face = inUse ? QColor(0x20, 0x14, 0x0c) : QColor(0x3a, 0x30, 0x26);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF square(0.5, height() / 2 - 6 + 0.5, 12, 12);
        painter.setPen(QPen(ink, 1));
        painter.setBrush(face);
        painter.drawRoundedRect(square, 2, 2);
        if (isChecked()) {
            QPainterPath tick;
            tick.moveTo(square.left() + 2.5, square.center().y());
            tick.lineTo(square.left() + 5, square.bottom() - 3);
            tick.lineTo(square.right() - 2.5, square.top() + 2.5);
            painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(tick);
        }
        painter.setPen(ink);
        painter.drawText(rect().adjusted(18, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

    // The square and the text both take the click, as they show.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// Each panel fills the band between the display box and the keys' felt, left of Sustain: its
// list, play button and controls in a row, and below them the labelled text boxes, wide enough
// for the longest chord symbols and both lines of the melodic minor.
constexpr QRect kPanelPlace(20, 103, 316, 50);
constexpr QRect kListPlace(0, 0, 108, 20);
constexpr int kBoxLeft = 60;
constexpr int kBoxWidth = 256;

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
    m_pratnja = new WoodCheckBox(QStringLiteral("Left Hand only"), &window);
    m_pratnja->setGeometry(538, 128, 110, 20);
    m_pratnja->setFont(controlFont(QStringLiteral("Arial"), 8));
    m_pratnja->setFocusPolicy(Qt::NoFocus);
    m_pratnja->setEnabled(false);
    connect(m_pratnja, &QCheckBox::toggled, this, [this](bool ticked) {
        m_core.setPratnja(ticked);
        m_focusBack();
    });
    connect(m_combo1, &QComboBox::editTextChanged, this, [this](const QString& text) {
        modeChanged(text);
    });
    connect(m_combo1, &ChoiceBox::chosen, this, [this] {
        m_focusBack();
    });

    m_chordPanel = new QWidget(&window);
    m_scalePanel = new QWidget(&window);
    for (QWidget* panel : { m_scalePanel, m_chordPanel })
        panel->setGeometry(kPanelPlace);
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
    m_c1 = comboBox(m_chordPanel, kListPlace, {});
    m_c1->addItems(chordNames);
    m_c1->setCurrentIndex(-1);
    m_c1->setEditText(QStringLiteral("Select Chord"));
    auto* replayChord = playButton(m_chordPanel);
    caption(m_chordPanel, { 136, 0, 120, 20 }, QStringLiteral("Transpose Chrod for:"),
        Qt::AlignRight | Qt::AlignVCenter);
    m_transpose = makePianoButton(m_chordPanel, { 260, 0, 56, 20 }, QStringLiteral("2nd"),
        QStringLiteral("Transpose Chrod for:"));
    caption(m_chordPanel, { 0, 22, kBoxLeft, 14 }, QStringLiteral("Symbol(s):"));
    m_text1 = textBox(m_chordPanel, { kBoxLeft, 22, kBoxWidth, 14 });
    caption(m_chordPanel, { 0, 36, kBoxLeft, 14 }, QStringLiteral("Structure:"));
    m_text2 = textBox(m_chordPanel, { kBoxLeft, 36, kBoxWidth, 14 });
    connect(m_c1, &ChoiceBox::chosen, this, [this](int row) {
        m_chords.C1_Click(row);
        showChord();
    });
    // Typed text leaves no chosen row: the replay then presses nothing.
    connect(replayChord, &GGCommand::Click, this, [this] {
        m_chords.C1_Click(m_c1->chosenRow());
        showChord();
    });
    connect(m_transpose, &GGCommand::Click, this, [this] {
        m_chords.GGCommand9_Click();
        showChord();
    });

    m_c2 = comboBox(m_scalePanel, kListPlace, {});
    m_c2->addItems(scaleNames);
    m_c2->setCurrentIndex(-1);
    m_c2->setEditText(QStringLiteral("Select Scale"));
    auto* replayScale = playButton(m_scalePanel);
    m_tempoButton =
        makePianoButton(m_scalePanel, { 136, 0, 76, 20 }, QStringLiteral("Scale Tempo"), {});
    m_lblMM = textBox(m_scalePanel, { 214, 0, 48, 20 });
    m_label6 = textBox(m_scalePanel, { 264, 0, 52, 20 });
    caption(m_scalePanel, { 0, 22, kBoxLeft, 14 }, QStringLiteral("Structure:"));
    m_rts = textBox(m_scalePanel, { kBoxLeft, 22, kBoxWidth, 28 });
    // A one-line structure stays level with its label.
    m_rts->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    connect(m_c2, &ChoiceBox::chosen, this, [this](int row) {
        m_scales.C2_Click(row);
        showScale();
    });
    connect(replayScale, &GGCommand::Click, this, [this] {
        m_scales.C2_Click(m_c2->chosenRow());
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

    // A choice from the list, or the list or the typing left: the keys play again.
    for (ChoiceBox* box : { m_combo1, m_c1, m_c2 }) {
        connect(box, &ChoiceBox::listClosed, this, [this] {
            m_focusBack();
        });
        connect(box, &ChoiceBox::typingEnded, this, [this] {
            m_focusBack();
        });
    }
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
