#pragma once

#include "app/Metronome.h"

class MenuEntry;

// What the mouse does to the pictures of the main window's image buttons, and how the main menu's
// Start/Stop entry reads before the menu shows; without a display. UI thread only.
class MainWindowMouse
{
public:
    explicit MainWindowMouse(Metronome& metronome);

    // The pointer over a subdivision button (Image10, Image11 or Image12): its hover picture,
    // also on the selected one.
    void subdivisionHover(MainControl button);
    // The pointer over the background or the drag area: a button that shows its hover picture
    // goes back to its normal picture, the selected one to its selected picture. A button the
    // pointer left for the next one keeps its hover picture until then.
    void restoreSubdivisionPictures();

    // The piano button: pressed picture while a button is held on it; the release (anywhere)
    // shows the normal picture again, and the caller then opens the piano.
    ShownPicture imKlavir() const { return m_imKlavir; }

    void imKlavir_MouseDown() { m_imKlavir = ShownPicture::Image25; }

    void imKlavir_MouseUp() { m_imKlavir = ShownPicture::Image24; }

    // Where the right button went down for the main menu.
    enum class MenuSpot { Background, DragArea };

    // Sets the caption and availability of the menu's Start/Stop entry `mstop` from the play/stop
    // image. Hidden (no tempo): unavailable; showing the stop or play picture: available. The
    // caption says Stop while running, else Start; on the drag area a hidden image always says
    // Start. Visible without a picture: the drag area leaves the entry alone, the background
    // rewrites only the caption.
    void prepareMstop(MenuSpot spot, MenuEntry& mstop) const;

private:
    Metronome& m_metronome;
    ShownPicture m_imKlavir = ShownPicture::Image24;
};
