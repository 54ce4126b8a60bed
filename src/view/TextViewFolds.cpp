// The fold margin and the lines a folded section hides: markers of our own and the view's hidden lines,
// with none of QScintilla's fold levels.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "view/TextView.h"

namespace oruvan {

namespace {

constexpr int kFoldedMarker = 20;
constexpr int kOpenMarker = 21;
constexpr int kMarkerMask = 1 << kFoldedMarker | 1 << kOpenMarker;
constexpr int kFoldMargin = 2;

}  // namespace

void TextView::setUpFoldMargin() {
    SendScintilla(SCI_MARKERDEFINE, kFoldedMarker, SC_MARK_BOXPLUS);
    SendScintilla(SCI_MARKERDEFINE, kOpenMarker, SC_MARK_BOXMINUS);
    for (int marker : {kFoldedMarker, kOpenMarker}) {
        SendScintilla(SCI_MARKERSETFORE, marker, 0xFFFFFF);
        SendScintilla(SCI_MARKERSETBACK, marker, 0x808080);
    }
    SendScintilla(SCI_SETMARGINTYPEN, kFoldMargin, SC_MARGIN_SYMBOL);
    SendScintilla(SCI_SETMARGINMASKN, kFoldMargin, kMarkerMask);
    SendScintilla(SCI_SETMARGINSENSITIVEN, kFoldMargin, 1);
    // The other margins never show these markers.
    for (int margin : {0, 1}) {
        const long mask = SendScintilla(SCI_GETMARGINMASKN, margin);
        SendScintilla(SCI_SETMARGINMASKN, margin, mask & ~kMarkerMask);
    }
    connect(this, &QsciScintilla::marginClicked, this, [this](int margin, int line, Qt::KeyboardModifiers) {
        if (margin == kFoldMargin) Q_EMIT foldMarkerClicked(line);
    });
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        if (updated & (SC_UPDATE_SELECTION | SC_UPDATE_CONTENT)) Q_EMIT caretUpdated();
    });
}

void TextView::ShowFoldMargin(bool on) {
    SendScintilla(SCI_SETMARGINWIDTHN, kFoldMargin, on ? 14 : 0);
    if (!on) ClearFoldMarkers(0, LONG_MAX);
}

void TextView::SetFoldMarker(long line, bool folded) {
    SendScintilla(SCI_MARKERDELETE, line, folded ? kOpenMarker : kFoldedMarker);
    if (!(SendScintilla(SCI_MARKERGET, line) & (1 << (folded ? kFoldedMarker : kOpenMarker))))
        SendScintilla(SCI_MARKERADD, line, folded ? kFoldedMarker : kOpenMarker);
}

void TextView::AddFoldMarker(long line, bool folded) {
    SendScintilla(SCI_MARKERADD, line, folded ? kFoldedMarker : kOpenMarker);
}

void TextView::ClearFoldMarkers(long fromLine, long toLine) {
    if (fromLine <= 0 && toLine >= Utf8LineCount()) {
        SendScintilla(SCI_MARKERDELETEALL, kFoldedMarker);
        SendScintilla(SCI_MARKERDELETEALL, kOpenMarker);
        return;
    }
    for (long line = SendScintilla(SCI_MARKERNEXT, fromLine, kMarkerMask); line >= 0 && line < toLine;
         line = SendScintilla(SCI_MARKERNEXT, line + 1, kMarkerMask)) {
        SendScintilla(SCI_MARKERDELETE, line, kFoldedMarker);
        SendScintilla(SCI_MARKERDELETE, line, kOpenMarker);
    }
}

bool TextView::FoldMarkerFolded(long line) const {
    return SendScintilla(SCI_MARKERGET, line) & (1 << kFoldedMarker);
}

void TextView::SetLinesShown(const std::vector<LineRun>& runs) {
    std::vector<intptr_t> triples;
    const long lines = Utf8LineCount();
    for (const LineRun& r : runs) {
        const long end = std::min(r.end, lines);
        if (end > r.first) triples.insert(triples.end(), {r.first, end - 1, r.shown ? 1 : 0});
    }
    if (triples.empty()) return;
    SendScintilla(SCI_SETLINERANGESVISIBLE, static_cast<unsigned long>(triples.size() / 3),
                  static_cast<void*>(triples.data()));
}

bool TextView::LineShown(long line) const { return SendScintilla(SCI_GETLINEVISIBLE, line) != 0; }

}  // namespace oruvan
