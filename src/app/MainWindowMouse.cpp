#include "app/MainWindowMouse.h"

#include "app/MenuEntry.h"

#include <array>

namespace {

struct SubdivisionButton
{
    MainControl button;
    const char* ritam;
    ShownPicture normal;
    ShownPicture hover;
    ShownPicture selected;
};

// In the order the background restores them.
constexpr std::array<SubdivisionButton, 3> kButtons { {
    { MainControl::Image10, "1/4", ShownPicture::cg, ShownPicture::cd, ShownPicture::cb },
    { MainControl::Image11, "1/8", ShownPicture::og, ShownPicture::od, ShownPicture::ob },
    { MainControl::Image12, "1/16", ShownPicture::sg, ShownPicture::sd, ShownPicture::sb },
} };

const QString kStart = QStringLiteral("&Start Metronome");
const QString kStop = QStringLiteral("&Stop Metronome");

} // namespace

MainWindowMouse::MainWindowMouse(Metronome& metronome)
    : m_metronome(metronome)
{}

void MainWindowMouse::subdivisionHover(MainControl button)
{
    for (const SubdivisionButton& b : kButtons) {
        if (b.button == button)
            m_metronome.setPicture(b.button, b.hover);
    }
}

void MainWindowMouse::restoreSubdivisionPictures()
{
    for (const SubdivisionButton& b : kButtons) {
        const bool selected = m_metronome.Ritam() == QLatin1String(b.ritam);
        if (m_metronome.image(b.button).picture == b.hover && !selected)
            m_metronome.setPicture(b.button, b.normal);
        else if (selected)
            m_metronome.setPicture(b.button, b.selected);
    }
}

void MainWindowMouse::prepareMstop(MenuSpot spot, MenuEntry& mstop) const
{
    const ImageState& imstop = m_metronome.image(MainControl::imstop);
    const bool stopPicture = imstop.picture == ShownPicture::stopg;
    const bool playPicture = imstop.picture == ShownPicture::playg;
    // The background once rewrote only the caption, so its menu offered Stop greyed while the
    // beat played: both spots now set the availability by the same rule.
    if (!imstop.visible)
        mstop.setAvailable(false);
    else if (stopPicture || playPicture)
        mstop.setAvailable(true);

    if (spot == MenuSpot::Background) {
        mstop.setCaption(stopPicture ? kStop : kStart);
    } else if (!imstop.visible || playPicture) {
        mstop.setCaption(kStart);
    } else if (stopPicture) {
        mstop.setCaption(kStop);
    }
}
