#include "core/search/MigemoPattern.h"

#include <algorithm>

namespace tavimo::migemopattern {

namespace {

// Deeper and longer than anything a dictionary makes; small enough that no pattern can take
// much of the stack or of memory.
constexpr int kMaxDepth = 64;
constexpr qsizetype kMaxLength = 256;

class Expander {
public:
    Expander(QStringView pattern, int limit) : p_(pattern), limit_(qsizetype(limit)) {}

    std::optional<QStringList> run() {
        QStringList all = alternatives(0);
        if (!ok_ || at_ != p_.size())
            return std::nullopt;
        return all;
    }

private:
    QStringList alternatives(int depth) {
        if (depth > kMaxDepth)
            return fail();
        QStringList all = sequence(depth);
        while (ok_ && at_ < p_.size() && p_[at_] == u'|') {
            ++at_;
            const QStringList more = sequence(depth);
            if (all.size() + more.size() > limit_)
                return fail();
            all += more;
        }
        return all;
    }

    QStringList sequence(int depth) {
        QStringList texts{QString()};
        qsizetype longest = 0;
        while (ok_ && at_ < p_.size() && p_[at_] != u'|' && p_[at_] != u')') {
            const QStringList item = nextItem(depth);
            if (!ok_ || texts.size() * item.size() > limit_)
                return fail();
            qsizetype itemLongest = 0;
            for (const QString& tail : item)
                itemLongest = std::max(itemLongest, tail.size());
            longest += itemLongest;
            if (longest > kMaxLength)
                return fail();
            if (item.size() == 1) {
                for (QString& text : texts)
                    text += item.first();
                continue;
            }
            QStringList product;
            product.reserve(texts.size() * item.size());
            for (const QString& text : texts)
                for (const QString& tail : item)
                    product.append(text + tail);
            texts = std::move(product);
        }
        return ok_ ? texts : QStringList();
    }

    QStringList nextItem(int depth) {
        const QChar c = p_[at_];
        if (c == u'(') {
            ++at_;
            QStringList group = alternatives(depth + 1);
            if (!ok_ || at_ >= p_.size() || p_[at_] != u')')
                return fail();
            ++at_;
            return group;
        }
        if (c == u'[') {
            ++at_;
            QStringList choice;
            while (ok_ && at_ < p_.size() && p_[at_] != u']') {
                QString one = character();
                if (ok_)
                    choice.append(std::move(one));
            }
            if (!ok_ || at_ >= p_.size() || choice.isEmpty())
                return fail();
            ++at_;
            return choice;
        }
        return {character()};
    }

    // One character, escaped or not, with both halves of a surrogate pair.
    QString character() {
        if (p_[at_] == u'\\' && ++at_ >= p_.size()) {
            fail();
            return {};
        }
        const qsizetype length =
            p_[at_].isHighSurrogate() && at_ + 1 < p_.size() && p_[at_ + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        const QString one = p_.sliced(at_, length).toString();
        at_ += length;
        return one;
    }

    QStringList fail() {
        ok_ = false;
        return {};
    }

    QStringView p_;
    qsizetype limit_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

} // namespace

std::optional<QStringList> expand(QStringView pattern, int limit) {
    return Expander(pattern, limit).run();
}

} // namespace tavimo::migemopattern
