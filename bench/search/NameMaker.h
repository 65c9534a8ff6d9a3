#pragma once

// Names of videos, albums and books as a real library holds them: Japanese titles with kana and
// kanji, Latin titles, camera file names, episode numbers and dates, in the usual containers.

#include <QString>
#include <QStringList>
#include <random>

namespace tavimo::bench {

class NameMaker {
public:
    explicit NameMaker(unsigned seed) : random_(seed) {}

    QString video() {
        const int kind = pick(100);
        if (kind < 45)
            return japanese() + extension();
        if (kind < 80)
            return latin() + extension();
        return camera();
    }

    QString album(int n) {
        return pick(2) ? QStringLiteral("%1 %2").arg(word(kJapanese)).arg(n)
                       : QStringLiteral("%1 %2").arg(word(kLatin)).arg(n);
    }

    QString book(int n) {
        return QStringLiteral("%1%2 %3").arg(word(kJapanese), word(kJapanese)).arg(n);
    }

    QString folder() { return word(kFolders); }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    std::mt19937& random() { return random_; }

private:
    QString word(const QStringList& words) { return words.at(pick(int(words.size()))); }

    QString japanese() {
        switch (pick(5)) {
        case 0:
            return QStringLiteral("%1%2 %3").arg(word(kJapanese), word(kJapanese)).arg(pick(100));
        case 1:
            return QStringLiteral("【%1】%2 第%3回")
                .arg(word(kTags), word(kJapanese))
                .arg(pick(60));
        case 2:
            return QStringLiteral("%1_%2%3%4")
                .arg(word(kJapanese))
                .arg(2005 + pick(19))
                .arg(1 + pick(12), 2, 10, QChar(u'0'))
                .arg(1 + pick(28), 2, 10, QChar(u'0'));
        case 3:
            return QStringLiteral("%1 %2 %3").arg(word(kJapanese), word(kLatin)).arg(pick(30));
        default:
            return QStringLiteral("%1の%2（%3）")
                .arg(word(kJapanese), word(kJapanese))
                .arg(pick(10));
        }
    }

    QString latin() {
        switch (pick(3)) {
        case 0:
            return QStringLiteral("%1 %2 %3").arg(word(kLatin), word(kLatin)).arg(2005 + pick(19));
        case 1:
            return QStringLiteral("%1_%2_%3")
                .arg(word(kLatin), word(kLatin))
                .arg(pick(100), 2, 10, QChar(u'0'));
        default:
            return QStringLiteral("%1 - %2 (Part %3)")
                .arg(word(kLatin), word(kLatin))
                .arg(1 + pick(9));
        }
    }

    QString camera() {
        const QString number = QStringLiteral("%1").arg(pick(10000), 4, 10, QChar(u'0'));
        switch (pick(4)) {
        case 0:
            return QStringLiteral("DSC_%1.MOV").arg(number);
        case 1:
            return QStringLiteral("VID_%1%2%3_%4.mp4")
                .arg(2010 + pick(14))
                .arg(1 + pick(12), 2, 10, QChar(u'0'))
                .arg(1 + pick(28), 2, 10, QChar(u'0'))
                .arg(pick(240000), 6, 10, QChar(u'0'));
        case 2:
            return QStringLiteral("GOPR%1.MP4").arg(number);
        default:
            return QStringLiteral("MVI_%1.MOV").arg(number);
        }
    }

    QString extension() {
        static const QStringList extensions{".mp4", ".mp4", ".mp4", ".avi", ".mkv",
                                            ".wmv", ".mov", ".mpg", ".flv", ".m2ts"};
        return word(extensions);
    }

    std::mt19937 random_;

    const QStringList kJapanese{
        "東京",     "タワー",      "夜景",         "夏休み",       "花火大会",   "誕生日",
        "運動会",   "さくら",      "京都",         "旅行",         "まつり",     "海",
        "山",       "家族",        "ライブ",       "映画",         "猫",         "子供",
        "卒業式",   "結婚式",      "沖縄",         "北海道",       "大阪",       "温泉",
        "紅葉",     "雪",          "桜",           "祭り",         "水族館",     "動物園",
        "遊園地",   "発表会",      "入学式",       "お正月",       "クリスマス", "ドライブ",
        "キャンプ", "釣り",        "料理",         "ゲーム",       "アニメ",     "ドラマ",
        "ニュース", "音楽",        "ピアノ",       "ダンス",       "野球",       "サッカー",
        "練習",     "試合",        "公園",         "散歩",         "電車",       "新幹線",
        "飛行機",   "とうきょう",  "おばあちゃん", "いぬ",         "ねこ",       "はなび",
        "ｶﾗｵｹ",     "富士山",      "鎌倉",         "横浜",         "名古屋",     "福岡",
        "神戸",     "奈良",        "箱根",         "日光",         "秋",         "冬",
        "春",       "思い出",      "記録",         "ダイジェスト", "特集",       "総集編",
        "予告編",   "インタビュー"};
    const QStringList kLatin{
        "Tokyo",     "Tower",     "Summer",     "Holiday",     "Okinawa",   "Night",    "Beach",
        "Trip",      "Birthday",  "Party",      "Concert",     "Live",      "Music",    "Video",
        "Family",    "Wedding",   "Kids",       "Soccer",      "Baseball",  "Game",     "Episode",
        "Final",     "Best",      "Highlights", "Camping",     "Drive",     "Snow",     "Ski",
        "Mountain",  "River",     "Sunset",     "Festival",    "Fireworks", "Kyoto",    "Osaka",
        "Hokkaido",  "Train",     "Cat",        "Dog",         "Cooking",   "Piano",    "Dance",
        "Rehearsal", "Interview", "Trailer",    "Documentary", "Lecture",   "Tutorial", "Review",
        "Vlog"};
    const QStringList kTags{"実況", "MAD", "公式", "HD", "字幕", "高画質", "生放送", "ライブ"};
    const QStringList kFolders{"Videos", "動画",  "Camera", "旅行",    "家族", "Downloads",
                               "録画",   "Anime", "Music",  "Archive", "DCIM", "思い出"};
};

} // namespace tavimo::bench
