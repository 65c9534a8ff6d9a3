#include "core/BookAlbumOperations.h"

#include "core/AlbumFiles.h"
#include "core/BookFile.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/MediaRegistry.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavimo;

namespace {

QByteArray solidJpeg(QRgb color) {
    return jpeg::encode(imagefunc::solidBitmap(120, 90, QColor(color)));
}

// Makes a file impossible to rename or delete, even for root, while the object lives. Not
// every file system has the immutable flag; has() says whether it took.
class ImmutableFile {
public:
    explicit ImmutableFile(const QString& path) : path_(QFile::encodeName(path)) { set(true); }
    ~ImmutableFile() {
        if (set_)
            set(false);
    }
    ImmutableFile(const ImmutableFile&) = delete;
    ImmutableFile& operator=(const ImmutableFile&) = delete;
    bool has() const { return set_; }

private:
    void set(bool on) {
        const int fd = ::open(path_.constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            set_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0 && on;
        }
        ::close(fd);
    }
    QByteArray path_;
    bool set_ = false;
};

class BookAlbumOperationsTest : public ::testing::Test {
protected:
    void SetUp() override { open(BookMode::Normal); }

    // A new, empty book "本" open in the session.
    void open(BookMode mode) {
        session.closeBook();
        session.switchMode(mode);
        ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        paths = session.bookPaths();
    }

    // Albums with one video each (named after them), written as the program writes them.
    void addAlbums(const QStringList& names) {
        for (const QString& name : names) {
            const QStringList entries{QStringLiteral("/videos/") + name + QStringLiteral(".avi")};
            ASSERT_TRUE(albumfile::write(album(name).album, entries));
            session.book().appendAlbum({name, entries});
        }
    }

    AlbumPaths album(const QString& name) const { return AlbumPaths::of(paths, name); }

    QStringList names() const {
        QStringList list;
        for (const BookAlbum& a : session.book().albums())
            list.append(a.name);
        return list;
    }

    // The book file as the next load reads it.
    QStringList bookFileNames() const {
        QStringList list;
        for (const bookfile::Line& line :
             bookfile::read(paths.bookFile, session.mode()).value_or(QList<bookfile::Line>{}))
            list.append(line.name);
        return list;
    }

    QList<QByteArray> storedPictures() const {
        Tpackedjpg store;
        store.loadFromFile(paths.pictureStore);
        QList<QByteArray> list;
        for (int i = 0; i < store.count(); ++i) {
            QByteArray jpeg;
            store.getPicture(i, jpeg);
            list.append(jpeg);
        }
        return list;
    }

    static bool exists(const QString& path) { return QFileInfo::exists(path); }

    QTemporaryDir dir;
    test::FakeVolumeTable volumes;
    test::ScriptedDialogService dialogs;
    LibrarySession session{dir.path(), dialogs, volumes};
    BookPaths paths;
    // The operations as the window uses them, with what they would have the user told.
    struct Operations : BookAlbumOperations {
        Operations(LibrarySession& session, QList<Problem>& told)
            : BookAlbumOperations(session), told_(told) {}
        using BookAlbumOperations::createAlbum;
        using BookAlbumOperations::renameTo;
        int createAlbum(const QString& name) { return createAlbum(name, told_); }
        bool renameTo(int index, const QString& name) { return renameTo(index, name, told_); }
        QList<Problem>& told_;
    };
    QList<Problem> told;
    Operations ops{session, told};

    QStringList messages() const {
        QStringList list;
        for (const Problem& problem : told)
            list.append(problem.message);
        return list;
    }
};

} // namespace

