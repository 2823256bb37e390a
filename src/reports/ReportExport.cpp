#include "reports/ReportExport.h"

#include "reports/PageRenderer.h"
#include "reports/ReportError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>

namespace rpt {

namespace {
    [[noreturn]] void failWrite(const QString& fileName, const QString& reason = QString())
    {
        QString text = QStringLiteral("Не вдалося записати файл \"%1\"").arg(QDir::toNativeSeparators(fileName));
        if (!reason.isEmpty())
            text += QStringLiteral(": ") + reason;
        throw ReportError(text);
    }

    // Writes through a temporary file, so a failed export never leaves half a file behind.
    void writeFile(const QString& fileName, const QByteArray& bytes)
    {
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly))
            failWrite(fileName, file.errorString());
        if (file.write(bytes) != bytes.size() || !file.commit())
            failWrite(fileName, file.errorString());
    }

    QString mm(double value)
    {
        return QString::number(value, 'f', 1);
    }

    QPageSize pageSizeOf(QSizeF paperMm)
    {
        const QPageSize a4(QPageSize::A4);
        if (std::abs(paperMm.width() - 210) < 0.1 && std::abs(paperMm.height() - 297) < 0.1)
            return a4;
        return QPageSize(paperMm, QPageSize::Millimeter);
    }

    QString shownLine(const TextCmd& text, qsizetype line, int pageIndex, int pageCount)
    {
        return text.pageTokens ? PreparedReport::substituteTokens(text.lines[line], pageIndex, pageCount)
                               : text.lines[line];
    }

    QString frameLetters(unsigned sides)
    {
        QString letters;
        if (sides & FrameLeft)
            letters += u'l';
        if (sides & FrameTop)
            letters += u't';
        if (sides & FrameRight)
            letters += u'r';
        if (sides & FrameBottom)
            letters += u'b';
        return letters.isEmpty() ? QStringLiteral("-") : letters;
    }
}

