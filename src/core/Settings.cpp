#include "core/Settings.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/TextFile.h"

#include <QFileInfo>

namespace tavimo {

namespace {
const QString kForm = QStringLiteral("form");
const QString kText = QStringLiteral("text");
const QString kForm4 = QStringLiteral("form4");
const QString kValue = QStringLiteral("value");
const QString kForm2 = QStringLiteral("form2");
const QString kEx = QStringLiteral("ex");
const QString kCapture = QStringLiteral("capture");
const QString kSyncro = QStringLiteral("syncro");
} // namespace

void readSettings(const IniFile& ini, AppState& s, const SettingApplied& applied) {
    auto done = [&applied](SettingKey key) {
        if (applied)
            applied(key);
    };
    auto integer = [&](const QString& section, const char* key, int32_t& target, SettingKey k) {
        target = ini.readInteger(section, QLatin1String(key), target);
        done(k);
    };
    auto boolean = [&](const QString& section, const char* key, bool& target, SettingKey k) {
        target = ini.readBool(section, QLatin1String(key), target);
        done(k);
    };
    auto text = [&](const QString& section, const char* key, QString& target, SettingKey k) {
        target = ini.readString(section, QLatin1String(key), target);
        done(k);
    };

    integer(kForm, "width", s.bookWindow.width, SettingKey::FormWidth);
    integer(kForm, "height", s.bookWindow.height, SettingKey::FormHeight);
    text(kText, "book", s.bookTitle, SettingKey::TextBook);
    text(kText, "videodir", s.videoFolder, SettingKey::TextVideoDir);
    boolean(kForm, "autosize", s.bookWindow.autoHeight, SettingKey::FormAutosize);
    if (!s.rendererFallback) {
        boolean(kEx, "old", s.oldRenderer, SettingKey::ExOld);
        if (s.rendererCapable && s.oldRenderer)
            s.rendererCapable = false;
    }
    text(kText, "hismedia", s.lastMediaBook, SettingKey::TextHisMedia);
    text(kText, "hisnormal", s.lastNormalBook, SettingKey::TextHisNormal);
    text(kText, "favor", s.favouriteBook, SettingKey::TextFavor);
    text(kText, "plname", s.otherPlayer, SettingKey::TextPlName);
    integer(kForm4, "width", s.player.width, SettingKey::Form4Width);
    integer(kForm4, "height", s.player.height, SettingKey::Form4Height);
    integer(kForm4, "left", s.player.left, SettingKey::Form4Left);
    integer(kForm4, "top", s.player.top, SettingKey::Form4Top);
    boolean(kForm4, "book", s.player.playFromBookmark, SettingKey::Form4Book);
    integer(kValue, "volume", s.player.volume, SettingKey::ValueVolume);
    integer(kForm2, "width", s.albumWindow.width, SettingKey::Form2Width);
    integer(kForm2, "height", s.albumWindow.height, SettingKey::Form2Height);
    integer(kForm2, "toolbar", s.albumWindow.toolbarImage, SettingKey::Form2Toolbar);
    integer(kValue, "aspect", s.player.aspect, SettingKey::ValueAspect);
    integer(kForm2, "color", s.albumWindow.color, SettingKey::Form2Color);
    integer(kForm2, "font", s.albumWindow.fontColor, SettingKey::Form2Font);
    integer(kForm2, "mode", s.albumWindow.sizeMode, SettingKey::Form2Mode);
    integer(kForm, "color", s.bookWindow.color, SettingKey::FormColor);
    integer(kForm, "font", s.bookWindow.fontColor, SettingKey::FormFont);
    integer(kForm, "mode", s.bookWindow.sizeMode, SettingKey::FormMode);
    boolean(kEx, "version", s.legacyThumbnailsJpeg, SettingKey::ExVersion);
    boolean(kEx, "packed", s.thumbnailsPacked, SettingKey::ExPacked);
    boolean(kEx, "mixer", s.fixVideoDisplay, SettingKey::ExMixer);
    boolean(kEx, "noreg", s.skipUnreadable, SettingKey::ExNoReg);
    boolean(kCapture, "silent", s.captureSilent, SettingKey::CaptureSilent);
    boolean(kCapture, "size", s.captureOriginalSize, SettingKey::CaptureSize);
    text(kCapture, "dir", s.captureFolder, SettingKey::CaptureDir);
    boolean(kSyncro, "auto", s.syncFolderAlbums, SettingKey::SyncroAuto);
}

void writeSettings(IniFile& ini, const AppState& s) {
    auto integer = [&ini](const QString& section, const char* key, int32_t value) {
        ini.writeInteger(section, QLatin1String(key), value);
    };
    auto boolean = [&ini](const QString& section, const char* key, bool value) {
        ini.writeBool(section, QLatin1String(key), value);
    };
    auto text = [&ini](const QString& section, const char* key, const QString& value) {
        ini.writeString(section, QLatin1String(key), value);
    };

    integer(kForm, "width", s.bookWindow.width);
    integer(kForm, "height", s.bookWindow.height);
    integer(kForm, "left", s.bookWindow.left);
    integer(kForm, "color", s.bookWindow.color);
    integer(kForm, "font", s.bookWindow.fontColor);
    boolean(kForm, "autosize", s.bookWindow.autoHeight);

    text(kText, "book", s.bookTitle);
    text(kText, "videodir", s.videoFolder);
    text(kText, "hismedia", s.lastMediaBook);
    text(kText, "hisnormal", s.lastNormalBook);
    text(kText, "favor", s.favouriteBook);
    text(kText, "plname", s.otherPlayer);

    integer(kForm, "color", s.bookWindow.color);
    integer(kForm, "font", s.bookWindow.fontColor);
    integer(kForm, "mode", s.bookWindow.sizeMode);

    integer(kForm4, "width", s.player.width);
    integer(kForm4, "height", s.player.height);
    integer(kForm4, "left", s.player.left);
    integer(kForm4, "top", s.player.top);
    boolean(kForm4, "book", s.player.playFromBookmark);

    integer(kValue, "volume", s.player.volume);

    integer(kForm2, "width", s.albumWindow.width);
    integer(kForm2, "height", s.albumWindow.height);
    integer(kForm2, "toolbar", s.albumWindow.toolbarImage);
    integer(kForm2, "color", s.albumWindow.color);
    integer(kForm2, "font", s.albumWindow.fontColor);
    integer(kForm2, "mode", s.albumWindow.sizeMode);

    integer(kValue, "aspect", s.player.aspect);

    // Thumbnails are always packed by now, so the migration never runs twice.
    boolean(kEx, "version", true);
    boolean(kEx, "packed", true);
    boolean(kEx, "mixer", s.fixVideoDisplay);
    boolean(kEx, "old", s.oldRenderer);
    boolean(kEx, "noreg", s.skipUnreadable);

    boolean(kCapture, "size", s.captureOriginalSize);
    boolean(kCapture, "silent", s.captureSilent);
    text(kCapture, "dir", s.captureFolder);

    boolean(kSyncro, "auto", s.syncFolderAlbums);
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
