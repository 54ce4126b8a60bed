#pragma once
// The byte and position bridge: the view's UTF-8 text answered in cp932 offsets, lines and columns,
// every break counted as CR LF whatever the document holds. A query near the caret costs the length of
// its line; an offset far from it skips whole blocks of lines.
#include <string>
#include <string_view>

class QsciScintillaBase;

namespace oruvan {

class Cp932Positions {
public:
    // A document line found by a cp932 offset: its number and where it starts in both encodings.
    struct LineHit {
        int line = 0;
        long utf8Start = 0;
        long cp932Start = 0;
    };

    explicit Cp932Positions(const QsciScintillaBase* view) : m_view(view) {}

    // The view's UTF-8 buffer, and bytes [start, end) of it (the gap moved only when the range straddles
    // it); valid until the next change.
    std::string_view utf8Buffer() const;
    long utf8Length() const;
    std::string_view utf8Range(long start, long end) const;
    // Line `line` without its break.
    std::string_view lineUtf8(long line) const;

    // Lines without a last empty one, and line i in cp932 cut at `limit` bytes.
    int lineCount() const;
    std::string lineAt(int i, std::size_t limit) const;
    // Every line cut at `limit` bytes and followed by CR LF.
    std::string linesText(std::size_t limit) const;

    long cp932OffsetOf(long utf8Pos) const;
    LineHit lineOfCp932(long pos) const;
    long utf8PosOfCp932(long pos) const;
    // cp932 widths from the start of the line to utf8Pos. The last answer is kept and moved with each
    // edit (textAboutToChange), so the caret's column costs its move, not its line's length.
    int columnOf(long utf8Pos) const;
    // Told of every edit before it happens.
    void textAboutToChange(long position, long length, bool insert);
    // Another document in the view: nothing kept holds.
    void forgetColumn() { m_column.lineStart = -1; }
    // cp932 offset of the start of line n (a line past the last: the end).
    long lineIndex(long n) const;

    long selStart() const;
    long selLength() const;
    std::string selText() const;

    // Under word wrap, the display row of the selection's start and its column from the row's start.
    int selectionDisplayLine(bool wrap) const;
    int selectionDisplayColumn(bool wrap) const;

private:
    long displayRowStart(long pos, bool wrap) const;

    const QsciScintillaBase* m_view;
    struct ColumnMemo {
        long lineStart = -1;  // -1: nothing kept
        long pos = 0;
        long column = 0;
    };
    mutable ColumnMemo m_column;
};

}  // namespace oruvan
