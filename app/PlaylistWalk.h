#pragma once

#include <QString>

#include "app/PageText.h"

// Walks the entries of a playlist, <ref href="ADDRESS" /> one after another, as the survey
// and the music window both list them.
class PlaylistWalk {
public:
    explicit PlaylistWalk(const QString& playlist) : playlist_(playlist) {}

    // The address of the entry at the front; drops the playlist up to that entry's "href", so
    // that the address just taken then starts at position 6.
    QString Next();

    // The title of the entry Next() takes next, <title>TITLE</title> before its address, as
    // the playlist wrote it; empty when the entry has none.
    QString FrontTitle() const;

    // Whether the walk goes on after the entry just taken: while a further entry follows, also
    // one with an empty or a repeated address. The next Next() always moves on.
    bool AnotherEntryFollows() const;

    // The text of the playlist that remains.
    QStringView Rest() const { return playlist_.Rest(); }

private:
    // The address of the entry at the front, cut no further than the next entry's start.
    QString FrontAddress() const;

    PageText playlist_;
};
