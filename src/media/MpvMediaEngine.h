#pragma once

#include "core/MediaEngine.h"

namespace tavimo::media {

class PlayerEngine;

// The rules of playing over the libmpv player: a file opens on an active engine and is
// answered when it has rendered; closing unloads it and makes the engine inactive.
class MpvMediaEngine final : public MediaEngine {
    Q_OBJECT
public:
    explicit MpvMediaEngine(PlayerEngine& player, QObject* parent = nullptr);

    void open(const QString& path) override;
    void close() override;
    bool isLoaded() const override;
    bool play() override;
    bool pause() override;
    bool isPlaying() const override;
    qint64 durationMs() const override;
    bool positions(qint64* current, qint64* stop) const override;
    bool seek(qint64 position) override;
    bool frameStep(bool forward) override;

    PlayerEngine& player() { return player_; }

private:
    void rendered(int code);

    PlayerEngine& player_;
    bool waiting_ = false; // an open waits for its answer
};

} // namespace tavimo::media
