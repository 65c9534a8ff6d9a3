#pragma once

#include <QStringList>
#include <QStringView>
#include <optional>

// Migemo answers a romaji word with a regular expression built from a few operators only:
// "|" between alternatives, "(…)" around a group, "[…]" around a choice of single characters
// and "\" before a character that stands for itself. Expanded into the plain texts it
// stands for, it is matched like any other word, without a regular-expression engine.
namespace tavimo::migemopattern {

// The texts pattern stands for, in the order written; std::nullopt when it is not of that
// form (an unbalanced group or choice, a trailing "\", groups nested too deeply) or stands for
// more than limit texts.
std::optional<QStringList> expand(QStringView pattern, int limit);

} // namespace tavimo::migemopattern
