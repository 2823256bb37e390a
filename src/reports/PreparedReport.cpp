#include "reports/PreparedReport.h"

#include <QBuffer>
#include <QHash>
#include <QImageWriter>
#include <algorithm>

namespace rpt {

namespace {
    // PackBits run-length coding of palette indexes: charts are long runs of one colour, and this
    // runs at memory speed where deflate would cost as much as drawing the chart.
    QByteArray packBits(const uchar* data, qsizetype size)
    {
        QByteArray out;
        out.reserve(size / 8 + 16);
        qsizetype i = 0;
        while (i < size) {
            qsizetype run = 1;
            while (i + run < size && run < 129 && data[i + run] == data[i])
                ++run;
            if (run >= 2) {
                out.append(char(uchar(run + 126))); // 128..255: the next byte 2..129 times
                out.append(char(data[i]));
                i += run;
                continue;
            }
            qsizetype literal = 1; // up to the next run of two
            while (i + literal < size && literal < 128
                && !(i + literal + 1 < size && data[i + literal] == data[i + literal + 1]))
                ++literal;
            out.append(char(uchar(literal - 1))); // 0..127: so many bytes as they are
            out.append(reinterpret_cast<const char*>(data + i), literal);
            i += literal;
        }
        out.squeeze();
        return out;
    }

    // False when the data is not what packBits wrote for exactly size bytes.
    bool unpackBits(const QByteArray& packed, uchar* out, qsizetype size)
    {
        const auto* in = reinterpret_cast<const uchar*>(packed.constData());
        const uchar* end = in + packed.size();
        qsizetype written = 0;
        while (in < end) {
            const uchar control = *in++;
            if (control >= 128) {
                const qsizetype run = control - 126;
                if (in >= end || written + run > size)
                    return false;
                memset(out + written, *in++, size_t(run));
                written += run;
            } else {
                const qsizetype literal = control + 1;
                if (end - in < literal || written + literal > size)
                    return false;
                memcpy(out + written, in, size_t(literal));
                in += literal;
                written += literal;
            }
        }
        return written == size;
    }
}

StoredImage::StoredImage(const QImage& source)
    : m_size(source.size())
{
    // Charts have a few dozen colours: kept as palette indexes they take a quarter of the room,
    // and run-length code well. Anything richer is kept as 32-bit pixels, deflated quickly.
    QImage image = source;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const int width = image.width(), height = image.height();
    QByteArray raw;
    if (image.format() == QImage::Format_RGB32 && width > 0) {
        raw.resize(qsizetype(width) * height);
        QHash<QRgb, uchar> index;
        bool fits = true;
        for (int y = 0; y < height && fits; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            uchar* out = reinterpret_cast<uchar*>(raw.data()) + qsizetype(y) * width;
            QRgb last = line[0] + 1; // differs from the first pixel
            uchar lastIndex = 0;
            for (int x = 0; x < width; ++x) {
                const QRgb pixel = line[x];
                if (pixel != last) {
                    auto found = index.constFind(pixel);
                    if (found == index.constEnd()) {
                        if (m_colorTable.size() == 256) {
                            fits = false;
                            break;
                        }
                        found = index.insert(pixel, uchar(m_colorTable.size()));
                        m_colorTable.append(pixel);
                    }
                    last = pixel;
                    lastIndex = *found;
                }
                out[x] = lastIndex;
            }
        }
        if (fits) {
            m_format = QImage::Format_Indexed8;
            m_data = packBits(reinterpret_cast<const uchar*>(raw.constData()), raw.size());
            return;
        }
        m_colorTable.clear();
    }
    m_format = image.format();
    const qsizetype rowBytes = qsizetype(width) * 4;
    raw.resize(rowBytes * height);
    for (int y = 0; y < height; ++y)
        memcpy(raw.data() + rowBytes * y, image.constScanLine(y), size_t(rowBytes));
    m_data = qCompress(raw, 1);
    m_data.squeeze();
}

StoredImage::StoredImage(std::shared_ptr<const ChartDrawing> drawing)
    : m_drawing(std::move(drawing))
{
    if (m_drawing)
        m_size = m_drawing->Size();
}

qsizetype StoredImage::storedBytes() const
{
    if (!m_drawing)
        return m_data.size();
    qsizetype bytes = qsizetype(m_drawing->Ops().size() * sizeof(ChartDrawing::Op)
        + m_drawing->Fills().size() * sizeof(ChartDrawing::Fill)
        + m_drawing->Labels().size() * sizeof(ChartDrawing::Label));
    for (const ChartDrawing::Label& label : m_drawing->Labels())
        bytes += label.Text.size() * qsizetype(sizeof(QChar));
    return bytes;
}

QImage StoredImage::image() const
{
    if (m_drawing)
        return m_drawing->ToImage();
    const QImage::Format format = m_format == QImage::Format_Indexed8 ? QImage::Format_RGB32 : m_format;
    QImage image(m_size, format);
    if (image.isNull())
        return image;
    const int width = m_size.width(), height = m_size.height();
    if (m_format == QImage::Format_Indexed8) {
        QByteArray raw(qsizetype(width) * height, Qt::Uninitialized);
        if (!unpackBits(m_data, reinterpret_cast<uchar*>(raw.data()), raw.size()))
            return QImage();
        const auto* in = reinterpret_cast<const uchar*>(raw.constData());
        QRgb table[256] = {};
        std::copy(m_colorTable.cbegin(), m_colorTable.cend(), table);
        for (int y = 0; y < height; ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] = table[*in++];
        }
        return image;
    }
    const QByteArray raw = qUncompress(m_data);
    const qsizetype rowBytes = qsizetype(width) * 4;
    if (raw.size() != rowBytes * height)
        return QImage();
    for (int y = 0; y < height; ++y)
        memcpy(image.scanLine(y), raw.constData() + rowBytes * y, size_t(rowBytes));
    return image;
}

