// libFuzzer target for Tavimo.lock: any bytes read as the holder a lock file names, which
// writes and reads back the same, in the form the program writes byte for byte.

#include "TextChecks.h"
#include "platform/LibraryLock.h"

using tavimo::platform::LockHolder;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const LockHolder holder = LockHolder::fromText(text);
    tavimo::fuzz::check(holder.pid >= 0, "no negative pid");
    const QByteArray written = holder.toText();
    const LockHolder again = LockHolder::fromText(written);
    tavimo::fuzz::check(again.host == holder.host && again.pid == holder.pid &&
                            again.program == holder.program,
                        "a holder written reads back the same");
    tavimo::fuzz::check(again.toText() == written, "the written form comes back byte for byte");
    return 0;
}
