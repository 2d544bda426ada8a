#pragma once

#include "platform/mixer/MixerService.h"

#include <cstdint>
#include <optional>

class MessageBoxService;

// The master-volume steps of the hidden player form: the form makes one at each load, calls
// OpenMixer as the last step of that load, and passes the main window's volume slider to DajJako.
// The mixer behind it belongs to the run, not to the form: it is opened by the first load only,
// a failure is shown once per run, and it is closed at exit with the platform.
// UI thread only.
class MasterVolume
{
public:
    // The change of one press of the form's "+" or "-" button, in the control's steps.
    static constexpr long kStep = 5000;

    MasterVolume(MixerService& mixer, MessageBoxService& boxes);

    // Opens the mixer if this run has not tried yet; the attempt that fails shows "Couldn't open
    // the mixer.". True when the mixer is open, whether or not it has a master control.
    bool OpenMixer();

    // Level: the slider position, 0 to 100. Sets the master volume to Level x 1000, kept within
    // the control's bounds, and remembers it as MasterValue. Does nothing without a control.
    void DajJako(std::int32_t Level);

    // One step up or down from MasterValue, kept within the control's bounds. Nothing without
    // a control. The form shows volumeBarValue afterwards.
    void CD_IncVolumeProc();
    void CD_DecVolumeProc();

    // The value of the form's volume bar whose maximum is `barMaximum`: MasterValue as a share of
    // the control's maximum, 0 without a control.
    float volumeBarValue(int barMaximum) const;

    // The value last set through this object; 0 until then.
    long MasterValue() const { return m_masterValue; }

private:
    void setClamped(long long value);

    MixerService& m_mixer;
    MessageBoxService& m_boxes;
    std::optional<MixerControl> m_control;
    long m_masterValue = 0;
};
