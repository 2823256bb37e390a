#include "reports/LayoutEngine.h"

#include "reports/ReportError.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <optional>

namespace rpt {

namespace {
    constexpr double Epsilon = 1e-6;
    constexpr double ReportPixelMm = 25.4 / 96;

    void translate(DrawCmd& command, QPointF offset)
    {
        std::visit(
            [offset](auto& c) {
                using T = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<T, LineCmd>)
                    c.lineMm.translate(offset);
                else if constexpr (std::is_same_v<T, ImageCmd>) {
                    c.rectMm.translate(offset);
                    c.clipMm.translate(offset);
                } else
                    c.rectMm.translate(offset);
            },
            command);
    }

    bool isReserved(const QString& name)
    {
        return name.compare(u"Page#", Qt::CaseInsensitive) == 0
            || name.compare(u"TotalPages#", Qt::CaseInsensitive) == 0;
    }

    struct SplitInstance {
        LayoutEngine::Instance head;
        LayoutEngine::Instance tail;
        bool headHasText = false;
    };

    // Cuts a band instance at cut (mm from its top): what lies above stays in the head, the rest
    // moves up into the tail. A text is cut between its lines, and both pieces read from their
    // top; boxes, pictures and lines are cut at the edge. Boxes and texts that reached the
    // instance's foot (stretch="max" cells) reach the tail's, so table frames stay even.
    SplitInstance splitAt(const LayoutEngine::Instance& instance, double cut)
    {
        SplitInstance split;
        split.head.heightMm = cut;
        const double restHeight = instance.heightMm - cut;
        double tailHeight = restHeight;
        struct Grown {
            QRectF rect; // the piece's box before it grew
            double height;
        };
        std::vector<Grown> grown;
        const auto below = [cut](QRectF rect) { return QRectF(rect.left(), 0, rect.width(), rect.bottom() - cut); };
        const auto moved = [cut](const auto& command) {
            DrawCmd copy = command;
            translate(copy, QPointF(0, -cut));
            return copy;
        };
        auto& head = split.head.commands;
        auto& tail = split.tail.commands;
        for (const DrawCmd& command : instance.commands) {
            if (const auto* text = std::get_if<TextCmd>(&command)) {
                const QRectF rect = text->rectMm;
                if (rect.bottom() <= cut + Epsilon) {
                    head.emplace_back(*text);
                    split.headHasText = split.headHasText || !text->lines.isEmpty();
                } else if (rect.top() >= cut - Epsilon) {
                    tail.emplace_back(moved(*text));
                } else {
                    const double lineHeight = std::max(text->lineHeightMm, 0.1);
                    const qsizetype fitting = std::clamp<qsizetype>(
                        qsizetype(std::floor((cut - rect.top() - 2 * text->paddingMm + Epsilon) / lineHeight)), 0,
                        text->lines.size());
                    const Qt::Alignment fromTop = (text->alignment & ~Qt::AlignVertical_Mask) | Qt::AlignTop;
                    if (fitting > 0) {
                        TextCmd piece = *text;
                        piece.alignment = fromTop;
                        piece.rectMm.setBottom(cut);
                        piece.lines = text->lines.mid(0, fitting);
                        head.emplace_back(std::move(piece));
                        split.headHasText = true;
                    }
                    if (fitting < text->lines.size()) {
                        TextCmd piece = *text;
                        piece.alignment = fromTop;
                        piece.lines = text->lines.mid(fitting);
                        piece.rectMm = below(rect);
                        const double needed = double(piece.lines.size()) * lineHeight + 2 * text->paddingMm;
                        if (needed > piece.rectMm.height() + Epsilon) {
                            grown.push_back({ piece.rectMm, needed });
                            piece.rectMm.setHeight(needed);
                            tailHeight = std::max(tailHeight, needed);
                        }
                        tail.emplace_back(std::move(piece));
                    }
                }
            } else if (const auto* box = std::get_if<BoxCmd>(&command)) {
                const QRectF rect = box->rectMm;
                if (rect.bottom() <= cut + Epsilon) {
                    head.emplace_back(*box);
                } else if (rect.top() >= cut - Epsilon) {
                    tail.emplace_back(moved(*box));
                } else {
                    BoxCmd upper = *box;
                    upper.rectMm.setBottom(cut);
                    head.emplace_back(upper);
                    BoxCmd lower = *box;
                    lower.rectMm = below(rect);
                    tail.emplace_back(lower);
                }
            } else if (const auto* image = std::get_if<ImageCmd>(&command)) {
                const QRectF clip = image->clipMm;
                if (clip.bottom() <= cut + Epsilon) {
                    head.emplace_back(*image);
                } else if (clip.top() >= cut - Epsilon) {
                    tail.emplace_back(moved(*image));
                } else {
                    ImageCmd upper = *image;
                    upper.clipMm.setBottom(cut);
                    if (upper.rectMm.intersects(upper.clipMm))
                        head.emplace_back(upper);
                    ImageCmd lower = std::get<ImageCmd>(moved(*image));
                    lower.clipMm = below(clip);
                    if (lower.rectMm.intersects(lower.clipMm))
                        tail.emplace_back(lower);
                }
            } else if (const auto* line = std::get_if<LineCmd>(&command)) {
                const QLineF l = line->lineMm;
                const double top = std::min(l.y1(), l.y2());
                const double bottom = std::max(l.y1(), l.y2());
                if (bottom <= cut + Epsilon) {
                    head.emplace_back(*line);
                } else if (top >= cut - Epsilon) {
                    tail.emplace_back(moved(*line));
                } else {
                    const QPointF crossing = l.pointAt((cut - l.y1()) / (l.y2() - l.y1()));
                    const QPointF upperEnd = l.y1() < l.y2() ? l.p1() : l.p2();
                    const QPointF lowerEnd = l.y1() < l.y2() ? l.p2() : l.p1();
                    LineCmd upper = *line;
                    upper.lineMm = QLineF(upperEnd, crossing);
                    head.emplace_back(upper);
                    LineCmd lower = *line;
                    lower.lineMm = QLineF(crossing, lowerEnd).translated(0, -cut);
                    tail.emplace_back(lower);
                }
            }
        }
        for (DrawCmd& command : tail) {
            QRectF* rect = nullptr;
            if (auto* box = std::get_if<BoxCmd>(&command)) {
                rect = &box->rectMm;
                for (const Grown& g : grown) {
                    if (std::abs(rect->left() - g.rect.left()) < Epsilon
                        && std::abs(rect->width() - g.rect.width()) < Epsilon
                        && std::abs(rect->top() - g.rect.top()) < Epsilon
                        && std::abs(rect->height() - g.rect.height()) < Epsilon)
                        rect->setHeight(std::max(rect->height(), g.height));
                }
            } else if (auto* text = std::get_if<TextCmd>(&command)) {
                rect = &text->rectMm;
            }
            if (rect && std::abs(rect->bottom() - restHeight) < Epsilon)
                rect->setBottom(tailHeight);
        }
        split.tail.heightMm = tailHeight;
        return split;
    }

