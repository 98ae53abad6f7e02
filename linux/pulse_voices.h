// The tune's voices on Linux: three threads, each playing the copies of the embedded tune it is
// asked for one after another into a PulseAudio stream of its own, so that a new copy every
// 3.2 s overlaps the ones still sounding. Commands come from the main thread and never wait,
// except quit_voices.
#pragma once

// Starts the three voice threads. Without a sound server the voices stay silent, and the first
// one that finds none says so once on standard error.
void start_voices();
// Queues a copy of the tune on voice 0..2; nothing happens for another number or before
// start_voices.
void play_voice(int voice);
// Silences every voice at once and forgets what was queued.
void stop_voices();
// Stops and ends the voice threads, each after closing its stream; safe without start_voices.
void quit_voices();
