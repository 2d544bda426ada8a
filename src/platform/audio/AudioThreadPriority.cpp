#include "platform/audio/AudioThreadPriority.h"

#include <algorithm>

#include <SDL2/SDL_system.h>
#include <SDL2/SDL_thread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Below a sound server's own real-time threads (PulseAudio's default is 5), so that it is never
// kept waiting by a client it serves; above everything that runs at normal priority.
constexpr int kRealtimePriority = 4;

} // namespace

AudioThreadPriority raiseAudioThreadPriority()
{
    sched_param param {};
    param.sched_priority = kRealtimePriority;
    // On Linux, 0 names the calling thread.
    if (sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0)
        return AudioThreadPriority::RealTime;
    const Sint64 thread = gettid();
    if (SDL_LinuxSetThreadPriorityAndPolicy(thread, SDL_THREAD_PRIORITY_TIME_CRITICAL, SCHED_FIFO)
        == 0)
        return AudioThreadPriority::RealTime;

    // RLIMIT_NICE allows nice values down to 20 - its limit.
    const int before = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    rlimit limit {};
    if (getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const int lowest =
            std::max(-20, 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40)));
        if (lowest < before)
            setpriority(PRIO_PROCESS, static_cast<id_t>(thread), lowest);
    } else {
        setpriority(PRIO_PROCESS, static_cast<id_t>(thread), -20);
    }
    if (getpriority(PRIO_PROCESS, static_cast<id_t>(thread)) < 0)
        return AudioThreadPriority::Nice;
    // The desktop's service may grant a nice value where the limit does not.
    if (SDL_LinuxSetThreadPriorityAndPolicy(thread, SDL_THREAD_PRIORITY_HIGH, SCHED_OTHER) == 0
        && getpriority(PRIO_PROCESS, static_cast<id_t>(thread)) < 0)
        return AudioThreadPriority::Nice;
    return AudioThreadPriority::Normal;
}
