#pragma once

#include "model/CellTextStore.h"
#include "model/ChangeLog.h"
#include "model/GroupRecord.h"
#include "model/PointNote.h"
#include "model/SharedTextColumn.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <memory>
#include <vector>

class Messenger;
struct DocumentContent;

// The float format chart labels and report numbers use.
struct ChartNumberFormat {
    enum Kind { Fixed, Exponent };
    Kind Format = Fixed;
    int Digits = 10;
    friend bool operator==(const ChartNumberFormat&, const ChartNumberFormat&) = default;
};

// The optional header fields that have a check box beside their edit.
enum class HeaderField : int {
    Operator, // CheckBox4, Edit7
    MeasuredParameter, // CheckBox12, Edit18
    Sample, // CheckBox5, Edit8
    SamplePreparation, // CheckBox6, Edit12
    MeasurementMethod, // CheckBox7, Edit11
    Instrument, // CheckBox8, Edit10
    Detector, // CheckBox9, Edit9
};
constexpr int HeaderFieldCount = 7;

// The document's file as it stood on disk after the last complete load or save: a report hashes
// the file only while it still has this size and time, so neither load nor save pays for a hash.
struct SavedFileStamp {
    QString Path; // empty: no file holds what the document held then
    qint64 Size = -1;
    QDateTime Modified;
};

struct HeaderEntry {
    bool Present = false;
    QString Text;
};

// The check items of the "Карти" menu, in the order of ChartSelection.
enum ChartChoice : int { N11, N21, N31, N41, N51, N61, N13 };
constexpr int ChartChoiceCount = 7;

// One group as the table rows describe it.
struct GroupSpan {
    int FirstRow = 0; // table row of the first point
    int PointCount = 0;
    int FirstPoint = 0; // point numbers, from 1
    int LastPoint = 0;
};

// The measurement document: the table of points and separators, the group records, the header
// information and what the last compute left. Windows only show it and call it; it
// tells them of changes by signals.
//
// The table is addressed by grid row: row 0 is the column header, rows 1.. are the table rows,
// and in the computed state one extra closing row follows them.
class MeasurementDocument : public QObject {
    Q_OBJECT
public:
    static const QString& SeparatorLine(); // 75 underscores
    static QString SeparatorLabel(int ordinal); // "Розділювач №" and the ordinal

    explicit MeasurementDocument(Messenger& messenger, QObject* parent = nullptr);
    ~MeasurementDocument() override;

    Messenger& messenger() const { return m_messenger; }
    bool HasDocument() const { return m_hasDocument; } // false until the first SetMode

    // Kind and size.
    bool IndividualMode() const { return m_individualMode; }
    int PointCount() const { return m_pointCount; }
    int SubgroupSize() const { return m_subgroupSize; }
    void StoreIndividualMode(bool individual) { m_individualMode = individual; } // the field only; see SetMode
    void SetPointCount(int n);
    void SetSubgroupSize(int n); // may show the median-chart message
    void SetMode(bool individual); // lays the table out for PointCount and GroupCount
    // The whole layout at once, as New, the reader and an import give it: the kind, the points, the
    // subgroup size (subgroup mode only), the separator flags (ending in the true sentinel), then the
    // empty table and one group record per group. Records below the group count are kept.
    void LayOut(bool individual, int points, int subgroupSize, std::vector<bool> flags);
    void ChangeSubgroupSize(int n); // the analyst's choice: drops results, resizes the value columns
    // Leaving ElementsComboBox with a typed text; false when refused (the box shows SubgroupSize again).
    bool SubmitSubgroupSizeText(const QString& text, bool tableTabActive);

