#include "Utf8WithLf.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <cstring>
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace
{

using Byte = unsigned char;

// Kana, kanji and full-width signs: most of a song, three bytes each.
bool isWide(char32_t c)
{
    return c >= 0x800 && (c < 0xD800 || c >= 0xE000);
}

Byte *putWide(char32_t c, Byte *o)
{
    o[0] = static_cast<Byte>(0xE0 | (c >> 12));
    o[1] = static_cast<Byte>(0x80 | ((c >> 6) & 0x3F));
    o[2] = static_cast<Byte>(0x80 | (c & 0x3F));
    return o + 3;
}

// Any other character, or a surrogate pair; `p` moves past what it takes.
Byte *putOther(const char16_t *&p, const char16_t *end, Byte *o)
{
    char32_t c = *p++;
    if (c < 0x80) {
        if (c != u'\r' || p == end || *p != u'\n')
            *o++ = static_cast<Byte>(c);
        return o;
    }
    if (c < 0x800) {
        *o++ = static_cast<Byte>(0xC0 | (c >> 6));
        *o++ = static_cast<Byte>(0x80 | (c & 0x3F));
        return o;
    }
    if (QChar::isHighSurrogate(c) && p != end && QChar::isLowSurrogate(*p)) {
        c = QChar::surrogateToUcs4(char16_t(c), *p++);
        *o++ = static_cast<Byte>(0xF0 | (c >> 18));
        *o++ = static_cast<Byte>(0x80 | ((c >> 12) & 0x3F));
        *o++ = static_cast<Byte>(0x80 | ((c >> 6) & 0x3F));
        *o++ = static_cast<Byte>(0x80 | (c & 0x3F));
        return o;
    }
    return putWide(QChar::ReplacementCharacter, o);
}

Byte *encodeScalar(const char16_t *p, const char16_t *end, Byte *o)
{
    while (p != end)
        o = isWide(*p) ? putWide(*p++, o) : putOther(p, end, o);
    return o;
}

// Bytes past the end of the output that the vector stores may scribble on.
constexpr qsizetype kSlack = 16;

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define LYRMAK_X86 1

// Four characters, each in four bytes that start with its UTF-8, to their
// UTF-8 side by side. Indexed by two bits a character: the low one when it
// is wide, the high one when it is dropped (a CR before LF); else it is
// ASCII.
struct Shuffles {
    alignas(16) std::array<std::array<char, 16>, 256> mask{};
    std::array<Byte, 256> length{};
};

constexpr Shuffles makeShuffles()
{
    Shuffles s;
    for (int index = 0; index < 256; ++index) {
        int n = 0;
        for (int i = 0; i < 4; ++i) {
            const int kind = (index >> (2 * i)) & 3;
            if (kind & 2)
                continue;
            for (int b = 0; b < ((kind & 1) ? 3 : 1); ++b)
                s.mask[index][n++] = static_cast<char>(4 * i + b);
        }
        s.length[index] = static_cast<Byte>(n);
        for (int j = n; j < 16; ++j)
            s.mask[index][j] = static_cast<char>(0x80); // a zero byte
    }
    return s;
}

constexpr Shuffles kShuffles = makeShuffles();

// Eight characters at a time while they are wide or ASCII; the rest, rare
// in a song, one by one.
__attribute__((target("ssse3"))) Byte *encodeSsse3(const char16_t *p, const char16_t *end, Byte *o)
{
    alignas(16) char16_t tail[17];
    while (p != end) {
        const qsizetype left = end - p;
        // The character after the eight tells whether the last is a CR
        // before LF. Short of that, the rest is copied out and padded with
        // NULs, which are dropped.
        const char16_t *at = p;
        unsigned padding = 0;
        if (left < 9) {
            std::memset(tail, 0, sizeof tail);
            std::memcpy(tail, p, size_t(left) * sizeof(char16_t));
            at = tail;
            padding = (0xAAAAu << (2 * left)) & 0xFFFFu;
        }
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + 1));
        const __m128i top = _mm_and_si128(v, _mm_set1_epi16(short(0xF800)));
        const __m128i notWide = _mm_or_si128(_mm_cmpeq_epi16(top, _mm_setzero_si128()),
                                             _mm_cmpeq_epi16(top, _mm_set1_epi16(short(0xD800))));
        const __m128i ascii =
            _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(short(0xFF80))), _mm_setzero_si128());
        if (_mm_movemask_epi8(_mm_andnot_si128(ascii, notWide)) != 0) {
            const char16_t *const stop = p + std::min<qsizetype>(left, 8);
            while (p < stop)
                o = isWide(*p) ? putWide(*p++, o) : putOther(p, end, o);
            continue;
        }
        const __m128i drop = _mm_and_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16(u'\r')),
                                           _mm_cmpeq_epi16(next, _mm_set1_epi16(u'\n')));
        const unsigned index = (~unsigned(_mm_movemask_epi8(notWide)) & 0x5555u) |
                               (unsigned(_mm_movemask_epi8(drop)) & 0xAAAAu) | padding;
        // Wide: lead byte and second byte in one 16-bit lane, third byte in
        // the other. ASCII: itself, then a byte that is not taken.
        const __m128i wide =
            _mm_or_si128(_mm_or_si128(_mm_srli_epi16(v, 12),
                                      _mm_and_si128(_mm_slli_epi16(v, 2), _mm_set1_epi16(0x3F00))),
                         _mm_set1_epi16(short(0x80E0)));
        const __m128i first =
            _mm_or_si128(_mm_andnot_si128(notWide, wide), _mm_and_si128(notWide, v));
        const __m128i third =
            _mm_or_si128(_mm_and_si128(v, _mm_set1_epi16(0x3F)), _mm_set1_epi16(0x80));
        const unsigned low = index & 0xFF, high = index >> 8;
        const auto mask = [](unsigned i) {
            return _mm_load_si128(reinterpret_cast<const __m128i *>(kShuffles.mask[i].data()));
        };
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o),
                         _mm_shuffle_epi8(_mm_unpacklo_epi16(first, third), mask(low)));
        o += kShuffles.length[low];
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o),
                         _mm_shuffle_epi8(_mm_unpackhi_epi16(first, third), mask(high)));
        o += kShuffles.length[high];
        p += std::min<qsizetype>(left, 8);
    }
    return o;
}

