#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/TextCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QByteArray crlf(const char* text) {
    return QByteArray(text).replace("\n", "\r\n");
}

// The bytes of a file holding text (written here in UTF-8), as the library stores it.
QByteArray fileBytes(const char* text) {
    return textcodec::encodeFile(QString::fromUtf8(crlf(text)));
}

IniFile iniOf(const char* text) {
    IniFile ini;
    ini.setText(QString::fromUtf8(text));
    return ini;
}

// The settings file a first exit writes with every default in force.
const char* const kDefaultSettings = R"([form]
width=640
height=480
left=0
color=-2147483633
font=0
autosize=0
mode=0

[text]
book=
videodir=
hismedia=
hisnormal=
favor=
plname=

[form4]
width=640
height=480
left=0
top=0
book=0

[value]
volume=5000
aspect=0

[form2]
width=640
height=640
toolbar=13
color=-2147483633
font=0
mode=0

[ex]
version=1
packed=1
mixer=0
old=0
noreg=0

[capture]
size=1
silent=1
dir=/lib

[syncro]
auto=0
)";

AppState stateIn(const QString& folder) {
    AppState state;
    state.initialise(folder);
    return state;
}

} // namespace

TEST(IniFile, NewSettingsFileHasEverySectionInExitOrder) {
    AppState state = stateIn(QStringLiteral("/lib/"));
    IniFile ini;
    writeSettings(ini, state);
    EXPECT_EQ(ini.toBytes(), crlf(kDefaultSettings));

    // Read back and written again, the file does not change by a byte.
    AppState again = stateIn(QStringLiteral("/lib/"));
    readSettings(ini, again);
    IniFile rewritten(ini.lines());
    writeSettings(rewritten, again);
    EXPECT_EQ(rewritten.toBytes(), crlf(kDefaultSettings));
}

TEST(IniFile, ForeignSectionsKeysAndCommentsSurviveInPlace) {
    const char* foreign = R"(; written by hand
[Form]
WIDTH=700
extra=keep me
[plugin]
path=C:\x

[text]
book=旅行
)";
    IniFile ini = iniOf(foreign);
    // Unchanged values leave the bytes as they were.
    EXPECT_EQ(IniFile(ini.lines()).toBytes(), fileBytes(foreign));

    AppState state = stateIn(QStringLiteral("/lib/"));
    readSettings(ini, state);
    EXPECT_EQ(state.bookWindow.width, 700);
    EXPECT_EQ(state.bookTitle, QStringLiteral("旅行"));
    writeSettings(ini, state);
    const QStringList& lines = ini.lines();
    EXPECT_EQ(lines.mid(0, 4),
              (QStringList{"; written by hand", "[Form]", "WIDTH=700", "extra=keep me"}));
    EXPECT_EQ(lines.at(4), QStringLiteral("height=480"));
    const qsizetype plugin = lines.indexOf(QStringLiteral("[plugin]"));
    ASSERT_GT(plugin, 0);
    EXPECT_EQ(lines.at(plugin + 1), QStringLiteral("path=C:\\x"));
    EXPECT_EQ(lines.at(plugin + 2), QString());
    EXPECT_EQ(lines.at(plugin + 3), QStringLiteral("[text]"));
    EXPECT_EQ(lines.at(plugin + 4), QStringLiteral("book=旅行"));
    EXPECT_EQ(lines.count(QStringLiteral("[text]")), 1);
    EXPECT_EQ(textcodec::decodeFile(ini.toBytes()).count(QStringLiteral("book=")), 2); // + form4
}

TEST(IniFile, LinesWrittenOnWindowsKeepTheirBytesThroughASave) {
    // A title in NEC and IBM codes, and a foreign value holding a byte that is no character.
    const QByteArray windows = QByteArray("[text]\r\nbook=") + QByteArray::fromHex("8790ed40") +
                               "\r\n[plugin]\r\npath=C:\\" + QByteArray::fromHex("80a0") + "\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tavimo.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(windows);
    file.close();

    IniFile ini;
    ASSERT_TRUE(ini.load(path));
    EXPECT_EQ(ini.readString("text", "book", {}), QStringLiteral("≒纊"));
    ini.writeInteger("form", "width", 700);
    ASSERT_TRUE(ini.save(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), windows + "\r\n[form]\r\nwidth=700\r\n");
}

