#include "reports/ReportExport.h"

#include "reports/PageRenderer.h"
#include "reports/PdfWriter.h"
#include "reports/ReportError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>
#include <cmath>

namespace rpt {

namespace {
    [[noreturn]] void failWrite(const QString& fileName, const QString& reason = QString())
    {
        QString text = QStringLiteral("Не вдалося записати файл \"%1\"").arg(QDir::toNativeSeparators(fileName));
        if (!reason.isEmpty())
            text += QStringLiteral(": ") + reason;
        throw ReportError(text);
    }

    // Writes through a temporary file, so a failed export never leaves half a file behind.
    void writeFile(const QString& fileName, const QByteArray& bytes)
    {
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly))
            failWrite(fileName, file.errorString());
        if (file.write(bytes) != bytes.size() || !file.commit())
            failWrite(fileName, file.errorString());
    }

    QString mm(double value)
    {
        return QString::number(value, 'f', 1);
    }

    QPageSize pageSizeOf(QSizeF paperMm)
    {
        const QPageSize a4(QPageSize::A4);
        if (std::abs(paperMm.width() - 210) < 0.1 && std::abs(paperMm.height() - 297) < 0.1)
            return a4;
        return QPageSize(paperMm, QPageSize::Millimeter);
    }

    QString shownLine(const TextCmd& text, qsizetype line, int pageIndex, int pageCount)
    {
        return text.pageTokens ? PreparedReport::substituteTokens(text.lines[line], pageIndex, pageCount)
                               : text.lines[line];
    }

    QString frameLetters(unsigned sides)
    {
        QString letters;
        if (sides & FrameLeft)
            letters += u'l';
        if (sides & FrameTop)
            letters += u't';
        if (sides & FrameRight)
            letters += u'r';
        if (sides & FrameBottom)
            letters += u'b';
        return letters.isEmpty() ? QStringLiteral("-") : letters;
    }
}

void exportPdf(const PreparedReport& report, const QString& fileName, const ExportInfo& info)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        failWrite(fileName, file.errorString());
    if (!writePdf(report, file, PdfInfo { info.title, info.creator }) || !file.commit())
        failWrite(fileName, file.errorString());
}

