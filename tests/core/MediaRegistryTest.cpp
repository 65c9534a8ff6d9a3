#include "core/MediaRegistry.h"

#include "core/MediaDat.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

MediumRecord record(int32_t kind, uint32_t serial, const QString& label) {
    return MediumRecord{kind, serial, label};
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

TEST(MediaDat, WritesEveryIntegerInItsSmallestForm) {
    EXPECT_EQ(mediadat::encode({}), bytes({0x02, 0x00}));
    EXPECT_EQ(mediadat::encode({record(3, 0, {})}),
              bytes({0x02, 0x01, 0x02, 0x03, 0x02, 0x00, 0x06, 0x00}));
    EXPECT_EQ(mediadat::encode({record(1, 300, QStringLiteral("AB"))}),
              bytes({0x02, 0x01, 0x02, 0x01, 0x03, 0x2C, 0x01, 0x06, 0x02, 'A', 'B'}));
    EXPECT_EQ(mediadat::encode({record(2, 40000, {})}),
              bytes({0x02, 0x01, 0x02, 0x02, 0x04, 0x40, 0x9C, 0x00, 0x00, 0x06, 0x00}));
    // Serials from 0x80000000 on do not fit a signed 32-bit integer: the 64-bit form.
    EXPECT_EQ(
        mediadat::encode({record(3, 0x80000000u, {})}),
        bytes({0x02, 0x01, 0x02, 0x03, 0x13, 0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0, 0x06, 0x00}));
    EXPECT_EQ(mediadat::encode({record(3, 0x7FFFFFFFu, {})}).mid(4, 5),
              bytes({0x04, 0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(MediaDat, JapaneseLabelsTravelAsUtf8AndEveryTextFormReadsBack) {
    const QString label = QStringLiteral("旅行ＤＶＤ");
    const QByteArray encoded = mediadat::encode({record(2, 0xDEADBEEF, label)});
    const QByteArray utf8 = label.toUtf8();
    const QByteArray tail = bytes({0x14}) + QByteArray("\x0F\0\0\0", 4) + utf8;
    EXPECT_TRUE(encoded.endsWith(tail));
    auto decoded = mediadat::decode(encoded);
    ASSERT_TRUE(decoded.complete);
    EXPECT_EQ(decoded.records, QList<MediumRecord>{record(2, 0xDEADBEEF, label)});

    // UTF-16 text (read, never written) and the long ASCII form, cut to 255 bytes.
    QByteArray utf16 = bytes({0x02, 0x02, 0x02, 0x01, 0x02, 0x05, 0x12, 0x02, 0, 0, 0});
    utf16 += QByteArray::fromHex("c5654c88"); // 旅 and 行 as little-endian UTF-16
    utf16 += bytes({0x02, 0x03, 0x02, 0x06, 0x0C, 0x2C, 0x01, 0, 0});
    utf16 += QByteArray(300, 'L');
    decoded = mediadat::decode(utf16);
    ASSERT_TRUE(decoded.complete);
    ASSERT_EQ(decoded.records.size(), 2);
    EXPECT_EQ(decoded.records[0], record(1, 5, QStringLiteral("旅行")));
    EXPECT_EQ(decoded.records[1].label, QString(255, u'L'));

    // A label is what stands before its terminating zero.
    decoded =
        mediadat::decode(bytes({0x02, 0x01, 0x02, 0x01, 0x02, 0x07, 0x06, 0x03, 'A', 0, 'B'}));
    EXPECT_EQ(decoded.records.value(0).label, QStringLiteral("A"));
}

TEST(MediaDat, CodePageFormsCarryCp932AndUnchangedLabelsKeepTheirForm) {
    // Older writers put Japanese labels into the code-page forms: "映画" in the short form,
    // "≒" in its NEC code 0x8790 and a byte that is no character in the long form.
    QByteArray file = bytes({0x02, 0x03, 0x02, 0x02, 0x02, 0x05, 0x06, 0x04});
    file += QByteArray::fromHex("896689e6");
    file += bytes({0x02, 0x02, 0x02, 0x06, 0x0C, 0x03, 0, 0, 0});
    file += QByteArray::fromHex("879080");
    // A lone surrogate in the UTF-16 form.
    file += bytes({0x02, 0x03, 0x02, 0x07, 0x12, 0x02, 0, 0, 0});
    file += QByteArray::fromHex("41000cd8");
    const auto decoded = mediadat::decode(file);
    ASSERT_TRUE(decoded.complete);
    ASSERT_EQ(decoded.records.size(), 3);
    EXPECT_EQ(decoded.records[0].label, QStringLiteral("映画"));
    EXPECT_EQ(decoded.records[1].label, QStringLiteral("≒") + QChar(u'\uF780'));
    EXPECT_EQ(decoded.records[2].label, QStringLiteral("A\uFFFD"));

    // Written back unchanged, byte for byte; a changed or new label takes this program's form.
    EXPECT_EQ(mediadat::encode(decoded.records, &decoded.labelForms), file);
    QList<MediumRecord> changed = decoded.records;
    changed[0].label = QStringLiteral("映画2");
    const QByteArray rewritten = mediadat::encode(changed, &decoded.labelForms);
    EXPECT_TRUE(
        rewritten.contains(bytes({0x14, 0x07, 0, 0, 0}) + QStringLiteral("映画2").toUtf8()));
    EXPECT_EQ(mediadat::decode(rewritten).records, changed);
    EXPECT_EQ(mediadat::decode(mediadat::encode(decoded.records)).records, decoded.records);
}

TEST(MediaDat, LongLabelsAreCutToTheirStoredBytesAtACharacterBoundary) {
    // 32 KB labels in each text form: the code page's "あ" takes two bytes, UTF-8's three.
    QByteArray file = bytes({0x02, 0x03});
    QByteArray cp932;
    for (int i = 0; i < 16384; ++i)
        cp932 += QByteArray::fromHex("82a0");
    const QByteArray utf8 = QString(10923, u'あ').toUtf8();
    QByteArray utf16;
    for (int i = 0; i < 16384; ++i)
        utf16 += QByteArray::fromHex("4230");
    file += bytes({0x02, 0x01, 0x02, 0x01, 0x0C, 0x00, 0x80, 0, 0}) + cp932;
    file += bytes({0x02, 0x01, 0x02, 0x02, 0x14}) + QByteArray("\x01\x80\0\0", 4) + utf8;
    file += bytes({0x02, 0x01, 0x02, 0x03, 0x12, 0x00, 0x40, 0, 0}) + utf16;
    const auto decoded = mediadat::decode(file);
    ASSERT_TRUE(decoded.complete);
    ASSERT_EQ(decoded.records.size(), 3);
    for (const MediumRecord& r : decoded.records)
        EXPECT_EQ(r.label, QString(127, u'あ')); // 254 bytes of CP932
    // Cut labels are this program's own: written in its form.
    EXPECT_TRUE(decoded.labelForms.isEmpty());
}

TEST(MediaDat, AFileCutAtAnyByteLoadsTheWholeRecordsInFrontOfTheCut) {
    const QList<MediumRecord> records{record(1, 7, QStringLiteral("CD")),
                                      record(3, 0xF00DF00D, QStringLiteral("ＵＳＢ")),
                                      record(2, 40000, {}), record(0, 0, {})};
    const QByteArray whole = mediadat::encode(records);
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        const auto decoded = mediadat::decode(whole.left(cut));
        EXPECT_FALSE(decoded.complete) << cut;
        ASSERT_LE(decoded.records.size(), records.size());
        EXPECT_EQ(decoded.records, records.mid(0, decoded.records.size())) << cut;
    }
    EXPECT_TRUE(mediadat::decode(whole).complete);
    EXPECT_EQ(mediadat::decode(whole).records, records);
}

TEST(MediaDat, GarbledValuesStopTheLoadWithoutTrustingCounts) {
    // A count of two billion records in an 8-byte file.
    auto decoded = mediadat::decode(bytes({0x04, 0, 0, 0, 0x7F, 0x02, 0x01, 0x02}));
    EXPECT_FALSE(decoded.complete);
    EXPECT_TRUE(decoded.records.isEmpty());
    // A negative count, an unknown tag, a serial beyond 32 bits, a negative serial and a
    // text length beyond the file.
    for (const QByteArray& bad :
         {bytes({0x02, 0xFF}), bytes({0x02, 0x01, 0x07, 0x01}),
          bytes({0x02, 0x01, 0x02, 0x01, 0x13, 0, 0, 0, 0, 1, 0, 0, 0, 0x06, 0}),
          bytes({0x02, 0x01, 0x02, 0x01, 0x02, 0xFF, 0x06, 0}),
          bytes({0x02, 0x01, 0x02, 0x01, 0x02, 0x01, 0x14, 0xFF, 0xFF, 0xFF, 0x7F, 'a'})}) {
        decoded = mediadat::decode(bad);
        EXPECT_FALSE(decoded.complete) << bad.toHex().toStdString();
        EXPECT_TRUE(decoded.records.isEmpty());
    }
    // The record before the damage survives.
    decoded = mediadat::decode(
        mediadat::encode({record(1, 9, QStringLiteral("A")), record(1, 9, QStringLiteral("B"))})
            .replace(QByteArray("\x06\x01"
                                "B"),
                     QByteArray("\x99\x01"
                                "B")));
    EXPECT_FALSE(decoded.complete);
    EXPECT_EQ(decoded.records, QList<MediumRecord>{record(1, 9, QStringLiteral("A"))});
}

TEST(MediaRegistry, AFileOfAnotherWriterIsSavedBackUnchanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("media.dat"));
    QByteArray file = bytes({0x02, 0x01, 0x02, 0x02, 0x04, 0x78, 0x56, 0x34, 0x12, 0x06, 0x04});
    file += QByteArray::fromHex("8abf8e9a"); // 漢字
    writeFile(path, file);
    QList<Problem> problems;
    MediaRegistry registry;
    registry.loadForBook(path, 1, problems);
    EXPECT_EQ(registry.get(0).label, QStringLiteral("漢字"));
    ASSERT_TRUE(registry.saveToFile(path));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), file);
    EXPECT_TRUE(problems.isEmpty());
}

TEST(MediaRegistry, LoadingForABookFitsTheRecordsToItsLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("media.dat"));
    QList<Problem> problems;
    MediaRegistry registry;

    // Missing file: one empty record per line.
    registry.add(record(1, 1, QStringLiteral("old")));
    registry.loadForBook(path, 3, problems);
    EXPECT_EQ(registry.records(), QList<MediumRecord>(3));

    QList<MediumRecord> three{record(1, 1, QStringLiteral("A")), record(2, 2, QStringLiteral("B")),
                              record(3, 3, QStringLiteral("C"))};
    writeFile(path, mediadat::encode(three));
    registry.loadForBook(path, 5, problems);
    EXPECT_EQ(registry.records(), three + QList<MediumRecord>(2));
    registry.loadForBook(path, 2, problems);
    EXPECT_EQ(registry.records(), three.mid(0, 2));
    EXPECT_TRUE(problems.isEmpty());

    // A damaged file is reported once and gives what it holds.
    writeFile(path, mediadat::encode(three).chopped(1));
    registry.loadForBook(path, 3, problems);
    EXPECT_EQ(registry.records(), three.mid(0, 2) + QList<MediumRecord>(1));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.first().message.contains(QStringLiteral("media.dat")));
    EXPECT_EQ(problems.first().path, path);
}