    // Separators and groups.
    const std::vector<bool>& SeparatorFlags() const { return m_separatorFlags; }
    // Replaces the flags; the last must be true. Used by the reader before SetMode.
    void SetSeparatorFlags(std::vector<bool> flags);
    int GroupCount() const { return m_groupCount; }
    void StoreGroupCount(int g) { m_groupCount = g; } // the field only; records follow SetGroupCount
    const std::vector<TIndividualInfo>& Groups() const { return m_groups; }
    void SetGroupCount(int n); // keeps records below n, destroys the rest, appends new ones
    // Replaces records first .. first + count - 1 by records (an undo of a table operation) and
    // keeps GroupCount in step with the records.
    void ReplaceGroupRecords(int first, int count, std::vector<TIndividualInfo> records);
    // Gives record index the analyst's settings of `from` (the fixable values and the deviation
    // basis); its statistics and lines stay.
    void SetGroupSettings(int index, const TIndividualInfo& from);
    // A record moved out for a step that fills it (the compute, the reader); an empty record of the
    // mode stands in its place until StoreGroupRecord puts one back. Moves, so a group of a million
    // points costs no copy. An index without a record gives an empty record.
    TIndividualInfo TakeGroupRecord(int index);
    // Puts record in the place of record index (it takes the document's mode); nothing for an index
    // without a record.
    void StoreGroupRecord(int index, TIndividualInfo record);
    std::vector<GroupSpan> DeriveGroups() const;
    static QString GroupRangeText(const GroupSpan& span);

    // The table.
    int RowCount() const { return 1 + int(m_dates.size()); } // grid rows, header included
    int TableRowCount() const { return int(m_separatorFlags.size()) - 1; } // rows the flags describe
    int ValueColumnCount() const { return m_valueColumns; }
    int ResultColumnCount() const { return m_resultColumns; }
    bool IsSeparatorRow(int row) const; // the closing row of the computed state counts as one
    QString LabelText(int row) const;
    void SetLabelText(int row, const QString& text);
    // Valid until the date cells are next changed.
    const QString& DateText(int row) const { return m_dates.at(size_t(row - 1)); }
    void SetDateText(int row, const QString& text) { m_dates.set(size_t(row - 1), text); }
    void SetDateText(int row, QStringView text) { m_dates.set(size_t(row - 1), text); }
    // Valid until the value cells are next changed.
    QStringView ValueText(int row, int column) const { return m_values.at(valueIndex(row, column)); }
    void SetValueText(int row, int column, QStringView text) { m_values.set(valueIndex(row, column), text); }
    // Room for `chars` more value characters, for a reader about to fill the cells.
    void ReserveValueText(size_t chars) { m_values.reserve(m_values.size(), m_values.charCount() + chars); }
    // A result cell holds either a text or a number shown with the result decimals; numbers are
    // formatted when read, so a compute of a million rows does not build a million texts. The
    // cells take memory only once results are written.
    QString ResultText(int row, int column) const;
    void SetResultText(int row, int column, QStringView text);
    void SetResultNumber(int row, int column, double value);
    void SetResultDecimals(int decimals) { m_resultDecimals = decimals; }
    // The analyst's edits of a point row: results are dropped and the document marked changed.
    void EditDateText(int row, const QString& text);
    void EditValueText(int row, int column, QStringView text);
    void RenumberRows();

    // Row primitives of the table operations. They work on the editing state (results are dropped
    // first), keep the flags, cells and labels in step, relabel the rows and announce the change.
    // Each costs one move of every cell list, whatever the number of rows moved.
    // count rows before grid row `row` (1 .. TableRowCount() + 1), empty point rows or separator
    // rows filled with the separator line.
    void InsertTableRows(int row, int count, bool separators);
    void RemoveTableRow(int row);
    // Keeps the first tableRows rows; the row after them becomes the end of the table.
    void TruncateTable(int tableRows);

    // Column headers (row 0).
    QString LabelHeader(int column) const;
    QString ValueHeader() const { return m_valueHeader; } // StringGrid1 in individual mode, StringGrid2 else
    QString ValueColumnHeader(int column) const;
    QString ResultHeader(int column) const { return m_resultHeaders.value(column); }

    // Results.
    bool IsComputed() const { return RowCount() == int(m_separatorFlags.size()) + 1; }
    void EnterComputedState(); // appends the closing row
    void InvalidateResults(); // back to the editing state; nothing in the editing state
    // The group of every point (entry i is point i + 1) and the points' dates, as the last compute
    // walked them.
    const std::vector<int>& PointGroup() const { return m_pointGroup; }
    const QStringList& PointDates() const { return m_pointDates; }
    // The group range texts of ComboBox1, as the last compute walked them.
    const QStringList& GroupList() const { return m_groupList; }
    // What a compute walked, handed over whole (moved, not copied).
    void SetPointIndex(std::vector<int> pointGroup, QStringList pointDates, QStringList groupList);
    // The group each chart page's group box shows, and each page's drawn width.
    const std::array<int, ChartSlotCount>& SelectedGroup() const { return m_selectedGroup; }
    void SetSelectedGroup(int slot, int group); // nothing for a slot that is none
    void ClearSelectedGroups(); // every page back to the first group
    const std::array<int, ChartSlotCount>& ChartExtent() const { return m_chartExtent; }
    void SetChartExtent(int slot, int extent); // nothing for a slot that is none

