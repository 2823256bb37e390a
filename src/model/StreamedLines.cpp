#include "model/StreamedLines.h"

#include <QString>
#include <algorithm>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Breaks in bytes[from, to) that the bytes themselves settle: every LF, and every CR that no LF
// follows. Needs one byte of lookahead: to < bytes.size().
qsizetype CountSettledBreaks(const unsigned char* bytes, qsizetype from, qsizetype to)
{
    qsizetype breaks = 0;
    qsizetype i = from;
#if defined(__SSE2__)
    // Sixteen bytes a step, counted in byte lanes that are summed before they can overflow.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (i + 16 <= to) {
        __m128i lanes = _mm_setzero_si128();
        const qsizetype stop = std::min(to, i + 255 * 16);
        for (; i + 16 <= stop; i += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 1));
            const __m128i isBreak = _mm_or_si128(
                _mm_cmpeq_epi8(here, lf), _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(here, cr)));
            lanes = _mm_sub_epi8(lanes, isBreak);
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        breaks += qsizetype(_mm_cvtsi128_si64(sums)) + qsizetype(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    for (; i < to; ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && bytes[i + 1] != '\n'))
            ++breaks;
    }
    return breaks;
}

// The first CR or LF in text[from, end), or end.
qsizetype FindLineBreak(const char16_t* text, qsizetype from, qsizetype end)
{
    qsizetype i = from;
#if defined(__SSE2__)
    // Eight characters a step: those up to CR saturate to zero, the rest is skipped at once.
    const __m128i cr = _mm_set1_epi16(u'\r');
    for (; i + 8 <= end; i += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i low = _mm_cmpeq_epi16(_mm_subs_epu16(chars, cr), _mm_setzero_si128());
        auto mask = unsigned(_mm_movemask_epi8(low));
        while (mask != 0) {
            const qsizetype at = i + std::countr_zero(mask) / 2;
            if (text[at] == u'\r' || text[at] == u'\n')
                return at;
            mask &= mask - 1; // both bytes of the character
            mask &= mask - 1;
        }
    }
#endif
    for (; i < end; ++i) {
        if (text[i] == u'\r' || text[i] == u'\n')
            return i;
    }
    return end;
}

} // namespace

void ByteLineCounter::Add(QByteArrayView piece)
{
    const qsizetype size = piece.size();
    if (size == 0)
        return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    m_bytes += size;
    // A CR that ended the last piece is a break of its own unless this piece opens with its LF,
    // which then counts as the break.
    if (m_pendingCr && bytes[0] != '\n')
        ++m_breaks;
    m_pendingCr = false;
    m_breaks += CountSettledBreaks(bytes, 0, size - 1);
    const unsigned char last = bytes[size - 1];
    if (last == '\n')
        ++m_breaks;
    m_pendingCr = last == '\r';
    m_openLine = last != '\r' && last != '\n';
}

bool OneCharacterPerByte()
{
    static const bool holds = [] {
        QStringDecoder decoder("windows-1251", QStringDecoder::Flag::Stateless);
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString decoded = decoder.decode(QByteArrayView(&byte, 1));
            if (decoded.size() != 1)
                return false;
            const char16_t c = decoded.front().unicode();
            if ((b == '\r') != (c == u'\r') || (b == '\n') != (c == u'\n'))
                return false;
        }
        return !decoder.hasError();
    }();
    return holds;
}

StreamedDocumentLines::StreamedDocumentLines(
    qsizetype totalLines, qsizetype totalBytes, std::function<QByteArrayView()> nextPiece)
    : m_nextPiece(std::move(nextPiece))
    , m_decoder("windows-1251")
    , m_total(totalLines)
    , m_totalBytes(totalBytes)
{
}

bool StreamedDocumentLines::decodeMore()
{
    while (m_piece.isEmpty()) {
        if (m_bytesDone)
            return false; // the characters stay where they are
        m_piece = m_nextPiece();
        m_bytesDone = m_piece.isEmpty();
    }
    if (m_begin > 0) {
        std::copy(m_chars.begin() + m_begin, m_chars.begin() + m_end, m_chars.begin());
        m_end -= m_begin;
        m_begin = 0;
    }
    const QByteArrayView block = m_piece.first(std::min(m_piece.size(), BlockBytes));
    m_piece = m_piece.sliced(block.size());
    const size_t needed = size_t(m_end + m_decoder.requiredSpace(block.size()));
    if (m_chars.size() < needed)
        m_chars.resize(std::max(needed, 2 * m_chars.size())); // a line longer than a block
    const QChar* out = m_decoder.appendToBuffer(m_chars.data() + m_end, block);
    m_end = out - m_chars.data();
    m_decodedBytes += block.size();
    return true;
}

std::optional<QStringView> StreamedDocumentLines::Next()
{
    if (m_taken >= m_total)
        return std::nullopt;
    qsizetype scanned = 0; // characters after m_begin known to hold no break
    for (;;) {
        const auto* text = reinterpret_cast<const char16_t*>(m_chars.data());
        const qsizetype at = FindLineBreak(text, m_begin + scanned, m_end);
        if (at < m_end) {
            // A CR that ends the decoded characters may have its LF in the next block.
            if (text[at] == u'\r' && at + 1 == m_end) {
                const qsizetype offset = at - m_begin;
                if (decodeMore()) {
                    scanned = offset;
                    continue;
                }
            }
            const qsizetype begin = m_begin;
            m_begin = at + 1;
            if (text[at] == u'\r' && m_begin < m_end && text[m_begin] == u'\n')
                ++m_begin;
            ++m_taken;
            return QStringView(m_chars.data() + begin, at - begin);
        }
        const qsizetype offset = m_end - m_begin;
        if (decodeMore()) {
            scanned = offset;
            continue;
        }
        if (m_begin == m_end)
            return std::nullopt; // fewer lines than counted: the file changed under the reader
        const qsizetype begin = m_begin;
        m_begin = m_end;
        ++m_taken;
        return QStringView(m_chars.data() + begin, m_end - begin);
    }
}
