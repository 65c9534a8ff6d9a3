#include "core/MediaRegistry.h"

#include "core/MediaDat.h"

#include <QDir>
#include <QFile>

namespace tavimo {

MediumRecord MediaRegistry::get(int index) const {
    return valid(index) ? records_.at(index) : MediumRecord{};
}

void MediaRegistry::set(int index, const MediumRecord& record) {
    if (valid(index))
        records_[index] = record;
}

void MediaRegistry::remove(int index) {
    if (valid(index))
        records_.removeAt(index);
}

void MediaRegistry::exchange(int i, int j) {
    if (valid(i) && valid(j) && i != j)
        records_.swapItemsAt(i, j);
}

void MediaRegistry::move(int from, int to) {
    if (valid(from) && valid(to) && from != to)
        records_.move(from, to);
}

void MediaRegistry::resize(int n) {
    if (n < 0)
        n = 0;
    if (records_.size() > n)
        records_.resize(n);
    while (records_.size() < n)
        records_.append(MediumRecord{});
}

bool MediaRegistry::loadFromFile(const QString& path, QList<Problem>& problems) {
    records_.clear();
    labelForms_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problems.append({QStringLiteral("メディア情報ファイルを読み込めません。\r\n%1\r\n%2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()),
                         path, file.errorString(), Problem::Icon::Warning});
        return false;
    }
    mediadat::Decoded decoded = mediadat::decode(file.readAll());
    records_ = std::move(decoded.records);
    labelForms_ = std::move(decoded.labelForms);
    if (!decoded.complete) {
        problems.append({QStringLiteral("メディア情報ファイルが壊れています（%1 バイト目）。"
                                        "読み込めた %2 件の記録を使い、残りは空にします。\r\n%3")
                             .arg(decoded.badOffset)
                             .arg(records_.size())
                             .arg(QDir::toNativeSeparators(path)),
                         path, QString(), Problem::Icon::Warning});
    }
    return decoded.complete;
}

QByteArray MediaRegistry::encoded() const {
    return mediadat::encode(records_, &labelForms_);
}

void MediaRegistry::loadForBook(const QString& path, int lineCount, QList<Problem>& problems) {
    records_.clear();
    labelForms_.clear();
    if (QFile::exists(path))
        loadFromFile(path, problems);
    resize(lineCount);
}

} // namespace tavimo
