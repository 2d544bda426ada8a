#include "controls/DrawSurface.h"
#include "controls/GGCommand.h"
#include "controls/Twips.h"
#include "platform/basic/Conversions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include <QPainter>

namespace {

constexpr OleColor kWhite = 0xFFFFFF;

struct Place
{
    float x;
    float y;
};

// Where a box of w x h lies on a W x H face for an alignment; `margin` keeps it off the right edge.
Place aligned(std::int32_t alignment, float W, float H, float w, float h, float margin)
{
    const float left = 1;
    const float centre = (W - w) / 2;
    const float right = W - w - margin;
    const float top = 1;
    const float middle = (H - h) / 2;
    const float bottom = H - h - 1;
    switch (alignment) {
    case 0:
        return { left, top };
    case 1:
        return { left, middle };
    case 2:
        return { left, bottom };
    case 3:
        return { centre, top };
    case 5:
        return { centre, bottom };
    case 6:
        return { right, top };
    case 7:
        return { right, middle };
    case 8:
        return { right, bottom };
    default:
        return { centre, middle };
    }
}

// A picture's size as the layout sees it: its pixels at 96 per inch in HIMETRIC (hundredths of a
// millimetre, whole), then back to pixels through 15 twips per pixel and 1.75 HIMETRIC per twip.
// The true ratio is about 1.764, so a picture counts about 0.8 % larger than it is; layouts were
// made with that.
float pictureLayoutPixels(int pixels)
{
    const auto himetric = static_cast<std::int32_t>(std::lround(pixels * 2540.0 / 96.0));
    return static_cast<float>(himetric) / static_cast<float>(kTwipsPerPixel) / 1.75f;
}

int channel(float v)
{
    return std::clamp(static_cast<int>(roundHalfEven(v)), 0, 255);
}

struct Edge
{
    OleColor topLeft;
    OleColor bottomRight;
};

// The rings of each frame style, outermost first.
constexpr std::array<Edge, 2> kClientEdge { {
    { SystemColor::kButtonShadow, SystemColor::kButtonHighlight },
    { SystemColor::k3DDarkShadow, SystemColor::k3DLight },
} };
constexpr std::array<Edge, 3> kDialogFrame { {
    { SystemColor::k3DLight, SystemColor::k3DDarkShadow },
    { SystemColor::kButtonHighlight, SystemColor::kButtonShadow },
    { SystemColor::kButtonFace, SystemColor::kButtonFace },
} };
constexpr std::array<Edge, 1> kStaticEdge { {
    { SystemColor::kButtonShadow, SystemColor::kButtonHighlight },
} };
constexpr std::array<Edge, 5> kDialogFrameAndClientEdge { {
    kDialogFrame[0],
    kDialogFrame[1],
    kDialogFrame[2],
    kClientEdge[0],
    kClientEdge[1],
} };

std::span<const Edge> frameRings(std::int32_t style)
{
    switch (style) {
    case 1:
        return kClientEdge;
    case 2:
        return kDialogFrame;
    case 3:
        return kStaticEdge;
    case 4:
        return kDialogFrameAndClientEdge;
    default:
        return {};
    }
}

} // namespace

void GGCommand::layOutAndRedraw()
{
    CalcLayout();
    DrawFace(0, false);
}

void GGCommand::redraw()
{
    DrawFace(0, false);
}

void GGCommand::withHoverLook(const std::function<void()>& draw)
{
    const OleColor keptColor = picGG->foreColor();
    const QFont::Weight keptWeight = m_font.weight();
    picGG->setForeColor(m_fontColorOnHover);
    m_font.setBold(m_fontBoldOnHover);
    draw();
    m_font.setWeight(keptWeight);
    picGG->setForeColor(keptColor);
    picGG->setTextFont(m_font);
}

void GGCommand::CalcLayout()
{
    ApplyBorder3DStyle(m_border3DStyle);
    if (!m_isLoaded)
        return;
    picGG->setTextFont(m_font);
    const auto W = static_cast<float>(picGG->scaleWidth());
    const auto H = static_cast<float>(picGG->scaleHeight());

    float cw = 0;
    float ch = 0;
    if (!m_captionGlyph.isNull()) {
        cw = static_cast<float>(m_captionGlyph.width());
        ch = static_cast<float>(m_captionGlyph.height());
    } else {
        cw = static_cast<float>(picGG->textWidth(m_caption));
        ch = static_cast<float>(picGG->textHeight(m_caption));
    }
    const Place caption = aligned(m_captionAlignment, W, H, cw, ch, 2);
    m_captionX = std::floor(caption.x + static_cast<float>(m_captionXOffset));
    m_captionY = std::floor(caption.y + static_cast<float>(m_captionYOffset));

    float pw = 0;
    float ph = 0;
    if (!m_picture.isNull()) {
        pw = pictureLayoutPixels(m_picture.width());
        ph = pictureLayoutPixels(m_picture.height());
    }
    const Place picture = aligned(m_pictureAlignment, W, H, pw, ph, 1);
    m_pictureX = std::floor(picture.x + static_cast<float>(m_pictureXOffset));
    m_pictureY = std::floor(picture.y + static_cast<float>(m_pictureYOffset));
}

