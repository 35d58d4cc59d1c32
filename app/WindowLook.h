#pragma once

#include <QString>
#include <utility>
#include <vector>

class QColor;
class QFont;
class QIcon;
class QTreeWidget;
class QWidget;

// The program's windows are laid out in twips; 15 twips make one pixel at 96 dpi.
constexpr int Px(int twips) {
    return (twips + 7) / 15;
}

// Places a control at a rectangle given in twips.
void PlaceTwips(QWidget& control, int left, int top, int width, int height);

// The lavender background shared by the windows, their labels and boxes.
QColor WindowBackground();

// "宋体" at the given size; where it is missing, a Song face of the system (AR PL UMing from
// fonts-arphic-uming, Noto Serif CJK), and only then a face that shows Chinese at all.
QFont SongTiFont(double pointSize, bool bold = false);

// The title bar text of every window: the tool, or with a replay prefix set the prefix, so
// that the user always knows where the pages come from.
QString WindowTitle();

// The tip of the main window: where blogurl.ini and the backups go.
QString BackupFolderNote(const QString& appFolder);

// The bird shown in the title bar of every window.
QIcon ProgramIcon();

// Sets up a list view in report view with columns (title, width in twips).
void SetReportColumns(QTreeWidget& view, const std::vector<std::pair<QString, int>>& columns);

// Gives a widget and its children the background colour.
void PaintBackground(QWidget& widget);

// Gives a text box or combo box the background colour inside its field too.
void PaintFieldBackground(QWidget& field);
