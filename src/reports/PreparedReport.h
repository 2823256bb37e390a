#pragma once

#include "paint/ChartDrawing.h"
#include "reports/ReportObjects.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <memory>
#include <variant>
#include <vector>

// The laid-out report: pages of absolute drawing commands in millimetres from the paper's corner.
// Everything that shows or writes a report (preview, printer, PDF, HTML, RTF, text dump) reads
// only this, and never changes it.
namespace rpt {

// A picture of the report: a bitmap kept losslessly compressed, so that thousands of chart
// pictures fit in memory, or a chart drawing, which vector devices draw as it is. Shared between
// commands; the bitmap is decoded, or drawn from the drawing, on demand.
class StoredImage {
public:
    explicit StoredImage(const QImage& image);
    explicit StoredImage(std::shared_ptr<const ChartDrawing> drawing);
    QImage image() const; // decoded or drawn each time: callers draw it and let it go
    QSize size() const { return m_size; }
    QByteArray png() const; // the picture as a PNG file, for the exporters
    qsizetype storedBytes() const;
    const ChartDrawing* drawing() const { return m_drawing.get(); } // null for a bitmap

private:
    std::shared_ptr<const ChartDrawing> m_drawing;
    QSize m_size;
    QImage::Format m_format = QImage::Format_RGB32;
    QList<QRgb> m_colorTable; // indexed pictures
    QByteArray m_data;
};

// Text lines as measured when laid out; drawing never re-wraps them. Lines may hold the tokens
// [Page#] and [TotalPages#], replaced when drawn.
struct TextCmd {
    QRectF rectMm; // the memo's box; lines are placed inside it less the padding
    QFont font; // point size as designed
    QColor color = Qt::black;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    double paddingMm = 0;
    double lineHeightMm = 0;
    QStringList lines;
    bool pageTokens = false;
    QString objectName; // the template object it came from, for dumps and search
};

// A box with a fill and any sides of a frame.
struct BoxCmd {
    QRectF rectMm;
    QColor fill; // invalid: none
    FrameStyle frame;
};

struct LineCmd {
    QLineF lineMm;
    double widthMm = 0.2;
    QColor color = Qt::black;
};

struct ImageCmd {
    QRectF rectMm; // where the whole picture goes (after fitting)
    QRectF clipMm; // the object's box; nothing is drawn outside it
    std::shared_ptr<const StoredImage> image;
    QString objectName;
};

using DrawCmd = std::variant<TextCmd, BoxCmd, LineCmd, ImageCmd>;

// What a band instance is, for the writers that rebuild a document from the pages.
enum class BlockKind { PageHeader, PageFooter, Title, Header, Data, Footer, Summary, CrossTabHeader, CrossTabRow };

// Where one band instance landed: its commands are commands[firstCommand, endCommand). Exporters
// that flow (RTF, ODT) rebuild table rows from these.
struct PlacedBand {
    BlockKind kind = BlockKind::Data; // the page header and footer are told apart by this
    double topMm = 0;
    double heightMm = 0;
    size_t firstCommand = 0;
    size_t endCommand = 0;
};

// The report as a document, beside its pages: each band instance once, in the order it was laid
// out, with its memos as cells in order; the HTML writer builds headings and tables from these
// rather than from positions.

struct BlockCell {
    QString text; // as filled, line breaks kept; page tokens unreplaced
    QRectF rectMm; // within the band
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft;
    QColor color = Qt::black;
    QString objectName;
    bool pageTokens = false;
};

struct BlockImage {
    std::shared_ptr<const StoredImage> image;
    QRectF rectMm; // within the band
    QString objectName;
    QString description; // what the picture shows, for a reader that cannot see it
};

struct ReportBlock {
    BlockKind kind = BlockKind::Data;
    int section = 0; // which laid-out template, from 0
    QString bandName;
    bool headerRow = false; // one of a data band's own header rows
    std::vector<BlockCell> cells;
    std::vector<BlockImage> images;
};

struct PreparedPage {
    QSizeF paperMm { 210, 297 };
    std::vector<DrawCmd> commands; // in drawing order
    std::vector<PlacedBand> bands; // in placing order (the page footer last)
};

class PreparedReport {
public:
    int pageCount() const { return int(m_pages.size()); }
    const PreparedPage& page(int index) const { return m_pages.at(size_t(index)); }
    const std::vector<PreparedPage>& pages() const { return m_pages; }
    bool isEmpty() const { return m_pages.empty(); }

    // Notes on what did not fit or was not answered (a cut text, an unknown variable, a line
    // taller than a page); the report is still shown, after the notes.
    const QStringList& warnings() const { return m_warnings; }
    // The notes as one message: each distinct note once, in the order they came, the first
    // `shown` of them and how many more; empty when there are none.
    QString warningsMessage(int shown = 10) const;

    // The text of line with its page tokens replaced: pages count from 1 over the whole report.
    static QString substituteTokens(const QString& line, int pageIndex, int pageCount);
    // The indexes of the pages whose text contains what, ignoring case.
    std::vector<int> findText(const QString& what) const;

    const std::vector<ReportBlock>& blocks() const { return m_blocks; }
    int sectionCount() const { return m_sections; }

    // For the layout engine.
    void clear();
    int beginSection() { return m_sections++; }
    void addBlock(ReportBlock block) { m_blocks.push_back(std::move(block)); }
    PreparedPage& addPage(QSizeF paperMm);
    PreparedPage& lastPage() { return m_pages.back(); }
    void addWarning(const QString& text) { m_warnings.append(text); }
    double lastPageCursorMm = 0; // where the last page's free space begins
    double lastPageBodyBottomMm = 0; // and ends

    // Undoing a section that failed half-way.
    struct Mark {
        size_t pages = 0;
        size_t lastPageCommands = 0;
        size_t lastPageBands = 0;
        qsizetype warnings = 0;
        size_t blocks = 0;
        int sections = 0;
        double cursorMm = 0;
        double bodyBottomMm = 0;
    };
    Mark mark() const;
    void rollback(const Mark& mark);

private:
    std::vector<PreparedPage> m_pages;
    QStringList m_warnings;
    std::vector<ReportBlock> m_blocks;
    int m_sections = 0;
};

} // namespace rpt
