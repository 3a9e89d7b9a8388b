#pragma once

#include "platform/MediaPlayers.h"

#include <QHash>
#include <QList>
#include <QMap>

#include <utility>

// Two players a test sets up by hand: whether each runs and what it plays, and the artwork by
// address. It records every question and command; changed() and artworkArrived() fire only when
// the test emits them.
class FakeMediaPlayers final : public MediaPlayers {
    Q_OBJECT
public:
    using MediaPlayers::MediaPlayers;

    struct Sent {
        Player player;
        Command command;
        bool operator==(const Sent& other) const {
            return player == other.player && command == other.command;
        }
    };

    bool isRunning(Player player) override { return running.value(player, false); }
    std::optional<MediaTrack> currentTrack(Player player) override {
        asked.append(player);
        if (!isRunning(player) || !tracks.contains(player))
            return std::nullopt;
        return tracks.value(player);
    }
    void send(Player player, Command command) override { sent.append({player, command}); }
    QImage artwork(const QUrl& url) override { return artworks.value(url); }

    // Makes `player` run and play `track`.
    void play(Player player, MediaTrack track) {
        running[player] = true;
        tracks[player] = std::move(track);
    }

    QMap<Player, bool> running;
    QMap<Player, MediaTrack> tracks;
    QHash<QUrl, QImage> artworks;
    // Whose track was asked for, in order.
    QList<Player> asked;
    QList<Sent> sent;
};
