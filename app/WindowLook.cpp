#include "app/WindowLook.h"

#include <QColor>
#include <QDir>
#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QPalette>
#include <QTreeWidget>
#include <QWidget>

#include "app/Captions.h"
#include "platform/Http.h"

void PlaceTwips(QWidget& control, int left, int top, int width, int height) {
    control.setGeometry(Px(left), Px(top), Px(width), Px(height));
}

QColor WindowBackground() {
    return QColor(192, 192, 255);
}

QString WindowTitle() {
    const std::string& prefix = platform::ReplayPrefix();
    if (prefix.empty()) {
        return kProgramCaption;
    }
    return QStringLiteral("Pagewren — 回放：") + QString::fromStdString(prefix);
}

QString BackupFolderNote(const QString& appFolder) {
    return QStringLiteral("备份保存在：") + QDir::toNativeSeparators(appFolder);
}

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(":/pagewren.png"));
}

QFont SongTiFont(double pointSize, bool bold) {
    QFont font;
    // 宋体 is rarely installed outside Windows, and fontconfig stands a Latin face in for it;
    // a Song face keeps the look, a sans face only the characters.
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Droid Sans Fallback")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void SetReportColumns(QTreeWidget& view, const std::vector<std::pair<QString, int>>& columns) {
    view.clear();
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setAllColumnsShowFocus(true);
    view.setColumnCount(static_cast<int>(columns.size()));
    QStringList titles;
    for (const auto& column : columns) {
        titles << column.first;
    }
    view.setHeaderLabels(titles);
    view.header()->setStretchLastSection(false);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        view.setColumnWidth(i, Px(columns[i].second));
    }
}

void PaintBackground(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, WindowBackground());
    widget.setPalette(palette);
    // Buttons, the check box among them, fill their background with the Button colour
    // unless told otherwise; the lavender is the Window colour.
    widget.setBackgroundRole(QPalette::Window);
    widget.setAutoFillBackground(true);
}

void PaintFieldBackground(QWidget& field) {
    PaintBackground(field);
    // Text boxes and combo boxes paint their field with the Base and Button colours.
    QPalette palette = field.palette();
    palette.setColor(QPalette::Base, WindowBackground());
    palette.setColor(QPalette::Button, WindowBackground());
    field.setPalette(palette);
}
