#include "EngineTestSupport.h"

#include "reports/ReportExport.h"

QByteArray TemplateXml(const QString& bands, const QString& pageAttributes)
{
    return QStringLiteral(
        "<report version=\"1\">\n<page paper=\"A4\" marginLeft=\"15\" marginRight=\"5\" marginTop=\"10\" "
        "marginBottom=\"10\" font=\"Arial\" fontSize=\"9\" %1>\n%2\n</page>\n</report>\n")
        .arg(pageAttributes, bands)
        .toUtf8();
}

void CallRecorder::attach(rpt::ReportEngine& engine)
{
    engine.setValueCallback([this](const QString& name) -> std::optional<QString> {
        calls.append(QStringLiteral("value:") + name);
        return QStringLiteral("<%1>").arg(name);
    });
    engine.setBeforePrintCallback(
        [this](rpt::ReportObject& object) { calls.append(QStringLiteral("before:") + object.name()); });
}

QStringList ReportLines(const rpt::PreparedReport& report)
{
    QStringList lines;
    for (int p = 0; p < report.pageCount(); ++p)
        for (const rpt::DrawCmd& command : report.page(p).commands)
            if (const auto* text = std::get_if<rpt::TextCmd>(&command))
                for (const QString& line : text->lines)
                    lines.append(
                        QStringLiteral("page %1: %2")
                            .arg(p + 1)
                            .arg(text->pageTokens ? rpt::PreparedReport::substituteTokens(line, p, report.pageCount())
                                                  : line));
    return lines;
}
