#include "reports/PdfWriter.h"

#include "paint/ChartDrawing.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <future>
#include <hb-subset.h>
#include <map>
#include <memory>
#include <unordered_map>
#include <zlib.h>

namespace rpt {

namespace {
    // Page commands are in millimetres; the page's matrix turns them into points with y down, so
    // every coordinate is written as laid out.
    constexpr double PointsPerMm = 72.0 / 25.4;
    // Texts are shaped on the 1200 DPI reference the layout measured them on.
    constexpr double ReferenceDpi = 1200;
    constexpr double PixelsPerMm = ReferenceDpi / 25.4;
    // What the page renderer widens a hairline to: half a device pixel of the 1200 DPI PDF.
    constexpr double ThinnestLineMm = 0.5 / PixelsPerMm;
    // Fills of a chart picture are drawn this much inside their pixels (see ChartDrawing::Replay).
    constexpr double PictureInset = 1.0 / 256;
    constexpr double PictureSizeInset = 0.01; // off the width and height, so the far edges too stay inside

    // Fixed-point text of value with at most `decimals` decimals, trailing zeros and a leading
    // zero dropped: PDF readers take ".5" and "-.25".
    void appendNumber(QByteArray& out, double value, int decimals)
    {
        static constexpr long long Scales[] = { 1, 10, 100, 1000, 10000, 100000, 1000000 };
        const long long scale = Scales[std::clamp(decimals, 0, 6)];
        if (!std::isfinite(value))
            value = 0;
        value = std::clamp(value, -1e9, 1e9);
        long long n = std::llround(value * double(scale));
        if (n == 0) {
            out += '0';
            return;
        }
        if (n < 0) {
            out += '-';
            n = -n;
        }
        const long long whole = n / scale;
        long long fraction = n % scale;
        char buffer[24];
        if (whole != 0 || fraction == 0) {
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, whole).ptr;
            out.append(buffer, end - buffer);
        }
        if (fraction == 0)
            return;
        int length = decimals;
        for (int i = decimals - 1; i >= 0; --i) {
            buffer[i] = char('0' + fraction % 10);
            fraction /= 10;
        }
        while (length > 0 && buffer[length - 1] == '0')
            --length;
        out += '.';
        out.append(buffer, length);
    }

    void appendInt(QByteArray& out, long long value)
    {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        out.append(buffer, end - buffer);
    }

    // "N 0 R": a reference to object N.
    void appendRef(QByteArray& out, int object)
    {
        appendInt(out, object);
        out += " 0 R";
    }

    void appendHex4(QByteArray& out, unsigned value)
    {
        static constexpr char Digits[] = "0123456789ABCDEF";
        const char text[4]
            = { Digits[(value >> 12) & 15], Digits[(value >> 8) & 15], Digits[(value >> 4) & 15], Digits[value & 15] };
        out.append(text, 4);
    }

    // A text string of the document information: UTF-16 with its byte order mark, in hex.
    QByteArray textString(const QString& text)
    {
        QByteArray out = "<FEFF";
        for (const QChar c : text)
            appendHex4(out, c.unicode());
        out += '>';
        return out;
    }

