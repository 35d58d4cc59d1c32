#pragma once

#include <QString>

namespace platform {
class EventPump;
class ReportList;
}  // namespace platform

// The six panel labels of the main window that the survey writes.
enum class SurveyLabel { Article, Music, Css, Photo, Board, Comments };

// What the survey reads and writes on the main window; frmmain implements it over its
// controls and the CLI over plain values.
class SurveyControls {
public:
    virtual ~SurveyControls() = default;
    virtual QString Address() const = 0;  // txtblog, read afresh at every use
    virtual void SetAddress(const QString& address) = 0;
    virtual platform::ReportList& Categories() = 0;  // LVarticle
    virtual platform::ReportList& Songs() = 0;       // LVmusic
    virtual QString Label(SurveyLabel label) const = 0;
    virtual void SetLabel(SurveyLabel label, const QString& caption) = 0;
    virtual void SetSurveyEnabled(bool enabled) = 0;  // cmdgetbgm
    virtual platform::EventPump& Pump() = 0;
};

// What a survey could not tell.
struct SurveyOutcome {
    bool spaceMissing = false;  // the address names no space
    int unreadPages = 0;        // pages that could not be read, each told in its panel
};

// The "立即检测" run: requests the space's blog page, playlist, profile page and first
// comment search page, fills both lists and the six labels, and remembers the address in
// the settings file in appFolder. A page that could not be read is told in its panel rather
// than read as an empty space; an address whose blog page is no space's shows
// "您的百度空间不存在！！" and ends the survey there. Throws platform::RunStopped, with the
// survey button enabled again, when the pump asks to stop.
SurveyOutcome RunSpaceSurvey(SurveyControls& controls, const QString& appFolder);
