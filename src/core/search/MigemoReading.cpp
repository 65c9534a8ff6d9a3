#include "core/search/MigemoReading.h"

#include "core/search/MigemoPattern.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <dlfcn.h>

#if __has_include(<migemo.h>)
#include <migemo.h>
#define TAVIMO_HAVE_MIGEMO_H 1
#endif

namespace tavimo {

namespace {

// The parts of Migemo's C interface this program calls, as migemo.h declares them.
struct migemo_handle;
using OpenFunction = migemo_handle* (*)(const char*);
using CloseFunction = void (*)(migemo_handle*);
using QueryFunction = unsigned char* (*)(migemo_handle*, const unsigned char*);
using ReleaseFunction = void (*)(migemo_handle*, unsigned char*);
using SetOperatorFunction = int (*)(migemo_handle*, int, const unsigned char*);
using IsEnableFunction = int (*)(migemo_handle*);

#ifdef TAVIMO_HAVE_MIGEMO_H
// The header's declarations take the library's own handle type; the shapes must agree.
static_assert(std::is_same_v<decltype(&migemo_is_enable), int (*)(migemo*)>);
static_assert(
    std::is_same_v<decltype(&migemo_query), unsigned char* (*)(migemo*, const unsigned char*)>);
static_assert(MIGEMO_OPINDEX_OR == 0 && MIGEMO_OPINDEX_NEST_IN == 1 &&
              MIGEMO_OPINDEX_NEST_OUT == 2 && MIGEMO_OPINDEX_SELECT_IN == 3 &&
              MIGEMO_OPINDEX_SELECT_OUT == 4 && MIGEMO_OPINDEX_NEWLINE == 5);
#endif

// The operators migemopattern reads, in Migemo's operator order; no operator between lines.
constexpr const char* kOperators[] = {"|", "(", ")", "[", "]", ""};

// More alternatives than the whole dictionary offers for one letter.
constexpr int kMaxReadings = 20000;

} // namespace

struct MigemoReading::Library {
    void* so = nullptr;
    migemo_handle* migemo = nullptr;
    CloseFunction close = nullptr;
    QueryFunction query = nullptr;
    ReleaseFunction release = nullptr;

    ~Library() {
        if (migemo)
            close(migemo);
        if (so)
            dlclose(so);
    }
};

MigemoReading::MigemoReading(std::unique_ptr<Library> library) : library_(std::move(library)) {}
MigemoReading::~MigemoReading() = default;

QString MigemoReading::defaultDictionary() {
    return QStringLiteral("/usr/share/cmigemo/utf-8/migemo-dict");
}

std::unique_ptr<MigemoReading> MigemoReading::open(const QString& dictionary) {
    if (!QFileInfo(dictionary).isFile())
        return nullptr;
    auto library = std::make_unique<Library>();
    library->so = dlopen("libmigemo.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library->so)
        return nullptr;
    const auto symbol = [&](const char* name) { return dlsym(library->so, name); };
    const auto open = reinterpret_cast<OpenFunction>(symbol("migemo_open"));
    const auto setOperator = reinterpret_cast<SetOperatorFunction>(symbol("migemo_set_operator"));
    const auto isEnable = reinterpret_cast<IsEnableFunction>(symbol("migemo_is_enable"));
    library->close = reinterpret_cast<CloseFunction>(symbol("migemo_close"));
    library->query = reinterpret_cast<QueryFunction>(symbol("migemo_query"));
    library->release = reinterpret_cast<ReleaseFunction>(symbol("migemo_release"));
    if (!open || !setOperator || !isEnable || !library->close || !library->query ||
        !library->release)
        return nullptr;
    library->migemo = open(QFile::encodeName(dictionary).constData());
    if (!library->migemo || !isEnable(library->migemo))
        return nullptr;
    for (int index = 0; index < int(std::size(kOperators)); ++index)
        setOperator(library->migemo, index,
                    reinterpret_cast<const unsigned char*>(kOperators[index]));
    return std::unique_ptr<MigemoReading>(new MigemoReading(std::move(library)));
}

QString MigemoReading::pattern(const QString& word) {
    const QByteArray query = word.toUtf8();
    unsigned char* answer = library_->query(
        library_->migemo, reinterpret_cast<const unsigned char*>(query.constData()));
    if (!answer)
        return {};
    const QByteArray bytes(reinterpret_cast<const char*>(answer));
    library_->release(library_->migemo, answer);
    // The dictionary's encoding is the answer's: Debian ships UTF-8, EUC-JP and CP932 ones.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder eucJp("EUC-JP");
    text = eucJp.decode(bytes);
    return eucJp.isValid() && !eucJp.hasError() ? text : QString();
}

QStringList MigemoReading::readings(const QString& word) {
    const QString regex = pattern(word);
    if (regex.isEmpty())
        return {};
    return migemopattern::expand(regex, kMaxReadings).value_or(QStringList());
}

} // namespace tavimo
