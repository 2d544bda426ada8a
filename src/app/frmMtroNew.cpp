#include "app/frmMtroNew.h"

#include "app/ClickSounds.h"
#include "app/MainWindowSkin.h"
#include "app/ReferenceLaunchers.h"
#include "app/Skin.h"
#include "app/SkinLight.h"
#include "app/WindowOpeners.h"
#include "app/frmFlam.h"
#include "controls/AnalogClock.h"
#include "controls/ControlFonts.h"
#include "controls/DrawSurface.h"
#include "controls/PropertyBag.h"
#include "controls/SliderPic.h"
#include "controls/Twips.h"
#include "controls/clsResize.h"
#include "platform/Platform.h"
#include "windows/OtherWindows.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

namespace {

// The tempo dial as the window was designed with it: no title, no am/pm boxes, a black face
// with white tempo labels and hand, and the hand red while it is dragged.
PropertyBag dialDesign()
{
    PropertyBag bag;
    bag.set(QStringLiteral("TitleShow"), false);
    bag.set(QStringLiteral("TitleFormat"), QStringLiteral("h:nn"));
    bag.set(QStringLiteral("TitleWidth"), 165);
    bag.set(QStringLiteral("ClockBoxStyle"), 1);
    bag.set(QStringLiteral("ClockBevelWidth"), 7);
    bag.set(QStringLiteral("ClockBackColor"), 0);
    bag.set(QStringLiteral("ClockForeColor"), 0xFFFFFF);
    bag.set(QStringLiteral("ClockFont"),
        QVariant::fromValue(controlFont(QStringLiteral("Tahoma"), 8.25)));
    bag.set(QStringLiteral("HandMinuteColor"), 0xFFFFFF);
    bag.set(QStringLiteral("HandSecondShow"), true);
    bag.set(QStringLiteral("HLForeColor"), 0xC0);
    bag.set(QStringLiteral("AMPMShow"), false);
    return bag;
}

// The keys as the window's key handler knows them.
int keyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    default:
        return 0;
    }
}

} // namespace

void frmMtroNew::unload()
{
    if (isLoaded() && !instance().m_unloaded)
        instance().Form_Unload();
    SingleInstance::unload();
    frmFlam::unload();
}

bool frmMtroNew::Form_Load()
{
    if (m_metronome->Form_Load())
        return true;
    // The program ends before it began: there is nothing for an unload to stop.
    m_unloaded = true;
    return false;
}

frmMtroNew::frmMtroNew(
    Platform& platform, frmFlam& flam, PlayerWindow& player, OtherWindows& windows)
    : QWidget(nullptr, Qt::FramelessWindowHint)
    , m_platform(platform)
    , m_windows(windows)
    , m_flam(flam)
    , m_metronome(std::make_unique<Metronome>(platform, flam, player, *this))
    , m_openerHost(makeOpenerHost(*m_metronome, flam.sounds(), *this))
    , m_openers(std::make_unique<WindowOpeners>(*m_openerHost, player, windows))
    , m_launchers(std::make_unique<ReferenceLaunchers>(
          platform.programFolder, *m_metronome, flam.sounds(), player, windows, *this))
{
    setObjectName(QStringLiteral("frmMtroNew"));
    setWindowTitle(platform.programName);
    buildControls();
    m_skin = new MainWindowSkin(*this,
        { Picture1, Image17, Image10, Image11, Image12, imKlavir, Image23, AnalogClock1 },
        *m_metronome, *m_openers, flam.menus());
    flam.setLights(m_metronome.get(), screen() ? screen()->refreshRate() : 0);
}

frmMtroNew::~frmMtroNew()
{
    // The skin works on the openers, which go before the window's children.
    delete m_skin;
    // The engine form outlives the window: its lights go with the metronome.
    m_flam.setLights(nullptr);
}

ClickSounds& frmMtroNew::sounds()
{
    return m_flam.sounds();
}