    // The least room in which a split of the instance starts with a line of text.
    double firstPieceMm(const LayoutEngine::Instance& instance)
    {
        double least = instance.heightMm;
        for (const DrawCmd& command : instance.commands) {
            if (const auto* text = std::get_if<TextCmd>(&command); text && !text->lines.isEmpty())
                least = std::min(least, text->rectMm.top() + 2 * text->paddingMm + text->lineHeightMm);
        }
        return least;
    }
}

LayoutEngine::LayoutEngine(ReportTemplate& templ, const Callbacks& callbacks, PreparedReport& report)
    : m_template(templ)
    , m_callbacks(callbacks)
    , m_report(report)
{
}

QString LayoutEngine::expand(const QString& text, const std::function<QString(const QString&)>& value, bool& pageTokens)
{
    QString result;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), pos);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0)
            break; // an unmatched bracket stays as written
        // "[a [Name]": the innermost bracket opens the name.
        const qsizetype inner = text.lastIndexOf(QLatin1Char('['), close);
        result += QStringView(text).mid(pos, inner - pos);
        const QString name = text.mid(inner + 1, close - inner - 1);
        if (name.trimmed().isEmpty()) {
            result += QStringView(text).mid(inner, close - inner + 1);
        } else if (isReserved(name)) {
            pageTokens = true;
            result += QStringView(text).mid(inner, close - inner + 1);
        } else {
            result += value(name.trimmed());
        }
        pos = close + 1;
    }
    result += QStringView(text).mid(pos);
    return result;
}

QFont LayoutEngine::fontOf(const FontStyle& style) const
{
    const PageDef& page = m_template.page;
    return TextMeasurer::makeFont(style.family.isEmpty() ? page.fontFamily : style.family,
        style.sizePt > 0 ? style.sizePt : page.fontSizePt, style.bold, style.italic, style.underline);
}

