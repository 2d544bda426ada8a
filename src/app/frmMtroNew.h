#pragma once

#include "app/Metronome.h"
#include "windows/MainWindowCommands.h"
#include "windows/SingleInstance.h"

#include <array>
#include <cstdint>
#include <memory>

#include <QPixmap>
#include <QWidget>

class AnalogClock;
class ClickSounds;
class MainWindowSkin;
class OpenerHost;
class OtherWindows;
class PlayerWindow;
class QLabel;
class ReferenceLaunchers;
class SkinLight;
class SliderPic;
class WindowOpeners;
class frmFlam;
struct Platform;

// The main metronome window: a frameless window whose whole surface is the skin `Picture1`, with
// the tempo dial, the volume slider, the tempo texts, the play/stop image, the subdivision
// buttons and the beat lights at their places on it. Its state and procedures are the display-free
// Metronome; this class only shows that state and turns the user's clicks, keys and drags into
// the metronome's procedures. Controls carry their given names as object names.
//
// The program's one main window: AppWindows loads it, with the engine form (and its click sounds)
// it drives, the MIDI-file player it stops and the other windows it opens, and then runs its
// Form_Load. While it lives, the engine form moves its beat lights. Closing it ends the program:
// nothing steps or sounds afterwards and the other windows close. A window that may refuse (the
// recorder with a take not saved) is asked first; when it stays, the close is refused and the
// program goes on as before. UI thread only.
class frmMtroNew : public QWidget,
                   public MetronomeView,
                   public MainWindowCommands,
                   public SingleInstance<frmMtroNew>
{
    Q_OBJECT

public:
    // Runs the window's unload when its load has not already ended the program, then destroys
    // the window, and after it the engine form it was built with.
    static void unload();

    ~frmMtroNew() override;

    // The window's load; false when another copy of the program runs (the user has been told),
    // and the window is then to be unloaded.
    bool Form_Load();

    // Whether the window has been unloaded (closed, or the program ended).
    bool unloaded() const { return m_unloaded; }

    Metronome& metronome() { return *m_metronome; }

    ClickSounds& sounds();

    MainWindowSkin& skin() { return *m_skin; }

    // MetronomeView.
    QString dialValueText() const override;
    void setDialValue(double dateTime) override;
    std::uint32_t dialClockBackColor() const override;
    void setDialClockBackColor(std::uint32_t color) override;
    std::int32_t sliderPosition() const override;
    void setSliderPosition(std::int32_t position) override;
    void focusPicture1() override;
    void controlChanged(MainControl control) override;
    void showClickSoundDialog() override;
    void ResizeForm() override;

    // MainWindowCommands.
    void Picka(int Index) override;
    void Bitovi(int Index) override;
    void Primeri(int Index) override;
    void raz1() override;
    void raz2() override;
    void raz3() override;
    void raz4() override;
    void raz5() override;
    void raz6() override;
    void raz7() override;
    void raz8() override;
    void raz10() override;
    void raz11() override;
    void fla1() override;
    void fla2() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class SingleInstance<frmMtroNew>;
    frmMtroNew(Platform& platform, frmFlam& flam, PlayerWindow& player, OtherWindows& windows);

    void buildControls();
    template <typename Image = QLabel> Image* placeImage(const char* name);
    QLabel* placeLabel(const char* name, int pixelSize, bool bold, QColor ink, Qt::Alignment align);
    void clicked(QObject* control);
    const QPixmap& pixmapOf(ShownPicture picture);
    // The typed beat light behind a control; null for the other controls.
    SkinLight* lightOf(MainControl control) const;
    void Form_Resize();
    void Form_Unload();

    Platform& m_platform;
    OtherWindows& m_windows;
    frmFlam& m_flam;
    std::unique_ptr<Metronome> m_metronome;
    std::unique_ptr<OpenerHost> m_openerHost;
    std::unique_ptr<WindowOpeners> m_openers;
    std::unique_ptr<ReferenceLaunchers> m_launchers;
    MainWindowSkin* m_skin = nullptr;
    bool m_unloaded = false;

    QLabel* Picture1 = nullptr;
    QLabel* Text2 = nullptr;
    QLabel* lblcd = nullptr;
    QLabel* lblTempo = nullptr;
    QLabel* imstop = nullptr;
    QLabel* Image10 = nullptr;
    QLabel* Image11 = nullptr;
    QLabel* Image12 = nullptr;
    SkinLight* Image5 = nullptr;
    SkinLight* imz = nullptr;
    SkinLight* Image4 = nullptr;
    QLabel* imKlavir = nullptr;
    QWidget* Image17 = nullptr;
    QWidget* Image23 = nullptr;
    AnalogClock* AnalogClock1 = nullptr;
    SliderPic* SliderPic1 = nullptr;
    // The skin pictures the controls show, in the order of ShownPicture, each drawn on first use.
    std::array<QPixmap, kShownPictureCount> m_pictures;
    // The controls that show the metronome's state, in the order of MainControl.
    std::array<QLabel*, kMainControlCount> m_shown {};
    // The control a left button went down on: a click is a press and release on one control.
    QObject* m_pressed = nullptr;
};
