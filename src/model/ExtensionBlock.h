#pragma once

// The extension block of a document file: the point notes, the exclusions and the change log,
// stored after the group records, where a reader of the plain current layout has already stopped.
//
//   MERIDAN-EXTENSION
//   VERSION<TAB>1
//   POINT<TAB>point number<TAB>note<TAB>action<TAB>exclusion reason<TAB>author<TAB>time
//   LOG<TAB>time<TAB>user<TAB>change<TAB>reason<TAB>hash
//   END<TAB>number of lines between VERSION and END
//
// Every text field is in the escaped form of EscapedText.h, so a field never holds a tab or a
// line break and the code page loses no character. POINT lines come in rising point order (points
// are numbered from 1, counting point rows only), then the LOG lines in log order. A block of a
// later version may hold lines of tags this version does not know; they are kept and written back.

#include "model/ChangeLog.h"
#include "model/PointNote.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <map>
#include <optional>
#include <vector>

class MeasurementDocument;

// The first line of the block.
inline constexpr QStringView ExtensionMarker = u"MERIDAN-EXTENSION";
// The block version this program writes and reads in full.
inline constexpr int ExtensionVersion = 1;

// What a block holds, before it is applied to a document.
struct ExtensionRecords {
    std::map<int, PointNote> Notes; // by point number, from 1
    std::vector<ChangeLogEntry> Log;
    // Lines of a later version that this one does not know, its version line first; empty when
    // the block is of this version.
    QStringList Unknown;
};

// Reads a block fed line by line, from the line after the marker on. Never allocates more than
// the lines it is given hold.
class ExtensionBlockParser {
public:
    // markerLine: the marker's line number in the file (from 1), for the messages.
    explicit ExtensionBlockParser(qsizetype markerLine)
        : m_lineNumber(markerLine)
    {
    }

    // Takes the next line; false once the block is complete or found broken (no more lines wanted).
    bool Feed(QStringView line);
    // The records once the lines are fed (or ran out); nothing for a broken block, with the
    // reason in Error().
    std::optional<ExtensionRecords> Finish();
    const QString& Error() const { return m_error; }

private:
    // The tab-separated fields of a line, without allocating: the first Capacity are held, and
    // size counts them all.
    struct Fields {
        static constexpr qsizetype Capacity = 8;
        std::array<QStringView, Capacity> held;
        qsizetype size = 0;
        QStringView operator[](qsizetype i) const { return held[size_t(i)]; }
        static Fields Of(QStringView line);
    };

    bool fail(const QString& why);
    bool versionLine(QStringView line);
    bool recordLine(QStringView line);
    bool pointLine(const Fields& fields);
    bool logLine(const Fields& fields);
    bool endLine(const Fields& fields);
    // The text of an escaped field; one equal to *last shares it, and becomes the new *last.
    std::optional<QString> text(QStringView field, QString* last = nullptr);

    enum class State { Version, Records, Done, Failed };
    State m_state = State::Version;
    qsizetype m_lineNumber;
    qsizetype m_recordLines = 0;
    int m_version = 0;
    ExtensionRecords m_records;
    // Authors, users and times mostly repeat from one record to the next.
    QString m_lastAuthor;
    QString m_lastTime;
    QString m_lastUser;
    QString m_error;
};

// Whether a line opens the block.
bool IsExtensionMarker(QStringView line);

// The block's lines for doc (point numbers from the rows of its notes), marker and end line
// included; empty when the document has no notes, no log entries and no kept lines, so that such
// a document is written exactly as the plain layout.
QStringList ExtensionBlockLines(const MeasurementDocument& doc);

// Puts the records into doc (the notes on the rows of their points, the log entries after the
// log's). Nothing changes when a point number names no point of doc; the reason comes back then.
std::optional<QString> ApplyExtensionRecords(MeasurementDocument& doc, ExtensionRecords records);

// "Не вдалося прочитати примітки та журнал змін: <why>"
QString ExtensionLostMessage(const QString& why);

// The question a save asks before it writes a file without the block it could not read.
const QString& ExtensionLostQuestion();
