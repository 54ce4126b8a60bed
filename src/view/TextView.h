#pragma once
// The text view: QScintilla holding the document as UTF-8, each line with the break it was read with,
// answering in cp932 terms.
//
// Positions and lengths count cp932 bytes, every break (CR LF, lone LF or lone CR) as the two bytes of
// CR LF; columns count cp932 widths. Both are computed per line from the UTF-8 text, so a caret query
// costs the length of its line, never of the document. Lines are the document's lines (never wrapped
// pieces). Characters whose bytes do not come back from their text (a code that shares its character
// with another code, ISO-2022-JP not in canonical form) keep their bytes aside in runs that move with the
// text, written back while a run holds the text they decode to.
#include <Qsci/qsciscintilla.h>

#include <QFile>
#include <QInputMethodEvent>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <array>
#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/CarefulWrite.h"
#include "platform/KeptCodes.h"
#include "platform/TextDecoder.h"
#include "view/Cp932Positions.h"
#include "view/KeptCodeMarks.h"

namespace oruvan {

class TextView : public QsciScintilla {
    Q_OBJECT
public:
    static constexpr int kLineAtLimit = 4096;

    explicit TextView(QWidget* parent = nullptr);

    // Empties the text; the document is then Shift_JIS with CR LF breaks.
    void Clear();
    // The whole text in cp932, each break as the document holds it (CR LF throughout for a CR LF
    // document), so a change of breaks alone changes it.
    std::string GetText() const;
    // Every LineAt(i) followed by CR LF.
    std::string GetLinesText() const;
    // Lines without a last empty one; an empty text has 0.
    int LineCount() const;
    // Line i in cp932 without its break, at most 4,096 bytes (never half a double-byte character).
    std::string LineAt(int i) const;

    // Reads the file in `encoding`, or in the encoding its first bytes show. Throws UserError with the
    // user-facing message on failure; the old text, encoding and breaks then stay.
    void LoadFromFile(const QString& path, std::optional<Encoding> encoding = std::nullopt);
    // Writes the text in the document's encoding, each line followed by its own break, and every run of
    // characters kept as read by its bytes while it holds the text it was read with.
    void SaveToFile(const QString& path) const;
    // How SaveToFile writes (tests: a disk that fails or is looked at part way).
    CarefulWriteOptions saveOptions;
    // The first character SaveToFile would write as '?' (one the encoding has no code for), its line
    // counted in the view's lines.
    std::optional<Unencodable> FirstUnwritable() const;

    // The encoding of the next save (as read, or as chosen); entering text follows it.
    Encoding DocumentEncoding() const { return m_encoding; }
    void SetDocumentEncoding(Encoding e);
    // The break a typed or pasted line break takes: the most common one as read, or as chosen.
    LineBreak BreakStyle() const { return m_breakStyle; }
    // Converts every break to b, as one undo step; undoing it brings back the style before, redoing
    // it this one (breakStyleChanged then tells).
    void SetBreakStyle(LineBreak b);
    // The document was read with breaks of more than one kind and not converted since.
    bool MixedBreaks() const { return m_mixedBreaks; }

    int SelStart() const;
    void SetSelStart(int pos);
    int SelLength() const;
    bool HasSelection() const;
    // The selection in cp932, every break as CR LF.
    std::string SelText() const;
    // Replaces the selection; the change cannot be undone. Breaks become the document's break style.
    void SetSelText(std::string_view cp932);
    // Deletes the selection as an edit undo can bring back.
    void DeleteSelection();

    int FirstVisibleLine() const;
    // Offset of the first character of line n; -1 means the caret's line.
    int LineIndex(int n) const;
    int LineFromChar(int pos) const;
    // The UTF-8 position of a cp932 position.
    long Utf8PositionOf(long pos) const;
    void ScrollLines(int n);

    bool CanUndo() const;
    void Undo();
    bool CanRedo() const;
    void Redo();
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();
    void SelectAll();
    // The menu the view's right click opens; the view never owns it. None: no menu.
    void SetContextMenu(QMenu* menu) { m_contextMenu = menu; }

    QString FontName() const { return m_font.family(); }
    // As stored, also a size the view cannot draw (it draws the designed size meanwhile).
    int FontSize() const { return m_fontSize; }
    void SetFontName(const QString& name);
    void SetFontSize(int points);
    QFont Font() const { return m_font; }
    void SetFont(const QFont& font);

