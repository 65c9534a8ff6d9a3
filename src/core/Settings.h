#pragma once

#include "core/AtomicFile.h"

#include <functional>

namespace tavimo {

class IniFile;
struct AppState;

// The keys of the settings file in the order start-up reads them.
enum class SettingKey {
    FormWidth,
    FormHeight,
    TextBook,
    TextVideoDir,
    FormAutosize,
    ExOld,
    TextHisMedia,
    TextHisNormal,
    TextFavor,
    TextPlName,
    Form4Width,
    Form4Height,
    Form4Left,
    Form4Top,
    Form4Book,
    ValueVolume,
    Form2Width,
    Form2Height,
    Form2Toolbar,
    ValueAspect,
    Form2Color,
    Form2Font,
    Form2Mode,
    FormColor,
    FormFont,
    FormMode,
    ExVersion,
    ExPacked,
    ExMixer,
    ExNoReg,
    CaptureSilent,
    CaptureSize,
    CaptureDir,
    SyncroAuto,
    PreviewMouse,
    SearchLeft,
    SearchTop,
    SearchWidth,
    SearchHeight,
};

// Called after each key has been read into the state, so the windows apply it at once (a
// window resized and placed, the favourites menu built after "plname", ...).
using SettingApplied = std::function<void(SettingKey)>;

// Reads the settings in their fixed order into state. "[ex] old" is read only while the
// renderer items are shown (no renderer fallback); when it is checked the renderer capability
// is switched off right away, as the renderer choice that follows it expects.
void readSettings(const IniFile& ini, AppState& state, const SettingApplied& applied = {});

// Writes every key in the order of the exit sequence; keys and sections of others stay.
void writeSettings(IniFile& ini, const AppState& state);

// The exit's settings write: opens the settings file (if any), writes the keys, saves it.
WriteResult saveSettingsFile(const AppState& state);

// Writes the user extension list to userex.inf (the file exists afterwards even when empty).
WriteResult saveUserExtensions(const AppState& state);

} // namespace tavimo
