// The view's positions in cp932 terms (the arithmetic is Cp932Positions'), its caret and its scrolling.
#include <algorithm>

#include "platform/Cp932.h"
#include "view/TextView.h"

namespace oruvan {

std::string_view TextView::Utf8Buffer() const { return m_positions.utf8Buffer(); }
long TextView::Utf8Length() const { return m_positions.utf8Length(); }
std::string_view TextView::Utf8Range(long start, long end) const { return m_positions.utf8Range(start, end); }

long TextView::Utf8LineCount() const { return SendScintilla(SCI_GETLINECOUNT); }

long TextView::Utf8LineOf(long position) const {
    return SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
}

long TextView::Utf8LineStart(long line) const {
    if (line >= Utf8LineCount()) return Utf8Length();
    return SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
}

long TextView::DocumentId() const { return SendScintilla(SCI_GETDOCPOINTER); }

int TextView::LineCount() const { return m_positions.lineCount(); }
long TextView::Utf8PositionOf(long pos) const { return m_positions.utf8PosOfCp932(pos); }
std::string TextView::LineAt(int i) const { return m_positions.lineAt(i, kLineAtLimit); }
std::string TextView::GetLinesText() const { return m_positions.linesText(kLineAtLimit); }
std::string TextView::GetText() const { return Utf8ToCp932(Utf8Buffer()); }

int TextView::LineIndex(int n) const {
    return static_cast<int>(m_positions.lineIndex(n < 0 ? CaretLine() : n));
}
int TextView::LineFromChar(int pos) const { return m_positions.lineOfCp932(pos).line; }
int TextView::SelStart() const { return static_cast<int>(m_positions.selStart()); }

void TextView::SetSelStart(int pos) {
    SendScintilla(SCI_SETEMPTYSELECTION, m_positions.utf8PosOfCp932(std::max(pos, 0)));
}

bool TextView::HasSelection() const { return !SendScintilla(SCI_GETSELECTIONEMPTY); }
int TextView::SelLength() const { return static_cast<int>(m_positions.selLength()); }
std::string TextView::SelText() const { return m_positions.selText(); }

int TextView::FirstVisibleLine() const { return static_cast<int>(SendScintilla(SCI_GETFIRSTVISIBLELINE)); }

void TextView::ScrollLines(int n) { SendScintilla(SCI_LINESCROLL, 0, static_cast<long>(n)); }

int TextView::CaretLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETCURRENTPOS)));
}

int TextView::CaretColumn() const { return m_positions.columnOf(SendScintilla(SCI_GETCURRENTPOS)); }

int TextView::SelectionStartLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONSTART)));
}

int TextView::SelectionEndLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONEND)));
}

int TextView::SelectionEndColumn() const { return m_positions.columnOf(SendScintilla(SCI_GETSELECTIONEND)); }
int TextView::CaretDisplayLine() const { return m_positions.selectionDisplayLine(WordWrap()); }
int TextView::CaretDisplayColumn() const { return m_positions.selectionDisplayColumn(WordWrap()); }

void TextView::SetCaretToLineStart(int line) {
    SendScintilla(SCI_SETEMPTYSELECTION, SendScintilla(SCI_POSITIONFROMLINE, std::max(line, 0)));
}

int TextView::LineAtTop() const {
    return static_cast<int>(SendScintilla(SCI_DOCLINEFROMVISIBLE, SendScintilla(SCI_GETFIRSTVISIBLELINE)));
}

void TextView::ScrollLineToTop(int line) {
    SendScintilla(SCI_SETFIRSTVISIBLELINE, SendScintilla(SCI_VISIBLEFROMDOCLINE, std::max(line, 0)));
}

}  // namespace oruvan
