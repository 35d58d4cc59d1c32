#include "cli/CliReport.h"

#include <nlohmann/json.hpp>

#include "platform/MemoryList.h"

void CliReport::AddList(const QString& name, const platform::MemoryList& list) {
    lists_.push_back({name, list.Rows()});
}

void CliReport::AddLabel(const QString& name, const QString& text) {
    labels_.emplace_back(name, text);
}

void CliReport::AddMessage(const QString& text, const QString& title) {
    messages_.emplace_back(text, title);
}

std::string CliReport::ToJsonLines() const {
    std::string out;
    for (const List& list : lists_) {
        for (const QStringList& row : list.rows) {
            nlohmann::json cells = nlohmann::json::array();
            for (const QString& cell : row) {
                cells.push_back(cell.toStdString());
            }
            out += nlohmann::json{{"list", list.name.toStdString()}, {"row", cells}}.dump() + "\n";
        }
    }
    for (const auto& [name, text] : labels_) {
        out += nlohmann::json{{"label", name.toStdString()}, {"text", text.toStdString()}}.dump() +
               "\n";
    }
    for (const auto& [text, title] : messages_) {
        out +=
            nlohmann::json{{"message", text.toStdString()}, {"title", title.toStdString()}}.dump() +
            "\n";
    }
    return out;
}

std::string CliReport::ToText() const {
    std::string out;
    for (const List& list : lists_) {
        out += list.name.toStdString() + " (" + std::to_string(list.rows.size()) + " rows)\n";
        for (const QStringList& row : list.rows) {
            out += "  " + row.join(QStringLiteral(" | ")).toStdString() + "\n";
        }
    }
    for (const auto& [name, text] : labels_) {
        out += name.toStdString() + ": " + text.toStdString() + "\n";
    }
    for (const auto& [text, title] : messages_) {
        out += "message (" + title.toStdString() + "): " + text.toStdString() + "\n";
    }
    return out;
}
