// libFuzzer target for userex.inf: any bytes read as the user's extensions (blank lines
// dropped), which save and load back the same and decide what is a video without trouble.

#include "TextChecks.h"
#include "core/VideoExtensions.h"

using namespace tavimo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList extensions =
        VideoExtensions::userListOf(fuzz::checkedLines(QByteArrayView(data, qsizetype(size))));
    const QStringList again =
        VideoExtensions::userListOf(textfile::decodeLines(textfile::encodeLines(extensions)));
    fuzz::check(again == extensions, "extensions saved read back the same");

    VideoExtensions list;
    list.setUserList(extensions);
    fuzz::check(list.userPatterns().size() == extensions.size(), "one pattern per extension");
    for (const QString& extension : extensions) {
        // An extension as the user types it: one dot, first, and no folder separator.
        const bool plain = extension.startsWith(u'.') && extension.indexOf(u'.', 1) < 0 &&
                           !extension.contains(u'/');
        if (plain)
            fuzz::check(list.isVideo(QStringLiteral("/v/clip") + extension),
                        "a listed extension makes a video");
    }
    return 0;
}
