#pragma once

#include "core/PlaybackBackend.h"

namespace tavimo::media {

class MpvPlayer;

// The rules of playing over the libmpv player: a file opens on an active player and is
// answered when libmpv has loaded it; closing unloads it and makes the player inactive.
class MpvBackend final : public PlaybackBackend {
    Q_OBJECT
public:
    explicit MpvBackend(MpvPlayer& player, QObject* parent = nullptr);

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

    MpvPlayer& player() { return player_; }

private:
    void loaded(int result);

    MpvPlayer& player_;
    bool waiting_ = false; // an open waits for its answer
};

} // namespace tavimo::media
