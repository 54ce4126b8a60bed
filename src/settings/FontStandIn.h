#pragma once
// The stored font as this machine can draw it. Settings files name Windows Japanese faces that no Linux
// system has; a missing face is drawn by whatever fontconfig picks for each script, so the Latin and the
// Japanese runs of one line come out in different faces (0x5C a backslash in one, a yen sign in the
// other). An installed Japanese face of the same kind draws the whole text instead. Names are UTF-8.
#include <string>
#include <string_view>
#include <vector>

namespace oruvan {

// The face that draws text stored for `face`: the face itself when installed; for a Windows Japanese
// face, the first installed face of the same kind (gothic or mincho, proportional or fixed), then of the
// other kinds, then the first of `japanese`; any other missing face as it is. Names match ignoring ASCII
// case and blanks, as fontconfig matches them.
// installed: every family name the machine answers to; japanese: the installed faces that draw Japanese.
std::string StandInFace(std::string_view face, const std::vector<std::string>& installed,
                        const std::vector<std::string>& japanese);

// The Windows Japanese faces StandInFace knows, and every face it may choose for one of them.
std::vector<std::string> WindowsJapaneseFaces();
std::vector<std::string> StandInCandidates();

// The point size the view draws for a stored size: the size itself from 1 to 1000 points (a glyph larger
// than any screen; font metrics overflow not far above), else the designed size.
int ShownPointSize(int stored);

}  // namespace oruvan
