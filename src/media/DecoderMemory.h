#pragma once

namespace tavimo::media {

// Keeps the memory that decoding frees inside the process for the next file, instead of giving
// it back to the system after every file. Decoding one frame of a 1080p video allocates and
// frees tens of megabytes; with the C library's defaults those pages go back to the kernel and
// are faulted in again for the next file, and on a virtual machine every page handed back also
// interrupts the other cores running this process. Measured on two cores, that made two
// thumbnail workers barely 1.5 times as fast as one. Affects the whole process; done once, by
// the first decoder made.
void keepDecoderMemory();

} // namespace tavimo::media
