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

// The "立即检测" run: requests the space's blog page, playlist, profile page and first
// comment search page, fills both lists and the six labels, and remembers the address in
// the settings file in appFolder. A failed request reads as an empty page. Throws
// platform::RunStopped, with the survey button enabled again, when the pump asks to stop.
void RunSpaceSurvey(SurveyControls& controls, const QString& appFolder);