namespace {
    BlockKind blockKindOf(BandType type)
    {
        switch (type) {
        case BandType::PageHeader:
            return BlockKind::PageHeader;
        case BandType::PageFooter:
            return BlockKind::PageFooter;
        case BandType::Title:
            return BlockKind::Title;
        case BandType::Header:
            return BlockKind::Header;
        case BandType::Footer:
            return BlockKind::Footer;
        case BandType::Summary:
            return BlockKind::Summary;
        case BandType::Data:
            break;
        }
        return BlockKind::Data;
    }
}

LayoutEngine::Instance LayoutEngine::fill(Band& band)
{
    Instance instance;
    instance.block.kind = blockKindOf(band.type);
    instance.block.section = m_section;
    instance.block.bandName = band.name();
    double bottom = 0; // the lowest object

    struct PendingMemo {
        const MemoObject* memo;
        QRectF rect;
        TextCmd text;
        MeasuredText measured;
        bool empty;
    };
    std::vector<PendingMemo> memos;
    std::vector<DrawCmd> others; // pictures and lines, drawn after the memos' boxes

    for (const auto& owned : band.objects()) {
        ReportObject& object = *owned;
        if (object.kind() == ObjectKind::CrossTab)
            static_cast<CrossTabObject&>(object).clearCells();
        if (m_callbacks.beforePrint)
            m_callbacks.beforePrint(object);

        switch (object.kind()) {
        case ObjectKind::Memo: {
            const auto& memo = static_cast<const MemoObject&>(object);
            PendingMemo pending { &memo, memo.rectMm(), TextCmd {}, MeasuredText {}, false };
            bool tokens = false;
            const QString text = expand(memo.text(), m_callbacks.value, tokens);
            TextCmd& cmd = pending.text;
            cmd.font = fontOf(memo.font);
            cmd.color = memo.fontColor(); // after the callbacks: a value may recolour its memo
            cmd.alignment = memo.alignment;
            cmd.paddingMm = memo.paddingMm;
            cmd.pageTokens = tokens;
            cmd.objectName = memo.name();
            const double innerWidth = pending.rect.width() - 2 * memo.paddingMm;
            pending.measured = m_measurer.measure(text, cmd.font, innerWidth, memo.wordWrap);
            cmd.lineHeightMm = pending.measured.lineHeightMm;
            // Lines keep their tokens; a token is wider than the number it stands for, so they fit.
            cmd.lines
                = tokens ? m_measurer.measure(text, cmd.font, innerWidth, memo.wordWrap).lines : pending.measured.lines;
            pending.empty = text.isEmpty();
            instance.block.cells.push_back(
                BlockCell { text, QRectF(), memo.font.bold, memo.alignment, cmd.color, memo.name(), tokens });
            if (memo.stretch != Stretch::None && !tokens && !pending.empty) {
                const double needed = pending.measured.heightMm + 2 * memo.paddingMm;
                pending.rect.setHeight(std::max(pending.rect.height(), needed));
            }
            bottom = std::max(bottom, pending.rect.bottom());
            memos.push_back(std::move(pending));
            break;
        }
        case ObjectKind::Picture: {
            const auto& picture = static_cast<const PictureObject&>(object);
            const QRectF box = picture.rectMm();
            const QSize pictureSize = picture.pictureSize();
            if (!pictureSize.isEmpty()) {
                ImageCmd cmd;
                cmd.clipMm = box;
                cmd.objectName = picture.name();
                cmd.image = picture.drawing() ? std::make_shared<const StoredImage>(picture.drawing())
                                              : std::make_shared<const StoredImage>(picture.image());
                const QSizeF natural(pictureSize.width() * ReportPixelMm, pictureSize.height() * ReportPixelMm);
                QSizeF size = natural;
                if (picture.fit == PictureFit::Stretch)
                    size = box.size();
                else if (picture.fit == PictureFit::KeepAspect && natural.width() > 0 && natural.height() > 0)
                    size = natural.scaled(box.size(), Qt::KeepAspectRatio);
                double x = box.left();
                if (picture.alignment & Qt::AlignHCenter)
                    x += (box.width() - size.width()) / 2;
                else if (picture.alignment & Qt::AlignRight)
                    x += box.width() - size.width();
                cmd.rectMm = QRectF(QPointF(x, box.top()), size);
                instance.block.images.push_back(BlockImage { cmd.image, box, picture.name(), picture.description });
                others.emplace_back(std::move(cmd));
            }
            if (picture.frame.sides != NoFrame)
                others.emplace_back(BoxCmd { box, QColor(), picture.frame });
            bottom = std::max(bottom, box.bottom());
            break;
        }
        case ObjectKind::Line: {
            const auto& line = static_cast<const LineObject&>(object);
            others.emplace_back(LineCmd { QLineF(line.from, line.to), line.widthMm, line.color });
            bottom = std::max(bottom, std::max(line.from.y(), line.to.y()));
            break;
        }
        case ObjectKind::CrossTab:
            instance.crossTab = static_cast<const CrossTabObject*>(&object);
            break;
        case ObjectKind::Band:
            break;
        }
    }
    // With a cross-tab the band holds what stands above it; the table follows in rows of its own.
    instance.heightMm
        = instance.crossTab ? std::max(bottom, instance.crossTab->rectMm().top()) : std::max(bottom, band.heightMm);

    for (size_t m = 0; m < memos.size(); ++m) {
        PendingMemo& pending = memos[m];
        const MemoObject& memo = *pending.memo;
        if (memo.stretch == Stretch::Max && !pending.text.pageTokens)
            pending.rect.setBottom(std::max(pending.rect.bottom(), instance.heightMm));
        if (pending.rect.bottom() > instance.heightMm + Epsilon && instance.crossTab)
            pending.rect.setBottom(instance.heightMm);
        instance.block.cells[m].rectMm = pending.rect;
        if (memo.fill.isValid() || memo.frame.sides != NoFrame)
            instance.commands.emplace_back(BoxCmd { pending.rect, memo.fill, memo.frame });
        if (pending.empty)
            continue;
        TextCmd& cmd = pending.text;
        cmd.rectMm = pending.rect;
        // A box too small for its text prints the lines that fit (at least one).
        const double room = pending.rect.height() - 2 * memo.paddingMm;
        const int fitting = std::max(1, int(std::floor((room + 0.05) / std::max(cmd.lineHeightMm, 0.1))));
        if (cmd.lines.size() > fitting) {
            cmd.lines.resize(fitting);
            m_report.addWarning(QStringLiteral("Текст об'єкта \"%1\" не вміщується у %2")
                                    .arg(memo.name(), QDir::toNativeSeparators(m_template.fileName)));
        }
        instance.commands.emplace_back(std::move(cmd));
    }
    for (DrawCmd& command : others)
        instance.commands.push_back(std::move(command));
    return instance;
}

