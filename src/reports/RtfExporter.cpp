// The RTF writer: Qt has none. Each page becomes a section: its page header and footer bands the
// section's own header and footer (the page counter as fields), its body a flow of table rows (one
// per row of cells of a band), pictures as PNG and rules as paragraph borders; so word processors
// open it as an editable document with its tables and charts, and keep the running texts out of it.
#include "reports/FlowRows.h"
#include "reports/ReportError.h"
#include "reports/ReportExport.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <cmath>

namespace rpt {

namespace {
    int twips(double mm)
    {
        return int(std::lround(mm * 1440 / 25.4));
    }

    QByteArray escaped(const QString& text)
    {
        QByteArray out;
        out.reserve(text.size() + 8);
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u == '\\' || u == '{' || u == '}') {
                out += '\\';
                out += char(u);
            } else if (u == '\t') {
                out += "\\tab ";
            } else if (u >= 32 && u < 128) {
                out += char(u);
            } else if (u >= 128) {
                out += "\\u" + QByteArray::number(int(qint16(u))) + '?';
            }
        }
        return out;
    }

    class RtfWriter {
    public:
        explicit RtfWriter(const PreparedReport& report)
            : m_report(report)
        {
        }

        QByteArray write(const ExportInfo& info)
        {
            // Fonts and colours are numbered in order of first use.
            colorIndex(Qt::black);
            QByteArray body;
            double left = 1e9, top = 1e9, right = 0;
            for (const PreparedPage& page : m_report.pages())
                for (const PlacedBand& band : page.bands) {
                    for (size_t i = band.firstCommand; i < band.endCommand; ++i) {
                        const QRectF r = boundsOf(page.commands[i]);
                        left = std::min(left, r.left());
                        right = std::max(right, r.right());
                        top = std::min(top, r.top());
                    }
                }
            const QSizeF paper = m_report.isEmpty() ? QSizeF(210, 297) : m_report.page(0).paperMm;
            if (left > right) {
                left = 15;
                right = paper.width() - 5;
                top = 10;
            }
            m_left = std::max(0.0, left);
            const double marginRight = std::max(0.0, paper.width() - right - 0.5);
            const double marginTop = std::max(0.0, top - 0.5);

            m_marginRight = marginRight;
            m_marginTop = marginTop;
            for (int p = 0; p < m_report.pageCount(); ++p)
                writePage(body, p);

            QByteArray out = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1\n{\\fonttbl";
            for (qsizetype i = 0; i < m_fonts.size(); ++i)
                out += "{\\f" + QByteArray::number(i) + "\\fswiss\\fcharset204 " + escaped(m_fonts[i]) + ";}";
            if (m_fonts.isEmpty())
                out += "{\\f0\\fswiss\\fcharset204 Arial;}";
            out += "}\n{\\colortbl;";
            for (const QColor& color : m_colors)
                out += "\\red" + QByteArray::number(color.red()) + "\\green" + QByteArray::number(color.green())
                    + "\\blue" + QByteArray::number(color.blue()) + ';';
            out += "}\n{\\info{\\title " + escaped(info.title) + "}{\\doccomm " + escaped(info.creator) + "}}\n";
            out += "\\paperw" + QByteArray::number(twips(paper.width())) + "\\paperh"
                + QByteArray::number(twips(paper.height())) + "\\margl" + QByteArray::number(twips(m_left)) + "\\margr"
                + QByteArray::number(twips(marginRight)) + "\\margt" + QByteArray::number(twips(marginTop)) + "\\margb"
                + QByteArray::number(twips(3)) + "\\viewkind1\n";
            out += body;
            out += "\\pard\\plain\\fs2\\par\n}\n"; // a document must not end inside a table

            return out;
        }

    private:
        static QRectF boundsOf(const DrawCmd& command)
        {
            if (const auto* text = std::get_if<TextCmd>(&command))
                return text->rectMm;
            if (const auto* box = std::get_if<BoxCmd>(&command))
                return box->rectMm;
            if (const auto* image = std::get_if<ImageCmd>(&command))
                return image->clipMm;
            const auto& line = std::get<LineCmd>(command);
            return QRectF(line.lineMm.p1(), line.lineMm.p2()).normalized();
        }

        int fontIndex(const QString& family)
        {
            qsizetype index = m_fonts.indexOf(family);
            if (index < 0) {
                m_fonts.append(family);
                index = m_fonts.size() - 1;
            }
            return int(index);
        }

        int colorIndex(const QColor& color)
        {
            const QRgb key = color.rgb();
            auto found = m_colorIndex.constFind(key);
            if (found != m_colorIndex.constEnd())
                return *found;
            m_colors.append(color);
            const int index = int(m_colors.size()); // 0 is the automatic colour
            m_colorIndex.insert(key, index);
            return index;
        }

        QByteArray border(const char* side, const FrameStyle& frame, unsigned flag)
        {
            if (!(frame.sides & flag) || frame.widthMm <= 0)
                return QByteArray();
            return QByteArray("\\clbrdr") + side + "\\brdrs\\brdrw"
                + QByteArray::number(std::clamp(twips(frame.widthMm), 1, 75)) + "\\brdrcf"
                + QByteArray::number(colorIndex(frame.color));
        }

        // Opens the group of a text's font, size, style and colour; the caller closes it.
        void openRun(QByteArray& out, const TextCmd& text)
        {
            out += "{\\f" + QByteArray::number(fontIndex(text.font.family())) + "\\fs"
                + QByteArray::number(std::max(2, int(std::lround(text.font.pointSizeF() * 2))));
            if (text.font.bold())
                out += "\\b";
            if (text.font.italic())
                out += "\\i";
            if (text.font.underline())
                out += "\\ul";
            out += "\\cf" + QByteArray::number(colorIndex(text.color)) + ' ';
        }

        void writeText(QByteArray& out, const TextCmd& text, int pageIndex)
        {
            const Qt::Alignment a = text.alignment;
            out += (a & Qt::AlignHCenter) ? "\\qc" : (a & Qt::AlignRight) ? "\\qr" : "\\ql";
            openRun(out, text);
            for (qsizetype i = 0; i < text.lines.size(); ++i) {
                if (i > 0)
                    out += "\\line ";
                const QString line = text.pageTokens
                    ? PreparedReport::substituteTokens(text.lines[i], pageIndex, m_report.pageCount())
                    : text.lines[i];
                out += escaped(line);
            }
            out += '}';
        }

        void writeRow(QByteArray& out, const FlowItem& row, int pageIndex)
        {
            // Gaps between cells become empty cells without borders.
            std::vector<FlowCell> cells;
            double x = m_left;
            for (const FlowCell& cell : row.cells) {
                if (cell.rectMm.left() > x + 0.2)
                    cells.push_back(
                        FlowCell { QRectF(x, row.topMm, cell.rectMm.left() - x, row.heightMm), nullptr, {}, {} });
                cells.push_back(cell);
                x = std::max(x, cell.rectMm.right());
            }
            out += "\\trowd\\trgaph0\\trleft0\\trrh-" + QByteArray::number(std::max(twips(row.heightMm), 20)) + '\n';
            for (const FlowCell& cell : cells) {
                const Qt::Alignment a = cell.text ? cell.text->alignment : Qt::AlignTop;
                out += (a & Qt::AlignVCenter) ? "\\clvertalc" : (a & Qt::AlignBottom) ? "\\clvertalb" : "\\clvertalt";
                out += border("t", cell.frame, FrameTop) + border("l", cell.frame, FrameLeft)
                    + border("b", cell.frame, FrameBottom) + border("r", cell.frame, FrameRight);
                if (cell.fill.isValid())
                    out += "\\clcbpat" + QByteArray::number(colorIndex(cell.fill));
                const double padding = cell.text ? cell.text->paddingMm : 0;
                out += "\\clpadl" + QByteArray::number(twips(padding)) + "\\clpadfl3\\clpadr"
                    + QByteArray::number(twips(padding)) + "\\clpadfr3";
                out += "\\cellx" + QByteArray::number(twips(cell.rectMm.right() - m_left)) + '\n';
            }
            for (const FlowCell& cell : cells) {
                out += "\\pard\\plain\\intbl\\sb0\\sa0";
                if (cell.text)
                    writeText(out, *cell.text, pageIndex);
                out += "\\cell\n";
            }
            out += "\\row\n";
        }

        void writeImage(QByteArray& out, const ImageCmd& image)
        {
            if (!image.image)
                return;
            const QSize size = image.image->size();
            const QRectF shown = image.rectMm.intersected(image.clipMm);
            out += "{\\pard\\plain\\sb0\\sa0\\li" + QByteArray::number(twips(image.rectMm.left() - m_left))
                + "{\\pict\\pngblip\\picw" + QByteArray::number(size.width()) + "\\pich"
                + QByteArray::number(size.height()) + "\\picwgoal" + QByteArray::number(twips(shown.width()))
                + "\\pichgoal" + QByteArray::number(twips(shown.height())) + '\n';
            const QByteArray hex = image.image->png().toHex();
            for (qsizetype i = 0; i < hex.size(); i += 128) {
                out += hex.mid(i, 128);
                out += '\n';
            }
            out += "}\\par}\n";
        }

        void writeGap(QByteArray& out, double mm)
        {
            if (mm < 0.3)
                return;
            out += "{\\pard\\plain\\sb0\\sa0\\sl-" + QByteArray::number(twips(mm)) + "\\slmult0\\fs2\\par}\n";
        }

        static bool isRunning(const PlacedBand& band)
        {
            return band.kind == BlockKind::PageHeader || band.kind == BlockKind::PageFooter;
        }

        // A line of a running band: the page tokens become the word processor's own page fields.
        QByteArray runningLine(const QString& line, int pageIndex)
        {
            static const QRegularExpression tokens(
                QStringLiteral("\\[(Page#|TotalPages#)\\]"), QRegularExpression::CaseInsensitiveOption);
            QByteArray out;
            qsizetype pos = 0;
            for (auto it = tokens.globalMatch(line); it.hasNext();) {
                const QRegularExpressionMatch match = it.next();
                out += escaped(line.mid(pos, match.capturedStart() - pos));
                if (match.captured(1).compare(u"Page#", Qt::CaseInsensitive) == 0)
                    out += "{\\chpgn}";
                else
                    out += "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt " + QByteArray::number(m_report.pageCount())
                        + "}}";
                pos = match.capturedEnd();
            }
            Q_UNUSED(pageIndex);
            out += escaped(line.mid(pos));
            return out;
        }

        void writeRunningText(QByteArray& out, const TextCmd& text, int pageIndex)
        {
            openRun(out, text);
            for (qsizetype i = 0; i < text.lines.size(); ++i) {
                if (i > 0)
                    out += "\\line ";
                out += runningLine(text.lines[i], pageIndex);
            }
            out += '}';
        }

        // A page header or footer: each row of cells one paragraph, the cells after the first at
        // tab stops where their boxes align them; rules as paragraph borders.
        void writeRunning(QByteArray& out, const std::vector<FlowItem>& items, int pageIndex)
        {
            for (size_t n = 0; n < items.size(); ++n) {
                const FlowItem& item = items[n];
                if (item.kind == FlowItem::Kind::Rule) {
                    const QLineF& l = item.line->lineMm;
                    out += "\\pard\\plain\\sb0\\sa0\\sl-20\\slmult0\\fs2\\li"
                        + QByteArray::number(twips(std::min(l.x1(), l.x2()) - m_left)) + "\\brdrb\\brdrs\\brdrw"
                        + QByteArray::number(std::clamp(twips(item.line->widthMm), 1, 75)) + "\\brdrcf"
                        + QByteArray::number(colorIndex(item.line->color)) + "\\par\n";
                    continue;
                }
                if (item.kind != FlowItem::Kind::Row)
                    continue;
                std::vector<const FlowCell*> cells;
                for (const FlowCell& cell : item.cells)
                    if (cell.text)
                        cells.push_back(&cell);
                if (cells.empty())
                    continue;
                out += "\\pard\\plain\\sb0\\sa0";
                const auto alignOf = [](const FlowCell& cell) { return cell.text->alignment; };
                if (cells.size() == 1) {
                    const Qt::Alignment a = alignOf(*cells.front());
                    out += (a & Qt::AlignHCenter) ? "\\qc" : (a & Qt::AlignRight) ? "\\qr" : "\\ql";
                    out += "\\li" + QByteArray::number(twips(std::max(0.0, cells.front()->rectMm.left() - m_left)));
                } else {
                    out += "\\ql";
                    for (size_t c = 1; c < cells.size(); ++c) {
                        const QRectF& r = cells[c]->rectMm;
                        const Qt::Alignment a = alignOf(*cells[c]);
                        if (a & Qt::AlignRight)
                            out += "\\tqr\\tx" + QByteArray::number(twips(r.right() - m_left));
                        else if (a & Qt::AlignHCenter)
                            out += "\\tqc\\tx" + QByteArray::number(twips(r.center().x() - m_left));
                        else
                            out += "\\tx" + QByteArray::number(twips(r.left() - m_left));
                    }
                }
                out += ' ';
                for (size_t c = 0; c < cells.size(); ++c) {
                    if (c > 0)
                        out += "\\tab ";
                    writeRunningText(out, *cells[c]->text, pageIndex);
                }
                out += "\\par\n";
            }
        }

        void writePage(QByteArray& out, int pageIndex)
        {
            const PreparedPage& page = m_report.page(pageIndex);
            // The body lies between the page header's foot and the page footer's top.
            double bodyTop = m_marginTop, bodyBottom = page.paperMm.height() - 3;
            double headerTop = -1, footerBottom = -1;
            for (const PlacedBand& band : page.bands) {
                if (band.kind == BlockKind::PageHeader) {
                    headerTop = band.topMm;
                    bodyTop = std::max(bodyTop, band.topMm + band.heightMm);
                } else if (band.kind == BlockKind::PageFooter) {
                    footerBottom = band.topMm + band.heightMm;
                    bodyBottom = std::min(bodyBottom, band.topMm);
                }
            }
            if (pageIndex > 0)
                out += "\\pard\\plain\\sl-20\\slmult0\\fs2\\sect\n";
            out += "\\sectd\\sbkpage\\pgwsxn" + QByteArray::number(twips(page.paperMm.width())) + "\\pghsxn"
                + QByteArray::number(twips(page.paperMm.height())) + "\\marglsxn" + QByteArray::number(twips(m_left))
                + "\\margrsxn" + QByteArray::number(twips(m_marginRight)) + "\\margtsxn"
                + QByteArray::number(twips(bodyTop)) + "\\margbsxn"
                + QByteArray::number(twips(page.paperMm.height() - bodyBottom));
            if (headerTop >= 0)
                out += "\\headery" + QByteArray::number(twips(headerTop));
            if (footerBottom >= 0)
                out += "\\footery" + QByteArray::number(twips(std::max(0.0, page.paperMm.height() - footerBottom)));
            out += '\n';
            const auto running = [&](BlockKind kind) {
                return flowOf(page, [kind](const PlacedBand& band) { return band.kind == kind; });
            };
            if (headerTop >= 0) {
                out += "{\\header ";
                writeRunning(out, running(BlockKind::PageHeader), pageIndex);
                out += "}\n";
            }
            if (footerBottom >= 0) {
                out += "{\\footer ";
                writeRunning(out, running(BlockKind::PageFooter), pageIndex);
                out += "}\n";
            }
            double y = bodyTop;
            for (const FlowItem& item : flowOf(page, [](const PlacedBand& band) { return !isRunning(band); })) {
                writeGap(out, item.topMm - y);
                switch (item.kind) {
                case FlowItem::Kind::Row:
                    writeRow(out, item, pageIndex);
                    break;
                case FlowItem::Kind::Image:
                    writeImage(out, *item.image);
                    break;
                case FlowItem::Kind::Rule: {
                    const QLineF& l = item.line->lineMm;
                    out += "{\\pard\\plain\\sb0\\sa0\\sl-20\\slmult0\\fs2\\li"
                        + QByteArray::number(twips(std::min(l.x1(), l.x2()) - m_left)) + "\\brdrb\\brdrs\\brdrw"
                        + QByteArray::number(std::clamp(twips(item.line->widthMm), 1, 75)) + "\\brdrcf"
                        + QByteArray::number(colorIndex(item.line->color)) + "\\par}\n";
                    break;
                }
                }
                y = std::max(y, item.topMm + item.heightMm);
            }
        }

        const PreparedReport& m_report;
        QStringList m_fonts;
        QList<QColor> m_colors;
        QHash<QRgb, int> m_colorIndex;
        double m_left = 0;
        double m_marginRight = 0;
        double m_marginTop = 0;
    };
}

void exportRtf(const PreparedReport& report, const QString& fileName, const ExportInfo& info)
{
    const QByteArray bytes = RtfWriter(report).write(info);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ReportError(QStringLiteral("Не вдалося записати файл \"%1\": %2")
                              .arg(QDir::toNativeSeparators(fileName), file.errorString()));
}

} // namespace rpt
