#pragma once

#include "reports/PreparedReport.h"

#include <functional>
#include <vector>

// A prepared page seen as a flow of table rows, pictures and rules, top to bottom: what the
// editable formats (RTF, ODT) need, since they place content in a flow rather than at positions.
namespace rpt {

struct FlowCell {
    QRectF rectMm;
    const TextCmd* text = nullptr; // null: an empty cell
    FrameStyle frame;
    QColor fill;
};

struct FlowItem {
    enum class Kind { Row, Image, Rule };
    Kind kind = Kind::Row;
    double topMm = 0;
    double heightMm = 0;
    std::vector<FlowCell> cells; // rows: left to right, not overlapping
    const ImageCmd* image = nullptr;
    const LineCmd* line = nullptr;
};

// Items of one page in order of their tops; with take, only those of the bands it takes.
std::vector<FlowItem> flowOf(const PreparedPage& page);
std::vector<FlowItem> flowOf(const PreparedPage& page, const std::function<bool(const PlacedBand&)>& take);

} // namespace rpt
