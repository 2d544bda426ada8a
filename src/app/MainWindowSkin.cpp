#include "app/MainWindowSkin.h"

#include "app/FlamMenus.h"
#include "app/Skin.h"
#include "app/WindowOpeners.h"
#include "controls/AnalogClock.h"
#include "controls/ControlFonts.h"
#include "controls/GGCommand.h"
#include "controls/PropertyBag.h"

#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QRegion>
#include <QWidget>
#include <QWindow>

namespace {

constexpr std::int32_t kCentred = 4; // the caption alignment a button stores nothing for

// The gradient buttons as the window was designed with them.
struct GradientButton
{
    const char* name;
    const char* caption;
    std::int32_t captionAlignment;
    const char* font;
    double points;
    // The skin picture drawn in place of a caption that was a symbol font's glyph.
    const char* glyph;
    const char* toolTip;
};

constexpr std::array<GradientButton, 8> kGradientButtons { {
    { "GGCommand1", "Pitch", 6, "Arial", 8.25, nullptr, nullptr },
    { "GGCommand2", "Beat", 3, "Arial", 8.25, nullptr, nullptr },
    { "GGCommand3", "Misc", 3, "Arial", 8.25, nullptr, nullptr },
    { "GGCommand4", "Poly", 3, "Arial", 8.25, nullptr, nullptr },
    { "GGCommand5", "Rec", kCentred, "Arial", 8.25, nullptr, nullptr },
    { "GGCommand6", "MP3", 3, "Arial", 8.25, nullptr, nullptr },
    { "GGCommand7", "r", kCentred, "Webdings", 8.25, "close", " Close " },
    { "GGCommand8", "0", kCentred, "Webdings", 9.75, "minimize", " Minimize " },
} };

PropertyBag designOf(const GradientButton& b)
{
    PropertyBag bag;
    bag.set(QStringLiteral("Caption"), QString::fromLatin1(b.caption));
    bag.set(QStringLiteral("GradientToColor"), 0x808080);
    bag.set(QStringLiteral("FontColorOnHover"), 0xFFFFFF);
    if (b.captionAlignment != kCentred)
        bag.set(QStringLiteral("CaptionAlignment"), b.captionAlignment);
    if (b.glyph)
        bag.set(QStringLiteral("BackColor"), 0xE0E0E0);
    if (std::string_view(b.name) == "GGCommand5")
        bag.set(QStringLiteral("ForeColor"), 0x0000C0); // "Rec" in red
    bag.set(QStringLiteral("Font"),
        QVariant::fromValue(controlFont(QString::fromLatin1(b.font), b.points)));
    if (b.toolTip)
        bag.set(QStringLiteral("ToolTip"), QString::fromLatin1(b.toolTip));
    return bag;
}

// The top-level menus the first four buttons show.
constexpr std::array<const char16_t*, 4> kButtonMenus { u"mnupitch00", u"mnubeat00", u"mnuflam",
    u"mnupoly00" };

} // namespace

MainWindowSkin::MainWindowSkin(QWidget& window,
    const SkinControls& controls,
    Metronome& metronome,
    WindowOpeners& openers,
    FlamMenus& menus)
    : QObject(&window)
    , SkinControls(controls)
    , m_window(window)
    , m_openers(openers)
    , m_menus(menus)
    , m_mouse(metronome)
{
    placeGradientButtons();
    openDragAreaOverTheDial();
    // Hover pictures change on moves with no button held.
    Picture1->setMouseTracking(true);
    Image17->setMouseTracking(true);
    for (QWidget* watched : { Picture1, Image17, Image10, Image11, Image12,
             static_cast<QWidget*>(imKlavir), Image23 }) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }
    showImKlavir();
}

MainWindowSkin::~MainWindowSkin() = default;

void MainWindowSkin::placeGradientButtons()
{
    for (std::size_t i = 0; i < kGradientButtons.size(); ++i) {
        const GradientButton& b = kGradientButtons[i];
        auto* button = new GGCommand(Picture1);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setGeometry(skinPlace(b.name));
        button->load(designOf(b));
        if (b.glyph)
            button->setCaptionGlyph(renderSkinPicture(b.glyph));
        const int index = static_cast<int>(i) + 1;
        connect(button, &GGCommand::Click, this, [this, index] {
            GGCommand_Click(index);
        });
        m_buttons[i] = button;
    }
}

void MainWindowSkin::openDragAreaOverTheDial()
{
    // The drag area lies under the tempo dial, which takes every press on its face. Raised over
    // the dial but cut to the dial's frame (where a press sets nothing), it takes the presses
    // there and lets the face have the rest; it draws nothing, so the frame still shows.
    const AnalogClock* dial = AnalogClock1;
    const int b = dial->ClockBevelWidth();
    // The dial counts a press when b + 1 < X < W - b - 1 and likewise for Y (it shows no title).
    const QRect face(QPoint(b + 2, b + 2), QPoint(dial->width() - b - 2, dial->height() - b - 2));
    const QRegion frame =
        QRegion(Image17->rect()) - QRegion(face.translated(dial->pos() - Image17->pos()));
    Image17->setMask(frame);
    Image17->raise();
}