QByteArray StoredImage::png() const
{
    QImage picture;
    if (m_drawing) {
        picture = image();
    } else if (m_format == QImage::Format_Indexed8) {
        // A palette PNG straight from the stored indexes: small, and quick to write.
        picture = QImage(m_size, QImage::Format_Indexed8);
        QByteArray raw(qsizetype(m_size.width()) * m_size.height(), Qt::Uninitialized);
        if (picture.isNull() || !unpackBits(m_data, reinterpret_cast<uchar*>(raw.data()), raw.size()))
            return QByteArray();
        picture.setColorTable(m_colorTable);
        for (int y = 0; y < m_size.height(); ++y)
            memcpy(picture.scanLine(y), raw.constData() + qsizetype(y) * m_size.width(), size_t(m_size.width()));
    } else {
        picture = image();
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(60); // a middle zlib level: exports of thousands of charts stay quick
    writer.write(picture);
    return bytes;
}

QString PreparedReport::substituteTokens(const QString& line, int pageIndex, int pageCount)
{
    QString result = line;
    result.replace(QStringLiteral("[Page#]"), QString::number(pageIndex + 1), Qt::CaseInsensitive);
    result.replace(QStringLiteral("[TotalPages#]"), QString::number(pageCount), Qt::CaseInsensitive);
    return result;
}

QString PreparedReport::warningsMessage(int shown) const
{
    QStringList distinct;
    for (const QString& warning : m_warnings) {
        if (!distinct.contains(warning))
            distinct.append(warning);
    }
    if (distinct.isEmpty())
        return QString();
    QString text = QStringLiteral("Звіт підготовлено із зауваженнями до макета:");
    for (qsizetype i = 0; i < std::min<qsizetype>(distinct.size(), shown); ++i)
        text += QLatin1Char('\n') + distinct[i];
    if (distinct.size() > shown)
        text += QStringLiteral("\nі ще зауважень: %1").arg(distinct.size() - shown);
    return text;
}

std::vector<int> PreparedReport::findText(const QString& what) const
{
    std::vector<int> found;
    if (what.isEmpty())
        return found;
    for (int p = 0; p < pageCount(); ++p) {
        for (const DrawCmd& command : m_pages[size_t(p)].commands) {
            const auto* text = std::get_if<TextCmd>(&command);
            if (!text)
                continue;
            bool hit = false;
            for (const QString& line : text->lines) {
                const QString shown = text->pageTokens ? substituteTokens(line, p, pageCount()) : line;
                if (shown.contains(what, Qt::CaseInsensitive)) {
                    hit = true;
                    break;
                }
            }
            if (hit) {
                found.push_back(p);
                break;
            }
        }
    }
    return found;
}

void PreparedReport::clear()
{
    m_pages.clear();
    m_warnings.clear();
    m_blocks.clear();
    m_sections = 0;
    lastPageCursorMm = 0;
    lastPageBodyBottomMm = 0;
}

PreparedPage& PreparedReport::addPage(QSizeF paperMm)
{
    m_pages.emplace_back();
    m_pages.back().paperMm = paperMm;
    return m_pages.back();
}

PreparedReport::Mark PreparedReport::mark() const
{
    return Mark { m_pages.size(), m_pages.empty() ? 0 : m_pages.back().commands.size(),
        m_pages.empty() ? 0 : m_pages.back().bands.size(), m_warnings.size(), m_blocks.size(), m_sections,
        lastPageCursorMm, lastPageBodyBottomMm };
}

void PreparedReport::rollback(const Mark& mark)
{
    m_pages.resize(mark.pages);
    if (!m_pages.empty()) {
        m_pages.back().commands.resize(mark.lastPageCommands);
        m_pages.back().bands.resize(mark.lastPageBands);
    }
    m_warnings.resize(mark.warnings);
    m_blocks.resize(mark.blocks);
    m_sections = mark.sections;
    lastPageCursorMm = mark.cursorMm;
    lastPageBodyBottomMm = mark.bodyBottomMm;
}

} // namespace rpt
