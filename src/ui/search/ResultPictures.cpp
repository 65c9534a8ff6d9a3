#include "ui/search/ResultPictures.h"

#include "core/JpegCodec.h"
#include "core/Tpackedjpg.h"

#include <deque>

namespace tavimo {

namespace {
// A screen of cells shows the videos of a few albums; more stores than this are not kept.
constexpr size_t kOpenStores = 8;
} // namespace

class ResultPictures::Shelf {
public:
    QImage image(const QString& path, int index) {
        const Tpackedjpg* store = open(path);
        return store ? jpeg::decode(store->sharedPicture(index)) : QImage();
    }
    void clear() { stores_.clear(); }

private:
    struct Open {
        QString path;
        std::unique_ptr<Tpackedjpg> store; // null: the file could not be read
    };

    const Tpackedjpg* open(const QString& path) {
        for (auto it = stores_.begin(); it != stores_.end(); ++it)
            if (it->path == path) {
                std::rotate(stores_.begin(), it, it + 1);
                return stores_.front().store.get();
            }
        auto store = std::make_unique<Tpackedjpg>();
        if (!store->loadFromFile(path))
            store.reset();
        stores_.push_front({path, std::move(store)});
        if (stores_.size() > kOpenStores)
            stores_.pop_back();
        return stores_.front().store.get();
    }

    std::deque<Open> stores_; // most recently used first
};

namespace {

class StoreEntry final : public PictureSource {
public:
    StoreEntry(std::weak_ptr<ResultPictures::Shelf> shelf, QString path, int index)
        : shelf_(std::move(shelf)), path_(std::move(path)), index_(index) {}
    QImage image() const override {
        const auto shelf = shelf_.lock();
        return shelf ? shelf->image(path_, index_) : QImage();
    }

private:
    std::weak_ptr<ResultPictures::Shelf> shelf_;
    QString path_;
    int index_;
};

} // namespace

ResultPictures::ResultPictures() : shelf_(std::make_shared<Shelf>()) {}

ResultPictures::~ResultPictures() = default;

CellPicture ResultPictures::picture(const QString& store, int index) const {
    if (store.isEmpty())
        return {};
    return CellPicture::fromSource(std::make_shared<StoreEntry>(shelf_, store, index));
}

void ResultPictures::forget() {
    shelf_->clear();
}

} // namespace tavimo
