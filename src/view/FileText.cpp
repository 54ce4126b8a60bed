// A file's text read into the view's document block by block, decoded as it comes.
#include "view/FileText.h"

#include <Qsci/qsciscintillabase.h>

#include <QFile>
#include <algorithm>

#include "platform/EncodingDetector.h"

namespace oruvan {

namespace {

// Files are read in blocks of this size.
constexpr qint64 kChunk = 4 << 20;

}  // namespace

std::optional<TextDecoder> AppendFileText(QsciScintillaBase& view, QFile& file, qint64 size,
                                          std::optional<Encoding> encoding) {
    std::optional<TextDecoder> decoder;
    try {
        // The first block is the whole detection window.
        static_assert(kChunk >= static_cast<qint64>(kDetectionWindow));
        std::string chunk(static_cast<std::size_t>(std::min<qint64>(kChunk, std::max<qint64>(size, 1))),
                          '\0');
        std::string utf8;
        for (;;) {
            const qint64 got = file.read(chunk.data(), static_cast<qint64>(chunk.size()));
            if (got < 0) return std::nullopt;
            const std::string_view piece(chunk.data(), static_cast<std::size_t>(got));
            if (!decoder) {
                decoder.emplace(encoding ? *encoding : DetectEncoding(piece, file.atEnd()));
                // UTF-8 comes in as it is; two bytes of another encoding may give three.
                const bool utf8 = WithByteOrderMark(decoder->encoding(), false) == Encoding::Utf8;
                if (size > 0)
                    view.SendScintilla(QsciScintillaBase::SCI_ALLOCATE,
                                       static_cast<unsigned long>(size + (utf8 ? 0 : size / 2) + 16));
            }
            utf8.clear();
            decoder->decode(piece, got == 0, utf8);
            if (!utf8.empty())
                view.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()),
                                   utf8.data());
            if (got == 0) break;
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return decoder;
}

}  // namespace oruvan