TEST(IniFile, ValuesReadLikeTheirType) {
    IniFile ini = iniOf(R"([n]
dec=-42
dollar=$1F
hex=0x10
HEXUP=0XfF
bits=$8000000F
word=12abc
spaced= 7
big=99999999999
empty=
yes=2
no=0
text=a = b ;c
)");
    EXPECT_EQ(ini.readInteger("n", "dec", 1), -42);
    EXPECT_EQ(ini.readInteger("N", "DOLLAR", 1), 31);
    EXPECT_EQ(ini.readInteger("n", "hex", 1), 16);
    EXPECT_EQ(ini.readInteger("n", "hexup", 1), 255);
    EXPECT_EQ(ini.readInteger("n", "bits", 1), kButtonFaceColor);
    EXPECT_EQ(ini.readInteger("n", "word", 5), 5);
    EXPECT_EQ(ini.readInteger("n", "spaced", 5), 7);
    EXPECT_EQ(ini.readInteger("n", "big", 5), 5);
    EXPECT_EQ(ini.readInteger("n", "empty", 5), 5);
    EXPECT_EQ(ini.readInteger("n", "missing", 5), 5);
    EXPECT_EQ(ini.readInteger("other", "dec", 5), 5);
    EXPECT_TRUE(ini.readBool("n", "yes", false));
    EXPECT_FALSE(ini.readBool("n", "no", true));
    EXPECT_TRUE(ini.readBool("n", "word", true));
    EXPECT_FALSE(ini.readBool("n", "missing", false));
    EXPECT_EQ(ini.readString("n", "text", {}), QStringLiteral("a = b ;c"));

    // A file name with a line break cannot smuggle keys or sections into the file.
    ini.writeString("n", "text", QStringLiteral("/videos/a\n[ex]\npacked=0"));
    EXPECT_EQ(ini.readString("n", "text", {}), QStringLiteral("/videos/a"));
    EXPECT_FALSE(ini.value("ex", "packed").has_value());
    EXPECT_EQ(ini.readString("n", "empty", QStringLiteral("d")), QString());
}

TEST(Settings, ReadKeepsWhatNoWindowUsesYetAndWritesItBack) {
    IniFile ini = iniOf(R"([value]
aspect=9
volume=$FF
[form2]
width=500
toolbar=12
[ex]
old=1
packed=0
)");
    AppState state = stateIn(QStringLiteral("/lib/"));
    QList<SettingKey> order;
    readSettings(ini, state, [&order](SettingKey key) { order.append(key); });
    EXPECT_EQ(order.size(), 39);
    EXPECT_EQ(order.first(), SettingKey::FormWidth);
    EXPECT_EQ(order.last(), SettingKey::SearchHeight);
    EXPECT_EQ(state.player.aspect, 9);
    EXPECT_EQ(state.player.volume, 255);
    EXPECT_EQ(state.albumWindow.width, 500);
    EXPECT_EQ(state.albumWindow.height, 640); // not 480
    EXPECT_EQ(state.albumWindow.toolbarImage, 12);
    EXPECT_TRUE(state.oldRenderer);
    EXPECT_FALSE(state.rendererCapable);
    EXPECT_FALSE(state.thumbnailsPacked);
    EXPECT_EQ(state.captureFolder, QStringLiteral("/lib"));

    writeSettings(ini, state);
    EXPECT_EQ(ini.readInteger("value", "aspect", 0), 9);
    EXPECT_EQ(ini.readInteger("ex", "packed", 0), 1);
    EXPECT_EQ(ini.readInteger("ex", "version", 0), 1);
    EXPECT_EQ(ini.readInteger("ex", "old", 0), 1);

    // Where the system hides the renderer items, "old" is not read and is written as 0.
    AppState hidden = stateIn(QStringLiteral("/lib/"));
    hidden.rendererFallback = true;
    QList<SettingKey> hiddenOrder;
    readSettings(ini, hidden, [&hiddenOrder](SettingKey key) { hiddenOrder.append(key); });
    EXPECT_FALSE(hiddenOrder.contains(SettingKey::ExOld));
    EXPECT_FALSE(hidden.oldRenderer);
    writeSettings(ini, hidden);
    EXPECT_EQ(ini.readInteger("ex", "old", 1), 0);
}

