#pragma once
// The text view: QScintilla holding the document as UTF-8 with LF breaks, answering in cp932 terms.
//
// Positions, lengths and columns count cp932 bytes with CR LF breaks, computed per line from the UTF-8
// text, so a caret query costs the length of its line, never of the document. Lines are the document's
// lines (never wrapped pieces). Lines whose bytes hold a code that shares its character with another
// code keep their original bytes aside and are written back as read while they stay unedited.
#include <Qsci/qsciscintilla.h>

#include <QFile>
#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace oruvan {

class TextView : public QsciScintilla {
    Q_OBJECT
public:
    static constexpr int kLineAtLimit = 4096;

    explicit TextView(QWidget* parent = nullptr);

    void Clear();
    // The whole text in cp932, breaks as CR LF.
    std::string GetText() const;
    // Every LineAt(i) followed by CR LF.
    std::string GetLinesText() const;
    // Lines without a last empty one; an empty text has 0.
    int LineCount() const;
    // Line i in cp932 without its break, at most 4,096 bytes (never half a double-byte character).
    std::string LineAt(int i) const;

    // Throws std::runtime_error with the user-facing message on failure; the old text then stays.
    void LoadFromFile(const QString& path);
    void SaveToFile(const QString& path) const;

    int SelStart() const;
    void SetSelStart(int pos);
    int SelLength() const;
    bool HasSelection() const;
    std::string SelText() const;
    // Replaces the selection; the change cannot be undone.
    void SetSelText(std::string_view cp932);

    int FirstVisibleLine() const;
    // Offset of the first character of line n; -1 means the caret's line.
    int LineIndex(int n) const;
    int LineFromChar(int pos) const;
    void ScrollLines(int n);

    bool CanUndo() const;
    void Undo();
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();
    void SelectAll();

    QString FontName() const { return m_font.family(); }
    // As stored, also a size the view cannot draw (it draws the designed size meanwhile).
    int FontSize() const { return m_fontSize; }
    void SetFontName(const QString& name);
    void SetFontSize(int points);
    QFont Font() const { return m_font; }
    void SetFont(const QFont& font);

    bool WordWrap() const;
    void SetWordWrap(bool on);

    // Caret helpers for the hot paths: cost bounded by the caret's line.
    int CaretLine() const;    // document line of the caret
    int CaretColumn() const;  // cp932 bytes from the line start to the caret
    // Display line of the selection's start under word wrap; the rows of lines above count as the view
    // has wrapped them so far (it wraps out-of-sight lines in idle time).
    int CaretDisplayLine() const;
    int CaretDisplayColumn() const;  // cp932 bytes from the display row start to the selection's start
    int SelectionStartLine() const;
    int SelectionEndLine() const;
    int SelectionEndColumn() const;
    // Caret at the start of document line n, nothing selected, without scrolling.
    void SetCaretToLineStart(int line);
    // Makes the first display row of document line n the topmost visible row, as far as the view can.
    void ScrollLineToTop(int line);

    // Lines unedited since they were read with a code that shares its character with another code, and
    // the bytes they were read with (valid until the next change), in line order.
    std::vector<std::pair<int, std::string_view>> OriginalLines() const;

    // The view's own UTF-8 buffer (LF breaks); valid until the next change.
    std::string_view Utf8Buffer() const;
    long Utf8Length() const;

Q_SIGNALS:
    void changed();
    // Every insertion and deletion, before it happens; loading a file fills a document swapped in first.
    void aboutToChange(long position, long length, bool insertion);
    void keyDown(QKeyEvent* e);
    void keyUp(QKeyEvent* e);
    void mouseDown(QMouseEvent* e);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void announceCaret();
    // A document line found by a cp932 offset: its number and where it starts in both encodings.
    struct LineHit {
        int line = 0;
        long utf8Start = 0;
        long cp932Start = 0;
    };

    // A line read with a code that shares its character with another code, and its bytes as read.
    struct Original {
        long line;
        std::string bytes;
    };

    void onModified(int position, int modificationType, const char* text, int length, int linesAdded,
                    int line, int, int, int, int);
    void applyDocumentSettings();
    void removeForeignKeyBindings();

    // The byte and position bridge (TextViewPositions.cpp).
    std::string_view rangeUtf8(long start, long end) const;
    std::string_view lineUtf8(long line) const;
    long cp932OffsetOf(long utf8Pos) const;
    LineHit lineOfCp932(long pos) const;
    long utf8PosOfCp932(long pos) const;
    int cp932ColumnOf(long utf8Pos) const;
    long displayRowStart(long pos) const;

    // The kept original lines (TextViewOriginals.cpp).
    void collectOriginals(QFile& file, const std::vector<std::size_t>& lines);
    void forgetAllOriginals();
    // The bytes line was read with, while the line still holds the text they decode to (`body`).
    const std::string* originalOf(long line, std::string_view body) const;
    void trackEdit(long position, int modificationType, long length);
    void settleInsertion() const;
    void trackDeletion(long pos, long length);
    void forgetOriginals(long firstLine, long lastLine) const;
    void shiftOriginals(long fromLine, long delta) const;

    QFont m_font;
    int m_fontSize = 0;
    bool m_loading = false;
    bool m_changePending = false;
    // Sorted by line; kept in step with every edit, dropped for a line once its text is edited. An
    // insertion is accounted for when the next edit comes or the text is saved, so both are mutable.
    mutable std::vector<Original> m_originals;
    mutable std::pair<long, long> m_pendingInsertion{0, 0};  // position and length
};

}  // namespace oruvan
