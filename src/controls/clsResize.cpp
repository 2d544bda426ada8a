#include "controls/clsResize.h"

#include "controls/AnalogClock.h"
#include "controls/CustomControl.h"
#include "controls/DrawSurface.h"
#include "controls/Twips.h"
#include "platform/basic/Conversions.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>

namespace {

enum class Kind {
    Other,
    TextBox,
    Label,
    CommandButton,
    Image,
    ComboBox,
    TempoDial,
    ProgressBar,
    RichTextBox,
    CheckBox,
    PictureBox,
};

enum class Step { Font, Width, Height, Top, Left, ComboFont, ScaleSize };

struct Row
{
    std::vector<Kind> kinds;
    std::vector<Step> steps;
};

const std::vector<Row>& rowsOf(ScalingTable table)
{
    using enum Step;
    static const std::vector<Row> form = {
        { { Kind::TextBox }, { Font, Width, Height, Top, Left } },
        { { Kind::Label, Kind::CommandButton }, { Width, Height, Top, Left, Font } },
        { { Kind::Image }, { Top, Left } },
        { { Kind::ComboBox }, { Width, Top, Left, Font } },
        { { Kind::TempoDial }, { Width, Top, Left, Height, Font } },
        { { Kind::ProgressBar }, { Width, Top, Left, Height } },
    };
    static const std::vector<Row> klavir = {
        { { Kind::TextBox }, { Font, Width, Height, Top, Left } },
        { { Kind::RichTextBox }, { Width, Height, Top, Left, Font } },
        { { Kind::CheckBox }, { Width, Height, Top, Left, Font } },
        { { Kind::Label, Kind::CommandButton }, { Width, Height, Top, Left, Font } },
        { { Kind::Image }, { Top, Left } },
        { { Kind::ComboBox }, { Width, Top, Left, ComboFont } },
        { { Kind::TempoDial }, { Width, Top, Left, Height } },
        { { Kind::ProgressBar }, { Width, Top, Left, Height } },
        { { Kind::PictureBox }, { Font, ScaleSize, Top, Left } },
    };
    return table == ScalingTable::Form ? form : klavir;
}

Kind kindOf(const QWidget& w)
{
    if (qobject_cast<const AnalogClock*>(&w))
        return Kind::TempoDial;
    if (qobject_cast<const CustomControl*>(&w))
        return Kind::Other;
    if (qobject_cast<const DrawSurface*>(&w))
        return Kind::PictureBox;
    if (qobject_cast<const QLineEdit*>(&w))
        return Kind::TextBox;
    if (qobject_cast<const QTextEdit*>(&w))
        return Kind::RichTextBox;
    if (qobject_cast<const QCheckBox*>(&w))
        return Kind::CheckBox;
    if (qobject_cast<const QPushButton*>(&w))
        return Kind::CommandButton;
    if (qobject_cast<const QComboBox*>(&w))
        return Kind::ComboBox;
    if (qobject_cast<const QProgressBar*>(&w))
        return Kind::ProgressBar;
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        // Only a picture box holds other controls; an image shows a picture and no text.
        if (!label->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty())
            return Kind::PictureBox;
        if (!label->pixmap().isNull() && label->text().isEmpty())
            return Kind::Image;
        return Kind::Label;
    }
    return Kind::Other;
}

// Whether the widget's children are controls of the window too.
bool holdsControls(const QWidget& w, Kind kind)
{
    if (qobject_cast<const CustomControl*>(&w))
        return false;
    switch (kind) {
    case Kind::Other:
    case Kind::Label:
    case Kind::Image:
    case Kind::PictureBox:
        return true;
    default:
        return false;
    }
}

void collect(QWidget& parent, std::vector<QWidget*>& controls)
{
    for (QObject* child : parent.children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        controls.push_back(w);
        if (holdsControls(*w, kindOf(*w)))
            collect(*w, controls);
    }
}

// A font's size in points as designed at 96 pixels per inch, also for a font given in pixels.
double designedPoints(const QFont& font)
{
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    return font.pixelSize() * 72.0 / 96.0;
}

QFont withPoints(QFont font, double points)
{
    font.setPointSizeF(points);
    return font;
}

int toPixels(double twips)
{
    return static_cast<int>(std::clamp<std::int64_t>(twipsToPixels(twips), -(1 << 24), 1 << 24));
}

