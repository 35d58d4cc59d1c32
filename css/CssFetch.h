#pragma once

class CssWindowControls;

// The "获取CSS" run: empties the style sheet box, notes the address as the one the sheet is
// fetched for, reads the home page at the address as typed, finds the link to the space's
// style sheet under "/css/item/", requests that sheet from the service, shows it laid out and
// enables the save. Returns false, after the error message box and with the box left empty
// and the save disabled, when the address is unusable, a request fails
// or is answered with an error status, the page holds no link that stays on the service, or
// the sheet is longer than kLargestSheet; the message is "您的百度空间不存在！！" when the
// home page links no sheet and the space's blog page shows that the address names no space.
// A trailing "/" of the address is left out of the sheet's address. Throws platform::RunStopped
// when the pump asks the run to stop while a page loads or the sheet is laid out.
bool RunCssFetch(CssWindowControls& controls);
