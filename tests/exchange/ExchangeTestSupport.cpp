#include "ExchangeTestSupport.h"

#include <QFile>
#include <minizip/zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool WriteZip(const QString& path, const std::vector<std::pair<QString, QByteArray>>& entries)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const auto& [name, content] : entries) {
        zip_fileinfo info {};
        ok = ok
            && zipOpenNewFileInZip64(zip, name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                   Z_DEFAULT_COMPRESSION, 0)
                == ZIP_OK
            && zipWriteInFileInZip(zip, content.constData(), unsigned(content.size())) == ZIP_OK
            && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

namespace {

// A deflate stream of one block with the fixed codes.
class FixedDeflate {
public:
    FixedDeflate()
    {
        bits(1, 1); // the last block
        bits(1, 2); // fixed Huffman codes
    }
    void Literal(uchar byte) { symbol(byte); }
    // Copies length (3 to 258) bytes from distance (1 to 32768) back.
    void Match(int length, int distance)
    {
        static const int lengthBase[] = { 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67,
            83, 99, 115, 131, 163, 195, 227, 258 };
        static const int lengthExtra[]
            = { 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0 };
        static const int distanceBase[] = { 1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513,
            769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577 };
        static const int distanceExtra[]
            = { 0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13 };
        int l = 28;
        while (lengthBase[l] > length)
            --l;
        if (length == 258)
            l = 28;
        else if (l == 28)
            l = 27;
        symbol(257 + l);
        bits(uint32_t(length - lengthBase[l]), lengthExtra[l]);
        int d = 29;
        while (distanceBase[d] > distance)
            --d;
        code(uint32_t(d), 5);
        bits(uint32_t(distance - distanceBase[d]), distanceExtra[d]);
    }
    QByteArray Finish()
    {
        symbol(256);
        if (m_count > 0)
            m_out.append(char(m_bits & 0xFF));
        return m_out;
    }

private:
    void bits(uint32_t value, int count) // least significant bit first
    {
        m_bits |= uint64_t(value) << m_count;
        m_count += count;
        while (m_count >= 8) {
            m_out.append(char(m_bits & 0xFF));
            m_bits >>= 8;
            m_count -= 8;
        }
    }
    void code(uint32_t value, int length) // Huffman codes go most significant bit first
    {
        uint32_t reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed |= ((value >> i) & 1u) << (length - 1 - i);
        bits(reversed, length);
    }
    void symbol(int value)
    {
        if (value < 144)
            code(uint32_t(0x30 + value), 8);
        else if (value < 256)
            code(uint32_t(0x190 + value - 144), 9);
        else if (value < 280)
            code(uint32_t(value - 256), 7);
        else
            code(uint32_t(0xC0 + value - 280), 8);
    }

    QByteArray m_out;
    uint64_t m_bits = 0;
    int m_count = 0;
};

uLong crcOf(const QByteArray& bytes)
{
    return crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size()));
}

} // namespace

bool WriteZipWithRepeatedPart(
    const QString& path, const std::vector<std::pair<QString, QByteArray>>& entries, const RepeatedPart& part)
{
    if (!WriteZip(path, entries) || part.Pattern.isEmpty() || part.Pattern.size() > 32768 || part.Count < 1)
        return false;
    FixedDeflate deflate;
    for (const QByteArray* bytes : { &part.Head, &part.Pattern })
        for (const char byte : *bytes)
            deflate.Literal(uchar(byte));
    // The rest of the repeats copy what came just before, a pattern back.
    const int distance = int(part.Pattern.size());
    qint64 left = (part.Count - 1) * distance;
    qint64 at = 0; // within the repeats, for bytes too few to copy
    while (left > 0) {
        qint64 length = std::min<qint64>(left, 258);
        if (left - length > 0 && left - length < 3)
            length = left - 3;
        if (length < 3) {
            deflate.Literal(uchar(part.Pattern[qsizetype(at % distance)]));
            length = 1;
        } else {
            deflate.Match(int(length), distance);
        }
        left -= length;
        at += length;
    }
    for (const char byte : part.Tail)
        deflate.Literal(uchar(byte));
    const QByteArray raw = deflate.Finish();

    // The checksum of the pattern repeated, by doubling.
    uLong repeats = crc32(0, nullptr, 0);
    uLong block = crcOf(part.Pattern);
    qint64 blockLength = part.Pattern.size();
    for (qint64 count = part.Count; count > 0; count >>= 1) {
        if (count & 1)
            repeats = crc32_combine64(repeats, block, blockLength);
        block = crc32_combine64(block, block, blockLength);
        blockLength *= 2;
    }
    const qint64 size = part.Head.size() + part.Count * part.Pattern.size() + part.Tail.size();
    uLong crc = crc32_combine64(crcOf(part.Head), repeats, part.Count * part.Pattern.size());
    crc = crc32_combine64(crc, crcOf(part.Tail), part.Tail.size());

    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_ADDINZIP);
    if (!zip)
        return false;
    zip_fileinfo info {};
    const bool ok = zipOpenNewFileInZip2_64(zip, part.Name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                        Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1, size >= 0xFFFFFFFFll)
            == ZIP_OK
        && zipWriteInFileInZip(zip, raw.constData(), unsigned(raw.size())) == ZIP_OK
        && zipCloseFileInZipRaw64(zip, ZPOS64_T(size), crc) == ZIP_OK;
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}