void LayoutEngine::append(Instance& instance, double topMm)
{
    PreparedPage& page = m_report.lastPage();
    PlacedBand placed { instance.block.kind, topMm, instance.heightMm, page.commands.size(), 0 };
    const QPointF offset(m_template.page.marginLeftMm, topMm);
    for (DrawCmd& command : instance.commands) {
        translate(command, offset);
        page.commands.push_back(std::move(command));
    }
    placed.endCommand = page.commands.size();
    if (placed.endCommand > placed.firstCommand)
        page.bands.push_back(placed);
}

void LayoutEngine::newPage()
{
    const PageDef& page = m_template.page;
    m_report.addPage(page.paperMm);
    m_y = page.marginTopMm;
    m_bodyBottom = page.paperMm.height() - page.marginBottomMm - (m_pageFooter ? m_pageFooter->heightMm : 0);
    m_pageHasBody = false;
    m_footerPending = true;
    if (m_pageHeader) {
        Instance header = fill(*m_pageHeader);
        if (!m_pageHeaderRecorded) {
            m_pageHeaderRecorded = true;
            m_report.addBlock(header.block);
        }
        append(header, m_y);
        m_y += header.heightMm;
        m_pageHeaderMm = header.heightMm;
    }
    for (const Instance& running : m_runningHeaders) {
        Instance copy = running;
        append(copy, m_y);
        m_y += copy.heightMm;
    }
}

void LayoutEngine::finishPage()
{
    if (m_report.isEmpty())
        return;
    if (m_footerPending && m_pageFooter) {
        const PageDef& page = m_template.page;
        Instance footer = fill(*m_pageFooter);
        if (!m_pageFooterRecorded) {
            m_pageFooterRecorded = true;
            m_report.addBlock(footer.block);
        }
        const double top = page.paperMm.height() - page.marginBottomMm - m_pageFooter->heightMm;
        append(footer, top);
    }
    m_footerPending = false;
    m_report.lastPageCursorMm = m_y;
    m_report.lastPageBodyBottomMm = m_bodyBottom;
}