    // Page streams are mostly numbers: the filtered strategy suits them and costs no more time.
    QByteArray deflated(const QByteArray& data)
    {
        z_stream stream {};
        if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_FILTERED) != Z_OK)
            return QByteArray();
        QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
        stream.avail_in = uInt(data.size());
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = uInt(out.size());
        const int result = deflate(&stream, Z_FINISH);
        out.truncate(qsizetype(stream.total_out));
        deflateEnd(&stream);
        return result == Z_STREAM_END ? out : QByteArray();
    }

    quint32 bigEndian32(const char* p)
    {
        return (quint32(uchar(p[0])) << 24) | (quint32(uchar(p[1])) << 16) | (quint32(uchar(p[2])) << 8)
            | quint32(uchar(p[3]));
    }

    int bigEndian16(const QByteArray& table, int offset, bool isSigned)
    {
        if (offset + 2 > table.size())
            return 0;
        const int value = (uchar(table[offset]) << 8) | uchar(table[offset + 1]);
        return isSigned && value >= 0x8000 ? value - 0x10000 : value;
    }

    // The font file of a raw font, put together from its tables: Qt hands out tables, not files.
    // Only what a PDF reader draws with is taken; the layout tables stay behind.
    QByteArray fontFile(const QRawFont& font)
    {
        static const char* const Tags[] = { "CFF ", "OS/2", "cmap", "cvt ", "fpgm", "glyf", "head", "hhea", "hmtx",
            "loca", "maxp", "name", "post", "prep" }; // in the order of their bytes, as the table directory wants them
        std::vector<std::pair<const char*, QByteArray>> tables;
        for (const char* tag : Tags) {
            QByteArray data = font.fontTable(tag);
            if (!data.isEmpty())
                tables.emplace_back(tag, std::move(data));
        }
        const bool trueType = std::any_of(
            tables.cbegin(), tables.cend(), [](const auto& table) { return qstrcmp(table.first, "glyf") == 0; });
        const int count = int(tables.size());
        int power = 1, exponent = 0;
        while (power * 2 <= count) {
            power *= 2;
            ++exponent;
        }
        QByteArray out;
        auto put32 = [&out](quint32 v) {
            const char bytes[4] = { char(v >> 24), char(v >> 16), char(v >> 8), char(v) };
            out.append(bytes, 4);
        };
        auto put16 = [&out](int v) {
            const char bytes[2] = { char(v >> 8), char(v) };
            out.append(bytes, 2);
        };
        put32(trueType ? 0x00010000u : 0x4F54544Fu); // 'OTTO' for CFF outlines
        put16(count);
        put16(power * 16);
        put16(exponent);
        put16(count * 16 - power * 16);
        quint32 offset = quint32(12 + 16 * count);
        for (const auto& [tag, data] : tables) {
            QByteArray padded = data;
            while (padded.size() % 4)
                padded += '\0';
            quint32 sum = 0;
            for (qsizetype i = 0; i < padded.size(); i += 4)
                sum += bigEndian32(padded.constData() + i);
            out.append(tag, 4);
            put32(sum);
            put32(offset);
            put32(quint32(data.size()));
            offset += quint32(padded.size());
        }
        for (const auto& table : tables) {
            out += table.second;
            while (out.size() % 4)
                out += '\0';
        }
        return out;
    }

    // The font file cut down to the glyphs used and hinting left out (the pages are laid out
    // unhinted), with the new number of each old glyph. HarfBuzz does this properly, composite
    // glyphs included; when it cannot, the whole file and the old numbers.
    struct FontSubset {
        QByteArray file;
        std::unordered_map<quint32, quint32> glyphs; // old number -> new; empty: unchanged
    };

    FontSubset subsetFontFile(const QByteArray& file, const std::vector<quint32>& glyphs)
    {
        hb_blob_t* blob
            = hb_blob_create(file.constData(), unsigned(file.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        hb_face_t* face = hb_face_create(blob, 0);
        hb_blob_destroy(blob);
        FontSubset subset;
        if (hb_subset_input_t* input = hb_subset_input_create_or_fail()) {
            hb_set_t* set = hb_subset_input_glyph_set(input);
            hb_set_add(set, 0);
            for (const quint32 glyph : glyphs)
                hb_set_add(set, glyph);
            hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_NO_HINTING);
            if (hb_subset_plan_t* plan = hb_subset_plan_create_or_fail(face, input)) {
                const hb_map_t* numbers = hb_subset_plan_old_to_new_glyph_mapping(plan);
                if (hb_face_t* result = hb_subset_plan_execute_or_fail(plan)) {
                    hb_blob_t* bytes = hb_face_reference_blob(result);
                    unsigned length = 0;
                    const char* data = hb_blob_get_data(bytes, &length);
                    subset.file = QByteArray(data, qsizetype(length));
                    for (const quint32 glyph : glyphs)
                        subset.glyphs[glyph] = hb_map_get(numbers, glyph);
                    hb_blob_destroy(bytes);
                    hb_face_destroy(result);
                }
                hb_subset_plan_destroy(plan);
            }
            hb_subset_input_destroy(input);
        }
        hb_face_destroy(face);
        if (subset.file.isEmpty() || std::any_of(subset.glyphs.cbegin(), subset.glyphs.cend(), [](const auto& g) {
                return g.second == HB_MAP_VALUE_INVALID;
            }))
            return { file, {} };
        return subset;
    }

    // Maximal runs of set cells along each line of a mask (lines x length, line by line), each
    // joined with an identical run of the line before; rectangles of (start, line, length, 1), or
    // of (line, start, 1, length) when the mask is transposed.
    std::vector<QRect> joinedRuns(const std::vector<unsigned char>& mask, int lines, int length, bool transposed)
    {
        std::vector<QRect> out;
        // Per start of a run in the line before (and in this line): its rectangle, or -1.
        std::vector<int> before(size_t(length), -1), now(size_t(length), -1);
        std::vector<int> startsBefore, startsNow;
        for (int line = 0; line < lines; ++line) {
            const unsigned char* cells = mask.data() + size_t(line) * size_t(length);
            startsNow.clear();
            for (int i = 0; i < length;) {
                if (!cells[i]) {
                    ++i;
                    continue;
                }
                int end = i;
                while (end < length && cells[end])
                    ++end;
                int index = before[size_t(i)];
                if (index >= 0 && (transposed ? out[size_t(index)].height() : out[size_t(index)].width()) == end - i) {
                    QRect& r = out[size_t(index)];
                    if (transposed)
                        r.setWidth(r.width() + 1);
                    else
                        r.setHeight(r.height() + 1);
                } else {
                    out.push_back(transposed ? QRect(line, i, 1, end - i) : QRect(i, line, end - i, 1));
                    index = int(out.size() - 1);
                }
                now[size_t(i)] = index;
                startsNow.push_back(i);
                i = end;
            }
            for (const int start : startsBefore)
                before[size_t(start)] = -1;
            std::swap(before, now);
            std::swap(startsBefore, startsNow);
        }
        return out;
    }

    // The pixels of a set of fills as few rectangles as rows or as columns give: a steep series
    // segment is a run of columns, a flat one a run of rows. In reading order, which compresses
    // best.
    std::vector<QRect> fewestRectangles(
        const std::vector<ChartDrawing::Fill>& fills, std::pair<size_t, size_t> range, const QRect& box)
    {
        const int width = box.width(), height = box.height();
        std::vector<unsigned char> byRows(size_t(width) * size_t(height), 0);
        std::vector<unsigned char> byColumns(byRows.size(), 0);
        for (size_t f = range.first; f < range.second; ++f) {
            const QRect r = fills[f].Rect.translated(-box.topLeft());
            for (int y = r.top(); y <= r.bottom(); ++y) {
                for (int x = r.left(); x <= r.right(); ++x) {
                    byRows[size_t(y) * size_t(width) + size_t(x)] = 1;
                    byColumns[size_t(x) * size_t(height) + size_t(y)] = 1;
                }
            }
        }
        std::vector<QRect> rows = joinedRuns(byRows, height, width, false);
        std::vector<QRect> columns = joinedRuns(byColumns, width, height, true);
        std::vector<QRect>& best = columns.size() < rows.size() ? columns : rows;
        for (QRect& r : best)
            r.translate(box.topLeft());
        std::sort(best.begin(), best.end(),
            [](const QRect& a, const QRect& b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
        return std::move(best);
    }

    // One embedded font: a face in whatever size it was first met, and what the pages used of it.
    struct PdfFont {
        QRawFont raw;
        std::unordered_map<quint32, double> widths; // per glyph, in thousandths of the font size
        std::map<quint32, QString> unicode; // per glyph, the text it stands for
        // Page text names glyphs by one-byte codes, half the bytes of glyph numbers: each 256
        // glyphs met make one code table, a font resource of its own over the same font file.
        std::unordered_map<quint32, int> codes; // glyph -> table * 256 + code
        std::vector<std::vector<quint32>> tables; // per table, the glyph of each code
        std::vector<QByteArray> names; // per table, its resource name
        std::vector<int> objects; // per table, its Type0 font dictionary

        int code(quint32 glyph, int index)
        {
            if (const auto found = codes.find(glyph); found != codes.end())
                return found->second;
            if (tables.empty() || tables.back().size() == 256) {
                tables.emplace_back();
                QByteArray name = "F" + QByteArray::number(index + 1);
                if (names.size() > 0)
                    name += "." + QByteArray::number(qsizetype(names.size()));
                names.push_back(name);
            }
            tables.back().push_back(glyph);
            const int value = int(tables.size() - 1) * 256 + int(tables.back().size() - 1);
            codes.emplace(glyph, value);
            return value;
        }

        double width(quint32 glyph)
        {
            auto found = widths.find(glyph);
            if (found != widths.end())
                return found->second;
            QPointF advance;
            raw.advancesForGlyphIndexes(&glyph, &advance, 1, QRawFont::UseDesignMetrics);
            const double thousandths = raw.pixelSize() > 0 ? std::round(advance.x() / raw.pixelSize() * 10000) / 10 : 0;
            return widths.emplace(glyph, thousandths).first->second;
        }
    };

    // A line of text as the layout engine shapes it: pieces in one font each, glyph positions in
    // pixels of the shaping device, y from the baseline.
    struct ShapedPiece {
        int font = 0;
        double pixelSize = 0;
        std::vector<quint32> glyphs;
        std::vector<QPointF> positions;
    };
    struct ShapedLine {
        std::vector<ShapedPiece> pieces;
        double width = 0; // natural width, as alignment uses it
        double ascent = 0;
    };

    // Shapes through QTextLayout, so kerning, combining marks and fallback fonts come out as the
    // layout measured them; remembers each distinct text, since tables repeat theirs page after
    // page.
    class Shaper {
    public:
        Shaper()
            : m_reference(1, 1, QImage::Format_RGB32)
        {
            const int dotsPerMeter = int(std::lround(ReferenceDpi / 0.0254));
            m_reference.setDotsPerMeterX(dotsPerMeter);
            m_reference.setDotsPerMeterY(dotsPerMeter);
        }

        const ShapedLine& shape(const QFont& font, const QString& text)
        {
            const int style = styleIndex(font);
            auto& cache = m_cache[size_t(style)];
            auto found = cache.find(text);
            if (found != cache.end())
                return found->second;
            return cache.emplace(text, layOut(font, text)).first->second;
        }

        std::vector<PdfFont>& fonts() { return m_fonts; }

    private:
        int styleIndex(const QFont& font)
        {
            for (size_t i = 0; i < m_styles.size(); ++i) {
                if (m_styles[i] == font)
                    return int(i);
            }
            m_styles.push_back(font);
            m_cache.emplace_back();
            return int(m_styles.size() - 1);
        }

        int fontIndex(const QRawFont& raw)
        {
            const QString key = raw.familyName() + QLatin1Char('\n') + raw.styleName() + QLatin1Char('\n')
                + QString::number(raw.weight()) + QLatin1Char('\n') + QString::number(int(raw.style()));
            auto found = m_fontIndex.constFind(key);
            if (found != m_fontIndex.constEnd())
                return found.value();
            m_fonts.push_back(PdfFont { raw, {}, {}, {}, {}, {}, {} });
            const int index = int(m_fonts.size() - 1);
            m_fontIndex.insert(key, index);
            return index;
        }

        ShapedLine layOut(const QFont& font, const QString& text)
        {
            ShapedLine shaped;
            QTextLayout layout(text, font, &m_reference);
            QTextOption option;
            option.setWrapMode(QTextOption::NoWrap);
            layout.setTextOption(option);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            if (line.isValid()) {
                line.setLineWidth(1e7);
                line.setPosition(QPointF(0, 0));
            }
            layout.endLayout();
            if (!line.isValid())
                return shaped;
            shaped.width = line.naturalTextWidth();
            shaped.ascent = line.ascent();
            for (const QGlyphRun& run : layout.glyphRuns()) {
                const QRawFont raw = run.rawFont();
                ShapedPiece piece;
                piece.font = fontIndex(raw);
                piece.pixelSize = raw.pixelSize();
                const QList<quint32> glyphs = run.glyphIndexes();
                const QList<QPointF> positions = run.positions();
                piece.glyphs.assign(glyphs.cbegin(), glyphs.cend());
                piece.positions.reserve(size_t(positions.size()));
                for (const QPointF& p : positions)
                    piece.positions.emplace_back(p.x(), p.y() - shaped.ascent);
                mapCharacters(m_fonts[size_t(piece.font)], text, piece.glyphs);
                shaped.pieces.push_back(std::move(piece));
            }
            return shaped;
        }

        // Which character each new glyph stands for, so the text can be copied and searched.
        static void mapCharacters(PdfFont& font, const QString& text, const std::vector<quint32>& glyphs)
        {
            if (std::all_of(glyphs.cbegin(), glyphs.cend(), [&](quint32 g) { return font.unicode.count(g) > 0; }))
                return;
            for (qsizetype i = 0; i < text.size();) {
                const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
                const QString character = text.mid(i, length);
                i += length;
                const QList<quint32> found = font.raw.glyphIndexesForString(character);
                if (found.size() == 1 && found[0] != 0
                    && std::find(glyphs.cbegin(), glyphs.cend(), found[0]) != glyphs.cend())
                    font.unicode.emplace(found[0], character);
            }
        }

        QImage m_reference;
        std::vector<QFont> m_styles;
        std::vector<std::unordered_map<QString, ShapedLine>> m_cache; // per style
        std::vector<PdfFont> m_fonts;
        QHash<QString, int> m_fontIndex;
    };

    // Numbered objects written in order, with the byte offsets the cross-reference table needs.
    class ObjectWriter {
    public:
        explicit ObjectWriter(QIODevice& device)
            : m_device(device)
        {
            m_offsets.push_back(0); // object 0 heads the free list
        }

        int reserve()
        {
            m_offsets.push_back(-1);
            return int(m_offsets.size() - 1);
        }

        void write(const QByteArray& bytes)
        {
            if (!m_ok)
                return;
            m_ok = m_device.write(bytes) == bytes.size();
            m_position += bytes.size();
        }

        void object(int number, const QByteArray& body)
        {
            QByteArray text = opening(number);
            text += body;
            text += "\nendobj\n";
            write(text);
        }

        // A stream object; dictionary holds the entries besides /Length.
        void stream(int number, const QByteArray& dictionary, const QByteArray& data)
        {
            QByteArray text = opening(number);
            text += "<<";
            text += dictionary;
            text += " /Length ";
            appendInt(text, data.size());
            text += ">>\nstream\n";
            write(text);
            write(data);
            write("\nendstream\nendobj\n");
        }

        void finish(int root, int info)
        {
            const qint64 start = m_position;
            QByteArray table = "xref\n0 ";
            appendInt(table, qsizetype(m_offsets.size()));
            table += "\n0000000000 65535 f \n";
            for (size_t i = 1; i < m_offsets.size(); ++i) {
                char entry[24];
                std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(m_offsets[i]));
                table.append(entry, 20);
            }
            table += "trailer\n<< /Size ";
            appendInt(table, qsizetype(m_offsets.size()));
            table += " /Root ";
            appendRef(table, root);
            table += " /Info ";
            appendRef(table, info);
            table += " >>\nstartxref\n";
            appendInt(table, start);
            table += "\n%%EOF\n";
            write(table);
        }

        bool ok() const { return m_ok; }

    private:
        // "N 0 obj", the object starting here.
        QByteArray opening(int number)
        {
            m_offsets[size_t(number)] = m_position;
            QByteArray text;
            appendInt(text, number);
            text += " 0 obj\n";
            return text;
        }

        QIODevice& m_device;
        qint64 m_position = 0;
        std::vector<qint64> m_offsets;
        bool m_ok = true;
    };

    // The content stream of one page, with the colour and line state it last set.
    class PageContent {
    public:
        explicit PageContent(Shaper& shaper)
            : m_shaper(shaper)
        {
        }

        // The stream for graphics operators: any open text object ends first.
        QByteArray& bytes()
        {
            endText();
            return m_out;
        }

        void begin(double heightMm)
        {
            m_inText = false;
            m_out = "2 J 2 j ";
            appendNumber(m_out, PointsPerMm, 6);
            m_out += " 0 0 ";
            appendNumber(m_out, -PointsPerMm, 6);
            m_out += " 0 ";
            appendNumber(m_out, heightMm * PointsPerMm, 4);
            m_out += " cm\n";
            m_state = {};
        }

        void save()
        {
            endText();
            m_out += "q\n";
            m_saved.push_back(m_state);
        }
        void restore()
        {
            endText();
            m_out += "Q\n";
            m_state = m_saved.back();
            m_saved.pop_back();
        }

        void fillColor(QRgb rgb) { color(rgb, m_state.fill, " rg\n"); }
        void strokeColor(QRgb rgb) { color(rgb, m_state.stroke, " RG\n"); }

        void lineWidth(double mm)
        {
            if (m_state.lineWidth == mm)
                return;
            m_state.lineWidth = mm;
            endText();
            appendNumber(m_out, mm, 4);
            m_out += " w\n";
        }

        void number(double value, int decimals = 3)
        {
            appendNumber(m_out, value, decimals);
            m_out += ' ';
        }

        void rect(const QRectF& r, const char* op)
        {
            endText();
            number(r.x());
            number(r.y());
            number(r.width());
            number(r.height());
            m_out += "re ";
            m_out += op;
            m_out += '\n';
        }

        void line(QPointF a, QPointF b)
        {
            endText();
            number(a.x());
            number(a.y());
            m_out += "m ";
            number(b.x());
            number(b.y());
            m_out += "l S\n";
        }

        // A shaped line with its first glyph origin at x and its baseline at y; unitsPerPixel turns
        // the shaping device's pixels into the current coordinates, and decimals is the precision
        // positions are written with. Texts that follow each other share one text object.
        void text(const ShapedLine& shaped, double x, double y, double unitsPerPixel, int decimals)
        {
            for (const ShapedPiece& piece : shaped.pieces) {
                if (piece.glyphs.empty())
                    continue;
                PdfFont& font = m_shaper.fonts()[size_t(piece.font)];
                const double size = std::round(piece.pixelSize * unitsPerPixel * 10000) / 10000;
                if (size <= 0)
                    continue;
                if (!m_inText) {
                    m_out += "BT\n";
                    m_inText = true;
                }
                textRun(font, piece, x, y, size, unitsPerPixel, decimals);
            }
        }

        void endText()
        {
            if (!m_inText)
                return;
            m_out += "ET\n";
            m_inText = false;
        }

    private:
        struct State {
            QRgb fill = qRgb(0, 0, 0);
            QRgb stroke = qRgb(0, 0, 0);
            double lineWidth = 1;
            int font = -1; // none set yet
            int table = 0;
            double fontSize = 0;
        };

        void color(QRgb rgb, QRgb& current, const char* op)
        {
            rgb |= 0xff000000u;
            if (current == rgb)
                return;
            current = rgb;
            number(qRed(rgb) / 255.0);
            number(qGreen(rgb) / 255.0);
            appendNumber(m_out, qBlue(rgb) / 255.0, 3);
            m_out += op;
        }

        // One glyph string per baseline: the font's widths carry the pen, and where the layout
        // puts a glyph elsewhere (kerning) a small shift says so. A glyph off the baseline (a
        // combining mark) starts a string of its own.
        void textRun(PdfFont& font, const ShapedPiece& piece, double x, double y, double size, double unitsPerPixel,
            int decimals)
        {
            bool open = false;
            double pen = 0; // where the next glyph goes, in current units
            double baseline = 0;
            for (size_t i = 0; i < piece.glyphs.size(); ++i) {
                const quint32 glyph = piece.glyphs[i];
                const int code = font.code(glyph, piece.font);
                const int table = code >> 8;
                if (m_state.font != piece.font || m_state.table != table || m_state.fontSize != size) {
                    // The pen stays where it is across a font change.
                    if (open)
                        m_out += ">]TJ\n";
                    m_state.font = piece.font;
                    m_state.table = table;
                    m_state.fontSize = size;
                    m_out += '/';
                    m_out += font.names[size_t(table)];
                    m_out += ' ';
                    number(size, 4);
                    m_out += "Tf";
                    m_out += open ? "[<" : "\n";
                }
                const double gx = x + piece.positions[i].x() * unitsPerPixel;
                const double gy = y + piece.positions[i].y() * unitsPerPixel;
                if (open && std::abs(gy - baseline) > size * 1e-4) {
                    m_out += ">]TJ\n";
                    open = false;
                }
                if (!open) {
                    m_out += "1 0 0 -1 ";
                    number(gx, decimals);
                    number(gy, decimals);
                    m_out += "Tm[<";
                    open = true;
                    pen = gx;
                    baseline = gy;
                } else {
                    const double shift = (pen - gx) / size * 1000;
                    if (std::abs(shift) >= 0.5) {
                        const long long written = std::llround(shift);
                        m_out += '>';
                        appendInt(m_out, written);
                        m_out += '<';
                        pen -= double(written) * size / 1000;
                    }
                }
                static constexpr char Digits[] = "0123456789ABCDEF";
                m_out += Digits[(code >> 4) & 15];
                m_out += Digits[code & 15];
                pen += font.width(glyph) * size / 1000;
            }
            if (open)
                m_out += ">]TJ\n";
        }

        Shaper& m_shaper;
        QByteArray m_out;
        bool m_inText = false;
        State m_state;
        std::vector<State> m_saved;
    };

    class ReportPdf {
    public:
        ReportPdf(const PreparedReport& report, QIODevice& device)
            : m_report(report)
            , m_out(device)
        {
        }

        bool write(const PdfInfo& info)
        {
            m_out.write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
            const int catalog = m_out.reserve();
            const int pages = m_out.reserve();
            m_resources = m_out.reserve();
            std::vector<int> kids;
            const int count = m_report.pageCount();
            for (int p = 0; p < count && m_out.ok(); ++p) {
                kids.push_back(preparePage(p, pages));
                if (m_batch.size() >= PagesPerBatch)
                    passBatchOn();
            }
            if (count == 0) {
                // No pages: one empty page, as a PDF needs one and the painter gives it.
                const int content = m_out.reserve();
                const int object = m_out.reserve();
                QByteArray dictionary = "<< /Type /Page /Parent ";
                appendRef(dictionary, pages);
                dictionary += " /Contents ";
                appendRef(dictionary, content);
                dictionary += " >>";
                m_batch.push_back({ content, object, QByteArray(), dictionary });
                kids.push_back(object);
            }
            passBatchOn();
            passBatchOn(); // the last batch is in flight after the first call
            writeImages();
            writeFonts();
            writeResources();

            QByteArray tree = "<< /Type /Pages ";
            tree += mediaBox(count > 0 ? m_report.page(0).paperMm : QSizeF(210, 297)) + ' ';
            tree += "/Resources ";
            appendRef(tree, m_resources);
            tree += " /Count ";
            appendInt(tree, qsizetype(kids.size()));
            tree += " /Kids [";
            for (const int kid : kids) {
                appendRef(tree, kid);
                tree += " ";
            }
            tree += "] >>";
            m_out.object(pages, tree);
            QByteArray root = "<< /Type /Catalog /Pages ";
            appendRef(root, pages);
            root += " >>";
            m_out.object(catalog, root);
            const int infoObject = m_out.reserve();
            QByteArray infoText = "<< /Title " + textString(info.title) + " /Creator " + textString(info.creator)
                + " /Producer " + textString(info.creator) + " /CreationDate ("
                + QDateTime::currentDateTime().toString(QStringLiteral("'D:'yyyyMMddHHmmss")).toLatin1() + ") >>";
            m_out.object(infoObject, infoText);
            m_out.finish(catalog, infoObject);
            return m_out.ok();
        }

    private:
        // A page whose content is drawn but not yet compressed and written.
        struct PendingPage {
            int content = 0;
            int object = 0;
            QByteArray stream;
            QByteArray dictionary;
        };
        // Compressing the page streams is a third of the work, and needs nothing of the drawing:
        // one batch compresses on a second thread while the next one is drawn.
        static constexpr size_t PagesPerBatch = 16;

        void passBatchOn()
        {
            if (m_compressing.valid()) {
                m_compressing.get();
                for (const PendingPage& page : m_inFlight) {
                    m_out.stream(page.content, " /Filter /FlateDecode", page.stream);
                    m_out.object(page.object, page.dictionary);
                }
                m_inFlight.clear();
            }
            if (m_batch.empty())
                return;
            m_inFlight = std::move(m_batch);
            m_batch.clear();
            m_compressing = std::async(std::launch::async, [this] {
                for (PendingPage& page : m_inFlight)
                    page.stream = deflated(page.stream);
            });
        }

        static QByteArray mediaBox(QSizeF paperMm)
        {
            QByteArray box = "/MediaBox [0 0 ";
            appendNumber(box, paperMm.width() * PointsPerMm, 3);
            box += ' ';
            appendNumber(box, paperMm.height() * PointsPerMm, 3);
            box += ']';
            return box;
        }

        int preparePage(int index, int parent)
        {
            const PreparedPage& page = m_report.page(index);
            m_page.begin(page.paperMm.height());
            const int pageCount = m_report.pageCount();
            for (const DrawCmd& command : page.commands) {
                if (const auto* text = std::get_if<TextCmd>(&command))
                    drawText(*text, index, pageCount);
                else if (const auto* box = std::get_if<BoxCmd>(&command))
                    drawBox(*box);
                else if (const auto* line = std::get_if<LineCmd>(&command))
                    drawLine(*line);
                else if (const auto* image = std::get_if<ImageCmd>(&command))
                    drawImage(*image);
            }
            const int content = m_out.reserve();
            const int object = m_out.reserve();
            QByteArray dictionary = "<< /Type /Page /Parent ";
            appendRef(dictionary, parent);
            dictionary += " ";
            // The page tree holds the first page's size and the resources for every page.
            if (index == 0 || page.paperMm != m_report.page(0).paperMm)
                dictionary += mediaBox(page.paperMm) + ' ';
            dictionary += "/Contents ";
            appendRef(dictionary, content);
            dictionary += " >>";
            m_batch.push_back({ content, object, m_page.bytes(), dictionary });
            return object;
        }

        void drawText(const TextCmd& text, int pageIndex, int pageCount)
        {
            if (text.color.alpha() == 0)
                return;
            const QRectF inner = text.rectMm.adjusted(text.paddingMm, text.paddingMm, -text.paddingMm, -text.paddingMm);
            const double block = text.lineHeightMm * double(text.lines.size());
            double top = inner.top();
            if (text.alignment & Qt::AlignVCenter)
                top += (inner.height() - block) / 2;
            else if (text.alignment & Qt::AlignBottom)
                top += inner.height() - block;
            bool colored = false;
            for (qsizetype i = 0; i < text.lines.size(); ++i) {
                QString line = text.pageTokens ? PreparedReport::substituteTokens(text.lines[i], pageIndex, pageCount)
                                               : text.lines[i];
                if (line.isEmpty())
                    continue;
                line.replace(QLatin1Char('\n'), QLatin1Char(' ')); // one line, as drawn
                const ShapedLine& shaped = m_shaper.shape(text.font, line);
                const double widthMm = shaped.width / PixelsPerMm;
                double x = inner.left();
                if (text.alignment & Qt::AlignRight)
                    x = inner.right() - widthMm;
                else if (text.alignment & Qt::AlignHCenter)
                    x = inner.left() + (inner.width() - widthMm) / 2;
                const double baseline = top + text.lineHeightMm * double(i) + shaped.ascent / PixelsPerMm;
                if (!colored) {
                    m_page.fillColor(text.color.rgb());
                    colored = true;
                }
                m_page.text(shaped, x, baseline, 1 / PixelsPerMm, 2);
                if (text.font.underline() || text.font.strikeOut())
                    drawDecoration(text, x, baseline, widthMm);
            }
        }

        void drawDecoration(const TextCmd& text, double x, double baseline, double widthMm)
        {
            const QFontMetricsF metrics(text.font, &m_shaperDevice);
            const double thickness = std::max(metrics.lineWidth() / PixelsPerMm, ThinnestLineMm);
            auto bar = [&](double offsetPx) {
                m_page.rect(QRectF(x, baseline + offsetPx / PixelsPerMm, widthMm, thickness), "f");
            };
            if (text.font.underline())
                bar(metrics.underlinePos());
            if (text.font.strikeOut())
                bar(-metrics.strikeOutPos());
        }

        void drawBox(const BoxCmd& box)
        {
            if (box.fill.isValid() && box.fill.alpha() > 0) {
                m_page.fillColor(box.fill.rgb());
                m_page.rect(box.rectMm, "f");
            }
            const FrameStyle& frame = box.frame;
            if (frame.sides == NoFrame || frame.widthMm <= 0 || frame.color.alpha() == 0)
                return;
            m_page.strokeColor(frame.color.rgb());
            m_page.lineWidth(std::max(frame.widthMm, ThinnestLineMm));
            const QRectF& r = box.rectMm;
            if (frame.sides == FrameAll) {
                m_page.rect(r, "S");
                return;
            }
            for (const QLineF& side : FrameSideLines(r, frame.sides))
                m_page.line(side.p1(), side.p2());
        }

        void drawLine(const LineCmd& line)
        {
            if (line.color.alpha() == 0)
                return;
            m_page.strokeColor(line.color.rgb());
            m_page.lineWidth(std::max(line.widthMm, ThinnestLineMm));
            m_page.line(line.lineMm.p1(), line.lineMm.p2());
        }

        void drawImage(const ImageCmd& image)
        {
            if (!image.image || image.rectMm.isEmpty())
                return;
            m_page.save();
            m_page.rect(image.clipMm, "W n");
            if (const ChartDrawing* drawing = image.image->drawing()) {
                drawPicture(*drawing, image.rectMm);
            } else {
                const QByteArray& name = imageName(image.image);
                if (!name.isEmpty()) {
                    const QRectF& r = image.rectMm;
                    m_page.number(r.width(), 4);
                    m_page.bytes() += "0 0 ";
                    m_page.number(-r.height(), 4);
                    m_page.number(r.x(), 4);
                    m_page.number(r.bottom(), 4);
                    m_page.bytes() += "cm /" + name + " Do\n";
                }
            }
            m_page.restore();
        }

        // The recorded chart in the picture's virtual pixels: each batch of one colour as one
        // path of rectangles, inset as on every vector device, then the labels.
        void drawPicture(const ChartDrawing& drawing, const QRectF& target)
        {
            if (drawing.IsNull())
                return;
            m_page.rect(target, "W n");
            const double sx = target.width() / drawing.Width();
            const double sy = target.height() / drawing.Height();
            // The inset moves the origin, so the rectangles keep whole-pixel corners.
            m_page.number(sx, 6);
            m_page.bytes() += "0 0 ";
            m_page.number(sy, 6);
            m_page.number(target.x() + sx * PictureInset, 5);
            m_page.number(target.y() + sy * PictureInset, 5);
            m_page.bytes() += "cm\n";
            const std::vector<ChartDrawing::Op>& ops = drawing.Ops();
            const std::vector<ChartDrawing::Fill>& fills = drawing.Fills();
            // Each fill step's rectangles, found once: a batch's fills are consecutive.
            std::vector<std::pair<size_t, size_t>> ranges(ops.size());
            for (size_t i = 0, next = 0; i < ops.size(); ++i) {
                if (ops[i].Kind != ChartDrawing::Op::FillOp)
                    continue;
                const size_t begin = next;
                while (next < fills.size() && fills[next].Batch == ops[i].Index)
                    ++next;
                ranges[i] = { begin, next };
            }
            for (size_t i = 0; i < ops.size();) {
                const ChartDrawing::Op& op = ops[i];
                if (op.Kind == ChartDrawing::Op::FillOp) {
                    if (op.Zone >= 0)
                        fillZoneBatch(drawing, op, ranges[i]);
                    else
                        fillBatch(op.Color, fills, ranges[i]);
                } else if (op.Index >= 0) {
                    const ChartDrawing::Label& label = drawing.Labels()[size_t(op.Index)];
                    m_page.fillColor(qRgb(0, 0, 0));
                    const ShapedLine& shaped = m_shaper.shape(m_labelFont, label.Text);
                    // Whole pixels: the labels need not undo the fills' inset.
                    m_page.text(shaped, label.Box.x(), label.Baseline, 1.0 / ChartDrawing::TextUnit, 1);
                }
                ++i;
            }
        }

        // A rectangle of whole virtual pixels, drawn inside them (the origin already moved by
        // the inset).
        void pixelRect(const QRect& r)
        {
            QByteArray& out = m_page.bytes();
            appendInt(out, r.x());
            out += ' ';
            appendInt(out, r.y());
            out += ' ';
            appendNumber(out, r.width() - PictureSizeInset, 2);
            out += ' ';
            appendNumber(out, r.height() - PictureSizeInset, 2);
            out += " re\n";
        }

        void fillBatch(QRgb color, const std::vector<ChartDrawing::Fill>& fills, std::pair<size_t, size_t> range)
        {
            m_page.fillColor(color);
            for (size_t f = range.first; f < range.second; ++f)
                pixelRect(fills[f].Rect);
            m_page.bytes() += "f\n";
        }

        // The series: its pixels, whose colour follows the row, become one clipping path,
        // painted through by a band per run of rows of one colour. Written fill by fill, each row
        // would cost a colour and a path of its own.
        void fillZoneBatch(const ChartDrawing& drawing, const ChartDrawing::Op& op, std::pair<size_t, size_t> range)
        {
            const std::vector<ChartDrawing::Fill>& fills = drawing.Fills();
            if (range.first == range.second)
                return;
            std::vector<bool> rows(size_t(drawing.Height()), false);
            QRect box;
            for (size_t f = range.first; f < range.second; ++f) {
                const QRect& r = fills[f].Rect;
                box = box.united(r);
                for (int y = std::max(r.top(), 0); y <= std::min(r.bottom(), drawing.Height() - 1); ++y)
                    rows[size_t(y)] = true;
            }
            const std::vector<QRect> clip = fewestRectangles(fills, range, box);
            m_page.save();
            for (const QRect& r : clip)
                pixelRect(r);
            m_page.bytes() += "W n\n";
            for (int y = 0; y < drawing.Height();) {
                if (!rows[size_t(y)]) {
                    ++y;
                    continue;
                }
                const QRgb color = drawing.ColorAt(op, y);
                int end = y + 1;
                while (end < drawing.Height() && rows[size_t(end)] && drawing.ColorAt(op, end) == color)
                    ++end;
                m_page.fillColor(color);
                pixelRect(QRect(0, y, drawing.Width(), end - y));
                m_page.bytes() += "f\n";
                y = end;
            }
            m_page.restore();
        }

        const QByteArray& imageName(const std::shared_ptr<const StoredImage>& image)
        {
            auto found = m_imageIndex.find(image.get());
            if (found != m_imageIndex.end())
                return m_images[size_t(found->second)].name;
            m_images.push_back({ image, m_out.reserve(), "Im" + QByteArray::number(qsizetype(m_images.size()) + 1) });
            m_imageIndex.emplace(image.get(), int(m_images.size() - 1));
            return m_images.back().name;
        }

        // Bitmaps are written at the end, each once however often it is drawn.
        void writeImages()
        {
            for (const auto& entry : m_images) {
                const QImage picture = entry.image->image();
                const int width = picture.width(), height = picture.height();
                const bool alpha = picture.hasAlphaChannel();
                const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
                QByteArray pixels;
                pixels.reserve(qsizetype(width) * height * 3);
                for (int y = 0; y < height; ++y)
                    pixels.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), qsizetype(width) * 3);
                QByteArray dictionary = " /Type /XObject /Subtype /Image /Width ";
                appendInt(dictionary, width);
                dictionary += " /Height ";
                appendInt(dictionary, height);
                dictionary += " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode";
                if (alpha) {
                    const int mask = m_out.reserve();
                    QByteArray coverage;
                    coverage.reserve(qsizetype(width) * height);
                    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
                    for (int y = 0; y < height; ++y) {
                        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
                        for (int x = 0; x < width; ++x)
                            coverage += char(qAlpha(line[x]));
                    }
                    QByteArray maskDictionary = " /Type /XObject /Subtype /Image /Width ";
                    appendInt(maskDictionary, width);
                    maskDictionary += " /Height ";
                    appendInt(maskDictionary, height);
                    maskDictionary += " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode";
                    m_out.stream(mask, maskDictionary, deflated(coverage));
                    dictionary += " /SMask ";
                    appendRef(dictionary, mask);
                }
                m_out.stream(entry.object, dictionary, deflated(pixels));
            }
        }

        void writeFonts()
        {
            std::vector<PdfFont>& fonts = m_shaper.fonts();
            for (size_t i = 0; i < fonts.size(); ++i) {
                if (!fonts[i].tables.empty())
                    writeFont(fonts[i], int(i));
            }
        }

        void writeFont(PdfFont& font, int index)
        {
            std::vector<quint32> glyphs;
            glyphs.reserve(font.widths.size());
            for (const auto& [glyph, width] : font.widths)
                glyphs.push_back(glyph);
            std::sort(glyphs.begin(), glyphs.end());

            const QByteArray file = fontFile(font.raw);
            const QByteArray head = font.raw.fontTable("head");
            const QByteArray post = font.raw.fontTable("post");
            const bool trueType = !font.raw.fontTable("glyf").isEmpty();
            const double unitsPerEm = std::max(bigEndian16(head, 18, false), 16);
            auto units = [&](int value) { return double(value) * 1000 / unitsPerEm; };
            const double pixel = font.raw.pixelSize() > 0 ? font.raw.pixelSize() : 1;
            const double italicAngle = double(bigEndian16(post, 4, true)) + bigEndian16(post, 6, false) / 65536.0;

            // A subset's name starts with six capitals of its own.
            QByteArray tag(6, 'A');
            for (int i = 5, n = index; i >= 0 && n > 0; --i, n /= 26)
                tag[i] = char('A' + n % 26);
            QByteArray baseName;
            for (const QChar c : font.raw.familyName()
                    + (font.raw.styleName() == QLatin1String("Regular") ? QString()
                                                                        : QLatin1Char('-') + font.raw.styleName())) {
                if (c.isLetterOrNumber() && c.unicode() < 128)
                    baseName += char(c.unicode());
                else if (c == QLatin1Char('-'))
                    baseName += '-';
            }
            if (baseName.isEmpty())
                baseName = "Font";
            const QByteArray name = tag + '+' + baseName;

            const int descendant = m_out.reserve();
            const int descriptor = m_out.reserve();
            const int fontStream = m_out.reserve();

            const FontSubset subset = subsetFontFile(file, glyphs);
            // Character identifiers are the glyph numbers of the embedded file.
            auto cid = [&subset](quint32 glyph) { return subset.glyphs.empty() ? glyph : subset.glyphs.at(glyph); };
            QByteArray streamDictionary = " /Filter /FlateDecode";
            if (trueType) {
                streamDictionary += " /Length1 ";
                appendInt(streamDictionary, subset.file.size());
            } else {
                streamDictionary += " /Subtype /OpenType";
            }
            m_out.stream(fontStream, streamDictionary, deflated(subset.file));

            QByteArray d = "<< /Type /FontDescriptor /FontName /" + name + " /Flags ";
            appendInt(d, 32 + (italicAngle != 0 ? 64 : 0));
            d += " /FontBBox [";
            for (int offset : { 36, 38, 40, 42 }) {
                appendNumber(d, units(bigEndian16(head, offset, true)), 1);
                d += ' ';
            }
            d += "] /ItalicAngle ";
            appendNumber(d, italicAngle, 2);
            d += " /Ascent ";
            appendNumber(d, font.raw.ascent() / pixel * 1000, 1);
            d += " /Descent ";
            appendNumber(d, -font.raw.descent() / pixel * 1000, 1);
            d += " /CapHeight ";
            appendNumber(d, font.raw.capHeight() / pixel * 1000, 1);
            d += " /StemV 80 ";
            d += trueType ? "/FontFile2 " : "/FontFile3 ";
            appendRef(d, fontStream);
            d += " >>";
            m_out.object(descriptor, d);

            QByteArray c = "<< /Type /Font /Subtype ";
            c += trueType ? "/CIDFontType2" : "/CIDFontType0";
            c += " /BaseFont /" + name
                + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ";
            appendRef(c, descriptor);
            c += " /W [";
            std::vector<std::pair<quint32, double>> widths;
            for (const quint32 glyph : glyphs)
                widths.emplace_back(cid(glyph), font.widths[glyph]);
            std::sort(widths.begin(), widths.end());
            for (size_t i = 0; i < widths.size();) {
                size_t end = i + 1;
                while (end < widths.size() && widths[end].first == widths[end - 1].first + 1)
                    ++end;
                appendInt(c, widths[i].first);
                c += " [";
                for (size_t j = i; j < end; ++j) {
                    appendNumber(c, widths[j].second, 1);
                    c += ' ';
                }
                c += "] ";
                i = end;
            }
            c += ']';
            if (trueType)
                c += " /CIDToGIDMap /Identity";
            c += " >>";
            m_out.object(descendant, c);

            // Each code table: its one-byte encoding onto the glyph numbers, and what its codes
            // stand for as text.
            font.objects.clear();
            for (size_t table = 0; table < font.tables.size(); ++table) {
                const QByteArray cmapName = "Meridan-" + font.names[table];
                const int encoding = m_out.reserve();
                const int toUnicode = m_out.reserve();
                const int object = m_out.reserve();
                font.objects.push_back(object);
                m_out.stream(encoding,
                    " /Type /CMap /CMapName /" + cmapName
                        + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /Filter "
                          "/FlateDecode",
                    deflated(codeMap(font.tables[table], cmapName, cid)));
                m_out.stream(toUnicode, " /Filter /FlateDecode", deflated(unicodeMap(font, font.tables[table])));
                QByteArray t = "<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding ";
                appendRef(t, encoding);
                t += " /DescendantFonts [";
                appendRef(t, descendant);
                t += "] /ToUnicode ";
                appendRef(t, toUnicode);
                t += " >>";
                m_out.object(object, t);
            }
        }

        static QByteArray cmapHead(const char* ordering, const QByteArray& name, int type)
        {
            QByteArray map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                             "/CIDSystemInfo << /Registry (Adobe) /Ordering (";
            map += ordering;
            map += ") /Supplement 0 >> def\n/CMapName /" + name + " def\n/CMapType ";
            appendInt(map, type);
            map += " def\n1 begincodespacerange\n<00> <FF>\nendcodespacerange\n";
            return map;
        }

        static constexpr const char* CmapTail = "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";

        static void appendHex2(QByteArray& out, int value)
        {
            static constexpr char Digits[] = "0123456789ABCDEF";
            out += Digits[(value >> 4) & 15];
            out += Digits[value & 15];
        }

        // Code to character identifier.
        template <typename Cid>
        static QByteArray codeMap(const std::vector<quint32>& glyphs, const QByteArray& name, Cid cid)
        {
            QByteArray map = cmapHead("Identity", name, 1);
            for (size_t i = 0; i < glyphs.size(); i += 100) {
                const size_t end = std::min(glyphs.size(), i + 100);
                appendInt(map, qsizetype(end - i));
                map += " begincidchar\n";
                for (size_t j = i; j < end; ++j) {
                    map += '<';
                    appendHex2(map, int(j));
                    map += "> ";
                    appendInt(map, cid(glyphs[j]));
                    map += '\n';
                }
                map += "endcidchar\n";
            }
            return map + CmapTail;
        }

        static QByteArray unicodeMap(const PdfFont& font, const std::vector<quint32>& glyphs)
        {
            QByteArray map = cmapHead("UCS", "Adobe-Identity-UCS", 2);
            std::vector<std::pair<int, QString>> entries;
            for (size_t code = 0; code < glyphs.size(); ++code) {
                if (const auto found = font.unicode.find(glyphs[code]); found != font.unicode.end())
                    entries.emplace_back(int(code), found->second);
            }
            for (size_t i = 0; i < entries.size(); i += 100) {
                const size_t end = std::min(entries.size(), i + 100);
                appendInt(map, qsizetype(end - i));
                map += " beginbfchar\n";
                for (size_t j = i; j < end; ++j) {
                    map += '<';
                    appendHex2(map, entries[j].first);
                    map += "> <";
                    for (const QChar ch : entries[j].second)
                        appendHex4(map, ch.unicode());
                    map += ">\n";
                }
                map += "endbfchar\n";
            }
            return map + CmapTail;
        }

        void writeResources()
        {
            QByteArray r = "<< /ProcSet [/PDF /Text /ImageC] /Font <<";
            const std::vector<PdfFont>& fonts = m_shaper.fonts();
            for (const PdfFont& font : fonts) {
                for (size_t t = 0; t < font.objects.size(); ++t) {
                    r += " /" + font.names[t] + ' ';
                    appendRef(r, font.objects[t]);
                }
            }
            r += " >> /XObject <<";
            for (const auto& entry : m_images) {
                r += " /" + entry.name + ' ';
                appendRef(r, entry.object);
            }
            r += " >> >>";
            m_out.object(m_resources, r);
        }

        struct ImageEntry {
            std::shared_ptr<const StoredImage> image;
            int object = 0;
            QByteArray name;
        };

        const PreparedReport& m_report;
        ObjectWriter m_out;
        Shaper m_shaper;
        PageContent m_page { m_shaper };
        QFont m_labelFont = ChartDrawing::LabelFont();
        QImage m_shaperDevice = [] {
            QImage image(1, 1, QImage::Format_RGB32);
            const int dotsPerMeter = int(std::lround(ReferenceDpi / 0.0254));
            image.setDotsPerMeterX(dotsPerMeter);
            image.setDotsPerMeterY(dotsPerMeter);
            return image;
        }();
        int m_resources = 0;
        std::vector<PendingPage> m_batch;
        std::vector<PendingPage> m_inFlight;
        std::future<void> m_compressing;
        std::vector<ImageEntry> m_images;
        std::unordered_map<const StoredImage*, int> m_imageIndex;
    };
}

bool writePdf(const PreparedReport& report, QIODevice& out, const PdfInfo& info)
{
    ReportPdf pdf(report, out);
    return pdf.write(info);
}

} // namespace rpt