void apply(QWidget& w, Kind kind, Step step, const ScaleFactors& k)
{
    const QRect g = w.geometry();
    auto scaled = [&](int pixels) {
        return toPixels(geometryStep(static_cast<double>(pixelsToTwips(pixels)), k.r));
    };
    switch (step) {
    case Step::Width:
        w.resize(scaled(g.width()), g.height());
        return;
    case Step::Height:
        w.resize(g.width(), scaled(g.height()));
        return;
    case Step::Top:
        w.move(g.x(), scaled(g.y()));
        return;
    case Step::Left:
        w.move(scaled(g.x()), g.y());
        return;
    case Step::ComboFont:
        w.setFont(withPoints(w.font(), fontStep(designedPoints(w.font()), k.f) * 1.2));
        return;
    case Step::ScaleSize:
        if (auto* surface = qobject_cast<DrawSurface*>(&w))
            surface->setUserScale(
                g.width() / static_cast<double>(k.r), g.height() / static_cast<double>(k.r));
        return;
    case Step::Font:
        break;
    }
    // The drawn controls and surfaces draw their fonts at 96 pixels per inch whatever the DPI:
    // they take the stepped size times f, which they draw as large as Qt draws the stepped size
    // at the window's DPI, so that every scaled text comes out alike.
    auto drawnAt96 = [&](const QFont& font) {
        return withPoints(font, fontStep(designedPoints(font), k.f) * static_cast<double>(k.f));
    };
    if (kind == Kind::TempoDial) {
        auto& dial = static_cast<AnalogClock&>(w);
        dial.setClockFont(drawnAt96(dial.ClockFont()));
    } else if (auto* surface = qobject_cast<DrawSurface*>(&w)) {
        surface->setTextFont(drawnAt96(surface->textFont()));
    } else {
        w.setFont(withPoints(w.font(), fontStep(designedPoints(w.font()), k.f)));
    }
}

void resizeWith(
    QWidget& frm, ScalingTable table, std::int16_t DesignWidth, std::int16_t CurrentWidth)
{
    if (IsSmallFonts(frm))
        return;
    const auto factors =
        scaleFactors(frm.logicalDpiX(), frm.devicePixelRatioF(), DesignWidth, CurrentWidth);
    if (factors)
        scaleControls(frm, table, *factors);
}

} // namespace

std::optional<ScaleFactors> scaleFactors(
    double logicalDpi, double devicePixelRatio, std::int16_t DesignWidth, std::int16_t CurrentWidth)
{
    if (!(logicalDpi > 0) || logicalDpi == 96 || devicePixelRatio != 1.0 || CurrentWidth == 0)
        return std::nullopt;
    ScaleFactors k;
    k.f = static_cast<float>(roundHalfEven(logicalDpi / 96 * 100) / 100);
    k.r = static_cast<float>(static_cast<double>(DesignWidth) / CurrentWidth);
    if (k.f == 0)
        k.f = 1;
    return k;
}

int fontStep(double points, float f)
{
    const double whole = roundHalfEven(points);
    const double stepped = roundHalfEven(whole / static_cast<double>(f));
    if (!(stepped >= 1))
        return 1;
    // Held far beyond any font a window carries, so a bizarre size stays a whole int.
    return static_cast<int>(std::min(stepped, 1638.0));
}

double geometryStep(double twips, float r)
{
    return twips / static_cast<double>(r);
}

bool IsSmallFonts(const QWidget& window)
{
    return window.logicalDpiX() == 96;
}

void scaleControls(QWidget& frm, ScalingTable table, const ScaleFactors& factors)
{
    if (!(factors.f > 0) || !(factors.r > 0) || !std::isfinite(factors.r))
        return;
    std::vector<QWidget*> controls;
    collect(frm, controls);
    for (QWidget* control : controls) {
        const Kind kind = kindOf(*control);
        for (const Row& row : rowsOf(table)) {
            if (std::find(row.kinds.begin(), row.kinds.end(), kind) == row.kinds.end())
                continue;
            if (kind == Kind::PictureBox && table == ScalingTable::Klavir
                && control->objectName() == QStringLiteral("PicPozadina"))
                break;
            for (const Step step : row.steps)
                apply(*control, kind, step, factors);
            break;
        }
    }
}

void clsResize::ResizeForm(QWidget& frm, std::int16_t DesignWidth, std::int16_t CurrentWidth)
{
    resizeWith(frm, ScalingTable::Form, DesignWidth, CurrentWidth);
}

void clsResize::ResizeKlavir(QWidget& frm, std::int16_t DesignWidth, std::int16_t CurrentWidth)
{
    resizeWith(frm, ScalingTable::Klavir, DesignWidth, CurrentWidth);
}
