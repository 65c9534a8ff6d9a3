#pragma once

#include "core/search/SearchIndex.h"

#include <QString>
#include <QStringList>

// The words the search window shows.
namespace tavimo::searchwindowtexts {

// Shown instead of results while the index is still being read, with how far it is.
inline constexpr char16_t kBuilding[] = u"索引を作成中…";
// Shown for a medium no mounted volume has the serial of.
inline constexpr char16_t kNotMounted[] = u"未接続";

// "検索" alone while the text holds no word; otherwise "検索 ～ <text> ～ N 件".
QString windowTitle(const QString& text, int count);

// What the status bar says while the index is being read: kBuilding and how far it is.
QString building(int percent);

// "N 件のアルバムを読めませんでした"; empty when every file was read.
QString unreadableMessage(int count);

// What a cell's tooltip and the status bar say of a result, one fact a line: the book, the
// album, the video's folder and, in a media book, the medium's label (its serial when it has
// none) with "未接続" when it is not mounted.
QStringList facts(const SearchHitDetails& details);

// The serial as Windows shows it: "XXXX-XXXX".
QString serialText(uint32_t serial);

// Said instead of opening a video whose medium no mounted volume has the serial of: which
// medium to insert, by label and serial.
QString insertMedium(const SearchHitDetails& details);

} // namespace tavimo::searchwindowtexts
