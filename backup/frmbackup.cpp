#include "backup/frmbackup.h"

#include <QLineEdit>

#include "app/WindowLook.h"

frmbackup::frmbackup(const QString& appFolder)
    : SpaceWindow(appFolder, QStringLiteral("Pagewren final beta"), 9915, 7035) {
    setObjectName(QStringLiteral("frmbackup"));
    PlaceTwips(*txtblog, 120, 120, 7935, 405);
}
