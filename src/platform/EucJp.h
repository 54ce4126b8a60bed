#pragma once
// EUC-JP in its eucJP-ms form, which holds the cp932 extensions (NEC row 13, the IBM extensions and the
// user-defined area), converted byte-faithfully as cp932 is (see Cp932.h): bytes that are not valid
// EUC-JP (0x80-0xA0 other than 0x8E and 0x8F, 0xFF, a lead byte with a bad trail byte, a lone lead byte
// at the end) become raw-byte code points, an unassigned code turns all its bytes raw, and codes that
// share a character with another code (NEC row 13 against JIS X 0208, the IBM extensions against
// JIS X 0212) are reported through TextDecoder. Converting goes through TextEncoding.h.
// The tables come from the system converter (iconv "EUC-JP-MS"), built with the program.
#include <string>

namespace oruvan {

// True when some EUC-JP code decodes to c (U+0000 included), or c is a typed form (TextEncoding.h).
bool IsEucJpEncodable(char32_t c);

// False when the system converter has no EUC-JP-MS module: every byte other than ASCII then decodes as
// a raw byte (still saved back unchanged).
bool IsEucJpConverterAvailable();

// The conversion tables as C++ source, built now from the system converter, for the build.
std::string EucJpTableSource();

}  // namespace oruvan