TEST_F(BookAlbumOperationsTest, AddedAlbumsAvoidTheBooksNameAndEveryOtherAlbumsInAnyCase) {
    EXPECT_EQ(ops.createAlbum(QStringLiteral("海"), told), 0);
    // The empty album file is made in the same save as the book file that lists it.
    EXPECT_EQ(test::readTestFile(album(QStringLiteral("海")).album), QByteArray());
    for (const QString& path :
         {album(QStringLiteral("海")).marks, album(QStringLiteral("海")).counts,
          album(QStringLiteral("海")).store})
        EXPECT_FALSE(exists(path)) << path.toStdString();
    EXPECT_FALSE(session.hasPendingSaves());
    EXPECT_EQ(bookfile::read(session.bookPaths().bookFile, BookMode::Normal),
              QList<bookfile::Line>{{QStringLiteral("海")}});

    EXPECT_EQ(ops.createAlbum(QStringLiteral("本")), 1); // the book's own name
    EXPECT_EQ(ops.createAlbum(QStringLiteral("Sea")), 2);
    EXPECT_EQ(ops.createAlbum(QStringLiteral("sea_")), 3);
    EXPECT_EQ(ops.createAlbum(QStringLiteral("SEA")), 4); // Sea and sea_ are taken
    EXPECT_EQ(ops.createAlbum(QString()), -1);            // nothing for an empty name
    EXPECT_EQ(names(), (QStringList{"海", "本_", "Sea", "sea_", "SEA__"}));

    session.flush();
    // CP932, CR LF, in album order; one placeholder picture per album.
    EXPECT_EQ(test::readTestFile(paths.bookFile).left(4), QByteArray("\x8a\x43\r\n"));
    EXPECT_EQ(bookFileNames(), names());
    const QList<QByteArray> pictures = storedPictures();
    ASSERT_EQ(pictures.size(), 5);
    EXPECT_EQ(pictures.at(4), placeholderJpeg());
    EXPECT_TRUE(told.isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(BookAlbumOperationsTest, ANewAlbumNeverTakesOverFilesOrLeavesItsFolder) {
    // Files left behind by an album the book no longer lists: a new album of that name would
    // adopt its bookmarks, counts and pictures, and overwrite its video list.
    ASSERT_TRUE(test::writeTestFile(album(QStringLiteral("海")).album, "/old/video.avi\r\n"));
    ASSERT_TRUE(test::writeTestFile(album(QStringLiteral("空")).marks, "5\r\n"));
    EXPECT_EQ(ops.createAlbum(QStringLiteral("海")), 0);
    EXPECT_EQ(ops.createAlbum(QStringLiteral("空")), 1);
    EXPECT_EQ(names(), (QStringList{"海_", "空_"}));
    EXPECT_EQ(test::readTestFile(album(QStringLiteral("海")).album), "/old/video.avi\r\n");

    for (const QString& bad : {QStringLiteral("../外"), QStringLiteral(".."), QStringLiteral("."),
                               QStringLiteral("a-->b"), QString(300, u'x')}) {
        told.clear();
        EXPECT_EQ(ops.createAlbum(bad), -1) << bad.toStdString();
        EXPECT_EQ(told.size(), 1) << bad.toStdString();
    }
    EXPECT_EQ(session.book().count(), 2);
    EXPECT_FALSE(exists(dir.filePath(QStringLiteral("外.alb"))));
    EXPECT_FALSE(exists(paths.bookFolder + QStringLiteral("._.alb")));
}

TEST_F(BookAlbumOperationsTest, RenameMovesEveryFileTheAlbumHas) {
    addAlbums({"海", "川"});
    const AlbumPaths sea = album(QStringLiteral("海"));
    ASSERT_TRUE(test::writeTestFile(sea.marks, "7\r\n"));
    ASSERT_TRUE(test::writeTestFile(sea.counts, "2\r\n"));
    ASSERT_TRUE(test::writeTestFile(sea.store, "pictures"));
    const QByteArray entries = test::readTestFile(sea.album);

    EXPECT_TRUE(ops.renameTo(0, QStringLiteral("山")));
    const AlbumPaths mountain = album(QStringLiteral("山"));
    EXPECT_EQ(test::readTestFile(mountain.album), entries);
    EXPECT_EQ(test::readTestFile(mountain.marks), "7\r\n");
    EXPECT_EQ(test::readTestFile(mountain.counts), "2\r\n");
    EXPECT_EQ(test::readTestFile(mountain.store), "pictures");
    for (const QString& path : {sea.album, sea.marks, sea.counts, sea.store})
        EXPECT_FALSE(exists(path));
    EXPECT_EQ(names(), (QStringList{"山", "川"}));
    session.flush();
    EXPECT_EQ(bookFileNames(), names());

    // Without a store, marks or counts only the album file moves; a change of letter case of
    // the album's own name is a rename like any other.
    EXPECT_TRUE(ops.renameTo(1, QStringLiteral("Kawa")));
    EXPECT_TRUE(ops.renameTo(1, QStringLiteral("KAWA")));
    EXPECT_TRUE(exists(album(QStringLiteral("KAWA")).album));
    EXPECT_FALSE(exists(album(QStringLiteral("KAWA")).store));
    EXPECT_FALSE(exists(album(QStringLiteral("Kawa")).album));
    // An empty name and the same name change nothing, and say nothing.
    EXPECT_FALSE(ops.renameTo(1, QString()));
    EXPECT_FALSE(ops.renameTo(1, QStringLiteral("KAWA")));
    EXPECT_TRUE(told.isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(BookAlbumOperationsTest, RenameRefusesNamesThatWouldReplaceOrEscape) {
    addAlbums({"海", "川"});
    const QByteArray seaEntries = test::readTestFile(album(QStringLiteral("海")).album);
    // Another album, in any case; the book's title; a way out of the book folder.
    for (const QString& bad : {QStringLiteral("川"), QStringLiteral("本"), QStringLiteral("a/b"),
                               QStringLiteral(".."), QString(QChar(0)) + u'x'}) {
        told.clear();
        EXPECT_FALSE(ops.renameTo(0, bad)) << bad.toStdString();
        EXPECT_EQ(told.size(), 1) << bad.toStdString();
    }
    // Files of that name that belong to no album stay as they are.
    ASSERT_TRUE(test::writeTestFile(album(QStringLiteral("空")).counts, "9\r\n"));
    told.clear();
    EXPECT_FALSE(ops.renameTo(0, QStringLiteral("空")));
    EXPECT_EQ(told.size(), 1);
    EXPECT_EQ(test::readTestFile(album(QStringLiteral("空")).counts), "9\r\n");
    EXPECT_FALSE(exists(album(QStringLiteral("空")).album));

    EXPECT_EQ(names(), (QStringList{"海", "川"}));
    EXPECT_EQ(test::readTestFile(album(QStringLiteral("海")).album), seaEntries);
}

TEST_F(BookAlbumOperationsTest, AFailedRenameLeavesEveryFileWithItsAlbum) {
    addAlbums({"海"});
    const AlbumPaths sea = album(QStringLiteral("海"));
    const AlbumPaths mountain = album(QStringLiteral("山"));

    // The album file is gone: the first failure of the rename, word for word.
    ASSERT_TRUE(QFile::rename(sea.album, sea.album + QStringLiteral(".away")));
    EXPECT_FALSE(ops.renameTo(0, QStringLiteral("山")));
    EXPECT_EQ(messages(),
              QStringList{paths.bookFolder + QStringLiteral("海.albの名前を変更できません")});
    ASSERT_TRUE(QFile::rename(sea.album + QStringLiteral(".away"), sea.album));

    ASSERT_TRUE(test::writeTestFile(sea.store, "pictures"));
    ASSERT_TRUE(test::writeTestFile(sea.marks, "7\r\n"));
    {
        // The store cannot move: the album file goes back.
        const ImmutableFile frozen(sea.store);
        if (!frozen.has())
            GTEST_SKIP() << "the file system has no immutable flag";
        told.clear();
        EXPECT_FALSE(ops.renameTo(0, QStringLiteral("山")));
        EXPECT_EQ(messages(), QStringList{QStringLiteral("海の名前を変更できません")});
    }
    {
        // The marks cannot move: the album file and store go back, so the album keeps its
        // bookmarks rather than leaving them to whichever album is named 海 next.
        const ImmutableFile frozen(sea.marks);
        told.clear();
        EXPECT_FALSE(ops.renameTo(0, QStringLiteral("山")));
        EXPECT_EQ(messages(), QStringList{sea.marks + QStringLiteral("の名前を変更できません")});
    }
    for (const QString& path : {sea.album, sea.store, sea.marks})
        EXPECT_TRUE(exists(path)) << path.toStdString();
    for (const QString& path : {mountain.album, mountain.store, mountain.marks})
        EXPECT_FALSE(exists(path)) << path.toStdString();
    EXPECT_EQ(names(), QStringList{"海"});
}

TEST_F(BookAlbumOperationsTest, AnAlbumNamedLikeItsBookLeavesTheBooksPicturesInPlace) {
    // An older library may hold such an album: its store is the book's picture store.
    addAlbums({"本", "海"});
    session.flush();
    const QByteArray bookPictures = test::readTestFile(paths.pictureStore);
    EXPECT_TRUE(ops.renameTo(0, QStringLiteral("旅")));
    EXPECT_EQ(test::readTestFile(paths.pictureStore), bookPictures);
    EXPECT_FALSE(exists(album(QStringLiteral("旅")).store));
    EXPECT_TRUE(exists(album(QStringLiteral("旅")).album));

    addAlbums({"本"});
    EXPECT_EQ(ops.remove(2), 1);
    EXPECT_EQ(test::readTestFile(paths.pictureStore), bookPictures);
    EXPECT_FALSE(exists(album(QStringLiteral("本")).album));
}

TEST_F(BookAlbumOperationsTest, DeleteRemovesTheAlbumsFilesAndSelectsItsNeighbour) {
    addAlbums({"a", "b", "c"});
    const AlbumPaths b = album(QStringLiteral("b"));
    for (const QString& path : {b.marks, b.counts, b.store})
        ASSERT_TRUE(test::writeTestFile(path, "x"));
    ASSERT_TRUE(test::writeTestFile(album(QStringLiteral("c")).marks, "3\r\n"));

    EXPECT_EQ(ops.remove(1), 1); // c takes b's place
    for (const QString& path : {b.album, b.marks, b.counts, b.store})
        EXPECT_FALSE(exists(path));
    EXPECT_EQ(test::readTestFile(album(QStringLiteral("c")).marks), "3\r\n");
    EXPECT_EQ(ops.remove(1), 0); // the last one: the new last is selected
    EXPECT_EQ(ops.remove(5), 5); // out of range: nothing
    EXPECT_EQ(ops.remove(0), -1);
    EXPECT_EQ(session.book().count(), 0);
    session.flush();
    EXPECT_EQ(test::readTestFile(paths.bookFile), QByteArray());
    EXPECT_TRUE(storedPictures().isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(BookAlbumOperationsTest, MovesKeepEachAlbumWhole) {
    addAlbums({"a", "b", "c"});
    Book& book = session.book();
    book.setPictureJpeg(0, solidJpeg(qRgb(255, 0, 0)));
    book.setFolderSync(0, true);
    const BookAlbum first = book.album(0);

    EXPECT_EQ(ops.move(0, RowStep::ToEnd), 2);
    EXPECT_EQ(names(), (QStringList{"b", "c", "a"}));
    EXPECT_EQ(book.album(2).entries, first.entries);
    EXPECT_EQ(book.album(2).jpeg, first.jpeg);
    EXPECT_TRUE(book.album(2).folderSync);
    session.flush();
    EXPECT_EQ(storedPictures().at(2), first.jpeg);
    EXPECT_EQ(test::readTestFile(paths.bookFile), "b\r\nc\r\na-->\r\n");
    // Opening it afterwards shows its own videos.
    ASSERT_TRUE(session.openAlbum(2));
    EXPECT_EQ(session.album().entries(), first.entries);
    EXPECT_EQ(ops.move(2, RowStep::ToFront), 2); // nothing moves under an open album
    session.closeAlbum();

    EXPECT_EQ(ops.move(2, RowStep::ToFront), 0);
    EXPECT_EQ(ops.move(0, RowStep::Forward), 1);
    EXPECT_EQ(ops.move(1, RowStep::Back), 0);
    EXPECT_EQ(names(), (QStringList{"a", "b", "c"}));
    EXPECT_FALSE(ops.canMove(0, RowStep::Back));
    EXPECT_TRUE(ops.canMove(0, RowStep::ToEnd));
}

TEST_F(BookAlbumOperationsTest, SortIgnoresCaseKeepsEachRowAndWritesTheBookAtOnce) {
    addAlbums({"banana", "Cherry", "apple", "Apricot"});
    Book& book = session.book();
    for (int i = 0; i < book.count(); ++i)
        book.setPictureJpeg(i, solidJpeg(qRgb(40 * i, 0, 0)));
    book.setFolderSync(1, true);
    session.flush();
    QHash<QString, BookAlbum> before;
    for (const BookAlbum& a : book.albums())
        before.insert(a.name, a);

    EXPECT_TRUE(ops.sort(QLocale(QLocale::English)));
    EXPECT_EQ(names(), (QStringList{"apple", "Apricot", "banana", "Cherry"}));
    EXPECT_FALSE(session.hasPendingSaves());
    EXPECT_EQ(bookFileNames(), names());
    const QList<QByteArray> pictures = storedPictures();
    for (int i = 0; i < book.count(); ++i) {
        const BookAlbum& was = before.value(book.album(i).name);
        EXPECT_EQ(book.album(i).entries, was.entries);
        EXPECT_EQ(book.album(i).folderSync, was.folderSync);
        EXPECT_EQ(pictures.at(i), was.jpeg);
    }
    EXPECT_TRUE(book.album(3).folderSync);

    ops.remove(3);
    ops.remove(2);
    ops.remove(1);
    ops.remove(0);
    EXPECT_FALSE(ops.sort()); // no albums
}

TEST_F(BookAlbumOperationsTest, TheMediaRegistryFollowsEveryOperation) {
    open(BookMode::Media);
    EXPECT_EQ(ops.createAlbum(QStringLiteral("b")), 0);
    EXPECT_EQ(ops.createAlbum(QStringLiteral("a")), 1);
    EXPECT_EQ(ops.createAlbum(QStringLiteral("c")), 2);
    Book& book = session.book();
    for (int i = 0; i < 3; ++i)
        book.setRecord(i, {kMediumRemovable, uint32_t(0xB0 + i), book.album(i).name});
    const auto registry = [&] {
        session.flush();
        MediaRegistry stored;
        QList<Problem> problems;
        stored.loadFromFile(paths.mediaDat, problems);
        QStringList labels;
        for (const MediumRecord& record : stored.records())
            labels.append(record.label);
        return labels;
    };
    EXPECT_EQ(registry(), (QStringList{"b", "a", "c"}));
    ops.sort();
    EXPECT_EQ(registry(), (QStringList{"a", "b", "c"}));
    ops.move(0, RowStep::ToEnd);
    EXPECT_EQ(registry(), (QStringList{"b", "c", "a"}));
    ops.remove(1);
    EXPECT_EQ(registry(), (QStringList{"b", "a"}));
    ops.renameTo(1, QStringLiteral("z"));
    EXPECT_EQ(ops.createAlbum(QStringLiteral("new")), 2);
    EXPECT_EQ(registry(), (QStringList{"b", "a", ""}));
    EXPECT_EQ(book.album(1).record.serial, 0xB0u + 1);
    // No marker in a media book's file.
    EXPECT_EQ(test::readTestFile(paths.bookFile), "b\r\nz\r\nnew\r\n");
}

TEST_F(BookAlbumOperationsTest, PictureFromFileFitsAJpegAndRefusesWhatIsNone) {
    addAlbums({"海"});
    const QByteArray before = session.book().album(0).jpeg;
    // A tall red picture: fitted between black bands.
    const QString tall = paths.imagesFolder + QStringLiteral("tall.jpg");
    ASSERT_TRUE(
        test::writeTestFile(tall, jpeg::encode(imagefunc::solidBitmap(90, 180, QColor(Qt::red)))));
    EXPECT_TRUE(ops.pictureFromFile(0, tall, told));
    const QImage shown = jpeg::decode(session.book().album(0).jpeg);
    ASSERT_EQ(shown.size(), QSize(120, 90));
    EXPECT_GT(qRed(shown.pixel(60, 45)), 200);
    EXPECT_LT(qRed(shown.pixel(2, 45)), 40);
    const QByteArray chosen = session.book().album(0).jpeg;

    // Not a JPEG, a FIFO named like one (never opened).
    const QString text = paths.imagesFolder + QStringLiteral("text.jpg");
    ASSERT_TRUE(test::writeTestFile(text, "not a picture"));
    const QString fifo = paths.imagesFolder + QStringLiteral("fifo.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& bad : {text, fifo}) {
        told.clear();
        EXPECT_FALSE(ops.pictureFromFile(0, bad, told));
        EXPECT_EQ(messages(), QStringList{bad + QStringLiteral(" は読み込めません")});
    }
    // A clipboard without a picture changes nothing either.
    EXPECT_FALSE(ops.setPicture(0, QImage()));
    EXPECT_EQ(session.book().album(0).jpeg, chosen);
    EXPECT_NE(chosen, before);
    session.flush();
    EXPECT_EQ(storedPictures(), QList<QByteArray>{chosen});
}
