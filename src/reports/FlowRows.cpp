#include "reports/FlowRows.h"

#include <algorithm>
#include <cmath>

namespace rpt {

namespace {
    constexpr double SameTop = 0.3; // millimetres: cells whose tops differ less share a row

    bool sameRect(const QRectF& a, const QRectF& b)
    {
        return std::abs(a.x() - b.x()) < 0.01 && std::abs(a.y() - b.y()) < 0.01
            && std::abs(a.width() - b.width()) < 0.01 && std::abs(a.height() - b.height()) < 0.01;
    }

    void addCells(std::vector<FlowItem>& items, std::vector<FlowCell> cells)
    {
        std::stable_sort(cells.begin(), cells.end(),
            [](const FlowCell& a, const FlowCell& b) { return a.rectMm.top() < b.rectMm.top(); });
        std::vector<FlowItem> rows;
        for (FlowCell& cell : cells) {
            // The first row that starts at the cell's top and has room for it.
            FlowItem* target = nullptr;
            for (FlowItem& row : rows) {
                if (std::abs(row.topMm - cell.rectMm.top()) > SameTop)
                    continue;
                const bool overlaps = std::any_of(row.cells.begin(), row.cells.end(), [&](const FlowCell& other) {
                    return cell.rectMm.left() < other.rectMm.right() - 0.01
                        && other.rectMm.left() < cell.rectMm.right() - 0.01;
                });
                if (!overlaps) {
                    target = &row;
                    break;
                }
            }
            if (!target) {
                rows.emplace_back();
                target = &rows.back();
                target->topMm = cell.rectMm.top();
            }
            target->heightMm = std::max(target->heightMm, cell.rectMm.bottom() - target->topMm);
            target->cells.push_back(cell);
        }
        for (FlowItem& row : rows) {
            std::sort(row.cells.begin(), row.cells.end(),
                [](const FlowCell& a, const FlowCell& b) { return a.rectMm.left() < b.rectMm.left(); });
            items.push_back(std::move(row));
        }
    }
}

std::vector<FlowItem> flowOf(const PreparedPage& page)
{
    return flowOf(page, {});
}

std::vector<FlowItem> flowOf(const PreparedPage& page, const std::function<bool(const PlacedBand&)>& take)
{
    std::vector<FlowItem> items;
    auto handle = [&](size_t first, size_t end) {
        std::vector<FlowCell> cells;
        std::vector<QRectF> pictures; // a picture's frame belongs to the picture, not to a row
        for (size_t i = first; i < end; ++i)
            if (const auto* image = std::get_if<ImageCmd>(&page.commands[i]))
                pictures.push_back(image->clipMm);
        for (size_t i = first; i < end; ++i) {
            const DrawCmd& command = page.commands[i];
            if (const auto* box = std::get_if<BoxCmd>(&command)) {
                if (std::none_of(
                        pictures.begin(), pictures.end(), [&](const QRectF& r) { return sameRect(r, box->rectMm); }))
                    cells.push_back(FlowCell { box->rectMm, nullptr, box->frame, box->fill });
            } else if (const auto* text = std::get_if<TextCmd>(&command)) {
                // A memo's box comes just before its text, with the same rectangle.
                if (!cells.empty() && !cells.back().text && sameRect(cells.back().rectMm, text->rectMm))
                    cells.back().text = text;
                else
                    cells.push_back(FlowCell { text->rectMm, text, FrameStyle {}, QColor() });
            } else if (const auto* image = std::get_if<ImageCmd>(&command)) {
                FlowItem item;
                item.kind = FlowItem::Kind::Image;
                item.topMm = image->clipMm.top();
                item.heightMm = image->clipMm.height();
                item.image = image;
                items.push_back(item);
            } else if (const auto* line = std::get_if<LineCmd>(&command)) {
                if (std::abs(line->lineMm.dy()) > 0.01)
                    continue; // vertical rules have no place in a flow
                FlowItem item;
                item.kind = FlowItem::Kind::Rule;
                item.topMm = line->lineMm.y1();
                item.line = line;
                items.push_back(item);
            }
        }
        addCells(items, std::move(cells));
    };
    for (const PlacedBand& band : page.bands)
        if (!take || take(band))
            handle(band.firstCommand, band.endCommand);
    if (page.bands.empty())
        handle(0, page.commands.size());
    std::stable_sort(
        items.begin(), items.end(), [](const FlowItem& a, const FlowItem& b) { return a.topMm < b.topMm; });
    return items;
}

} // namespace rpt