void GGCommand::DrawFace(int offset, bool inverse)
{
    if (!m_isLoaded)
        return;
    picGG->clear();
    GradientFill(m_gradientFromColor, m_gradientToColor, inverse);
    picGG->setTextFont(m_font);
    drawCaption(offset + m_captionX, offset + m_captionY);
    // The picture lies above the caption.
    if (!m_picture.isNull()) {
        QPainter painter(&picGG->image());
        painter.drawImage(QPointF(offset + m_pictureX, offset + m_pictureY), m_picture);
    }
    m_faceOffset = offset;
    if (m_alwaysShowBorder)
        DrawBorder(1);
    picGG->refresh();
}

void GGCommand::drawCaption(double x, double y)
{
    if (m_captionGlyph.isNull()) {
        picGG->setCurrentPoint(x, y);
        picGG->print(m_caption);
        return;
    }
    // The glyph's shape in the caption's colour, as a character of a symbol font would be drawn.
    QImage ink(m_captionGlyph.size(), QImage::Format_ARGB32_Premultiplied);
    ink.fill(toQColor(picGG->foreColor()));
    {
        QPainter shape(&ink);
        shape.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        shape.drawImage(0, 0, m_captionGlyph);
    }
    QPainter painter(&picGG->image());
    painter.drawImage(QPointF(x, y), ink);
}

void GGCommand::GradientFill(OleColor fromColor, OleColor toColor, bool inverse)
{
    if (!m_useGradientFill || (m_gradientOrientation != 0 && m_gradientOrientation != 1))
        return;
    OleColor c1 = translateColor(fromColor).rgb;
    OleColor c2 = translateColor(toColor).rgb;
    if (inverse)
        std::swap(c1, c2);
    // Single precision throughout, stepping by adding: the colours of the rows are those sums.
    auto r = static_cast<float>(c1 & 0xFF);
    auto g = static_cast<float>(c1 >> 8 & 0xFF);
    auto b = static_cast<float>(c1 >> 16 & 0xFF);
    const auto r2 = static_cast<float>(c2 & 0xFF);
    const auto g2 = static_cast<float>(c2 >> 8 & 0xFF);
    const auto b2 = static_cast<float>(c2 >> 16 & 0xFF);

    const bool columns = m_gradientOrientation == 1;
    const int width = picGG->scaleWidth();
    const int height = picGG->scaleHeight();
    const int extent = columns ? width : height;
    // A face without extent keeps steps of 0 and gets one line in the start colour.
    float dr = 0;
    float dg = 0;
    float db = 0;
    if (extent != 0) {
        dr = (r2 - r) / static_cast<float>(extent);
        dg = (g2 - g) / static_cast<float>(extent);
        db = (b2 - b) / static_cast<float>(extent);
    }
    // The last line lies just past the face; it is drawn all the same.
    const int last = std::min(extent, int { INT16_MAX });
    for (int i = 0; i <= last; ++i) {
        const OleColor c = rgbColor(channel(r), channel(g), channel(b));
        if (columns)
            picGG->line(i, 0, i, height, c);
        else
            picGG->line(0, i, width, i, c);
        r += dr;
        g += dg;
        b += db;
    }
}

void GGCommand::DrawBorder(std::int32_t state)
{
    if (!m_isLoaded)
        return;
    OleColor light = 0;
    OleColor dark = 0;
    switch (state) {
    case 0:
        light = m_alwaysShowBorder ? kWhite : m_backColor;
        dark = m_alwaysShowBorder ? SystemColor::kButtonShadow : m_backColor;
        break;
    case 1:
        light = kWhite;
        dark = SystemColor::kButtonShadow;
        break;
    case 2:
        light = SystemColor::kButtonShadow;
        dark = kWhite;
        break;
    default:
        break;
    }
    const int R = picGG->scaleWidth() - 1;
    const int B = picGG->scaleHeight() - 1;
    picGG->line(0, B, 0, 0, light);
    picGG->lineTo(R, 0, light);
    picGG->line(R, -1, R, B, dark);
    picGG->lineTo(-1, B, dark);
    m_borderState = state;
    picGG->refresh();
}

void GGCommand::ApplyBorder3DStyle(std::int32_t style)
{
    if (style < 0 || style > 4)
        return;
    m_frameWidth = static_cast<int>(frameRings(style).size());
    const int f = std::min({ m_frameWidth, width() / 2, height() / 2 });
    const QRect face = rect().adjusted(f, f, -f, -f);
    if (picGG->geometry() != face) {
        picGG->setGeometry(face);
        update();
    }
}

void GGCommand::paintFrame(QPainter& painter) const
{
    const std::span<const Edge> rings = frameRings(m_border3DStyle);
    QRect r = rect();
    for (const Edge& edge : rings) {
        if (r.width() <= 0 || r.height() <= 0)
            break;
        const QColor tl = toQColor(edge.topLeft);
        const QColor br = toQColor(edge.bottomRight);
        painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), tl);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), tl);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
        r.adjust(1, 1, -1, -1);
    }
}
