#include "css/frmstylegrab2.h"

#include <QLineEdit>

#include "app/WindowLook.h"

frmstylegrab2::frmstylegrab2(const QString& appFolder)
    : SpaceWindow(appFolder, QStringLiteral("Pagewren final beta"), 9915, 7815) {
    setObjectName(QStringLiteral("frmstylegrab2"));
    PlaceTwips(*txtblog, 120, 120, 7935, 405);
}