// The same sixteen characters at a time; the last few as above.
__attribute__((target("avx2"))) Byte *encodeAvx2(const char16_t *p, const char16_t *end, Byte *o)
{
    while (end - p >= 17) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 1));
        const __m256i top = _mm256_and_si256(v, _mm256_set1_epi16(short(0xF800)));
        const __m256i notWide =
            _mm256_or_si256(_mm256_cmpeq_epi16(top, _mm256_setzero_si256()),
                            _mm256_cmpeq_epi16(top, _mm256_set1_epi16(short(0xD800))));
        const __m256i ascii = _mm256_cmpeq_epi16(
            _mm256_and_si256(v, _mm256_set1_epi16(short(0xFF80))), _mm256_setzero_si256());
        if (_mm256_movemask_epi8(_mm256_andnot_si256(ascii, notWide)) != 0) {
            const char16_t *const stop = p + 16;
            while (p < stop)
                o = isWide(*p) ? putWide(*p++, o) : putOther(p, end, o);
            continue;
        }
        const __m256i drop = _mm256_and_si256(_mm256_cmpeq_epi16(v, _mm256_set1_epi16(u'\r')),
                                              _mm256_cmpeq_epi16(next, _mm256_set1_epi16(u'\n')));
        const unsigned index = (~unsigned(_mm256_movemask_epi8(notWide)) & 0x55555555u) |
                               (unsigned(_mm256_movemask_epi8(drop)) & 0xAAAAAAAAu);
        const __m256i wide = _mm256_or_si256(
            _mm256_or_si256(_mm256_srli_epi16(v, 12),
                            _mm256_and_si256(_mm256_slli_epi16(v, 2), _mm256_set1_epi16(0x3F00))),
            _mm256_set1_epi16(short(0x80E0)));
        const __m256i first = _mm256_blendv_epi8(wide, v, notWide);
        const __m256i third =
            _mm256_or_si256(_mm256_and_si256(v, _mm256_set1_epi16(0x3F)), _mm256_set1_epi16(0x80));
        // Unpacking works in halves: characters 0-3 and 8-11, then 4-7
        // and 12-15.
        const unsigned q0 = index & 0xFF, q1 = (index >> 8) & 0xFF, q2 = (index >> 16) & 0xFF,
                       q3 = index >> 24;
        const auto mask = [](unsigned i) {
            return _mm_load_si128(reinterpret_cast<const __m128i *>(kShuffles.mask[i].data()));
        };
        const __m256i even = _mm256_shuffle_epi8(_mm256_unpacklo_epi16(first, third),
                                                 _mm256_set_m128i(mask(q2), mask(q0)));
        const __m256i odd = _mm256_shuffle_epi8(_mm256_unpackhi_epi16(first, third),
                                                _mm256_set_m128i(mask(q3), mask(q1)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), _mm256_castsi256_si128(even));
        o += kShuffles.length[q0];
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), _mm256_castsi256_si128(odd));
        o += kShuffles.length[q1];
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), _mm256_extracti128_si256(even, 1));
        o += kShuffles.length[q2];
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), _mm256_extracti128_si256(odd, 1));
        o += kShuffles.length[q3];
        p += 16;
    }
    return encodeSsse3(p, end, o);
}

#endif

// Needs 3 bytes a UTF-16 unit and kSlack more at `o`.
Byte *encode(const char16_t *p, const char16_t *end, Byte *o)
{
#ifdef LYRMAK_X86
    static const bool avx2 = __builtin_cpu_supports("avx2");
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (avx2)
        return encodeAvx2(p, end, o);
    if (ssse3)
        return encodeSsse3(p, end, o);
#endif
    return encodeScalar(p, end, o);
}

} // namespace

void Utf8WithLf::append(QStringView text, QByteArray &out)
{
    // The text breaks lines with CR LF; a terminal and a pipe want LF. One
    // pass that encodes and drops the CR: songs are written by the hundred
    // thousand.
    const qsizetype from = out.size();
    out.resize(from + 3 * text.size() + kSlack);
    auto *o = reinterpret_cast<Byte *>(out.data()) + from;
    const char16_t *p = text.utf16();
    o = encode(p, p + text.size(), o);
    out.truncate(reinterpret_cast<char *>(o) - out.data());
}