double LayoutEngine::freshBodyMm() const
{
    const PageDef& page = m_template.page;
    double top = page.marginTopMm + m_pageHeaderMm;
    for (const Instance& running : m_runningHeaders)
        top += running.heightMm;
    return page.paperMm.height() - page.marginBottomMm - (m_pageFooter ? m_pageFooter->heightMm : 0) - top;
}

void LayoutEngine::place(Instance instance, const QString& bandName)
{
    if (!instance.block.cells.empty() || !instance.block.images.empty())
        m_report.addBlock(instance.block);
    // A band that fits a page moves whole to the next one; a taller one starts here and continues
    // on the next pages, cut between the lines of its texts.
    const bool fitsAPage = instance.heightMm <= freshBodyMm() + Epsilon;
    if (instance.heightMm > m_bodyBottom - m_y + Epsilon && m_pageHasBody && fitsAPage) {
        finishPage();
        newPage();
    }
    while (instance.heightMm > m_bodyBottom - m_y + Epsilon) {
        const double room = std::max(m_bodyBottom - m_y, 0.0);
        SplitInstance split = splitAt(instance, room);
        if (!split.headHasText && m_pageHasBody) {
            finishPage(); // not even a line fits below what the page holds
            newPage();
            continue;
        }
        if (room <= Epsilon || split.tail.heightMm >= instance.heightMm - Epsilon) {
            // Nothing moves on (a line taller than a page body): keep what fits, never loop.
            m_report.addWarning(QStringLiteral("Смуга \"%1\" вища за сторінку і обрізана (%2)")
                                    .arg(bandName, QDir::toNativeSeparators(m_template.fileName)));
            instance = std::move(split.head);
            break;
        }
        append(split.head, m_y);
        m_y += room;
        m_pageHasBody = true;
        finishPage();
        newPage();
        instance = std::move(split.tail);
    }
    append(instance, m_y);
    m_y += instance.heightMm;
    m_pageHasBody = true;
}

void LayoutEngine::runDataBand(Band& band, const std::vector<Band*>& headers, const std::vector<Band*>& footers)
{
    UserDataSet* dataSet = nullptr;
    if (!band.dataSetName.isEmpty()) {
        dataSet = m_callbacks.dataSet(band.dataSetName);
        if (!dataSet)
            throw ReportError(QStringLiteral("Невідомий набір даних \"%1\"").arg(band.dataSetName));
        dataSet->first();
    }
    const int rows = dataSet ? dataSet->rowCount() : band.rowCount();
    if (rows == 0)
        return;
    if (band.startNewPage && m_pageHasBody) {
        finishPage();
        newPage();
    }

    // Headers are filled once; they stay with the first row, and the repeating ones come back on
    // every page the band continues on. So do the band's own header rows, which keep the row
    // after them on their page.
    std::vector<Instance> headerInstances;
    for (Band* header : headers)
        headerInstances.push_back(fill(*header));
    const int leadRows = std::min(rows, band.headerRows + 1);
    std::vector<Instance> lead;
    for (int row = 0; row < leadRows; ++row) {
        lead.push_back(fill(band));
        if (dataSet)
            dataSet->next();
    }
    double keep = 0;
    for (const Instance& header : headerInstances)
        keep += header.heightMm;
    for (size_t row = 0; row < lead.size(); ++row) {
        // A last row taller than a page only needs its first line here.
        const bool splits = row + 1 == lead.size() && lead[row].heightMm > freshBodyMm() - keep + Epsilon;
        keep += splits ? firstPieceMm(lead[row]) : lead[row].heightMm;
    }
    if (keep > m_bodyBottom - m_y + Epsilon && m_pageHasBody) {
        finishPage();
        newPage();
    }

    const size_t runningBefore = m_runningHeaders.size();
    const auto placeRow = [&](Instance instance, bool running) {
        const CrossTabObject* crossTab = instance.crossTab;
        std::optional<Instance> copy;
        instance.block.headerRow = running;
        if (running)
            copy = instance;
        place(std::move(instance), band.name());
        if (crossTab)
            placeCrossTab(*crossTab, crossTab->rectMm().left());
        if (copy) // after placing it: a page break while it is placed must not print it twice
            m_runningHeaders.push_back(std::move(*copy));
    };
    for (size_t h = 0; h < headerInstances.size(); ++h) {
        std::optional<Instance> copy;
        if (headers[h]->repeatOnNewPage)
            copy = headerInstances[h];
        place(std::move(headerInstances[h]), headers[h]->name());
        if (copy)
            m_runningHeaders.push_back(std::move(*copy));
    }
    for (int row = 0; row < leadRows; ++row)
        placeRow(std::move(lead[size_t(row)]), row < band.headerRows);
    for (int row = leadRows; row < rows; ++row) {
        placeRow(fill(band), false);
        if (dataSet)
            dataSet->next();
    }
    m_runningHeaders.resize(runningBefore);
    for (Band* footer : footers)
        place(fill(*footer), footer->name());
}

