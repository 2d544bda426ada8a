#pragma once

#include "piano/ChordBook.h"
#include "piano/ScalePlayer.h"
#include "piano/ScaleTempo.h"

#include <QObject>

class GGCommand;
class PianoCore;
class QCheckBox;
class ChoiceBox;
class QLabel;
class QWidget;
struct Platform;

// The piano window's "Piano Mode:" box with "Left Hand only", and its two stacked panels: the
// chord dictionary with the transposition button, and the timed scales with their tempo. Made
// on the piano window at its load; `focusBack` gives the keyboard focus back to the keys. UI
// thread only.
class ChordScalePanels : public QObject
{
public:
    ChordScalePanels(
        QWidget& window, PianoCore& core, Platform& platform, std::function<void()> focusBack);
    ~ChordScalePanels() override;

    // The mode box's text as the channel menu sets it.
    void setCombo1Text(const QString& text);
    // Every key the computer keyboard plays re-reads the stored tempo.
    void keyPressed();

    void unload();

    ChoiceBox* Combo1() const { return m_combo1; }

    ChoiceBox* C1() const { return m_c1; }

    ChoiceBox* C2() const { return m_c2; }

    QCheckBox* Pratnja() const { return m_pratnja; }

    const ChordBook& chords() const { return m_chords; }

    const ScalePlayer& scales() const { return m_scales; }

    const ScaleTempo& tempo() const { return m_tempo; }

private:
    void modeChanged(const QString& text);
    void showChord();
    void showScale();

    PianoCore& m_core;
    std::function<void()> m_focusBack;
    ChordBook m_chords;
    ScaleTempo m_tempo;
    ScalePlayer m_scales;
    ChoiceBox* m_combo1 = nullptr;
    QCheckBox* m_pratnja = nullptr;
    QWidget* m_chordPanel = nullptr;
    QWidget* m_scalePanel = nullptr;
    ChoiceBox* m_c1 = nullptr;
    ChoiceBox* m_c2 = nullptr;
    QLabel* m_text1 = nullptr;
    QLabel* m_text2 = nullptr;
    QLabel* m_rts = nullptr;
    QLabel* m_label6 = nullptr;
    QLabel* m_lblMM = nullptr;
    GGCommand* m_transpose = nullptr;
    GGCommand* m_tempoButton = nullptr;
};
