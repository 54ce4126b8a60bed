// Loading a document into the view and saving it back.
#include <unistd.h>

#include <QFile>
#include <algorithm>

#include "platform/CarefulWrite.h"
#include "platform/DocumentBytes.h"
#include "platform/RegularFile.h"
#include "view/FileText.h"
#include "view/TextView.h"
#include "widgets/UserError.h"

namespace oruvan {

namespace {

// Files are written in blocks of this size.
constexpr std::size_t kChunk = 4 << 20;

}  // namespace

void TextView::LoadFromFile(const QString& path, std::optional<Encoding> encoding) {
    const QString message = tr("ファイル %1 は開けません").arg(path);
    off_t size = 0;
    const int fd = OpenRegularFile(QFile::encodeName(path).toStdString(), &size);
    if (fd < 0) throw UserError(message);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw UserError(message);
    }

    // Load into a fresh document and swap it in only when the whole file was read.
    const long oldDoc = SendScintilla(SCI_GETDOCPOINTER);
    const long oldAnchor = SendScintilla(SCI_GETANCHOR);
    const long oldCaret = SendScintilla(SCI_GETCURRENTPOS);
    const long oldTop = SendScintilla(SCI_GETFIRSTVISIBLELINE);
    SendScintilla(SCI_ADDREFDOCUMENT, 0, oldDoc);
    // No style bytes: the whole text shows in one style, and a large file needs half the memory.
    const long newDoc =
        SendScintilla(SCI_CREATEDOCUMENT, 0UL, static_cast<long>(SC_DOCUMENTOPTION_STYLES_NONE));
    m_loading = true;
    SendScintilla(SCI_SETDOCPOINTER, 0, newDoc);
    SendScintilla(SCI_RELEASEDOCUMENT, 0, newDoc);
    applyDocumentSettings();
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);

    const std::optional<TextDecoder> decoder = AppendFileText(*this, file, size, encoding);
    if (!decoder) {
        SendScintilla(SCI_SETDOCPOINTER, 0, oldDoc);
        SendScintilla(SCI_RELEASEDOCUMENT, 0, oldDoc);
        applyDocumentSettings();
        SendScintilla(SCI_SETSEL, static_cast<unsigned long>(oldAnchor), oldCaret);
        SendScintilla(SCI_SETFIRSTVISIBLELINE, oldTop);
        m_loading = false;
        throw UserError(message);
    }
    SendScintilla(SCI_RELEASEDOCUMENT, 0, oldDoc);
    m_composing = false;  // the text being composed went with the old document
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    m_encoding = decoder->encoding();
    m_breakStyle = decoder->breaks().dominant();
    m_mixedBreaks = decoder->breaks().mixed();
    SendScintilla(SCI_SETEOLMODE, eolMode(m_breakStyle));
    m_kept.forgetAll();
    try {
        if (!decoder->nonCanonical().empty()) m_kept.collect(file, m_encoding, decoder->nonCanonical());
    } catch (const std::exception&) {
        m_kept.forgetAll();  // the text is loaded; such lines are then written canonically
    }
    m_loading = false;
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_GOTOPOS, 0);
}

std::optional<Unencodable> TextView::FirstUnwritable() const {
    // Runs written by their bytes as read are skipped. Taken first: reading them leaves the buffer's gap
    // where it is.
    const KeptBytes kept = m_kept.copy();
    const std::string_view text = Utf8Buffer();
    std::size_t done = 0;
    auto check = [&](std::size_t stop) {
        std::optional<Unencodable> found = FindUnwritable(m_encoding, text.substr(done, stop - done));
        if (found) {
            found->offset += done;
            found->line = static_cast<std::size_t>(SendScintilla(SCI_LINEFROMPOSITION, found->offset));
        }
        return found;
    };
    for (const KeptSpan& span : kept.spans) {
        if (span.begin < done || span.end > text.size() ||
            KeptRepeats(text.substr(span.begin, span.end - span.begin), span.text) == 0)
            continue;
        if (auto found = check(span.begin)) return found;
        done = span.end;
    }
    return check(text.size());
}

void TextView::SaveToFile(const QString& path) const {
    const QString message = tr("ファイル %1 を作成できません").arg(path);
    m_kept.settleEdit();
    CarefulFile file(QFile::encodeName(path).toStdString(), saveOptions);
    if (!file.open()) throw UserError(message);
    std::string out;
    out.reserve(2 * kChunk + 8192);
    const KeptBytes kept = m_kept.copy();
    // Read before any line: the pointer moves the buffer's gap to its end, where reading lines leaves it.
    const std::string_view text = Utf8Buffer();
    bool ok = EncodeDocument(m_encoding, text, kept.spans, out, kChunk, [&](std::string& piece) {
        const bool written = file.write(piece);
        piece.clear();
        return written;
    });
    if (ok && !out.empty()) ok = file.write(out);
    if (!ok || !file.commit()) throw UserError(message);
}

}  // namespace oruvan