    // Display precision and the chart number format.
    int DisplayPrecision() const { return m_displayPrecision; }
    void SetDisplayPrecision(int decimals);
    void RaiseDisplayPrecision(int decimals); // to at least decimals, without the N13 handling
    void RecomputeDisplayPrecision();
    ChartNumberFormat ChartFormat() const { return m_chartFormat; }
    void SetChartFormatFromN13();
    // A chart drawing given 7 or more decimals switches the shared format to exponent form.
    void SetChartFormat(ChartNumberFormat format) { m_chartFormat = format; }

    // Chart choices (checked states of N11 .. N13).
    bool ChartSelection(ChartChoice item) const { return m_chartSelection[item]; }
    void SetChartSelection(ChartChoice item, bool checked);

    // Header information.
    QString FillDate() const { return m_fillDate; }
    void SetFillDate(const QString& text);
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString& text);
    const HeaderEntry& Header(HeaderField field) const { return m_header[size_t(field)]; }
    void SetHeaderPresent(HeaderField field, bool present);
    void SetHeaderText(HeaderField field, const QString& text);
    bool AdditionalInfoPresent() const { return m_additionalInfoPresent; }
    void SetAdditionalInfoPresent(bool present);
    const QStringList& AdditionalInfo() const { return m_additionalInfo; }
    void SetAdditionalInfo(const QStringList& lines);
    QString Units() const { return m_units; }
    void SetUnits(const QString& units);
    // The headers as a change of the units writes them, without marking the document changed:
    // after a load, whose table layout wrote the plain headers.
    void WriteUnitHeaders() { writeUnitHeaders(); }

    // The whole content but the messenger and Changed, for an edit that replaces all of it (an
    // import): a copy (shared, as its type is the model's own), and an exchange with a held content that announces a
    // new layout.
    std::shared_ptr<DocumentContent> CopyContent() const;
    void SwapContent(DocumentContent& content);

    // Notes and exclusions of point rows, by table row (from 1); rows without one are absent. The
    // row primitives move them with their rows and drop them with their rows.
    const std::map<int, PointNote>& PointNotes() const { return m_pointNotes; }
    const PointNote* NoteOf(int row) const; // nothing for a row without a note
    bool PointExcluded(int row) const;
    // Replaces the note of a point row (an empty one removes it) and announces the row. Marks the
    // document changed; results are dropped when the exclusion changes.
    void SetPointNote(int row, const PointNote& note);
    void SetPointNotes(std::map<int, PointNote> notes); // the reader's and an import's
    int ExcludedPointCount() const;
    // The excluded flags of count points from table row firstRow on (point rows only).
    std::vector<bool> ExcludedFlags(int firstRow, int count) const;

    // The change log. It is no part of the content an undo restores: entries are only appended.
    const ChangeLog& Log() const { return m_changeLog; }
    void AppendLogEntry(const QString& change, const QString& reason = QString()); // stamped now
    void AppendLogEntryAt(const QString& time, const QString& user, const QString& change, const QString& reason);
    void AppendStoredLogEntry(ChangeLogEntry entry); // as read from a file, hash included
    // What the file's extension block held that this program does not know; written back on save.
    const QStringList& UnknownExtensionLines() const { return m_unknownExtensionLines; }
    void SetUnknownExtensionLines(QStringList lines) { m_unknownExtensionLines = std::move(lines); }
    // The file's notes and log could not be read; a save asks before it writes a file without them.
    bool ExtensionLost() const { return m_extensionLost; }
    void SetExtensionLost(bool lost) { m_extensionLost = lost; }
    // A new document's or a load's start: no log, nothing unknown kept, nothing lost.
    void ResetRecords();

    // Change tracking and the file name.
    bool Changed() const { return m_changed; }
    void MarkChanged();
    void ClearChanged();
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString& name); // another name forgets the saved-file stamp
    const SavedFileStamp& SavedFile() const { return m_savedFile; }
    // Takes the file's size and time now; after a complete load or a save of path.
    void RecordSavedFile(const QString& path);

    // What the last compute left. Complete: it ran to the end (false again once the results go).
    // Exponent forced: the values' precision leaves the charts only the normalised form.
    bool ResultsComplete() const { return m_resultsComplete; }
    void SetResultsComplete(bool complete);
    bool ExponentForced() const { return m_exponentForced; }

