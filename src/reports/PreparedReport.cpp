#include "reports/PreparedReport.h"

#include <QBuffer>
#include <QImageWriter>

namespace rpt {

StoredImage::StoredImage(const QImage& source)
    : m_size(source.size())
{
    // Charts are mostly flat colour and compress many times over; level 1 keeps it fast.
    QImage image = source;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32
        && image.format() != QImage::Format_Indexed8)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    m_format = image.format();
    m_colorTable = image.colorTable();
    QByteArray raw;
    const qsizetype rowBytes = qsizetype(image.width()) * image.depth() / 8;
    raw.reserve(rowBytes * image.height());
    for (int y = 0; y < image.height(); ++y)
        raw.append(reinterpret_cast<const char*>(image.constScanLine(y)), rowBytes);
    m_data = qCompress(raw, 1);
}

QImage StoredImage::image() const
{
    QImage image(m_size, m_format);
    if (image.isNull())
        return image;
    image.setColorTable(m_colorTable);
    const QByteArray raw = qUncompress(m_data);
    const qsizetype rowBytes = qsizetype(image.width()) * image.depth() / 8;
    if (raw.size() != rowBytes * image.height())
        return QImage();
    for (int y = 0; y < image.height(); ++y)
        memcpy(image.scanLine(y), raw.constData() + rowBytes * y, size_t(rowBytes));
    return image;
}

QByteArray StoredImage::png() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image());
    return bytes;
}

QString PreparedReport::substituteTokens(const QString& line, int pageIndex, int pageCount)
{
    QString result = line;
    result.replace(QStringLiteral("[Page#]"), QString::number(pageIndex + 1), Qt::CaseInsensitive);
    result.replace(QStringLiteral("[TotalPages#]"), QString::number(pageCount), Qt::CaseInsensitive);
    return result;
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
        m_pages.empty() ? 0 : m_pages.back().bands.size(), m_warnings.size(), lastPageCursorMm, lastPageBodyBottomMm };
}

void PreparedReport::rollback(const Mark& mark)
{
    m_pages.resize(mark.pages);
    if (!m_pages.empty()) {
        m_pages.back().commands.resize(mark.lastPageCommands);
        m_pages.back().bands.resize(mark.lastPageBands);
    }
    m_warnings.resize(mark.warnings);
    lastPageCursorMm = mark.cursorMm;
    lastPageBodyBottomMm = mark.bodyBottomMm;
}

} // namespace rpt