TEST(Settings, EveryValueComesBackIntoItsOwnMember) {
    // Distinct values everywhere, so that two keys sharing a member or a key reading into
    // the wrong member shows.
    AppState s = stateIn(QStringLiteral("/lib/"));
    s.bookWindow = {101, 102, 103, 104, 105, 1, true};
    s.albumWindow = {201, 202, 12, 204, 205, 1};
    s.player = {301, 302, 303, 304, true, 306, 3};
    s.bookTitle = QStringLiteral("旅行");
    s.videoFolder = QStringLiteral("/videos");
    s.lastMediaBook = QStringLiteral("DVD");
    s.lastNormalBook = QStringLiteral("夏");
    s.favouriteBook = QStringLiteral("好き");
    s.otherPlayer = QStringLiteral("/usr/bin/player");
    s.fixVideoDisplay = true;
    s.oldRenderer = true;
    s.skipUnreadable = true;
    s.captureSilent = false;
    s.captureOriginalSize = false;
    s.captureFolder = QStringLiteral("/captures");
    s.syncFolderAlbums = true;
    IniFile ini;
    writeSettings(ini, s);
    EXPECT_EQ(ini.readInteger("form", "left", 0), 103); // written, never read back

    AppState back = stateIn(QStringLiteral("/other/"));
    readSettings(ini, back);
    const BookWindowSettings& b = back.bookWindow;
    EXPECT_EQ((QList<int>{b.width, b.height, b.left, b.color, b.fontColor, b.sizeMode}),
              (QList<int>{101, 102, 0, 104, 105, 1}));
    EXPECT_TRUE(b.autoHeight);
    const AlbumWindowSettings& a = back.albumWindow;
    EXPECT_EQ((QList<int>{a.width, a.height, a.toolbarImage, a.color, a.fontColor, a.sizeMode}),
              (QList<int>{201, 202, 12, 204, 205, 1}));
    const PlayerSettings& p = back.player;
    EXPECT_EQ((QList<int>{p.width, p.height, p.left, p.top, p.volume, p.aspect}),
              (QList<int>{301, 302, 303, 304, 306, 3}));
    EXPECT_TRUE(p.playFromBookmark);
    EXPECT_EQ(
        (QStringList{back.bookTitle, back.videoFolder, back.lastMediaBook, back.lastNormalBook,
                     back.favouriteBook, back.otherPlayer, back.captureFolder}),
        (QStringList{"旅行", "/videos", "DVD", "夏", "好き", "/usr/bin/player", "/captures"}));
    EXPECT_TRUE(back.legacyThumbnailsJpeg);
    EXPECT_TRUE(back.thumbnailsPacked);
    EXPECT_TRUE(back.fixVideoDisplay);
    EXPECT_TRUE(back.oldRenderer);
    EXPECT_FALSE(back.rendererCapable);
    EXPECT_TRUE(back.skipUnreadable);
    EXPECT_FALSE(back.captureSilent);
    EXPECT_FALSE(back.captureOriginalSize);
    EXPECT_TRUE(back.syncFolderAlbums);
}

// The hover preview option is on by default and then left out of the file, which stays as the
// earlier versions wrote it; once turned off it is kept, also when turned on again.
TEST(Settings, ThePreviewOptionIsKeptOnceItWasChanged) {
    AppState state = stateIn(QStringLiteral("/lib/"));
    EXPECT_TRUE(state.previewOnHover);
    IniFile ini;
    writeSettings(ini, state);
    EXPECT_FALSE(ini.lines().contains(QStringLiteral("[preview]")));

    state.previewOnHover = false;
    writeSettings(ini, state);
    EXPECT_EQ(ini.lines().mid(ini.lines().size() - 3),
              (QStringList{QString(), "[preview]", "mouse=0"}));
    AppState back = stateIn(QStringLiteral("/lib/"));
    readSettings(ini, back);
    EXPECT_FALSE(back.previewOnHover);

    back.previewOnHover = true;
    writeSettings(ini, back);
    EXPECT_EQ(ini.lines().last(), QStringLiteral("mouse=1"));
    AppState again = stateIn(QStringLiteral("/lib/"));
    again.previewOnHover = false;
    readSettings(ini, again);
    EXPECT_TRUE(again.previewOnHover);
}

// The search window's place has a section of its own, written with the other settings once the
// window was shown in the run, and left as it stands by a run that never showed it.
TEST(Settings, TheSearchWindowsPlaceIsKeptBesideTheOtherSettings) {
    const char* const byHand = "[form]\nwidth=700\n; by hand\n[search]\nleft=x\n";
    IniFile ini = iniOf(byHand);
    AppState state = stateIn(QStringLiteral("/lib/"));
    readSettings(ini, state);
    EXPECT_FALSE(state.searchWindow.place()); // a value that is no number: no place
    writeSettings(ini, state);
    EXPECT_EQ(ini.value("search", "left"), QStringLiteral("x"));
    EXPECT_FALSE(ini.value("search", "top"));

    ini = iniOf("[form]\nwidth=700\n; by hand\n");
    state.searchWindow.keep(QRect(-20, 30, 640, 480));
    writeSettings(ini, state);
    const QStringList lines = ini.lines();
    EXPECT_EQ(
        lines.mid(lines.indexOf("[search]") - 1),
        (QStringList{QString(), "[search]", "left=-20", "top=30", "width=640", "height=480"}));
    AppState back = stateIn(QStringLiteral("/lib/"));
    readSettings(ini, back);
    EXPECT_EQ(back.searchWindow.place(), QRect(-20, 30, 640, 480));
    EXPECT_FALSE(back.searchWindow.shown);

    // A size that no window has is no place.
    AppState zero = stateIn(QStringLiteral("/lib/"));
    readSettings(iniOf("[search]\nleft=1\ntop=2\nwidth=0\nheight=5\n"), zero);
    EXPECT_FALSE(zero.searchWindow.place());
}

