#include "music/frmmusic.h"

#include <QLineEdit>

#include "app/WindowLook.h"

frmmusic::frmmusic(const QString& appFolder)
    : SpaceWindow(appFolder, QStringLiteral("Pagewren final beta"), 9915, 4485) {
    setObjectName(QStringLiteral("frmmusic"));
    PlaceTwips(*txtblog, 120, 120, 7935, 405);
}
