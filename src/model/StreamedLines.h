#pragma once

#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringView>
#include <functional>
#include <optional>
#include <vector>

// Counts the lines of a file's bytes by the rules of DocumentLines, a piece at a time. The count
// equals DocumentLines' count of the decoded text whenever OneCharacterPerByte() holds.
class ByteLineCounter {
public:
    void Add(QByteArrayView bytes);
    qsizetype Lines() const { return m_breaks + (m_pendingCr ? 1 : 0) + (m_openLine ? 1 : 0); }
    qsizetype Bytes() const { return m_bytes; }

private:
    qsizetype m_breaks = 0; // line breaks settled so far
    qsizetype m_bytes = 0;
    bool m_pendingCr = false; // the last byte was CR: one break, with or without the LF to come
    bool m_openLine = false; // characters after the last break
};

// Whether the document decoder turns every byte into exactly one character, CR and LF only from
// bytes 13 and 10, so that lines can be counted on the bytes. Asked of the decoder once.
bool OneCharacterPerByte();

// Walks the lines of a document file like DocumentLines, but from its bytes, decoding a block at
// a time: the whole text never exists at once. The bytes come in pieces from nextPiece (an empty
// piece ends them; each stays valid until the next call). totalLines is the lines the bytes hold
// (ByteLineCounter); Next() gives no more than that, and Remaining() counts down from it.
class StreamedDocumentLines {
public:
    StreamedDocumentLines(qsizetype totalLines, qsizetype totalBytes, std::function<QByteArrayView()> nextPiece);

    qsizetype Remaining() const { return m_total - m_taken; }
    qsizetype Taken() const { return m_taken; }
    // The characters still to come (one a byte), line breaks included; a hint for reservations.
    qsizetype RemainingChars() const { return m_totalBytes - m_decodedBytes + (m_end - m_begin); }
    // Nothing once the lines are used up. The view is valid until the next call.
    std::optional<QStringView> Next();

private:
    // Moves the unsplit characters to the front and decodes a block after them; false, moving
    // nothing, once the bytes are used up.
    bool decodeMore();

    static constexpr qsizetype BlockBytes = 64 * 1024;

    std::function<QByteArrayView()> m_nextPiece;
    QByteArrayView m_piece; // bytes of the current piece not yet decoded
    bool m_bytesDone = false;
    QStringDecoder m_decoder;
    std::vector<QChar> m_chars; // decoded; [m_begin, m_end) is not yet split into lines
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    qsizetype m_total = 0;
    qsizetype m_totalBytes = 0;
    qsizetype m_decodedBytes = 0;
    qsizetype m_taken = 0;
};
