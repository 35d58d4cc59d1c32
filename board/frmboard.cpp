#include "board/frmboard.h"

#include <QLineEdit>

#include "app/WindowLook.h"

frmboard::frmboard(const QString& appFolder)
    : SpaceWindow(appFolder, QStringLiteral("Pagewren final beta"), 9915, 5925) {
    setObjectName(QStringLiteral("frmboard"));
    PlaceTwips(*txtblog, 120, 120, 7935, 405);
}
