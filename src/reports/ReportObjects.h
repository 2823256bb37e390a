#pragma once

#include "paint/ChartDrawing.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The objects of a loaded report template. Lengths are millimetres, font sizes points, positions
// relative to the band that holds the object. Pointers to them stay valid until the next template
// is loaded.
namespace rpt {

class Band;

enum class ObjectKind { Band, Memo, Picture, Line, CrossTab };

// The sides of a frame, any combination.
enum FrameSide : unsigned { NoFrame = 0, FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8, FrameAll = 15 };

struct FrameStyle {
    unsigned sides = NoFrame; // FrameSide flags
    double widthMm = 0.2;
    QColor color = Qt::black;
};

// The sides of rect that a frame of some sides draws, as lines (left, top, right, bottom).
std::vector<QLineF> FrameSideLines(const QRectF& rect, unsigned sides);

struct FontStyle {
    QString family; // empty: the page's font
    double sizePt = 0; // 0: the page's size
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

class ReportObject {
public:
    virtual ~ReportObject() = default;
    ReportObject(const ReportObject&) = delete;
    ReportObject& operator=(const ReportObject&) = delete;

    ObjectKind kind() const { return m_kind; }
    const QString& name() const { return m_name; }
    QRectF rectMm() const { return m_rect; } // relative to the band; a band's is its design area
    Band* band() const { return m_band; } // the band holding the object; null for a band

    void setName(const QString& name) { m_name = name; }
    void setRectMm(const QRectF& rect) { m_rect = rect; }
    void setBand(Band* band) { m_band = band; }

protected:
    explicit ReportObject(ObjectKind kind)
        : m_kind(kind)
    {
    }

private:
    ObjectKind m_kind;
    QString m_name;
    QRectF m_rect;
    Band* m_band = nullptr;
};

enum class Stretch {
    None, // keeps its design height; text that does not fit is cut
    Actual, // as tall as its text
    Max // as tall as the band instance, so the frames of a table row stay even
};

// A text box. Its text may hold [Name] placeholders that the value callback answers while the
// band is filled; [Page#] and [TotalPages#] count the whole prepared report, [Date] is the date.
class MemoObject final : public ReportObject {
public:
    MemoObject()
        : ReportObject(ObjectKind::Memo)
    {
    }

    const QString& text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }

    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color) { m_fontColor = color; } // read after the text is expanded

    FontStyle font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap = true;
    Stretch stretch = Stretch::None;
    FrameStyle frame;
    QColor fill; // invalid: transparent
    double paddingMm = 0.5;

private:
    QString m_text;
    QColor m_fontColor = Qt::black;
};

enum class PictureFit {
    Stretch, // fills the box, aspect ignored
    KeepAspect, // as large as fits, aspect kept
    Clip // 96 report pixels per inch, cut at the box
};

// A bitmap box. The program gives it its picture in report pixels (96 per inch); the picture in
// force when the fill reaches the object is the one printed.
class PictureObject final : public ReportObject {
public:
    PictureObject()
        : ReportObject(ObjectKind::Picture)
    {
    }

    const QImage& image() const { return m_image; }
    void setImage(const QImage& image)
    {
        m_image = image;
        m_drawing.reset();
    }
    // A vector picture instead of a bitmap: drawn as vectors on the PDF and the printer.
    const std::shared_ptr<const ChartDrawing>& drawing() const { return m_drawing; }
    void setDrawing(std::shared_ptr<const ChartDrawing> drawing)
    {
        m_drawing = drawing && !drawing->IsNull() ? std::move(drawing) : nullptr;
        m_image = QImage();
    }
    // The picture's size in report pixels, whichever form it has; empty when there is none.
    QSize pictureSize() const { return m_drawing ? m_drawing->Size() : m_image.size(); }

    int widthPx() const; // the box's width in report pixels, rounded
    int heightPx() const;
    // The width of text on the picture's canvas: the chart font on a 96 DPI bitmap, as the charts
    // drawn into the picture measure it.
    int textWidthPx(const QString& text) const;

