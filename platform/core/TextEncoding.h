#pragma once
// Conversions between the program's UTF-8 text and the encodings it meets: UCS-2LE card text from
// the reader, and GB18030 (a superset of GBK and GB2312) in settings files written by the Windows
// version. No conversion throws or stops on bad input; what cannot be decoded is substituted:
// - UCS-2LE in: an unpaired surrogate becomes U+FFFD; a paired one decodes to its character.
// - UTF-8 in (to UCS-2LE or GB18030): each byte that does not start a valid sequence becomes
//   U+FFFD (overlong forms, encoded surrogates and values above U+10FFFF count as invalid).
// - GB18030 in: each byte that does not start a valid sequence becomes U+FFFD, and decoding goes
//   on with the next byte.
#include <cstddef>
#include <string>
#include <string_view>

// Decodes UTF-16 little-endian units up to the first zero unit or the end of byteCount bytes,
// whichever comes first (an odd last byte is ignored).
std::string Ucs2LeToUtf8(const void* data, std::size_t byteCount);
inline std::string Ucs2LeToUtf8(std::string_view bytes)
{
    return Ucs2LeToUtf8(bytes.data(), bytes.size());
}
// UTF-16 little-endian bytes, characters beyond U+FFFF as surrogate pairs; no terminator.
std::string Utf8ToUcs2Le(std::string_view utf8);

bool IsValidUtf8(std::string_view text);
// Replaces every invalid byte by U+FFFD; valid text comes back unchanged.
std::string SanitizeUtf8(std::string_view text);

std::string Gb18030ToUtf8(std::string_view gb);
std::string Utf8ToGb18030(std::string_view utf8);
