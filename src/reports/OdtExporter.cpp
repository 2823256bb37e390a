// OpenDocument text through Qt's own writer: the same flow of rows, pictures and rules as the RTF.
#include "reports/FlowRows.h"
#include "reports/ReportError.h"
#include "reports/ReportExport.h"

#include <QDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextTable>
#include <QUrl>

namespace rpt {

namespace {
    constexpr double PointsPerMm = 72 / 25.4;

    void writeCellText(QTextCursor& cursor, const TextCmd& text, int pageIndex, int pageCount)
    {
        QTextBlockFormat block;
        const Qt::Alignment a = text.alignment;
        block.setAlignment((a & Qt::AlignHCenter) ? Qt::AlignHCenter
                : (a & Qt::AlignRight)            ? Qt::AlignRight
                                                  : Qt::AlignLeft);
        cursor.setBlockFormat(block);
        QTextCharFormat chars;
        chars.setFont(text.font);
        chars.setForeground(text.color);
        for (qsizetype i = 0; i < text.lines.size(); ++i) {
            if (i > 0)
                cursor.insertText(QString(QChar::LineSeparator), chars);
            cursor.insertText(
                text.pageTokens ? PreparedReport::substituteTokens(text.lines[i], pageIndex, pageCount) : text.lines[i],
                chars);
        }
    }
}

void exportOdt(const PreparedReport& report, const QString& fileName, const ExportInfo& info)
{
    QTextDocument document;
    document.setMetaInformation(QTextDocument::DocumentTitle, info.title);
    QTextCursor cursor(&document);
    int imageNumber = 0;
    double left = 15;
    for (int p = 0; p < report.pageCount(); ++p) {
        double y = -1;
        bool firstOnPage = true;
        for (const FlowItem& item : flowOf(report.page(p))) {
            QTextBlockFormat block;
            if (firstOnPage && p > 0)
                block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            if (y >= 0 && item.topMm - y > 0.5)
                block.setTopMargin((item.topMm - y) * PointsPerMm);
            firstOnPage = false;
            if (item.kind == FlowItem::Kind::Row) {
                cursor.insertBlock(block);
                QTextTableFormat format;
                format.setBorder(0);
                format.setCellSpacing(0);
                format.setCellPadding(0);
                format.setBorderCollapse(true);
                format.setLeftMargin(std::max(0.0, item.cells.front().rectMm.left() - left) * PointsPerMm);
                QList<QTextLength> widths;
                for (const FlowCell& cell : item.cells)
                    widths.append(QTextLength(QTextLength::FixedLength, cell.rectMm.width() * PointsPerMm));
                format.setColumnWidthConstraints(widths);
                QTextTable* table = cursor.insertTable(1, int(item.cells.size()), format);
                for (int c = 0; c < int(item.cells.size()); ++c) {
                    const FlowCell& cell = item.cells[size_t(c)];
                    QTextTableCell tableCell = table->cellAt(0, c);
                    QTextTableCellFormat cellFormat;
                    const double border = cell.frame.widthMm * PointsPerMm;
                    const QBrush brush(cell.frame.color);
                    cellFormat.setLeftBorder(cell.frame.sides & FrameLeft ? border : 0);
                    cellFormat.setTopBorder(cell.frame.sides & FrameTop ? border : 0);
                    cellFormat.setRightBorder(cell.frame.sides & FrameRight ? border : 0);
                    cellFormat.setBottomBorder(cell.frame.sides & FrameBottom ? border : 0);
                    cellFormat.setBorderBrush(brush);
                    cellFormat.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
                    if (cell.fill.isValid())
                        cellFormat.setBackground(cell.fill);
                    const double padding = (cell.text ? cell.text->paddingMm : 0) * PointsPerMm;
                    cellFormat.setPadding(padding);
                    tableCell.setFormat(cellFormat);
                    if (cell.text) {
                        QTextCursor cellCursor = tableCell.firstCursorPosition();
                        writeCellText(cellCursor, *cell.text, p, report.pageCount());
                    }
                }
                cursor.movePosition(QTextCursor::End);
            } else if (item.kind == FlowItem::Kind::Image) {
                cursor.insertBlock(block);
                const QString name = QStringLiteral("picture%1.png").arg(++imageNumber);
                document.addResource(QTextDocument::ImageResource, QUrl(name), item.image->image->image());
                QTextImageFormat image;
                image.setName(name);
                const QRectF shown = item.image->rectMm.intersected(item.image->clipMm);
                image.setWidth(shown.width() * PointsPerMm);
                image.setHeight(shown.height() * PointsPerMm);
                cursor.insertImage(image);
            } else {
                block.setBottomMargin(0);
                cursor.insertBlock(block);
                cursor.insertHtml(QStringLiteral("<hr/>"));
            }
            y = item.topMm + item.heightMm;
        }
    }
    QTextDocumentWriter writer(fileName, "ODF");
    if (!writer.write(&document))
        throw ReportError(QStringLiteral("Не вдалося записати файл \"%1\"").arg(QDir::toNativeSeparators(fileName)));
}

} // namespace rpt