    bool WordWrap() const;
    void SetWordWrap(bool on);

    // The background and the text colour of the whole text; the caret takes the text colour.
    QColor BackColor() const { return paper(); }
    QColor TextColor() const { return color(); }
    void SetBackColor(const QColor& c);
    void SetTextColor(const QColor& c);
    // Colours nobody chose follow the palette's Base and Text, also when the desktop's theme changes
    // (a dark theme gives a dark text view); SetBackColor and SetTextColor stop that for their colour.
    void FollowPalette(bool back, bool text);

    // UTF-8 text as it may enter the view: characters as they are (a raw-byte code point the document
    // cannot hold becomes '?'), every break becomes the document's own.
    std::string InsertableUtf8(std::string_view utf8) const;

    // Caret helpers for the hot paths: cost bounded by the caret's line.
    int CaretLine() const;    // document line of the caret
    int CaretColumn() const;  // cp932 widths from the line start to the caret
    // Display line of the selection's start under word wrap; the rows of lines above count as the view
    // has wrapped them so far (it wraps out-of-sight lines in idle time).
    int CaretDisplayLine() const;
    int CaretDisplayColumn() const;  // cp932 widths from the display row start to the selection's start
    int SelectionStartLine() const;
    int SelectionEndLine() const;
    int SelectionEndColumn() const;
    // Caret at the start of document line n, nothing selected, without scrolling.
    void SetCaretToLineStart(int line);
    // Caret at the start of document line n (from 0), the line scrolled into view.
    void GoToLine(int line);
    // The document line whose display row is the topmost visible one.
    int LineAtTop() const;
    // Makes the first display row of document line n the topmost visible row, as far as the view can.
    void ScrollLineToTop(int line);

    // The lines the heading test reads on their own cp932 bytes, as a save writes them: the lines of a
    // Shift_JIS document that hold codes kept as read (other encodings are tested by their characters),
    // of lines [first, end) alone when given, in line order.
    std::vector<std::pair<int, std::string>> HeadingOwnBytes(long first = 0, long end = LONG_MAX) const;

    // A kept code: the bytes as read and the text they decode to; the runs of text kept with their bytes
    // as read (positions in the UTF-8 text), and the codes they point into.
    using KeptCode = KeptCodeMarks::Code;
    using KeptBytes = KeptCodeMarks::Bytes;
    // A copy of the text that another thread can turn into the document's bytes (recovery copies):
    // the UTF-8 text with its breaks, put into `buffer` when one is given, the runs kept with their
    // original bytes, and the encoding.
    struct Snapshot {
        std::shared_ptr<std::string> utf8;
        KeptBytes originals;
        Encoding encoding = Encoding::ShiftJis;
    };
    Snapshot TakeSnapshot(std::shared_ptr<std::string> buffer = {}) const;
    // Appends the UTF-8 text from start to end (byte positions) to out, without moving the buffer's gap.
    void AppendUtf8(long start, long end, std::string& out) const;
    // The runs kept with their original bytes, as they stand.
    KeptBytes OriginalsCopy() const;
    // The document's encoding by a name that tells a byte order mark apart, as recovery records keep it,
    // and the encoding such a name stands for.
    std::string EncodingName() const;
    static std::string NameOfEncoding(Encoding e);
    static std::optional<Encoding> EncodingOfName(std::string_view name);

    // An input method's text not yet committed stands in the buffer, the caret inside it.
    bool Composing() const { return m_composing; }
    // Commits that text where it stands and tells the input method the composition is over. Edits of
    // the program's own call it first: made beside a composition, the input method's next word would
    // take them back with it.
    void EndComposition();
    // Takes that text out of the buffer while it lives and puts it back as it stood, caret and all:
    // what is saved, copied or indexed meanwhile is the document without it. The undo history stays.
    class ComposingAside {
    public:
        explicit ComposingAside(TextView* view);
        ~ComposingAside();
        ComposingAside(const ComposingAside&) = delete;
        ComposingAside& operator=(const ComposingAside&) = delete;

    private:
        TextView* m_view;
        int m_events = -1;  // the input method's events when it was taken out, -1 when it was not
    };

