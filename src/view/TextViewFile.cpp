// Loading a document into the view and saving it back.
#include <unistd.h>

#include <QFile>
#include <algorithm>

#include "view/TextView.h"
#include "widgets/UserError.h"
#include "platform/CarefulWrite.h"
#include "platform/DocumentBytes.h"
#include "platform/EncodingDetector.h"
#include "platform/RegularFile.h"

namespace oruvan {

namespace {

// Files are read and written in blocks of this size.
constexpr qint64 kChunk = 4 << 20;

}  // namespace

void TextView::LoadFromFile(const QString& path, std::optional<Encoding> encoding) {
    const QString message = QStringLiteral("ファイル %1 は開けません").arg(path);
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

    std::optional<TextDecoder> decoder;
    bool ok = true;
    try {
        // The first block is the whole detection window.
        static_assert(kChunk >= static_cast<qint64>(kDetectionWindow));
        std::string chunk(static_cast<std::size_t>(std::min<qint64>(kChunk, std::max<qint64>(size, 1))),
                          '\0');
        std::string utf8;
        for (;;) {
            const qint64 got = file.read(chunk.data(), static_cast<qint64>(chunk.size()));
            if (got < 0) {
                ok = false;
                break;
            }
            const std::string_view piece(chunk.data(), static_cast<std::size_t>(got));
            if (!decoder) {
                decoder.emplace(encoding ? *encoding : DetectEncoding(piece, file.atEnd()));
                // UTF-8 comes in as it is; two bytes of another encoding may give three.
                const bool utf8 = WithByteOrderMark(decoder->encoding(), false) == Encoding::Utf8;
                if (size > 0)
                    SendScintilla(SCI_ALLOCATE,
                                  static_cast<unsigned long>(size + (utf8 ? 0 : size / 2) + 16));
            }
            utf8.clear();
            decoder->decode(piece, got == 0, utf8);
            if (!utf8.empty())
                SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.data());
            if (got == 0) break;
        }
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok) {
        SendScintilla(SCI_SETDOCPOINTER, 0, oldDoc);
        SendScintilla(SCI_RELEASEDOCUMENT, 0, oldDoc);
        applyDocumentSettings();
        SendScintilla(SCI_SETSEL, static_cast<unsigned long>(oldAnchor), oldCaret);
        SendScintilla(SCI_SETFIRSTVISIBLELINE, oldTop);
        m_loading = false;
        throw UserError(message);
    }
    SendScintilla(SCI_RELEASEDOCUMENT, 0, oldDoc);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    m_encoding = decoder->encoding();
    m_breakStyle = decoder->breaks().dominant();
    m_mixedBreaks = decoder->breaks().mixed();
    SendScintilla(SCI_SETEOLMODE, eolMode(m_breakStyle));
    forgetAllOriginals();
    try {
        if (!decoder->nonCanonical().empty()) collectOriginals(file, decoder->nonCanonical());
    } catch (const std::exception&) {
        forgetAllOriginals();  // the text is loaded; such lines are then written canonically
    }
    m_loading = false;
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_GOTOPOS, 0);
}

std::optional<Unencodable> TextView::FirstUnwritable() const {
    // Runs written by their bytes as read are skipped. Taken first: reading them leaves the buffer's gap
    // where it is.
    const KeptBytes kept = OriginalsCopy();
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
    const QString message = QStringLiteral("ファイル %1 を作成できません").arg(path);
    settleEdit();
    CarefulFile file(QFile::encodeName(path).toStdString(), saveOptions);
    if (!file.open()) throw UserError(message);
    std::string out;
    out.reserve(static_cast<std::size_t>(2 * kChunk) + 8192);
    const KeptBytes kept = OriginalsCopy();
    // Read before any line: the pointer moves the buffer's gap to its end, where reading lines leaves it.
    const std::string_view text = Utf8Buffer();
    bool ok = EncodeDocument(m_encoding, text, kept.spans, out, static_cast<std::size_t>(kChunk),
                             [&](std::string& piece) {
                                 const bool written = file.write(piece);
                                 piece.clear();
                                 return written;
                             });
    if (ok && !out.empty()) ok = file.write(out);
    if (!ok || !file.commit()) throw UserError(message);
}

}  // namespace oruvan
