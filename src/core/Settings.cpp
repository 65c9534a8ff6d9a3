#include "core/Settings.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/TextFile.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <optional>
#include <variant>

namespace tavimo {

namespace {

using Value = std::variant<int32_t, bool, QString>;
using Target = std::variant<int32_t*, bool*, QString*>;

// One value of the settings file: its section and key, the member of the state that holds it,
// and its place in start-up's reading (the SettingKey, whose order is the reading order; none
// for a value that is only written). The table itself is in the order of the exit's writing,
// which decides where a new section or key lands in the file.
struct Setting {
    const char* section;
    const char* key;
    std::optional<SettingKey> readAs;
    Target (*target)(AppState&);
    Value (*written)(const AppState&);
    // For keys the earlier versions did not have: true when the state holds the key's default.
    // Such a key is left out of a file that does not hold it yet, so that the settings file
    // of someone who never changed the option stays as those versions wrote it.
    bool (*isDefault)(const AppState&) = nullptr;
    // True when the file keeps what it holds for the key: the row is not written.
    bool (*keptAsRead)(const AppState&) = nullptr;
};

// The member that the member pointers reach one after the other from object.
template <auto First, auto... Rest> constexpr auto& memberOf(auto& object) {
    if constexpr (sizeof...(Rest) == 0)
        return object.*First;
    else
        return memberOf<Rest...>(object.*First);
}

// A setting held by the member of the state that Path reaches.
template <auto... Path>
constexpr Setting setting(const char* section, const char* key, std::optional<SettingKey> readAs) {
    return {section, key, readAs, [](AppState& s) -> Target { return &memberOf<Path...>(s); },
            [](const AppState& s) -> Value { return memberOf<Path...>(s); }};
}

// A setting of an option of this program's own, written only once it differs from its default
// or the file holds it.
template <auto... Path>
constexpr Setting ownOption(const char* section, const char* key, SettingKey readAs) {
    Setting s = setting<Path...>(section, key, readAs);
    s.isDefault = [](const AppState& state) {
        static const AppState defaults;
        return memberOf<Path...>(state) == memberOf<Path...>(defaults);
    };
    return s;
}

// A key of the search window's place: written once the window was shown in this run.
template <auto Member> constexpr Setting searchPlace(const char* key, SettingKey readAs) {
    Setting s = setting<&AppState::searchWindow, Member>("search", key, readAs);
    s.keptAsRead = [](const AppState& state) { return !state.searchWindow.shown; };
    return s;
}

// Thumbnails are always packed by the time the program exits, so the migration never runs
// twice: these keys are written as 1 whatever was read.
constexpr Setting writtenAsTrue(Setting s) {
    s.written = [](const AppState&) -> Value { return true; };
    return s;
}

using K = SettingKey;
using BookW = BookWindowSettings;
using AlbumW = AlbumWindowSettings;
using Player = PlayerSettings;
using Search = SearchWindowSettings;
using S = AppState;

constexpr std::array kSettings{
    setting<&S::bookWindow, &BookW::width>("form", "width", K::FormWidth),
    setting<&S::bookWindow, &BookW::height>("form", "height", K::FormHeight),
    setting<&S::bookWindow, &BookW::left>("form", "left", std::nullopt),
    setting<&S::bookWindow, &BookW::color>("form", "color", K::FormColor),
    setting<&S::bookWindow, &BookW::fontColor>("form", "font", K::FormFont),
    setting<&S::bookWindow, &BookW::autoHeight>("form", "autosize", K::FormAutosize),

    setting<&S::bookTitle>("text", "book", K::TextBook),
    setting<&S::videoFolder>("text", "videodir", K::TextVideoDir),
    setting<&S::lastMediaBook>("text", "hismedia", K::TextHisMedia),
    setting<&S::lastNormalBook>("text", "hisnormal", K::TextHisNormal),
    setting<&S::favouriteBook>("text", "favor", K::TextFavor),
    setting<&S::otherPlayer>("text", "plname", K::TextPlName),

    setting<&S::bookWindow, &BookW::sizeMode>("form", "mode", K::FormMode),

    setting<&S::player, &Player::width>("form4", "width", K::Form4Width),
    setting<&S::player, &Player::height>("form4", "height", K::Form4Height),
    setting<&S::player, &Player::left>("form4", "left", K::Form4Left),
    setting<&S::player, &Player::top>("form4", "top", K::Form4Top),
    setting<&S::player, &Player::playFromBookmark>("form4", "book", K::Form4Book),

    setting<&S::player, &Player::volume>("value", "volume", K::ValueVolume),

    setting<&S::albumWindow, &AlbumW::width>("form2", "width", K::Form2Width),
    setting<&S::albumWindow, &AlbumW::height>("form2", "height", K::Form2Height),
    setting<&S::albumWindow, &AlbumW::toolbarImage>("form2", "toolbar", K::Form2Toolbar),
    setting<&S::albumWindow, &AlbumW::color>("form2", "color", K::Form2Color),
    setting<&S::albumWindow, &AlbumW::fontColor>("form2", "font", K::Form2Font),
    setting<&S::albumWindow, &AlbumW::sizeMode>("form2", "mode", K::Form2Mode),

    setting<&S::player, &Player::aspect>("value", "aspect", K::ValueAspect),

    writtenAsTrue(setting<&S::legacyThumbnailsJpeg>("ex", "version", K::ExVersion)),
    writtenAsTrue(setting<&S::thumbnailsPacked>("ex", "packed", K::ExPacked)),
    setting<&S::fixVideoDisplay>("ex", "mixer", K::ExMixer),
    setting<&S::oldRenderer>("ex", "old", K::ExOld),
    setting<&S::skipUnreadable>("ex", "noreg", K::ExNoReg),

    setting<&S::captureOriginalSize>("capture", "size", K::CaptureSize),
    setting<&S::captureSilent>("capture", "silent", K::CaptureSilent),
    setting<&S::captureFolder>("capture", "dir", K::CaptureDir),

    setting<&S::syncFolderAlbums>("syncro", "auto", K::SyncroAuto),

    ownOption<&S::previewOnHover>("preview", "mouse", K::PreviewMouse),

    searchPlace<&Search::left>("left", K::SearchLeft),
    searchPlace<&Search::top>("top", K::SearchTop),
    searchPlace<&Search::width>("width", K::SearchWidth),
    searchPlace<&Search::height>("height", K::SearchHeight),
};

constexpr int kReadCount = int(SettingKey::SearchHeight) + 1;

// Every key of the reading order has exactly one row.
consteval bool everyKeyReadOnce() {
    for (int k = 0; k < kReadCount; ++k) {
        int rows = 0;
        for (const Setting& s : kSettings)
            rows += s.readAs == SettingKey(k) ? 1 : 0;
        if (rows != 1)
            return false;
    }
    return true;
}
static_assert(everyKeyReadOnce());

const Setting& rowReadAs(SettingKey key) {
    return *std::find_if(kSettings.begin(), kSettings.end(),
                         [key](const Setting& s) { return s.readAs == key; });
}

void readInto(const IniFile& ini, const Setting& s, int32_t& target) {
    target = ini.readInteger(QLatin1String(s.section), QLatin1String(s.key), target);
}
void readInto(const IniFile& ini, const Setting& s, bool& target) {
    target = ini.readBool(QLatin1String(s.section), QLatin1String(s.key), target);
}
void readInto(const IniFile& ini, const Setting& s, QString& target) {
    target = ini.readString(QLatin1String(s.section), QLatin1String(s.key), target);
}

void writeFrom(IniFile& ini, const Setting& s, int32_t value) {
    ini.writeInteger(QLatin1String(s.section), QLatin1String(s.key), value);
}
void writeFrom(IniFile& ini, const Setting& s, bool value) {
    ini.writeBool(QLatin1String(s.section), QLatin1String(s.key), value);
}
void writeFrom(IniFile& ini, const Setting& s, const QString& value) {
    ini.writeString(QLatin1String(s.section), QLatin1String(s.key), value);
}

} // namespace

void readSettings(const IniFile& ini, AppState& state, const SettingApplied& applied) {
    for (int k = 0; k < kReadCount; ++k) {
        const auto key = SettingKey(k);
        if (key == SettingKey::ExOld && state.rendererFallback)
            continue;
        const Setting& row = rowReadAs(key);
        std::visit([&](auto* target) { readInto(ini, row, *target); }, row.target(state));
        // The renderer choice read later expects the capability to follow "old" at once.
        if (key == SettingKey::ExOld && state.rendererCapable && state.oldRenderer)
            state.rendererCapable = false;
        if (applied)
            applied(key);
    }
}

void writeSettings(IniFile& ini, const AppState& state) {
    for (const Setting& row : kSettings) {
        if (row.keptAsRead && row.keptAsRead(state))
            continue;
        if (row.isDefault && row.isDefault(state) &&
            !ini.value(QLatin1String(row.section), QLatin1String(row.key)))
            continue;
        std::visit([&](const auto& value) { writeFrom(ini, row, value); }, row.written(state));
    }
}

WriteResult saveSettingsFile(const AppState& state) {
    IniFile ini;
    // A missing file starts empty; one that exists but cannot be read is not replaced, since
    // that would drop the sections and keys of others that it holds.
    if (!ini.load(state.settingsPath()) && QFileInfo::exists(state.settingsPath())) {
        WriteResult refused;
        refused.ok = false;
        refused.path = state.settingsPath();
        refused.error = QStringLiteral("読み込めないため上書きしません");
        return refused;
    }
    writeSettings(ini, state);
    return ini.save(state.settingsPath());
}

WriteResult saveUserExtensions(const AppState& state) {
    return textfile::writeLines(state.userExtensionsPath(), state.extensions.user());
}

} // namespace tavimo