    // The view's own UTF-8 buffer, breaks as held; valid until the next change.
    std::string_view Utf8Buffer() const;
    long Utf8Length() const;
    // Bytes [start, end) of that buffer, moving its gap only when the range straddles it.
    std::string_view Utf8Range(long start, long end) const;
    // Lines as the view counts them (a last empty one included) and their starts in that buffer; a line
    // past the last starts at the end.
    long Utf8LineCount() const;
    long Utf8LineOf(long position) const;
    long Utf8LineStart(long line) const;
    // Which document the view holds: loading a file swaps in another.
    long DocumentId() const;

    // Lines [first, middle) and [middle, end) trade places as one undo step, every character keeping the
    // bytes it was read with and every line its break; a last line without one gets the document's
    // break first. The smaller run is the one moved. Returns where the run that began at `first` begins.
    long SwapLineRuns(int first, int middle, int end);
    // Replaces UTF-8 ranges of the text as one undo step; ranges ascending and apart.
    struct Replacement {
        long start, end;
        std::string utf8;
    };
    void ReplaceRanges(const std::vector<Replacement>& replacements);
    // The selection as UTF-8 positions [first, second); empty at the caret.
    std::pair<long, long> Utf8Selection() const;
    // The caret at a UTF-8 position, nothing selected; and scrolled into sight.
    void SetCaretUtf8(long pos);
    void ScrollToCaret();

    // Folding by heading (TextViewFolds.cpp): a margin with a marker on each heading's line, folded or
    // open; lines shown and hidden in runs.
    void ShowFoldMargin(bool on);
    void SetFoldMarker(long line, bool folded);
    // The same on a line known to hold no marker: one call.
    void AddFoldMarker(long line, bool folded);
    // Takes the markers off lines [fromLine, toLine).
    void ClearFoldMarkers(long fromLine, long toLine);
    bool FoldMarkerFolded(long line) const;
    struct LineRun {
        long first, end;  // lines [first, end)
        bool shown;
    };
    // Every run in one change: the view updates its scroll bars once.
    void SetLinesShown(const std::vector<LineRun>& runs);
    bool LineShown(long line) const;

Q_SIGNALS:
    // The document's text changed, once the edit is complete. Not while an input method composes: its
    // text is no edit until committed or given up, and then the one notice covers it all.
    void changed();
    // Undo or redo brought back another break style.
    void breakStyleChanged();
    // Every insertion and deletion, before it happens; loading a file fills a document swapped in first.
    void aboutToChange(long position, long length, bool insertion);
    void keyDown(QKeyEvent* e);
    void keyUp(QKeyEvent* e);
    void mouseDown(QMouseEvent* e);
    // The caret or the selection moved, or the text changed, as the view brings its display up to date.
    void caretUpdated();
    // A click on the fold marker of a line.
    void foldMarkerClicked(int line);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void announceCaret();
    void setUpFoldMargin();
    void applyPalette();
    bool m_backFromPalette = true;
    bool m_textFromPalette = true;

    void onModified(int position, int modificationType, const char* text, int length, int linesAdded,
                    int line, int, int, int token, int);
    // The break style of a conversion undone or redone (its index in m_breakChanges).
    void restoreBreakStyle(long change, bool undone);
    void applyDocumentSettings();
    // The view's end-of-line mode for a break.
    static int eolMode(LineBreak b);
    // Text about to enter the view, as the document can hold it (TextView.cpp).
    std::string enteringText(std::string_view utf8, bool& altered) const;
    QString enteringText(const QString& text) const;

    // The position arithmetic and the kept original codes.
    Cp932Positions m_positions{this};
    KeptCodeMarks m_kept{this};
    QFont m_font;
    int m_fontSize = 0;
    bool m_loading = false;
    QPointer<QMenu> m_contextMenu;
    bool m_changePending = false;
    bool m_composing = false;
    // The last text composed and its attributes, to put it back; the input method's events so far.
    QString m_preedit;
    QList<QInputMethodEvent::Attribute> m_preeditAttributes;
    int m_inputMethodEvents = 0;
    Encoding m_encoding = Encoding::ShiftJis;
    LineBreak m_breakStyle = LineBreak::CrLf;
    bool m_mixedBreaks = false;
    // Each conversion's styles before and after, named in the undo history by their index.
    struct BreakChange {
        LineBreak before, after;
        bool mixedBefore;
    };
    std::vector<BreakChange> m_breakChanges;
};

}  // namespace oruvan
