#pragma once

class CssWindowControls;

// The "保存CSS" run: makes the "csscode" folder when it holds no file, then writes the style
// sheet box followed by CR LF, in code page 936, as "空间模板.css" in the folder of the space
// the sheet was fetched for (of the address box before any fetch), which it creates when
// missing. An earlier file is replaced only by one written in full. Shows a
// message box and returns false when the address is too short, the box is empty or the file
// could not be written.
bool RunCssSave(CssWindowControls& controls);
