#pragma once
// How many of the machine's cores one run may use. Runs going at once share the
// machine: two encoders each told to use every core wait for rows the other
// holds, and libvpx waits by spinning, which cost two VP8 runs at once three
// times the processor time of the same runs one after the other.
//
// Threads: set on the main thread before the runs start; read when a run opens
// its decoders, chains and encoders on that same thread, or on its stage threads.
namespace media {

// The number of runs that go at once from now on (1: a run has the machine).
void ShareCoresAmong(int runs);

// The cores one run may use, at least 1.
unsigned CoresPerRun();

// A codec's thread count: 0 (the library's own choice, every core) for a run
// that has the machine, its share otherwise.
int CodecThreads();

}  // namespace media
