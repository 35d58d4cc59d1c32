#include "app/PlaylistRows.h"

#include "app/PlaylistWalk.h"
#include "app/moddelay.h"
#include "platform/ReportList.h"
#include "space/SpaceText.h"

void ListPlaylist(const QString& playlist, platform::ReportList& rows, platform::EventPump& pump) {
    PlaylistWalk walk(playlist);
    do {
        const QString title = DecodeEntities(walk.FrontTitle()).trimmed();
        const int row = rows.AddNumberedRow();
        rows.SetCell(row, 1, walk.Next());
        rows.SetRowNote(row, kSongTitleNote, title);
        Delay(1, QStringLiteral("100"), pump);
    } while (walk.AnotherEntryFollows());
}