void exportPdfThroughPainter(const PreparedReport& report, const QString& fileName, const ExportInfo& info)
{
    // QPdfWriter reports nothing when it cannot write, so try the file first.
    {
        QFile probe(fileName);
        if (!probe.open(QIODevice::WriteOnly))
            failWrite(fileName, probe.errorString());
    }
    QPdfWriter writer(fileName);
    writer.setCreator(info.creator);
    writer.setTitle(info.title);
    writer.setResolution(1200);
    const QSizeF firstPaper = report.isEmpty() ? QSizeF(210, 297) : report.page(0).paperMm;
    writer.setPageLayout(
        QPageLayout(pageSizeOf(firstPaper), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer))
        failWrite(fileName);
    const PageRenderer renderer(report);
    for (int p = 0; p < report.pageCount(); ++p) {
        if (p > 0) {
            writer.setPageLayout(QPageLayout(
                pageSizeOf(report.page(p).paperMm), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
            writer.newPage();
        }
        const QSizeF paper = report.page(p).paperMm;
        const double scale = writer.resolution() / 25.4;
        renderer.render(painter, p, QRectF(0, 0, paper.width() * scale, paper.height() * scale));
    }
    if (!painter.end())
        failWrite(fileName);
    if (QFileInfo(fileName).size() == 0)
        failWrite(fileName);
}

QString textDump(const PreparedReport& report)
{
    QString out;
    QTextStream stream(&out);
    const int count = report.pageCount();
    for (int p = 0; p < count; ++p) {
        const PreparedPage& page = report.page(p);
        stream << "page " << p + 1 << " of " << count << " (" << mm(page.paperMm.width()) << " x "
               << mm(page.paperMm.height()) << ")\n";
        for (const DrawCmd& command : page.commands) {
            if (const auto* text = std::get_if<TextCmd>(&command)) {
                const QRectF& r = text->rectMm;
                stream << "  text " << mm(r.x()) << ' ' << mm(r.y()) << ' ' << mm(r.width()) << ' ' << mm(r.height())
                       << ' ' << (text->objectName.isEmpty() ? QStringLiteral("-") : text->objectName);
                for (qsizetype i = 0; i < text->lines.size(); ++i)
                    stream << " | " << shownLine(*text, i, p, count);
                stream << '\n';
            } else if (const auto* box = std::get_if<BoxCmd>(&command)) {
                const QRectF& r = box->rectMm;
                stream << "  box " << mm(r.x()) << ' ' << mm(r.y()) << ' ' << mm(r.width()) << ' ' << mm(r.height())
                       << ' ' << frameLetters(box->frame.sides) << '\n';
            } else if (const auto* line = std::get_if<LineCmd>(&command)) {
                stream << "  line " << mm(line->lineMm.x1()) << ' ' << mm(line->lineMm.y1()) << ' '
                       << mm(line->lineMm.x2()) << ' ' << mm(line->lineMm.y2()) << '\n';
            } else if (const auto* image = std::get_if<ImageCmd>(&command)) {
                const QRectF& r = image->rectMm;
                const QSize size = image->image ? image->image->size() : QSize();
                stream << "  image " << mm(r.x()) << ' ' << mm(r.y()) << ' ' << mm(r.width()) << ' ' << mm(r.height())
                       << ' ' << size.width() << 'x' << size.height() << ' ' << image->objectName << '\n';
            }
        }
    }
    return out;
}

namespace {
    // A text's lines without the blanks that only placed it on paper.
    QString escapedLines(const QString& text)
    {
        QStringList lines = text.trimmed().split(QLatin1Char('\n'));
        for (QString& line : lines)
            line = line.simplified().toHtmlEscaped();
        return lines.join(QStringLiteral("<br/>"));
    }

    bool isBlack(const QColor& color)
    {
        return !color.isValid() || color.rgb() == QColor(Qt::black).rgb();
    }

    // Attributes of a cell or paragraph: its alignment and a colour other than black.
    QString cellAttributes(const BlockCell& cell)
    {
        QString attributes;
        if (cell.alignment & Qt::AlignHCenter)
            attributes += QStringLiteral(" class=\"c\"");
        else if (cell.alignment & Qt::AlignRight)
            attributes += QStringLiteral(" class=\"r\"");
        if (!isBlack(cell.color))
            attributes += QStringLiteral(" style=\"color:%1\"").arg(cell.color.name(QColor::HexRgb));
        return attributes;
    }

    // Memos side by side are the cells of a table row; memos one above the other are paragraphs.
    bool sideBySide(const ReportBlock& block)
    {
        if (block.cells.size() < 2)
            return false;
        std::vector<QRectF> rects;
        for (const BlockCell& cell : block.cells)
            rects.push_back(cell.rectMm);
        std::sort(rects.begin(), rects.end(), [](const QRectF& a, const QRectF& b) { return a.left() < b.left(); });
        for (size_t i = 1; i < rects.size(); ++i)
            if (rects[i].left() < rects[i - 1].right() - 0.01)
                return false;
        return true;
    }

    // Distinct values, near ones taken as one.
    std::vector<double> edgesOf(std::vector<double> values)
    {
        std::sort(values.begin(), values.end());
        std::vector<double> edges;
        for (double v : values)
            if (edges.empty() || v > edges.back() + 0.05)
                edges.push_back(v);
        return edges;
    }

    int spanOf(const std::vector<double>& edges, double from, double to)
    {
        int span = 0;
        for (double edge : edges)
            span += edge > from - 0.05 && edge < to - 0.05;
        return std::max(span, 1);
    }

    class HtmlWriter {
    public:
        explicit HtmlWriter(const PreparedReport& report)
            : m_report(report)
        {
        }

        QString write(const ExportInfo& info)
        {
            m_out.reserve(1 << 20);
            m_out
                += QStringLiteral("<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"uk\">\n<head>\n"
                                  "<meta charset=\"utf-8\"/>\n<title>%1</title>\n")
                       .arg(info.title.toHtmlEscaped());
            m_out += QStringLiteral("<meta name=\"generator\" content=\"%1\"/>\n").arg(info.creator.toHtmlEscaped());
            m_out += QStringLiteral(
                "<style>\n"
                "body{font-family:'Liberation Sans',Arial,sans-serif;font-size:10pt;color:#000;max-width:190mm;"
                "margin:8mm auto;padding:0 4mm}\n"
                "header.masthead{border-bottom:0.4mm solid #000;margin-bottom:4mm}\n"
                "header.masthead p{margin:0.5mm 0}\n"
                "p.lab{font-weight:bold;font-size:12pt;text-align:center}\n"
                "h1{font-size:15pt;text-align:center;margin:4mm 0 1mm 0}\n"
                "p.sub{text-align:center;margin:0 0 4mm 0}\n"
                "h2{font-size:12pt;margin:6mm 0 2mm 0}\n"
                "h3{font-size:10.5pt;margin:4mm 0 1.5mm 0}\n"
                "h4{font-size:10pt;font-style:italic;margin:3mm 0 1mm 0}\n"
                "p{margin:1mm 0}\n"
                "table{border-collapse:collapse;margin:1.5mm 0 3mm 0}\n"
                "th,td{border:0.2mm solid #000;padding:0.6mm 1.5mm;vertical-align:middle;text-align:left}\n"
                "th{background:#e6e6e6;font-weight:bold}\n"
                ".c{text-align:center}\n.r{text-align:right}\n"
                "table.fields th{background:none;width:60mm}\n"
                "figure{margin:2mm 0}\nfigure img{max-width:100%;height:auto;border:0.2mm solid #808080}\n"
                "footer{border-top:0.2mm solid #000;margin-top:6mm;padding-top:1mm;display:flex;"
                "justify-content:space-between}\n"
                "@page{size:A4;margin:10mm 5mm 10mm 15mm}\n"
                "@media print{\n"
                " body{margin:0;padding:0;max-width:none;font-size:9pt}\n"
                " section.part{break-before:page}\n"
                " section.first{break-before:auto}\n"
                " thead{display:table-header-group}\n"
                " tr,figure,img{break-inside:avoid}\n"
                " h1,h2,h3,h4{break-after:avoid}\n"
                "}\n"
                "</style>\n</head>\n<body>\n");
            const std::vector<ReportBlock>& blocks = m_report.blocks();
            const ReportBlock* footer = nullptr;
            bool mastheadWritten = false;
            size_t b = 0;
            bool firstSection = true;
            while (b < blocks.size()) {
                const int section = blocks[b].section;
                size_t end = b;
                bool part = false;
                while (end < blocks.size() && blocks[end].section == section) {
                    part = part || blocks[end].kind == BlockKind::Title || !blocks[end].images.empty();
                    ++end;
                }
                m_out += QStringLiteral("<section class=\"%1\">\n")
                             .arg(firstSection ? QStringLiteral("part first")
                                     : part    ? QStringLiteral("part")
                                               : QStringLiteral("follows"));
                for (size_t i = b; i < end; ++i) {
                    const ReportBlock& block = blocks[i];
                    if (block.kind == BlockKind::PageHeader) {
                        if (!mastheadWritten)
                            writeMasthead(block);
                        mastheadWritten = true;
                    } else if (block.kind == BlockKind::PageFooter) {
                        footer = &block;
                    } else {
                        writeBlock(block, firstSection);
                    }
                }
                closeTable();
                m_out += QStringLiteral("</section>\n");
                firstSection = false;
                b = end;
            }
            if (footer) {
                m_out += QStringLiteral("<footer>");
                for (const BlockCell& cell : footer->cells)
                    if (!cell.pageTokens && !cell.text.trimmed().isEmpty())
                        m_out += QStringLiteral("<p>%1</p>").arg(escapedLines(cell.text));
                m_out += QStringLiteral("</footer>\n");
            }
            m_out += QStringLiteral("</body>\n</html>\n");
            return m_out;
        }

    private:
        enum class TableState { None, Head, Body };

        void writeMasthead(const ReportBlock& block)
        {
            // The running header once, at the top; its page counter means nothing on a screen.
            m_out += QStringLiteral("<header class=\"masthead\">\n");
            bool first = true;
            for (const BlockCell& cell : block.cells) {
                if (cell.pageTokens || cell.text.trimmed().isEmpty())
                    continue;
                m_out += QStringLiteral("<p%1>%2</p>\n")
                             .arg(first && cell.bold ? QStringLiteral(" class=\"lab\"") : QString(),
                                 escapedLines(cell.text));
                first = false;
            }
            m_out += QStringLiteral("</header>\n");
        }

        void closeTable()
        {
            if (m_table == TableState::Head)
                m_out += QStringLiteral("</thead>\n");
            else if (m_table == TableState::Body)
                m_out += QStringLiteral("</tbody>\n");
            if (m_table != TableState::None)
                m_out += QStringLiteral("</table>\n");
            m_table = TableState::None;
            m_columns = 0;
        }

        void openTable(int columns, bool fields)
        {
            closeTable();
            m_out += fields ? QStringLiteral("<table class=\"fields\">\n") : QStringLiteral("<table>\n");
            m_columns = columns;
        }

        void enter(TableState state)
        {
            if (m_table == state)
                return;
            if (m_table == TableState::Head)
                m_out += QStringLiteral("</thead>\n");
            else if (m_table == TableState::Body)
                m_out += QStringLiteral("</tbody>\n");
            m_out += state == TableState::Head ? QStringLiteral("<thead>\n") : QStringLiteral("<tbody>\n");
            m_table = state;
        }

        void writeCell(const BlockCell& cell, bool header, int colspan = 1, int rowspan = 1)
        {
            const QString tag = header ? QStringLiteral("th") : QStringLiteral("td");
            QString spans;
            if (colspan > 1)
                spans += QStringLiteral(" colspan=\"%1\"").arg(colspan);
            if (rowspan > 1)
                spans += QStringLiteral(" rowspan=\"%1\"").arg(rowspan);
            m_out += QStringLiteral("<%1%2%3>%4</%1>").arg(tag, spans, cellAttributes(cell), escapedLines(cell.text));
        }

        void writeBlock(const ReportBlock& block, bool firstSection)
        {
            if (block.kind == BlockKind::CrossTabHeader) {
                writeCrossTabHeader(block);
                return;
            }
            if (block.kind == BlockKind::CrossTabRow) {
                if (m_table == TableState::None)
                    openTable(int(block.cells.size()), false);
                enter(TableState::Body);
                m_out += QStringLiteral("<tr>");
                for (const BlockCell& cell : block.cells)
                    writeCell(cell, false);
                m_out += QStringLiteral("</tr>\n");
                return;
            }
            if (block.kind == BlockKind::Title) {
                closeTable();
                bool first = true;
                for (const BlockCell& cell : block.cells) {
                    if (cell.text.trimmed().isEmpty())
                        continue;
                    if (first)
                        m_out += QStringLiteral("<%1>%2</%1>\n")
                                     .arg(firstSection ? QStringLiteral("h1") : QStringLiteral("h2"),
                                         escapedLines(cell.text));
                    else
                        m_out += QStringLiteral("<p class=\"sub\">%1</p>\n").arg(escapedLines(cell.text));
                    first = false;
                }
                return;
            }
            if (!block.images.empty() || !sideBySide(block)) {
                closeTable();
                writeParagraphs(block);
                for (const BlockImage& image : block.images)
                    writeFigure(image);
                return;
            }
            // A table row. A header band or a header row starts a table of its own; so does a row
            // of another width.
            const bool header = block.kind == BlockKind::Header || block.headerRow;
            const int columns = int(block.cells.size());
            if (m_table == TableState::None || columns != m_columns || (header && m_table == TableState::Body))
                openTable(columns, !header && columns == 2 && block.cells.front().bold);
            enter(header ? TableState::Head : TableState::Body);
            m_out += QStringLiteral("<tr>");
            const bool fields = columns == 2 && !header && block.cells.front().bold && !block.cells.back().bold;
            for (size_t c = 0; c < block.cells.size(); ++c)
                writeCell(block.cells[c], header || (fields && c == 0));
            m_out += QStringLiteral("</tr>\n");
        }

        void writeParagraphs(const ReportBlock& block)
        {
            bool first = true;
            for (const BlockCell& cell : block.cells) {
                if (cell.text.trimmed().isEmpty())
                    continue;
                const QString text = escapedLines(cell.text);
                if (cell.bold && block.cells.size() == 1)
                    m_out += QStringLiteral("<h3%1>%2</h3>\n").arg(cellAttributes(cell), text);
                else if (cell.bold && first)
                    m_out += QStringLiteral("<h4%1>%2</h4>\n").arg(cellAttributes(cell), text);
                else if (cell.bold)
                    m_out += QStringLiteral("<p%1><strong>%2</strong></p>\n").arg(cellAttributes(cell), text);
                else
                    m_out += QStringLiteral("<p%1>%2</p>\n").arg(cellAttributes(cell), text);
                first = false;
            }
        }

        void writeFigure(const BlockImage& picture)
        {
            const QByteArray png = picture.image ? picture.image->png() : QByteArray();
            if (png.isEmpty())
                return;
            const QSize pixels = picture.image->size();
            // As wide as it prints: its natural size, kept within its box.
            const double pixelMm = 25.4 / 96;
            QSizeF size(pixels.width() * pixelMm, pixels.height() * pixelMm);
            if (size.width() > picture.rectMm.width() || size.height() > picture.rectMm.height())
                size.scale(picture.rectMm.size(), Qt::KeepAspectRatio);
            const QString alt = picture.description.isEmpty() ? picture.objectName : picture.description;
            m_out += QStringLiteral("<figure><img src=\"data:image/png;base64,%1\" alt=\"%2\" width=\"%3\" "
                                    "height=\"%4\" style=\"width:%5mm\"/></figure>\n")
                         .arg(QString::fromLatin1(png.toBase64()), alt.toHtmlEscaped())
                         .arg(pixels.width())
                         .arg(pixels.height())
                         .arg(QString::number(size.width(), 'f', 1));
        }

        // A cross-tab's header block: upper headers over their columns, a blank upper header
        // leaving its lower one both rows.
        void writeCrossTabHeader(const ReportBlock& block)
        {
            std::vector<double> xs, tops;
            for (const BlockCell& cell : block.cells) {
                xs.push_back(cell.rectMm.left());
                xs.push_back(cell.rectMm.right());
                tops.push_back(cell.rectMm.top());
            }
            const std::vector<double> columns = edgesOf(xs);
            const std::vector<double> levels = edgesOf(tops);
            openTable(std::max(1, int(columns.size()) - 1), false);
            enter(TableState::Head);
            for (double level : levels) {
                std::vector<const BlockCell*> row;
                for (const BlockCell& cell : block.cells)
                    if (std::abs(cell.rectMm.top() - level) < 0.05)
                        row.push_back(&cell);
                std::sort(row.begin(), row.end(),
                    [](const BlockCell* a, const BlockCell* b) { return a->rectMm.left() < b->rectMm.left(); });
                m_out += QStringLiteral("<tr>");
                for (const BlockCell* cell : row)
                    writeCell(*cell, true, spanOf(columns, cell->rectMm.left(), cell->rectMm.right()),
                        spanOf(levels, cell->rectMm.top(), cell->rectMm.bottom()));
                m_out += QStringLiteral("</tr>\n");
            }
        }

        const PreparedReport& m_report;
        QString m_out;
        TableState m_table = TableState::None;
        int m_columns = 0;
    };
}

void exportHtml(const PreparedReport& report, const QString& fileName, const ExportInfo& info)
{
    writeFile(fileName, HtmlWriter(report).write(info).toUtf8());
}

} // namespace rpt
