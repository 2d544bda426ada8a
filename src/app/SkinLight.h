#pragma once

#include <QLabel>

class QPaintEvent;

// A beat light on the main window's skin (`Image5`, `imz`, `Image4`): an image that shows its
// picture while lit and nothing while dark, where the skin's own unlit lamp then shows through.
// Unlike hiding and showing an image, a change only repaints the light's own rectangle: no show
// or hide events, no focus or pointer bookkeeping (which asks the X server where the pointer is
// each time), and nothing at all for a light set to the state it has. A dark light lets presses
// through to the skin, as a hidden image does. UI thread only.
class SkinLight : public QLabel
{
    Q_OBJECT

public:
    explicit SkinLight(QWidget* parent);

    bool lit() const { return m_lit; }

    void setLit(bool lit);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_lit = true;
};