void MainWindowSkin::showImKlavir()
{
    imKlavir->setPixmap(QPixmap::fromImage(renderSkinPicture(pictureName(m_mouse.imKlavir()))));
}

void MainWindowSkin::showMenu(QStringView name, QPoint at)
{
    if (QMenu* menu = m_menus.menu(name))
        menu->popup(at);
}

void MainWindowSkin::rightButtonMenu(MainWindowMouse::MenuSpot spot, QPoint at)
{
    if (MenuEntry* mstop = m_menus.entry(u"mstop"))
        m_mouse.prepareMstop(spot, *mstop);
    showMenu(u"mnurazno", at);
}

void MainWindowSkin::GGCommand_Click(int index)
{
    // A click gives the button the keyboard focus; Enter and the arrows belong to the skin, so
    // hand it back before the menu or the window opens (they give it back to the skin on close).
    Picture1->setFocus(Qt::OtherFocusReason);
    switch (index) {
    case 1:
    case 2:
    case 3:
    case 4:
        showMenu(kButtonMenus[static_cast<std::size_t>(index - 1)], QCursor::pos());
        break;
    case 5:
        m_openers.GGCommand5_Click();
        break;
    case 6:
        m_openers.GGCommand6_Click();
        break;
    case 7:
        m_window.close();
        break;
    case 8:
        m_window.showMinimized();
        break;
    default:
        break;
    }
}

void MainWindowSkin::beginDrag(const QMouseEvent& press)
{
    QWindow* handle = m_window.windowHandle();
    if (handle && handle->startSystemMove())
        return;
    m_dragging = true;
    m_dragGrip = press.globalPosition().toPoint() - m_window.pos();
}

bool MainWindowSkin::followDrag(const QMouseEvent& mouse)
{
    if (!m_dragging)
        return false;
    if (!(mouse.buttons() & Qt::LeftButton)) {
        m_dragging = false;
        return false;
    }
    m_window.move(mouse.globalPosition().toPoint() - m_dragGrip);
    return true;
}

bool MainWindowSkin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Picture1)
        return picture1Event(event);
    if (watched == Image17)
        return image17Event(event);
    if (watched == imKlavir)
        return imKlavirEvent(event);
    if (watched == Image23)
        return image23Event(event);
    if (event->type() == QEvent::MouseMove) {
        if (watched == Image10)
            m_mouse.subdivisionHover(MainControl::Image10);
        else if (watched == Image11)
            m_mouse.subdivisionHover(MainControl::Image11);
        else if (watched == Image12)
            m_mouse.subdivisionHover(MainControl::Image12);
    }
    return false;
}

bool MainWindowSkin::picture1Event(QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove
        && type != QEvent::MouseButtonRelease)
        return false;
    const auto& mouse = static_cast<const QMouseEvent&>(*event);
    if (type == QEvent::MouseButtonRelease) {
        m_dragging = false;
        return false;
    }
    if (type == QEvent::MouseMove && followDrag(mouse))
        return true;
    // A control that leaves an event unhandled passes it on to the skin: that is no event of the
    // background itself.
    if (Picture1->childAt(mouse.position().toPoint()))
        return false;
    if (type == QEvent::MouseMove) {
        m_mouse.restoreSubdivisionPictures();
        return false;
    }
    if (mouse.button() == Qt::LeftButton) {
        beginDrag(mouse);
        return true;
    }
    if (mouse.button() == Qt::RightButton) {
        rightButtonMenu(MainWindowMouse::MenuSpot::Background, mouse.globalPosition().toPoint());
        return true;
    }
    return false;
}

bool MainWindowSkin::image17Event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto& mouse = static_cast<const QMouseEvent&>(*event);
        if (mouse.button() == Qt::LeftButton)
            beginDrag(mouse);
        else if (mouse.button() == Qt::RightButton)
            rightButtonMenu(MainWindowMouse::MenuSpot::DragArea, mouse.globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseMove:
        if (!followDrag(static_cast<const QMouseEvent&>(*event)))
            m_mouse.restoreSubdivisionPictures();
        return true;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        Picture1->setFocus(Qt::MouseFocusReason);
        return true;
    default:
        return false;
    }
}

bool MainWindowSkin::imKlavirEvent(QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        m_mouse.imKlavir_MouseDown();
        showImKlavir();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        // Qt sends the release to the control the button went down on, wherever it comes up.
        m_mouse.imKlavir_MouseUp();
        showImKlavir();
        m_openers.kkommand3();
    }
    return false;
}

bool MainWindowSkin::image23Event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_image23Pressed = static_cast<const QMouseEvent&>(*event).button() == Qt::LeftButton;
        return true;
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseButtonRelease: {
        const auto& mouse = static_cast<const QMouseEvent&>(*event);
        const bool click = m_image23Pressed && mouse.button() == Qt::LeftButton
            && Image23->rect().contains(mouse.position().toPoint());
        m_image23Pressed = false;
        if (click)
            m_openers.Image23_Click();
        return true;
    }
    default:
        return false;
    }
}
