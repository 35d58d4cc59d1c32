#include "cli/CliReport.h"

#include <iostream>
#include <nlohmann/json.hpp>

namespace {

std::string JsonLine(const nlohmann::json& object) {
    return object.dump() + "\n";
}

}  // namespace

CliReport::CliReport(bool json, bool terminal) : json_(json), terminal_(terminal) {}

platform::MemoryList& CliReport::List(const QString& name) {
    lists_.push_back({name, {}});
    return lists_.back().rows;
}

CliReport::Label& CliReport::Find(const QString& name) {
    for (Label& label : labels_) {
        if (label.name == name) {
            return label;
        }
    }
    labels_.push_back({name, QString(), false});
    return labels_.back();
}

void CliReport::InitLabel(const QString& name, const QString& text) {
    Find(name).text = text;
}

void CliReport::SetLabel(const QString& name, const QString& text) {
    Label& label = Find(name);
    label.text = text;
    label.shown = true;
    if (json_) {
        std::cout << JsonLine({{"label", name.toStdString()}, {"text", text.toStdString()}})
                  << std::flush;
    } else {
        ShowProgress(text);
    }
}

void CliReport::ShowMessage(const QString& text, const QString& title) {
    messages_.emplace_back(text, title);
    if (json_) {
        std::cout << JsonLine({{"message", text.toStdString()}, {"title", title.toStdString()}})
                  << std::flush;
    }
}

bool CliReport::Shows(const QString& text) const {
    for (const Label& label : labels_) {
        if (label.text == text) {
            return true;
        }
    }
    for (const auto& message : messages_) {
        if (message.first == text) {
            return true;
        }
    }
    return false;
}

void CliReport::ShowProgress(const QString& text) {
    if (terminal_) {
        // One line, rewritten in place: carriage return, then erase to the end of the line.
        std::cerr << "\r\033[K" << text.toStdString() << std::flush;
        progressLineOpen_ = true;
    } else {
        std::cerr << text.toStdString() << "\n" << std::flush;
    }
}

std::string CliReport::ListLines() const {
    std::string out;
    for (const NamedList& list : lists_) {
        if (!json_) {
            out +=
                list.name.toStdString() + " (" + std::to_string(list.rows.RowCount()) + " rows)\n";
        }
        for (const QStringList& row : list.rows.Rows()) {
            if (json_) {
                nlohmann::json cells = nlohmann::json::array();
                for (const QString& cell : row) {
                    cells.push_back(cell.toStdString());
                }
                out += JsonLine({{"list", list.name.toStdString()}, {"row", cells}});
            } else {
                out += "  " + row.join(QStringLiteral(" | ")).toStdString() + "\n";
            }
        }
    }
    return out;
}

std::string CliReport::Finish() {
    if (progressLineOpen_) {
        std::cerr << "\n" << std::flush;
        progressLineOpen_ = false;
    }
    std::string out = ListLines();
    for (const Label& label : labels_) {
        if (!json_) {
            out += label.name.toStdString() + ": " + label.text.toStdString() + "\n";
        } else if (!label.shown) {
            out +=
                JsonLine({{"label", label.name.toStdString()}, {"text", label.text.toStdString()}});
        }
    }
    if (!json_) {
        for (const auto& [text, title] : messages_) {
            out += "message (" + title.toStdString() + "): " + text.toStdString() + "\n";
        }
    }
    return out;
}