    PictureFit fit = PictureFit::KeepAspect;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    FrameStyle frame;
    QString description; // what the picture shows, in words (an HTML page's alt text)

private:
    QImage m_image;
    std::shared_ptr<const ChartDrawing> m_drawing;
};

class LineObject final : public ReportObject {
public:
    LineObject()
        : ReportObject(ObjectKind::Line)
    {
    }

    QPointF from; // relative to the band, millimetres
    QPointF to;
    double widthMm = 0.2;
    QColor color = Qt::black;
};

// One column of a cross-tab: an upper header shared by a group of columns and its own lower header.
struct CrossTabColumn {
    QString upper;
    QString lower;
};

// A table filled cell by cell by the program (usually from the before-print callback). Rows are
// the distinct row headers in the order first added; columns are grouped under the distinct
// upper headers in the order first added, each group's lower headers in the order added. Headers
// are compared exactly, blanks included, and never sorted. The cells are cleared just before the
// before-print callback of the object is called.
class CrossTabObject final : public ReportObject {
public:
    CrossTabObject()
        : ReportObject(ObjectKind::CrossTab)
    {
    }

    void addCell(const QString& row, const QString& upper, const QString& lower, const QString& value);
    void clearCells();

    const QStringList& rows() const { return m_rows; }
    const std::vector<CrossTabColumn>& columns() const { return m_columns; } // grouped by upper header
    QString cell(int row, int column) const; // empty where nothing was added

    FontStyle font;
    double paddingMm = 0.6;
    double minColumnWidthMm = 8;
    double maxColumnWidthMm = 30;
    double maxRowHeaderWidthMm = 45;
    QString rowHeaderTitle; // the corner cell
    bool repeatHeaders = true; // the header rows again on every page
    FrameStyle frame { FrameAll, 0.2, Qt::black };
    QColor headerFill; // invalid: none

private:
    QStringList m_rows;
    std::vector<CrossTabColumn> m_columns;
    std::vector<std::vector<QString>> m_cells; // [row][column]
    QHash<QString, int> m_rowIndex;
    QHash<QString, int> m_upperIndex; // upper header -> index of its group in m_groups
    std::vector<std::vector<int>> m_groups; // column indexes of each upper group, in order added
    friend class CrossTabLayouter;
};

enum class BandType {
    PageHeader, // at the top of every page
    Title, // once, at the start of the template's pages
    Header, // before the first row of its data band; again on every new page when repeatOnNewPage
    Data, // once per row of its data set, or rowCount times
    Footer, // after the last row of its data band
    Summary, // once, at the end
    PageFooter // at the bottom of every page
};

class Band final : public ReportObject {
public:
    Band()
        : ReportObject(ObjectKind::Band)
    {
    }

    BandType type = BandType::Data;
    double heightMm = 0;
    QString dataSetName; // data bands: the user data set that counts the rows; empty: rowCount
    QString forBand; // header and footer bands: the name of their data band
    bool repeatOnNewPage = false; // header bands
    bool startNewPage = false; // begins a new page before its first instance
    // Data bands: the first rows are the table's own header (a grid whose row 0 names its
    // columns); they stay with the row after them and come back on every page the band continues on.
    int headerRows = 0;

    // Rows of a data band without a data set (1 unless the template or the program says so);
    // 0 prints nothing, not even the band's header and footer.
    int rowCount() const { return m_rowCount; }
    void setRowCount(int count) { m_rowCount = count < 0 ? 0 : count; }

    const std::vector<std::unique_ptr<ReportObject>>& objects() const { return m_objects; }
    void addObject(std::unique_ptr<ReportObject> object);

private:
    int m_rowCount = 1;
    std::vector<std::unique_ptr<ReportObject>> m_objects; // in document order = fill order
};

} // namespace rpt