TEST(Settings, TitlesAndExtensionsOutsideCp932SurviveTheFiles) {
    QTemporaryDir dir;
    AppState state = stateIn(dir.path());
    state.bookTitle = QStringLiteral("Café 한국");
    state.extensions.addUserExtension(QStringLiteral("é한"));
    ASSERT_TRUE(saveSettingsFile(state));
    ASSERT_TRUE(saveUserExtensions(state));

    AppState back = stateIn(dir.path());
    IniFile ini;
    ASSERT_TRUE(ini.load(back.settingsPath()));
    readSettings(ini, back);
    EXPECT_EQ(back.bookTitle, QStringLiteral("Café 한국"));
    // The library was new: the extension follows the ones it started with.
    EXPECT_EQ(back.extensions.user(),
              VideoExtensions::newLibraryExtensions() + QStringList{QStringLiteral(".é한")});
    EXPECT_TRUE(back.extensions.isVideo(QStringLiteral("/v/clip.É한")));
}

TEST(Settings, UnreadableSettingsFileIsNotReplaced) {
    QTemporaryDir dir;
    AppState state = stateIn(dir.path());
    // A folder standing where the file should be cannot be read, and must not be overwritten.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Tavimo.ini")));
    const WriteResult result = saveSettingsFile(state);
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.message().contains(QStringLiteral("Tavimo.ini")));
}

TEST(VideoExtensions, BuiltInAndUserListsDecideWhatIsAVideo) {
    VideoExtensions list;
    EXPECT_EQ(list.builtin().size(), 28);
    EXPECT_TRUE(list.isVideo(QStringLiteral("/a/b.MKV")));
    EXPECT_TRUE(list.isVideo(QStringLiteral("/a.b/c.d.3g2")));
    EXPECT_FALSE(list.isVideo(QStringLiteral("/a.avi/readme")));
    EXPECT_FALSE(list.isVideo(QStringLiteral("/a/b.ts")));

    EXPECT_EQ(list.addUserExtension(QStringLiteral("TS")), QStringLiteral(".ts"));
    EXPECT_EQ(list.addUserExtension(QStringLiteral(".Ｍ２ＴＳ")), QStringLiteral(".ｍ２ｔｓ"));
    EXPECT_EQ(list.addUserExtension(QStringLiteral("ts")), QStringLiteral(".ts"));
    EXPECT_EQ(list.addUserExtension(QString()), QString());
    EXPECT_EQ(list.user(), (QStringList{".ts", ".ｍ２ｔｓ", ".ts"}));
    EXPECT_TRUE(list.isVideo(QStringLiteral("/a/b.TS")));
    EXPECT_EQ(list.userPatterns().first(), QStringLiteral("*.ts"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userex.inf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(crlf(".ts\n\n.vob\n\n"));
    file.close();
    list.loadUserList(path);
    EXPECT_EQ(list.user(), (QStringList{".ts", ".vob"}));
}

TEST(AppState, CreationReadsTheListsBesideTheSettings) {
    QTemporaryDir dir;
    QFile media(dir.filePath(QStringLiteral("media.inf")));
    ASSERT_TRUE(media.open(QIODevice::WriteOnly));
    media.write(textcodec::encodeFile(QStringLiteral("旅行\r\nDVD\r\n旅行\r\ndvd\r\n")));
    media.close();

    AppState state = stateIn(dir.path()); // no trailing '/'
    EXPECT_EQ(state.libraryFolder, dir.path() + u'/');
    EXPECT_EQ(state.mediaBooks, (QStringList{"旅行", "DVD", "dvd"}));
    // No Tavimo.ini and no userex.inf: a new library, which starts with today's containers.
    EXPECT_EQ(state.extensions.user(), VideoExtensions::newLibraryExtensions());
    EXPECT_EQ(state.captureFolder, dir.path());
}
