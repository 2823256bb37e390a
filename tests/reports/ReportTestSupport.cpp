#include "ReportTestSupport.h"

#include "compute/ComputeDriver.h"
#include "reports/PreparedReport.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString ValueText(int i)
{
    static const double pattern[] = { 10.0, 10.4, 9.7, 10.2, 9.9, 10.6, 9.5, 10.1, 10.3, 9.8, 10.0, 9.6, 10.5 };
    return QString::number(pattern[i % int(std::size(pattern))] + 0.01 * (i % 7), 'f', 2);
}

} // namespace

std::unique_ptr<MeasurementDocument> IndividualDocument(Messenger& messenger, const std::vector<int>& groupSizes)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    std::vector<std::vector<QStringList>> groups;
    int i = 0;
    for (int size : groupSizes) {
        std::vector<QStringList> rows;
        for (int p = 0; p < size; ++p)
            rows.push_back({ ValueText(i++) });
        groups.push_back(rows);
    }
    BuildDocument(*doc, 0, groups);
    doc->SetUnits(QStringLiteral("мг/л"));
    doc->SetTableName(QStringLiteral("Вміст нітратів"));
    EXPECT_TRUE(RunComputeCommand(*doc));
    doc->ClearChanged();
    return doc;
}

std::unique_ptr<MeasurementDocument> SubgroupDocument(
    Messenger& messenger, int size, const std::vector<int>& groupSizes)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    std::vector<std::vector<QStringList>> groups;
    int i = 0;
    for (int count : groupSizes) {
        std::vector<QStringList> rows;
        for (int p = 0; p < count; ++p) {
            QStringList values;
            for (int c = 0; c < size; ++c)
                values.append(ValueText(i++));
            rows.push_back(values);
        }
        groups.push_back(rows);
    }
    BuildDocument(*doc, size, groups);
    doc->SetUnits(QStringLiteral("мм"));
    doc->SetTableName(QStringLiteral("Діаметр кілець"));
    EXPECT_TRUE(RunComputeCommand(*doc));
    doc->ClearChanged();
    return doc;
}

QString DeliveredTemplateFolder()
{
    return QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/Data"));
}

std::vector<LaidOutText> LaidOutTexts(const rpt::PreparedReport& report)
{
    std::vector<LaidOutText> texts;
    for (int p = 0; p < report.pageCount(); ++p) {
        for (const rpt::DrawCmd& command : report.page(p).commands) {
            if (const auto* text = std::get_if<rpt::TextCmd>(&command))
                texts.push_back({ text->objectName, text->lines.join(QLatin1Char(' ')), text->color, p });
        }
    }
    return texts;
}

QStringList TextsOf(const rpt::PreparedReport& report, const QString& object)
{
    QStringList texts;
    for (const LaidOutText& text : LaidOutTexts(report)) {
        if (text.Object == object)
            texts.append(text.Text);
    }
    return texts;
}

int PictureCount(const rpt::PreparedReport& report, const QString& object)
{
    int count = 0;
    for (const rpt::PreparedPage& page : report.pages()) {
        for (const rpt::DrawCmd& command : page.commands) {
            if (const auto* image = std::get_if<rpt::ImageCmd>(&command))
                count += image->objectName == object ? 1 : 0;
        }
    }
    return count;
}

QString Tool(const char* name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

ToolResult RunProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()) };
}

QString RunTool(const QString& program, const QStringList& arguments)
{
    return RunProgram(program, arguments).Output;
}
