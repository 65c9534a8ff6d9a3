// libFuzzer target for the settings file: any bytes read as settings; writing them back into
// the same text and reading that again gives the same settings, and the keys of others keep
// their values (see TextChecks.h for the text itself).

#include "TextChecks.h"
#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Settings.h"

using namespace tavimo;

namespace {

AppState settingsOf(const IniFile& ini) {
    AppState state;
    state.initialise(QStringLiteral("/lib/"));
    readSettings(ini, state);
    return state;
}

bool isOurs(const QString& section) {
    for (const char* ours :
         {"form", "text", "form4", "value", "form2", "ex", "capture", "syncro", "preview"})
        if (section.compare(QLatin1String(ours), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The settings as a fresh file would hold them: equal files, equal settings.
QStringList written(const AppState& state) {
    IniFile ini;
    writeSettings(ini, state);
    return ini.lines();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    textfile::LineBytes secondCodes;
    const QByteArrayView bytes(data, qsizetype(size));
    fuzz::checkedLines(bytes);
    IniFile ini(textfile::decodeLines(bytes, &secondCodes));
    const IniFile original = ini;
    const AppState state = settingsOf(ini);

    writeSettings(ini, state);
    const IniFile reread(textfile::decodeLines(textfile::encodeLines(ini.lines(), &secondCodes)));
    fuzz::check(reread.lines() == ini.lines(), "the settings text reads back the same");
    fuzz::check(written(settingsOf(reread)) == written(state),
                "settings written read back the same");

    // Keys of sections that are not the program's keep their values through the write.
    int checked = 0;
    QString section;
    for (const QString& line : original.lines()) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[') && trimmed.contains(u']')) {
            section = trimmed.mid(1, trimmed.indexOf(u']') - 1).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || trimmed.startsWith(u';') || trimmed.startsWith(u'#') || isOurs(section))
            continue;
        const QString key = line.left(eq).trimmed();
        fuzz::check(original.value(section, key) == reread.value(section, key),
                    "keys of others keep their values");
        if (++checked == 16)
            break;
    }
    return 0;
}