void exportPdf(const PreparedReport& report, const QString& fileName, const ExportInfo& info)
{
    // QPdfWriter reports nothing when it cannot write, so try the file first.
    {
        QFile probe(fileName);
        if (!probe.open(QIODevice::WriteOnly))
            failWrite(fileName, probe.errorString());
    }
    QPdfWriter writer(fileName);
    writer.setCreator(info.creator);
    writer.setTitle(info.title);
    writer.setResolution(1200);
    const QSizeF firstPaper = report.isEmpty() ? QSizeF(210, 297) : report.page(0).paperMm;
    writer.setPageLayout(
        QPageLayout(pageSizeOf(firstPaper), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer))
        failWrite(fileName);
    const PageRenderer renderer(report);
    for (int p = 0; p < report.pageCount(); ++p) {
        if (p > 0) {
            writer.setPageLayout(QPageLayout(
                pageSizeOf(report.page(p).paperMm), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
            writer.newPage();
        }
        const QSizeF paper = report.page(p).paperMm;
        const double scale = writer.resolution() / 25.4;
        renderer.render(painter, p, QRectF(0, 0, paper.width() * scale, paper.height() * scale));
    }
    if (!painter.end())
        failWrite(fileName);
    if (QFileInfo(fileName).size() == 0)
        failWrite(fileName);
}

QString textDump(const PreparedReport& report)
{
    QString out;
    QTextStream stream(&out);
    const int count = report.pageCount();
    for (int p = 0; p < count; ++p) {
        const PreparedPage& page = report.page(p);
        stream << "page " << p + 1 << " of " << count << " (" << mm(page.paperMm.width()) << " x "
               << mm(page.paperMm.height()) << ")\n";
        for (const DrawCmd& command : page.commands) {
            if (const auto* text = std::get_if<TextCmd>(&command)) {
                const QRectF& r = text->rectMm;
                stream << "  text " << mm(r.x()) << ' ' << mm(r.y()) << ' ' << mm(r.width()) << ' ' << mm(r.height())
                       << ' ' << (text->objectName.isEmpty() ? QStringLiteral("-") : text->objectName);
                for (qsizetype i = 0; i < text->lines.size(); ++i)
                    stream << " | " << shownLine(*text, i, p, count);
                stream << '\n';
            } else if (const auto* box = std::get_if<BoxCmd>(&command)) {
                const QRectF& r = box->rectMm;
                stream << "  box " << mm(r.x()) << ' ' << mm(r.y()) << ' ' << mm(r.width()) << ' ' << mm(r.height())
                       << ' ' << frameLetters(box->frame.sides) << '\n';
            } else if (const auto* line = std::get_if<LineCmd>(&command)) {
                stream << "  line " << mm(line->lineMm.x1()) << ' ' << mm(line->lineMm.y1()) << ' '
                       << mm(line->lineMm.x2()) << ' ' << mm(line->lineMm.y2()) << '\n';
            } else if (const auto* image = std::get_if<ImageCmd>(&command)) {
                const QRectF& r = image->rectMm;
                const QSize size = image->image ? image->image->size() : QSize();
                stream << "  image " << mm(r.x()) << ' ' << mm(r.y()) << ' ' << mm(r.width()) << ' ' << mm(r.height())
                       << ' ' << size.width() << 'x' << size.height() << ' ' << image->objectName << '\n';
            }
        }
    }
    return out;
}

namespace {
    QString cssColor(const QColor& color)
    {
        return color.name(QColor::HexRgb);
    }

    QString cssBox(const QRectF& r)
    {
        return QStringLiteral("left:%1mm;top:%2mm;width:%3mm;height:%4mm")
            .arg(QString::number(r.x(), 'f', 2), QString::number(r.y(), 'f', 2), QString::number(r.width(), 'f', 2),
                QString::number(r.height(), 'f', 2));
    }

    QString cssFont(const QFont& font)
    {
        QString css = QStringLiteral("font-family:'%1',sans-serif;font-size:%2pt")
                          .arg(font.family().toHtmlEscaped(), QString::number(font.pointSizeF(), 'f', 1));
        if (font.bold())
            css += QStringLiteral(";font-weight:bold");
        if (font.italic())
            css += QStringLiteral(";font-style:italic");
        if (font.underline())
            css += QStringLiteral(";text-decoration:underline");
        return css;
    }
}

void exportHtml(const PreparedReport& report, const QString& fileName, const ExportInfo& info)
{
    QString html;
    html.reserve(1 << 20);
    html += QStringLiteral("<!DOCTYPE html>\n<html lang=\"uk\">\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n")
                .arg(info.title.toHtmlEscaped());
    html += QStringLiteral("<meta name=\"generator\" content=\"%1\">\n").arg(info.creator.toHtmlEscaped());
    html += QStringLiteral(
        "<style>\n"
        "body{background:#808080;margin:0;padding:4mm 0}\n"
        ".page{position:relative;background:#fff;margin:0 auto 4mm auto;overflow:hidden;page-break-after:always}\n"
        ".page>div,.page>img{position:absolute;box-sizing:border-box}\n"
        ".t{white-space:pre;overflow:visible}\n"
        ".c{overflow:hidden}\n"
        ".c>img{position:absolute}\n"
        "@media print{body{background:none;padding:0}.page{margin:0}}\n"
        "@page{margin:0}\n"
        "</style>\n</head>\n<body>\n");
    const int count = report.pageCount();
    for (int p = 0; p < count; ++p) {
        const PreparedPage& page = report.page(p);
        html += QStringLiteral("<div class=\"page\" style=\"width:%1mm;height:%2mm\">\n")
                    .arg(mm(page.paperMm.width()), mm(page.paperMm.height()));
        for (const DrawCmd& command : page.commands) {
            if (const auto* text = std::get_if<TextCmd>(&command)) {
                const QRectF inner
                    = text->rectMm.adjusted(text->paddingMm, text->paddingMm, -text->paddingMm, -text->paddingMm);
                const double block = text->lineHeightMm * text->lines.size();
                double top = inner.top();
                if (text->alignment & Qt::AlignVCenter)
                    top += (inner.height() - block) / 2;
                else if (text->alignment & Qt::AlignBottom)
                    top += inner.height() - block;
                const char* align = (text->alignment & Qt::AlignHCenter) ? "center"
                    : (text->alignment & Qt::AlignRight)                 ? "right"
                                                                         : "left";
                QStringList lines;
                for (qsizetype i = 0; i < text->lines.size(); ++i)
                    lines.append(shownLine(*text, i, p, count).toHtmlEscaped());
                html += QStringLiteral(
                    "<div class=\"t\" style=\"%1;%2;color:%3;text-align:%4;line-height:%5mm\">%6</div>\n")
                            .arg(cssBox(QRectF(inner.left(), top, inner.width(), block)), cssFont(text->font),
                                cssColor(text->color), QLatin1String(align),
                                QString::number(text->lineHeightMm, 'f', 2), lines.join(QStringLiteral("<br>")));
            } else if (const auto* box = std::get_if<BoxCmd>(&command)) {
                QString style = cssBox(box->rectMm);
                if (box->fill.isValid())
                    style += QStringLiteral(";background:") + cssColor(box->fill);
                const QString border
                    = QStringLiteral(":%1mm solid %2")
                          .arg(QString::number(box->frame.widthMm, 'f', 2), cssColor(box->frame.color));
                if (box->frame.sides & FrameLeft)
                    style += QStringLiteral(";border-left") + border;
                if (box->frame.sides & FrameTop)
                    style += QStringLiteral(";border-top") + border;
                if (box->frame.sides & FrameRight)
                    style += QStringLiteral(";border-right") + border;
                if (box->frame.sides & FrameBottom)
                    style += QStringLiteral(";border-bottom") + border;
                html += QStringLiteral("<div style=\"%1\"></div>\n").arg(style);
            } else if (const auto* line = std::get_if<LineCmd>(&command)) {
                // Lines of reports are horizontal or vertical; draw them as thin boxes.
                const QLineF& l = line->lineMm;
                const double w = line->widthMm;
                QRectF r(QPointF(std::min(l.x1(), l.x2()), std::min(l.y1(), l.y2())),
                    QPointF(std::max(l.x1(), l.x2()), std::max(l.y1(), l.y2())));
                if (r.height() < w)
                    r = QRectF(r.left(), r.top() - w / 2, r.width(), w);
                if (r.width() < w)
                    r = QRectF(r.left() - w / 2, r.top(), w, r.height());
                html
                    += QStringLiteral("<div style=\"%1;background:%2\"></div>\n").arg(cssBox(r), cssColor(line->color));
            } else if (const auto* image = std::get_if<ImageCmd>(&command)) {
                if (!image->image)
                    continue;
                const QRectF inside = image->rectMm.translated(-image->clipMm.topLeft());
                html += QStringLiteral("<div class=\"c\" style=\"%1\"><img alt=\"%2\" style=\"%3\" "
                                       "src=\"data:image/png;base64,%4\"></div>\n")
                            .arg(cssBox(image->clipMm), image->objectName.toHtmlEscaped(), cssBox(inside),
                                QString::fromLatin1(image->image->png().toBase64()));
            }
        }
        html += QStringLiteral("</div>\n");
    }
    html += QStringLiteral("</body>\n</html>\n");
    writeFile(fileName, html.toUtf8());
}

} // namespace rpt
