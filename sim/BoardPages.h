#pragma once

#include "sim/SpaceData.h"

#include <string>

namespace spacesim {

// Messages on each page of a space's message board.
inline constexpr int kBoardMessagesPerPage = 50;

// Page `pageNo` (from 0) of the space's message board (UTF-8): its messages in board order,
// each numbered from the message count down, with the cells the client cuts:
// <td width="5%">N</td>, rename="AUTHOR" repid=", class="date">TIME| <a href and
// name='cmtcontent'>TEXT</div>. A page past the last holds no message.
std::string BoardPage(const Space& space, int pageNo);

}  // namespace spacesim