void LayoutEngine::placeCrossTab(const CrossTabObject& crossTab, double xMm)
{
    const QStringList& rows = crossTab.rows();
    const std::vector<CrossTabColumn>& columns = crossTab.columns();
    if (rows.isEmpty() && columns.empty())
        return;

    const QFont font = fontOf(crossTab.font);
    QFont headerFont = font;
    headerFont.setBold(true);
    const double pad = crossTab.paddingMm;
    const double minWidth = crossTab.minColumnWidthMm;
    const double maxWidth = crossTab.maxColumnWidthMm;
    const auto clampWidth = [](double width, double low, double high) { return std::max(low, std::min(width, high)); };

    // Widths: the widest text of a column (its lower header and its values), clamped.
    std::vector<double> widths(columns.size());
    for (size_t c = 0; c < columns.size(); ++c) {
        double widest = m_measurer.measure(columns[c].lower, headerFont, 1e6, false).widthMm;
        for (int r = 0; r < rows.size(); ++r)
            widest = std::max(widest, m_measurer.textWidthMm(crossTab.cell(r, int(c)), font));
        widths[c] = clampWidth(widest + 2 * pad, minWidth, maxWidth);
    }
    double rowHeaderWidth = m_measurer.measure(crossTab.rowHeaderTitle, headerFont, 1e6, false).widthMm;
    for (const QString& row : rows)
        rowHeaderWidth = std::max(rowHeaderWidth, m_measurer.textWidthMm(row, font));
    rowHeaderWidth = clampWidth(rowHeaderWidth + 2 * pad, minWidth, std::max(minWidth, crossTab.maxRowHeaderWidthMm));

    const double totalWidth
        = crossTab.rectMm().width() > 0 ? crossTab.rectMm().width() : m_template.page.bodyWidthMm() - xMm;
    const double room = std::max(totalWidth - rowHeaderWidth, minWidth);
    for (double& width : widths)
        width = std::min(width, room);

    // Column groups: runs of one upper header. An upper header wider than its columns widens them.
    struct Group {
        size_t first, last; // columns, last excluded
    };
    std::vector<Group> groups;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (groups.empty() || columns[groups.back().first].upper != columns[c].upper)
            groups.push_back(Group { c, c + 1 });
        else
            groups.back().last = c + 1;
    }
    const auto spanWidth = [&](size_t first, size_t last) {
        double sum = 0;
        for (size_t c = first; c < last; ++c)
            sum += widths[c];
        return sum;
    };
    for (const Group& group : groups) {
        const QString& upper = columns[group.first].upper;
        if (upper.trimmed().isEmpty())
            continue;
        const double needed = std::min(m_measurer.textWidthMm(upper, headerFont) + 2 * pad, room);
        const double have = spanWidth(group.first, group.last);
        if (needed > have) {
            const double extra = (needed - have) / double(group.last - group.first);
            for (size_t c = group.first; c < group.last; ++c)
                widths[c] += extra;
        }
    }

    // Chunks of columns that fit beside the row headers; a group stays whole unless it alone is too wide.
    std::vector<std::pair<size_t, size_t>> chunks;
    double used = 0;
    const auto add = [&](size_t first, size_t last, double width) {
        if (chunks.empty() || used + width > room + Epsilon) {
            chunks.emplace_back(first, last);
            used = width;
        } else {
            chunks.back().second = last;
            used += width;
        }
    };
    for (const Group& group : groups) {
        const double width = spanWidth(group.first, group.last);
        if (width <= room + Epsilon)
            add(group.first, group.last, width);
        else
            for (size_t c = group.first; c < group.last; ++c)
                add(c, c + 1, widths[c]);
    }
    if (chunks.empty())
        chunks.emplace_back(0, 0); // row headers only

    const FrameStyle frame { FrameAll, crossTab.frame.widthMm, crossTab.frame.color };
    const double lineHeight = m_measurer.lineHeightMm(font);
    const auto cellHeight = [&](const QString& text, const QFont& cellFont, double width) {
        const MeasuredText measured = m_measurer.measure(text, cellFont, width - 2 * pad, true);
        return std::max(measured.heightMm, lineHeight) + 2 * pad;
    };
    const auto addCell = [&](Instance& instance, const QRectF& rect, const QString& text, const QFont& cellFont,
                             Qt::Alignment alignment, const QColor& fill) {
        instance.block.cells.push_back(
            BlockCell { text, rect, cellFont.bold(), alignment, Qt::black, crossTab.name(), false });
        instance.commands.emplace_back(BoxCmd { rect, fill, frame });
        if (text.isEmpty())
            return;
        TextCmd cmd;
        cmd.rectMm = rect;
        cmd.font = cellFont;
        cmd.alignment = alignment;
        cmd.paddingMm = pad;
        const MeasuredText measured = m_measurer.measure(text, cellFont, rect.width() - 2 * pad, true);
        cmd.lineHeightMm = measured.lineHeightMm;
        cmd.lines = measured.lines;
        cmd.objectName = crossTab.name();
        instance.commands.emplace_back(std::move(cmd));
    };
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;

    for (size_t chunk = 0; chunk < chunks.size(); ++chunk) {
        const auto [first, last] = chunks[chunk];
        if (chunk > 0 && m_pageHasBody) // a little air between the pieces of one table
            m_y = std::min(m_y + 3, m_bodyBottom);
        // The header block: upper headers over their columns; a blank upper header lets its
        // lower header take both rows.
        double upperHeight = 0, lowerHeight = 0;
        for (const Group& group : groups) {
            const size_t from = std::max(group.first, first), to = std::min(group.last, last);
            if (from >= to)
                continue;
            const QString& upper = columns[from].upper;
            if (!upper.trimmed().isEmpty())
                upperHeight = std::max(upperHeight, cellHeight(upper, headerFont, spanWidth(from, to)));
        }
        for (size_t c = first; c < last; ++c)
            lowerHeight = std::max(lowerHeight, cellHeight(columns[c].lower, headerFont, widths[c]));
        const double headerHeight = upperHeight + lowerHeight;

        Instance header;
        header.heightMm = headerHeight;
        header.block = ReportBlock { BlockKind::CrossTabHeader, m_section, crossTab.name(), true, {}, {} };
        addCell(header, QRectF(xMm, 0, rowHeaderWidth, headerHeight), crossTab.rowHeaderTitle, headerFont, centred,
            crossTab.headerFill);
        double x = xMm + rowHeaderWidth;
        for (const Group& group : groups) {
            const size_t from = std::max(group.first, first), to = std::min(group.last, last);
            if (from >= to)
                continue;
            const QString& upper = columns[from].upper;
            const bool blank = upper.trimmed().isEmpty();
            if (!blank)
                addCell(header, QRectF(x, 0, spanWidth(from, to), upperHeight), upper, headerFont, centred,
                    crossTab.headerFill);
            for (size_t c = from; c < to; ++c) {
                const QRectF rect
                    = blank ? QRectF(x, 0, widths[c], headerHeight) : QRectF(x, upperHeight, widths[c], lowerHeight);
                addCell(header, rect, columns[c].lower, headerFont, centred, crossTab.headerFill);
                x += widths[c];
            }
        }

        std::vector<Instance> rowInstances;
        rowInstances.reserve(size_t(rows.size()));
        for (int r = 0; r < rows.size(); ++r) {
            double height = cellHeight(rows[r], font, rowHeaderWidth);
            for (size_t c = first; c < last; ++c)
                height = std::max(height, cellHeight(crossTab.cell(r, int(c)), font, widths[c]));
            Instance row;
            row.heightMm = height;
            row.block = ReportBlock { BlockKind::CrossTabRow, m_section, crossTab.name(), false, {}, {} };
            addCell(
                row, QRectF(xMm, 0, rowHeaderWidth, height), rows[r], font, Qt::AlignLeft | Qt::AlignVCenter, QColor());
            double cx = xMm + rowHeaderWidth;
            for (size_t c = first; c < last; ++c) {
                addCell(row, QRectF(cx, 0, widths[c], height), crossTab.cell(r, int(c)), font, centred, QColor());
                cx += widths[c];
            }
            rowInstances.push_back(std::move(row));
        }

        // The header stays with the first row, and comes back on every page the chunk continues on.
        const double firstRow = rowInstances.empty() ? 0 : rowInstances.front().heightMm;
        if (headerHeight + firstRow > m_bodyBottom - m_y + Epsilon && m_pageHasBody) {
            finishPage();
            newPage();
        }
        if (crossTab.repeatHeaders)
            m_runningHeaders.push_back(header);
        place(std::move(header), crossTab.name());
        for (Instance& row : rowInstances)
            place(std::move(row), crossTab.name());
        if (crossTab.repeatHeaders)
            m_runningHeaders.pop_back();
    }
}

