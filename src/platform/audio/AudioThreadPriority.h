#pragma once

// Raises the calling thread, an audio thread, above the programs that may load the machine: a
// thread at normal priority is woken tens of milliseconds late under load, one at real-time
// priority within a couple. Asks for real-time scheduling (SCHED_FIFO, a middling priority that
// leaves room above for the sound server's own threads), directly where the user may have it,
// else through the desktop's real-time service (as SDL asks for its own audio threads); when
// refused, the lowest nice value the thread may have. Children forked later start at normal
// priority.
//
// Threads: the thread to raise, before it has sound to deliver (asking the desktop's service
// takes a message round trip). Errors: what was granted is returned; nothing else is reported.
enum class AudioThreadPriority { Normal, Nice, RealTime };

AudioThreadPriority raiseAudioThreadPriority();
