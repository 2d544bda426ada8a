#pragma once

#include <array>
#include <string_view>

#include <QImage>
#include <QRect>
#include <QString>

// The main window's skin: the pictures drawn for it and where each control lies on the 236 x 423
// background, in pixels (the layout's twips divided by 15). tools/skin/make_skin.py reads both
// tables below (keep their entries in this form) and draws the frames of the background around
// these places; the pictures carry alpha outside their round shapes, except the slider's, which
// are opaque and see through by colour only.

// One picture, compiled in as ":/skin/<name>.svg"; its SVG size is exactly this.
struct SkinPicture
{
    std::string_view name;
    int width;
    int height;
};

inline constexpr std::array<SkinPicture, 22> kSkinPictures { {
    { "Picture1", 236, 423 }, // the background
    { "Image1", 48, 48 }, // accent light, playing
    { "Image2", 48, 48 }, // accent light, at rest
    { "Image3", 36, 36 }, // beat light, lit
    { "playg", 36, 36 },
    { "stopg", 36, 36 },
    { "cg", 18, 18 }, // 1/4: normal, hover, selected
    { "cd", 18, 18 },
    { "cb", 18, 18 },
    { "og", 18, 18 }, // 1/8
    { "od", 18, 18 },
    { "ob", 18, 18 },
    { "sg", 18, 18 }, // 1/16
    { "sd", 18, 18 },
    { "sb", 18, 18 },
    { "Image24", 28, 15 }, // piano button: normal, pressed
    { "Image25", 28, 15 },
    { "ImageSlider", 100, 4 }, // volume slider: track, left part, pointer
    { "ImageLeft", 100, 4 },
    { "ImagePointer", 6, 15 },
    { "minimize", 13, 13 }, // glyphs drawn on the two window buttons
    { "close", 13, 13 },
} };

// The see-through colour of the slider pictures (the slider's MaskColor, 0x00BBGGRR &HC0C0C0).
inline constexpr unsigned kSkinMaskRgb = 0xC0C0C0;

// A control on the skin. `pictures` lists every picture the control shows (first the one it shows
// at rest); empty for controls that draw themselves or show nothing.
struct SkinPlace
{
    std::string_view control;
    QRect rect;
    std::array<std::string_view, 3> pictures;
};

inline constexpr std::array<SkinPlace, 24> kSkinPlaces { {
    { "Picture1", QRect(0, 0, 236, 423), { "Picture1" } },
    // The display across the top: tempo (large) with the mode word, under them the marking or the
    // name of what plays.
    { "Text2", QRect(17, 5, 140, 18), {} },
    { "lblcd", QRect(165, 6, 54, 13), {} },
    { "lblTempo", QRect(17, 23, 202, 13), {} },
    // Left column.
    { "GGCommand1", QRect(16, 48, 28, 15), {} },
    { "GGCommand2", QRect(16, 68, 28, 15), {} },
    { "GGCommand3", QRect(16, 88, 28, 15), {} },
    { "GGCommand4", QRect(16, 108, 28, 15), {} },
    { "GGCommand5", QRect(16, 140, 28, 15), {} },
    { "GGCommand6", QRect(16, 160, 28, 15), {} },
    { "imKlavir", QRect(16, 196, 28, 15), { "Image24", "Image25" } },
    // The tempo dial draws its own face; the drag area lies exactly over it.
    { "AnalogClock1", QRect(51, 45, 123, 144), {} },
    { "Image17", QRect(51, 45, 123, 144), {} },
    // Right column.
    { "imstop", QRect(183, 50, 36, 36), { "playg", "stopg" } },
    { "Image10", QRect(192, 96, 18, 18), { "cg", "cd", "cb" } },
    { "Image11", QRect(192, 120, 18, 18), { "og", "od", "ob" } },
    { "Image12", QRect(192, 144, 18, 18), { "sg", "sd", "sb" } },
    { "GGCommand8", QRect(188, 204, 13, 13), { "minimize" } },
    { "GGCommand7", QRect(204, 204, 13, 13), { "close" } },
    // The light window in the lower half: the accent on top of the pendulum's arc, the two beat
    // lights at its ends.
    { "Image5", QRect(94, 236, 48, 48), { "Image2", "Image1" } },
    { "imz", QRect(26, 290, 36, 36), { "Image3" } },
    { "Image4", QRect(174, 290, 36, 36), { "Image3" } },
    // Volume: the control's size follows from its pictures (track + pointer wide, pointer high).
    { "SliderPic1", QRect(69, 384, 106, 15), { "ImageSlider", "ImageLeft", "ImagePointer" } },
    // Invisible about hot spot in the lower left corner (it reaches 2 pixels past the window).
    { "Image23", QRect(0, 408, 9, 17), {} },
} };

// Where `control` lies on the skin; an empty rectangle for a control the skin does not place.
QRect skinPlace(std::string_view control);

// ":/skin/<name>.svg".
QString skinPicturePath(std::string_view name);

// The picture rendered at its own size onto a transparent image (ARGB32, premultiplied); a null
// image when the resource is missing or is not a valid SVG.
QImage renderSkinPicture(std::string_view name);
