#include "board/frmboard.h"

#include "board/MessageBoard.h"

frmboard::frmboard(const QString& appFolder)
    : RecordListWindow(appFolder, {QStringLiteral("frmboard"),
                                   QStringLiteral("cmdboard"),
                                   QStringLiteral("LVboard"),
                                   9915,
                                   5925,
                                   8055,
                                   QRect(120, 5520, 8055, 375),
                                   {{QStringLiteral("No"), 500},
                                    {QStringLiteral("序号"), 750},
                                    {QStringLiteral("留言者"), 1500},
                                    {QStringLiteral("留言时间"), 2000},
                                    {QStringLiteral("留言内容"), 9000}}}),
      cmdboard(fetchButton),
      LVboard(recordList) {}

void frmboard::Retrieve(::RecordWindowControls& controls) {
    RunBoardRetrieval(controls);
}

void frmboard::Save(::RecordWindowControls& controls) {
    RunBoardSave(controls);
}