void frmMtroNew::buildControls()
{
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(skinPlace("Picture1"));
    Picture1->setPixmap(QPixmap::fromImage(renderSkinPicture("Picture1")));
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->installEventFilter(this);
    resize(Picture1->size());

    const QColor amber(255, 180, 70);
    Text2 = placeLabel("Text2", 18, true, amber, Qt::AlignLeft | Qt::AlignVCenter);
    lblcd = placeLabel("lblcd", 10, true, QColor(255, 150, 40), Qt::AlignRight | Qt::AlignVCenter);
    lblTempo = placeLabel("lblTempo", 11, false, amber, Qt::AlignLeft | Qt::AlignVCenter);

    // Pictureless images lie under the controls that draw themselves, as they would on a form.
    Image17 = new QWidget(Picture1);
    Image17->setObjectName(QStringLiteral("Image17"));
    Image17->setGeometry(skinPlace("Image17"));
    Image17->setCursor(Qt::SizeAllCursor);
    Image23 = new QWidget(Picture1);
    Image23->setObjectName(QStringLiteral("Image23"));
    Image23->setGeometry(skinPlace("Image23"));

    AnalogClock1 = new AnalogClock(Picture1);
    AnalogClock1->setObjectName(QStringLiteral("AnalogClock1"));
    AnalogClock1->load(dialDesign());
    AnalogClock1->setGeometry(skinPlace("AnalogClock1"));
    connect(AnalogClock1, &AnalogClock::Change, this, [this] {
        m_metronome->AnalogClock1_Change();
    });

    SliderPic1 = new SliderPic(Picture1);
    SliderPic1->setObjectName(QStringLiteral("SliderPic1"));
    SliderPic1->loadNew();
    SliderPic1->setImageSlider(renderSkinPicture("ImageSlider"));
    SliderPic1->setImageLeft(renderSkinPicture("ImageLeft"));
    SliderPic1->setImagePointer(renderSkinPicture("ImagePointer"));
    (void)SliderPic1->setMax(100);
    // The fresh start's level, so that a stored volume that is no number leaves the slider where
    // a new user finds it, not at silence while the system's volume is unchanged.
    SliderPic1->setCurPosition(99);
    (void)SliderPic1->setBackStyle(0);
    SliderPic1->move(skinPlace("SliderPic1").topLeft());
    connect(SliderPic1, &SliderPic::PositionChanged, this,
        [this](std::int32_t& oldPosition, std::int32_t& newPosition) {
            m_metronome->SliderPic1_PositionChanged(oldPosition, newPosition);
        });

    imstop = placeImage("imstop");
    Image10 = placeImage("Image10");
    Image11 = placeImage("Image11");
    Image12 = placeImage("Image12");
    Image5 = placeImage<SkinLight>("Image5");
    imz = placeImage<SkinLight>("imz");
    Image4 = placeImage<SkinLight>("Image4");
    imKlavir = placeImage("imKlavir");
    imKlavir->setPixmap(pixmapOf(ShownPicture::Image24));
    imKlavir->setToolTip(QStringLiteral("MIDI PIANO"));

    m_shown = { lblcd, Text2, lblTempo, imstop, Image10, Image11, Image12, Image5, imz, Image4 };
    for (std::size_t control = 0; control < kMainControlCount; ++control)
        controlChanged(static_cast<MainControl>(control));
}

template <typename Image> Image* frmMtroNew::placeImage(const char* name)
{
    auto* image = new Image(Picture1);
    image->setObjectName(QString::fromLatin1(name));
    image->setGeometry(skinPlace(name));
    image->setMouseTracking(true);
    image->installEventFilter(this);
    return image;
}

QLabel* frmMtroNew::placeLabel(
    const char* name, int pixelSize, bool bold, QColor ink, Qt::Alignment align)
{
    QLabel* label = placeImage(name);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ink);
    label->setPalette(palette);
    label->setAlignment(align);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString frmMtroNew::dialValueText() const
{
    return AnalogClock1->ValueText();
}

void frmMtroNew::setDialValue(double dateTime)
{
    AnalogClock1->setValue(dateTime);
}

std::uint32_t frmMtroNew::dialClockBackColor() const
{
    return AnalogClock1->ClockBackColor();
}

void frmMtroNew::setDialClockBackColor(std::uint32_t color)
{
    AnalogClock1->setClockBackColor(color);
}

std::int32_t frmMtroNew::sliderPosition() const
{
    return SliderPic1->CurPosition();
}

void frmMtroNew::setSliderPosition(std::int32_t position)
{
    SliderPic1->setCurPosition(position);
}

void frmMtroNew::focusPicture1()
{
    Picture1->setFocus(Qt::OtherFocusReason);
}

void frmMtroNew::controlChanged(MainControl control)
{
    QLabel* shown = m_shown[static_cast<std::size_t>(control)];
    if (control == MainControl::lblcd) {
        shown->setText(m_metronome->lblcd());
    } else if (control == MainControl::Text2) {
        shown->setText(m_metronome->Text2());
    } else if (control == MainControl::lblTempo) {
        shown->setText(m_metronome->lblTempo());
    } else {
        const ImageState& state = m_metronome->image(control);
        // Only what changed: a light's change is then a repaint of its own rectangle and
        // nothing more, and a control set to what it shows repaints nothing.
        const QPixmap& picture = pixmapOf(state.picture);
        if (shown->pixmap().cacheKey() != picture.cacheKey())
            shown->setPixmap(picture);
        if (shown->toolTip() != state.toolTip)
            shown->setToolTip(state.toolTip);
        if (SkinLight* light = lightOf(control))
            light->setLit(state.visible);
        else
            shown->setVisible(state.visible);
    }
}