void LayoutEngine::run()
{
    const PageDef& page = m_template.page;
    const auto& bands = m_template.bands();
    m_pageHeader = nullptr;
    m_pageFooter = nullptr;
    m_pageHeaderMm = 0;
    m_section = m_report.beginSection();
    m_pageHeaderRecorded = false;
    m_pageFooterRecorded = false;
    for (const auto& band : bands) {
        if (band->type == BandType::PageHeader)
            m_pageHeader = band.get();
        else if (band->type == BandType::PageFooter)
            m_pageFooter = band.get();
    }
    if (m_pageHeader)
        m_pageHeaderMm = m_pageHeader->heightMm; // until a page of this template has placed it

    // Headers and footers belong to the data band they name, else to the next (header) or the
    // previous (footer) data band.
    std::vector<std::vector<Band*>> headers(bands.size()), footers(bands.size());
    std::vector<bool> attached(bands.size(), false);
    auto indexOf = [&](const QString& name) -> int {
        for (size_t i = 0; i < bands.size(); ++i)
            if (bands[i]->type == BandType::Data
                && ReportTemplate::foldName(bands[i]->name()) == ReportTemplate::foldName(name))
                return int(i);
        return -1;
    };
    for (size_t i = 0; i < bands.size(); ++i) {
        const Band& band = *bands[i];
        if (band.type != BandType::Header && band.type != BandType::Footer)
            continue;
        int target = -1;
        if (!band.forBand.isEmpty()) {
            target = indexOf(band.forBand);
            if (target < 0)
                throw ReportError(QStringLiteral("Смуга \"%1\" посилається на невідому смугу даних \"%2\" (%3)")
                                      .arg(band.name(), band.forBand, QDir::toNativeSeparators(m_template.fileName)));
        } else if (band.type == BandType::Header) {
            for (size_t j = i + 1; j < bands.size() && target < 0; ++j)
                if (bands[j]->type == BandType::Data)
                    target = int(j);
        } else {
            for (size_t j = i; j-- > 0 && target < 0;)
                if (bands[j]->type == BandType::Data)
                    target = int(j);
        }
        if (target >= 0) {
            (band.type == BandType::Header ? headers : footers)[size_t(target)].push_back(bands[i].get());
            attached[i] = true;
        }
    }

    if (page.printOnPreviousPage && !m_report.isEmpty()) {
        m_y = m_report.lastPageCursorMm;
        m_bodyBottom = std::min(m_report.lastPageBodyBottomMm,
            page.paperMm.height() - page.marginBottomMm - (m_pageFooter ? m_pageFooter->heightMm : 0));
        m_pageHasBody = true;
        m_footerPending = false;
    } else {
        newPage();
    }

    for (size_t i = 0; i < bands.size(); ++i) {
        Band& band = *bands[i];
        switch (band.type) {
        case BandType::PageHeader:
        case BandType::PageFooter:
            break;
        case BandType::Header:
        case BandType::Footer:
            if (!attached[i]) // a header without data band prints once where it stands
                place(fill(band), band.name());
            break;
        case BandType::Title:
        case BandType::Summary: {
            if (band.startNewPage && m_pageHasBody) {
                finishPage();
                newPage();
            }
            Instance instance = fill(band);
            const CrossTabObject* crossTab = instance.crossTab;
            place(std::move(instance), band.name());
            if (crossTab)
                placeCrossTab(*crossTab, crossTab->rectMm().left());
            break;
        }
        case BandType::Data:
            runDataBand(band, headers[i], footers[i]);
            break;
        }
    }
    finishPage();
}

} // namespace rpt
