#include "app/PlaylistRows.h"

#include "app/PlaylistWalk.h"
#include "app/moddelay.h"
#include "platform/ReportList.h"

void ListPlaylist(const QString& playlist, platform::ReportList& rows, platform::EventPump& pump) {
    PlaylistWalk walk(playlist);
    do {
        rows.SetCell(rows.AddNumberedRow(), 1, walk.Next());
        Delay(1, QStringLiteral("100"), pump);
    } while (walk.AnotherEntryFollows());
}