Q_SIGNALS:
    void tableReset(); // rows or columns were laid out anew
    // Grid rows row .. row + count - 1 came or went (table rows, or the closing row of the computed
    // state); cellsChanged follows when the labels or other texts were rewritten.
    void rowsInserted(int row, int count);
    void rowsRemoved(int row, int count);
    void cellsChanged(); // texts were rewritten in bulk
    void cellsEdited(int firstRow, int lastRow); // date or value texts of these grid rows were edited
    void headersChanged();
    void viewStateChanged(); // captions, enabled, checked or visible states
    void criteriaCaptionsCleared(); // Label1 and Label26
    void changedFlagChanged(bool changed);
    void edited(); // every edit, also of a document already changed
    void notesChanged(int firstRow, int lastRow); // notes or exclusions of these grid rows

private:
    friend struct DocumentContent;
    size_t valueIndex(int row, int column) const { return size_t(row - 1) * size_t(m_valueColumns) + size_t(column); }
    size_t resultIndex(int row, int column) const { return size_t(row - 1) * size_t(m_resultColumns) + size_t(column); }
    void resizeRows(int tableRows); // grid rows after the header
    void renumber(); // RenumberRows without its announcement
    void shiftNotes(int fromRow, int by); // notes of rows fromRow.. move by rows
    void fillSeparatorRow(int row);
    void allocateResults();
    void releaseResults();
    void setValueColumnCount(int columns);
    void writeLayoutHeaders();
    void writeUnitHeaders();
    QString plainValueHeader() const;

    Messenger& m_messenger;
    bool m_hasDocument = false;
    bool m_individualMode = true;
    int m_pointCount = 0;
    int m_subgroupSize = 0;
    std::vector<bool> m_separatorFlags { true };
    int m_groupCount = 1;
    std::vector<TIndividualInfo> m_groups;

    int m_valueColumns = 1;
    int m_resultColumns = 1;
    SharedTextColumn m_dates; // per grid row from 1
    CellTextStore m_values; // row-major, m_valueColumns per row
    CellTextStore m_results; // row-major, m_resultColumns per row; empty while no results exist
    std::vector<double> m_resultNumbers; // parallel to m_results; NaN where the cell holds a text
    int m_resultDecimals = 1;
    std::vector<int> m_labelNumbers; // point number, minus the separator ordinal, or 0 for no label
    QHash<int, QString> m_labelOverrides; // rows whose label the compute wrote; one a group
    QString m_valueHeader;
    QStringList m_resultHeaders;

    std::vector<int> m_pointGroup;
    QStringList m_pointDates;
    QStringList m_groupList;
    std::array<int, ChartSlotCount> m_selectedGroup {};
    std::array<int, ChartSlotCount> m_chartExtent {};

    int m_displayPrecision = 1;
    ChartNumberFormat m_chartFormat;
    std::array<bool, ChartChoiceCount> m_chartSelection { true, true, true, false, true, false, false };

    QString m_fillDate;
    QString m_tableName;
    std::array<HeaderEntry, HeaderFieldCount> m_header;
    bool m_additionalInfoPresent = false;
    QStringList m_additionalInfo;
    QString m_units;

    std::map<int, PointNote> m_pointNotes;
    ChangeLog m_changeLog;
    QStringList m_unknownExtensionLines;
    bool m_extensionLost = false;

    bool m_changed = false;
    QString m_fileName;
    SavedFileStamp m_savedFile;
    bool m_resultsComplete = false;
    bool m_exponentForced = false;
};
