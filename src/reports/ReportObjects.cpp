#include "reports/ReportObjects.h"

#include "paint/ChartCanvas.h"

#include <cmath>

namespace rpt {

namespace {
    constexpr double PixelsPerMm = 96.0 / 25.4; // report pixels
}

std::vector<QLineF> FrameSideLines(const QRectF& r, unsigned sides)
{
    std::vector<QLineF> lines;
    if (sides & FrameLeft)
        lines.emplace_back(r.topLeft(), r.bottomLeft());
    if (sides & FrameTop)
        lines.emplace_back(r.topLeft(), r.topRight());
    if (sides & FrameRight)
        lines.emplace_back(r.topRight(), r.bottomRight());
    if (sides & FrameBottom)
        lines.emplace_back(r.bottomLeft(), r.bottomRight());
    return lines;
}

int PictureObject::widthPx() const
{
    return int(std::lround(rectMm().width() * PixelsPerMm));
}

int PictureObject::heightPx() const
{
    return int(std::lround(rectMm().height() * PixelsPerMm));
}

int PictureObject::textWidthPx(const QString& text) const
{
    return ChartCanvas::ChartFontMetrics().horizontalAdvance(text);
}

void CrossTabObject::addCell(const QString& row, const QString& upper, const QString& lower, const QString& value)
{
    int rowIndex = m_rowIndex.value(row, -1);
    if (rowIndex < 0) {
        rowIndex = int(m_rows.size());
        m_rowIndex.insert(row, rowIndex);
        m_rows.append(row);
        m_cells.emplace_back(m_columns.size());
    }

    int groupIndex = m_upperIndex.value(upper, -1);
    if (groupIndex < 0) {
        groupIndex = int(m_groups.size());
        m_upperIndex.insert(upper, groupIndex);
        m_groups.emplace_back();
    }
    int column = -1;
    for (int c : m_groups[size_t(groupIndex)]) {
        if (m_columns[size_t(c)].lower == lower) {
            column = c;
            break;
        }
    }
    if (column < 0) {
        // Columns are kept in display order: a new lower header goes right after its group's last
        // column, so indexes of later groups shift by one.
        size_t position = m_columns.size();
        for (size_t g = size_t(groupIndex) + 1; g < m_groups.size(); ++g) {
            if (!m_groups[g].empty()) {
                position = size_t(m_groups[g].front());
                break;
            }
        }
        m_columns.insert(m_columns.begin() + qsizetype(position), CrossTabColumn { upper, lower });
        for (auto& group : m_groups)
            for (int& c : group)
                if (size_t(c) >= position)
                    ++c;
        m_groups[size_t(groupIndex)].push_back(int(position));
        for (auto& cells : m_cells)
            cells.insert(cells.begin() + qsizetype(position), QString());
        column = int(position);
    }
    m_cells[size_t(rowIndex)][size_t(column)] = value;
}

void CrossTabObject::clearCells()
{
    m_rows.clear();
    m_columns.clear();
    m_cells.clear();
    m_rowIndex.clear();
    m_upperIndex.clear();
    m_groups.clear();
}

QString CrossTabObject::cell(int row, int column) const
{
    if (row < 0 || size_t(row) >= m_cells.size() || column < 0 || size_t(column) >= m_columns.size())
        return QString();
    return m_cells[size_t(row)][size_t(column)];
}

void Band::addObject(std::unique_ptr<ReportObject> object)
{
    object->setBand(this);
    m_objects.push_back(std::move(object));
}

} // namespace rpt
