#include "ui/DetailsWindow.h"

#include "model/GroupRecord.h"
#include "model/MeasurementDocument.h"
#include "ui/Hints.h"
#include "ui/ScreenCentre.h"

#include <QAbstractTableModel>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <utility>

// The rows of one details grid: row 0 of the presentation is the header, the rest the criteria.
class DetailsGridModel : public QAbstractTableModel {
public:
    enum Columns { CriterionColumn, TypeColumn, PointsColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void SetRows(std::vector<DetailsRow> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() || m_rows.empty() ? 0 : int(m_rows.size()) - 1;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : ColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return QVariant();
        return cell(m_rows[size_t(index.row()) + 1], index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || m_rows.empty())
            return QVariant();
        return cell(m_rows.front(), section);
    }

private:
    static QString cell(const DetailsRow& row, int column)
    {
        switch (column) {
        case CriterionColumn:
            return row.Criterion;
        case TypeColumn:
            return row.Type;
        case PointsColumn:
            return row.Points;
        default:
            return QString();
        }
    }

    std::vector<DetailsRow> m_rows;
};

namespace {

constexpr int Margin = 8;
constexpr int RowHeight = 24;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int TitleAllowance = 40; // the window manager's title bar and frame

QTableView* makeGrid(DetailsGridModel* model, const QString& name, QWidget* parent)
{
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setModel(model);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid->horizontalHeader()->setFixedHeight(RowHeight);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // The columns keep their fixed widths; a condensed face of the window's font lets the
    // criteria texts and their types show whole, and a long list of points with their dates
    // wraps onto more lines of its row.
    QFont font = grid->font();
    font.setStretch(QFont::Condensed);
    grid->setFont(font);
    grid->horizontalHeader()->setFont(font);
    return grid;
}

} // namespace

TFDet::TFDet(Hints& hints, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_hints(hints)
{
    setObjectName(QStringLiteral("FDet"));
    setWindowTitle(DetailsWindowDefaultCaption);
    m_westgardModel = new DetailsGridModel(this);
    m_isoModel = new DetailsGridModel(this);
    m_westgardGrid = makeGrid(m_westgardModel, QStringLiteral("StringGrid1"), this);
    m_isoGrid = makeGrid(m_isoModel, QStringLiteral("StringGrid3"), this);
    m_closeButton = new QPushButton(DetailsCloseCaption, this);
    m_closeButton->setObjectName(QStringLiteral("Button1"));
    m_closeButton->setDefault(true);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    SetResults(WestgardDetailsRows({}), IsoDetailsRows({}));
    Prepare(CriteriaFamily::Westgard, QString(), 2);
    setWindowTitle(DetailsWindowDefaultCaption);
}

TFDet::~TFDet() = default;

void TFDet::SetResults(const std::vector<DetailsRow>& westgard, const std::vector<DetailsRow>& iso)
{
    m_westgardModel->SetRows(westgard);
    m_isoModel->SetRows(iso);
}

void TFDet::SetHits(const TSlotHits& hits, const MeasurementDocument& doc, int slot)
{
    const HitNotes notes = DocumentHitNotes(doc, slot);
    SetResults(DetailsGridRows(CriteriaFamily::Westgard, hits.Westgard, doc.PointDates(), notes),
        DetailsGridRows(CriteriaFamily::Iso, hits.Iso, doc.PointDates(), notes));
}

void TFDet::Prepare(CriteriaFamily family, const QString& pageCaption, int pageIndex)
{
    const DetailsWindowLayout layout = DetailsWindowFor(family, pageCaption, pageIndex);
    setWindowTitle(layout.Caption);
    m_hintKey = layout.HintKey;

    QTableView* shown = family == CriteriaFamily::Westgard ? m_westgardGrid : m_isoGrid;
    QTableView* hidden = shown == m_westgardGrid ? m_isoGrid : m_westgardGrid;
    hidden->hide();
    int width = 2 * shown->frameWidth();
    for (int column = 0; column < int(layout.ColumnWidths.size()); ++column) {
        shown->setColumnWidth(column, layout.ColumnWidths[size_t(column)]);
        width += layout.ColumnWidths[size_t(column)];
    }
    // A row whose points (with their dates) do not fit wraps onto more lines, and the window grows
    // until every row shows at once; only beyond the screen's height does the grid scroll.
    const QFontMetrics metrics(shown->font());
    const QAbstractItemModel& model = *shown->model();
    int rowsHeight = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        int height = RowHeight;
        for (int column = 0; column < model.columnCount(); ++column) {
            const QString text = model.index(row, column).data().toString();
            const int width = shown->columnWidth(column) - Margin; // the cell's own padding
            if (metrics.horizontalAdvance(text) <= width)
                continue;
            const QRect wrapped = metrics.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, text);
            height = std::max(height, wrapped.height() + Margin);
        }
        shown->setRowHeight(row, height);
        rowsHeight += height;
    }
    const int height = std::max(layout.RowCount * RowHeight, RowHeight + rowsHeight) + 2 * shown->frameWidth();
    int clientHeight = std::max(layout.ClientHeight, height + 3 * Margin + ButtonHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        clientHeight = std::min(
            clientHeight, std::max(layout.ClientHeight, screen->availableGeometry().height() - TitleAllowance));
    setFixedSize(layout.ClientWidth, clientHeight);
    const int buttonTop = clientHeight - Margin - ButtonHeight;
    shown->setGeometry(
        Margin, Margin, std::min(width, layout.ClientWidth - 2 * Margin), std::min(height, buttonTop - 2 * Margin));
    shown->show();
    m_closeButton->setGeometry(layout.ClientWidth - Margin - ButtonWidth, buttonTop, ButtonWidth, ButtonHeight);
}

void TFDet::ShowDetails(CriteriaFamily family, const QString& pageCaption, int pageIndex)
{
    Prepare(family, pageCaption, pageIndex);
    exec();
}

bool TFDet::event(QEvent* event)
{
    // Once per showing, from the current example's hint file: not again when the hint closes over it.
    if (event->type() == QEvent::Show)
        m_hintDue = true;
    if (event->type() == QEvent::WindowActivate && std::exchange(m_hintDue, false) && !m_hintKey.isEmpty())
        m_hints.ShowExampleHint(m_hintKey);
    return QDialog::event(event);
}

void TFDet::showEvent(QShowEvent* event)
{
    CentreOnScreen(*this);
    QDialog::showEvent(event);
}
