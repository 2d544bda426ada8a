#pragma once

#include "platform/mixer/MixerService.h"

#include <cstdint>
#include <optional>

class MessageBoxService;

// The master-volume steps of the hidden player form: the form makes one at each load, calls
// OpenMixer as the last step of that load, and passes the main window's volume slider to DajJako.
// The mixer behind it belongs to the run, not to the form: it is opened by the first load, a
// failure of that open is shown once per run, and it is closed at exit with the platform.
// A set that fails (the mixer lost its sound server, or none was there yet) opens the mixer
// again, once per failure and without a message, and sets the same level on what opened.
// UI thread only.
class MasterVolume
{
public:
    // The change of one press of the form's "+" or "-" button, in the control's steps.
    static constexpr long kStep = 5000;
    // The volume slider's top position; its bottom is 0.
    static constexpr std::int32_t kTopLevel = 100;

    MasterVolume(MixerService& mixer, MessageBoxService& boxes);

    // The control's value for a slider level: 0 ... kTopLevel spread evenly over the control's
    // range, rounded to the nearest step, so 0 is the control's minimum (silence), kTopLevel its
    // maximum (full) and every level between a volume of its own wherever the control has the
    // steps. A level beyond the slider's range counts as its nearest end.
    static long levelValue(std::int32_t level, const MixerControl& control);

    // Opens the mixer if this run has not tried yet; the attempt that fails shows "Couldn't open
    // the mixer.". True when the mixer is open, whether or not it has a master control.
    bool OpenMixer();

    // Level: the slider position, 0 to kTopLevel. Sets the master volume to levelValue and
    // remembers it as MasterValue, also when the mixer refuses it.
    void DajJako(std::int32_t Level);

    // One step up or down from MasterValue, kept within the control's bounds. The form shows
    // volumeBarValue afterwards.
    void CD_IncVolumeProc();
    void CD_DecVolumeProc();

    // The value of the form's volume bar whose maximum is `barMaximum`: MasterValue as a share of
    // the control's range, so the map of levelValue read backwards (not rounded): with a bar
    // as long as the slider it gives back the level that was set. 0 without a control or range.
    float volumeBarValue(int barMaximum) const;

    // The value last set through this object; 0 until then.
    long MasterValue() const { return m_masterValue; }

private:
    // Sets the value that `valueFor` gives for the control; after a failure the mixer is opened
    // again and the value set once more, for the control that opened. `valueFor` works from what
    // it captured: the failed set has changed MasterValue already.
    template <typename ValueFor> void setFollowing(ValueFor valueFor);
    bool setOnControl(long value);

    MixerService& m_mixer;
    MessageBoxService& m_boxes;
    std::optional<MixerControl> m_control;
    long m_masterValue = 0;
};
