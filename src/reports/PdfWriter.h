#pragma once

#include "reports/PreparedReport.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace rpt {

struct PdfInfo {
    QString title;
    QString creator;
};

// Writes a prepared report as PDF straight from its page commands, without a painter: text as
// glyph runs (one positioning step per line, not per glyph) in subset-embedded TrueType fonts
// with a ToUnicode map, boxes and lines as paths, chart pictures replayed as their fills and
// labels, bitmaps as lossless images. It places every glyph where the page renderer does on a
// 1200 DPI PDF device, whose output stays the reference it is compared with.
//
// Returns false only when the device fails to take the bytes.
bool writePdf(const PreparedReport& report, QIODevice& out, const PdfInfo& info);

} // namespace rpt