SkinLight* frmMtroNew::lightOf(MainControl control) const
{
    switch (control) {
    case MainControl::Image5:
        return Image5;
    case MainControl::imz:
        return imz;
    case MainControl::Image4:
        return Image4;
    default:
        return nullptr;
    }
}

const QPixmap& frmMtroNew::pixmapOf(ShownPicture picture)
{
    // Drawn from its SVG once, not at every change a control shows: the beat lights change up to
    // sixty times a second.
    QPixmap& pixmap = m_pictures[static_cast<std::size_t>(picture)];
    if (pixmap.isNull() && picture != ShownPicture::None)
        pixmap = QPixmap::fromImage(renderSkinPicture(pictureName(picture)));
    return pixmap;
}

void frmMtroNew::ResizeForm()
{
    // The skin picture as designed, 236 pixels, against its width now, both in twips.
    const auto width = std::clamp<std::int64_t>(pixelsToTwips(Picture1->width()), 0, INT16_MAX);
    clsResize().ResizeForm(*this, 3540, static_cast<std::int16_t>(width));
}

void frmMtroNew::showClickSoundDialog()
{
    m_openers->raz8();
}

bool frmMtroNew::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == Picture1) {
            const auto* key = static_cast<QKeyEvent*>(event);
            m_metronome->Picture1_KeyDown(
                keyCode(key->key()), DrawSurface::shiftMask(key->modifiers()), key->isAutoRepeat());
            return true;
        }
        break;
    case QEvent::MouseMove:
        if (watched == imstop)
            imstop->setToolTip(m_metronome->imstopToolTip());
        else if (watched == lblTempo)
            lblTempo->setToolTip(m_metronome->lblTempoToolTip());
        break;
    case QEvent::MouseButtonPress:
        // A press that a label leaves unhandled goes on to the skin behind it: only the first
        // control it reaches is the one pressed.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && watched != Picture1)
            m_pressed = watched;
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool click = mouse->button() == Qt::LeftButton && m_pressed == watched && widget
            && widget->rect().contains(mouse->position().toPoint());
        m_pressed = nullptr;
        if (click)
            clicked(watched);
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmMtroNew::clicked(QObject* control)
{
    if (control == imstop)
        m_metronome->imstop_Click();
    else if (control == Text2)
        m_metronome->Text2_Click();
    else if (control == lblTempo)
        m_metronome->lblTempo_Click();
    else if (control == Image10)
        m_metronome->Image10_Click();
    else if (control == Image11)
        m_metronome->Image11_Click();
    else if (control == Image12)
        m_metronome->Image12_Click();
}

void frmMtroNew::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMtroNew::Form_Resize()
{
    if (!isMinimized() && Picture1 && size() != Picture1->size())
        resize(Picture1->size());
}

void frmMtroNew::closeEvent(QCloseEvent* event)
{
    // Asked before anything is unloaded: a window that stays keeps the whole program.
    if (!m_unloaded && !m_windows.queryQuit()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMtroNew::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_metronome->Form_Unload();
    // The program ends with its main window: the other windows close through their own close
    // paths, and the event loop ends even if one of them refuses.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
    QCoreApplication::quit();
}

void frmMtroNew::Picka(int Index)
{
    m_launchers->Picka(Index);
}

void frmMtroNew::Bitovi(int Index)
{
    m_metronome->Bitovi(Index);
}

void frmMtroNew::Primeri(int Index)
{
    m_launchers->Primeri(Index);
}

void frmMtroNew::raz1()
{
    m_openers->raz1();
}

void frmMtroNew::raz2()
{
    m_openers->raz2();
}

void frmMtroNew::raz3()
{
    m_openers->raz3();
}

void frmMtroNew::raz4()
{
    m_openers->raz4();
}

void frmMtroNew::raz5()
{
    m_openers->raz5();
}

void frmMtroNew::raz10()
{
    m_openers->raz10();
}

void frmMtroNew::fla1()
{
    m_openers->fla1();
}

void frmMtroNew::fla2()
{
    m_openers->fla2();
}

void frmMtroNew::raz6()
{
    m_metronome->Text2_Click();
}

void frmMtroNew::raz7()
{
    m_metronome->raz7();
}

void frmMtroNew::raz8()
{
    m_openers->raz8();
}

void frmMtroNew::raz11()
{
    close();
}
