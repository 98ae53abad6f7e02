// The tune's voices on Linux: three threads, each playing the copies of the embedded tune it is
// asked for one after another into a PulseAudio stream of its own, so that a new copy every
// 3.2 s overlaps the ones still sounding. Commands come from the main thread and never wait,
// except quit_voices, and it at most half a second.
#pragma once

// Starts the three voice threads. Without a sound server the voices stay silent and try again
// at their next copy, so a server started later is used. Each time the sound goes (no server,
// or the server gone in the middle of a copy) one line on standard error says so.
void start_voices();
// Queues a copy of the tune on voice 0..2; nothing happens for another number or before
// start_voices.
void play_voice(int voice);
// Silences every voice at once and forgets what was queued.
void stop_voices();
// Stops and ends the voice threads, each after closing its stream; safe without start_voices.
// A voice that has not ended within half a second (held by a server that hangs) is left to the
// process's end, and the answer is false: the process must then end without running the
// destructors of what that voice may still use (std::_Exit after flushing its output).
bool quit_voices();
