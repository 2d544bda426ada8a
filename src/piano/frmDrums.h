#pragma once

#include <array>

#include <QWidget>

class GGCommand;
class MessageBoxService;
class PopupMenus;
class QLabel;
class frmMidiPiano;

// The drum-pad window ("Drum"): twelve drum pictures, one per pad; a click on one selects that
// pad and pops up the drum-sound menu, whose choice gives the pad its sound. Borderless, always
// on top, 10 px rounded, dragged by its background, owned by the piano window (so it goes with
// it). UI thread only.
class frmDrums : public QWidget
{
    Q_OBJECT

public:
    frmDrums(frmMidiPiano& piano, PopupMenus& menus, MessageBoxService& boxes);

    void lblDrums_Click(int Index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    frmMidiPiano& m_piano;
    PopupMenus& m_menus;
    std::array<QLabel*, 12> m_lblDrums {};
    GGCommand* m_close = nullptr;
};
