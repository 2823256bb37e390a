#pragma once

#include "exchange/ImportSource.h"
#include "exchange/TableImport.h"

#include <QString>
#include <QStringList>

class MeasurementDocument;

// What the import dialog shows and changes: the file read with the analyst's format choices, the
// columns chosen, and the plan that follows from them. The dialog only mirrors it.
class ImportSession {
public:
    // Reads the file with everything detected and a first guess of the columns. False (Error()
    // says why) when nothing could be read.
    bool Open(const QString& fileName);
    QString FileName() const { return m_fileName; }
    QString Error() const { return m_source.Error; }

    // Format of a text file; empty optionals mean "detect". Each re-reads the file.
    bool IsWorkbook() const { return m_source.Workbook; }
    QStringList Sheets() const { return m_source.Sheets; }
    int SheetIndex() const { return m_source.SheetIndex; }
    const TextFormat& DetectedFormat() const { return m_source.Format; } // of the last reading
    const SourceOptions& Options() const { return m_options; }
    void SetSheet(int index);
    void SetEncoding(std::optional<TextEncoding> encoding);
    void SetDelimiter(std::optional<QChar> delimiter);
    void SetDecimal(std::optional<DecimalSeparator> decimal);

    // The cells read, and column titles: "1 (A)", with the name from the header row when there is one.
    const SourceTable& Table() const { return m_source.Table; }
    QStringList ColumnTitles() const;

    // The columns and how bad rows are treated; every change re-plans.
    const ImportChoice& Choice() const { return m_choice; }
    void SetHeaderRow(bool header);
    void SetValueColumns(int first, int count);
    void SetDateColumn(int column); // -1: none
    void SetGroupColumn(int column); // -1: none
    void SetNoteColumns(int note, int action, int exclude); // each -1: none
    void SetLeaveOutBadRows(bool leaveOut);

    const ImportPlan& Plan() const { return m_plan; }
    // "Точок: 7, груп: 2, значень у точці: 1." or the error of the plan.
    QString Summary() const;
    bool CanImport() const { return m_source.Error.isEmpty() && m_plan.Error.isEmpty(); }

    // Replaces the document's contents with the import (the caller asked about unsaved changes).
    bool Apply(MeasurementDocument& doc) const;

private:
    void reload();
    void guessColumns();
    void replan();

    QString m_fileName;
    SourceOptions m_options;
    LoadedSource m_source;
    ImportChoice m_choice;
    ImportPlan m_plan;
};

// Whether the first row looks like column names: some cell of it is text where the next row holds
// a number.
bool LooksLikeHeaderRow(const SourceTable& table);
