#include "comments/frmcritique.h"

#include <QLineEdit>

#include "app/WindowLook.h"

frmcritique::frmcritique(const QString& appFolder)
    : SpaceWindow(appFolder, QStringLiteral("Pagewren final beta"), 9885, 5895) {
    setObjectName(QStringLiteral("frmcritique"));
    PlaceTwips(*txtblog, 120, 120, 7935, 405);
}
