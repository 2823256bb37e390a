#include "NotesOutput.h"

#include "Json.h"
#include "PointRows.h"

#include "model/ChangeLog.h"
#include "model/MeasurementDocument.h"

#include <QTextStream>
#include <map>
#include <vector>

namespace {

// A text of several lines, its later lines indented under the first.
QString indented(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(u'\r', u'\n');
    out.replace(QLatin1String("\n"), QLatin1String("\n    "));
    return out;
}

QString jsonOrNull(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("null") : JsonString(text);
}

} // namespace

QString PointNotesJson(const MeasurementDocument& doc)
{
    const std::map<int, PointNote>& notes = doc.PointNotes();
    std::vector<int> rows;
    rows.reserve(notes.size());
    for (const auto& entry : notes)
        rows.push_back(entry.first);
    const std::vector<int> points = PointNumbersOfRows(doc, rows);
    QString out;
    QTextStream json(&out);
    json << '[';
    size_t i = 0;
    for (const auto& [row, note] : notes) {
        json << (i == 0 ? "\n" : ",\n");
        json << "    {\"point\": " << points[i++] << ", \"note\": " << JsonString(note.Note)
             << ", \"action\": " << JsonString(note.Action) << ", \"excluded\": " << jsonOrNull(note.ExcludeReason)
             << '}';
    }
    json << (notes.empty() ? "]" : "\n  ]");
    json.flush();
    return out;
}

QString ChangeLogJson(const ChangeLog& log)
{
    QString out;
    QTextStream json(&out);
    json << '[';
    int index = 0;
    for (const ChangeLogEntry& entry : log.Entries()) {
        json << (index == 0 ? "\n" : ",\n");
        json << "  {\"index\": " << ++index << ", \"time\": " << JsonString(entry.Time)
             << ", \"user\": " << JsonString(entry.User) << ", \"change\": " << JsonString(entry.Change)
             << ", \"reason\": " << jsonOrNull(entry.Reason) << ", \"hash\": " << JsonString(entry.Hash) << '}';
    }
    json << (index == 0 ? "]\n" : "\n]\n");
    json.flush();
    return out;
}

QString ChangeLogText(const ChangeLog& log)
{
    QString out;
    QTextStream text(&out);
    int index = 0;
    for (const ChangeLogEntry& entry : log.Entries()) {
        text << ++index << ". " << entry.Time << "  " << entry.User << '\n';
        text << "    " << indented(entry.Change) << '\n';
        if (!entry.Reason.isEmpty())
            text << "    Причина: " << indented(entry.Reason) << '\n';
    }
    text.flush();
    return out;
}
