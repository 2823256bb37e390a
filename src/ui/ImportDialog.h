#pragma once

#include <QDialog>
#include <functional>

class DocumentActions;
class ImportSession;
class MeasurementDocument;
class Messenger;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

// "Імпорт даних": shows the first rows of the file and lets the analyst choose the sheet, the
// format of a text file, the value, date and group columns, the header row, and what becomes of
// rows that are not numbers. It mirrors an ImportSession, which holds the state and the plan.
class TImportDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int PreviewRows = 20;

    TImportDialog(ImportSession& session, QWidget* parent = nullptr);

    // Controls by role, for the tests.
    QComboBox* SheetCombo() const { return m_sheet; }
    QComboBox* EncodingCombo() const { return m_encoding; }
    QComboBox* DelimiterCombo() const { return m_delimiter; }
    QComboBox* DecimalCombo() const { return m_decimal; }
    QCheckBox* HeaderCheck() const { return m_header; }
    QComboBox* FirstValueCombo() const { return m_firstValue; }
    QSpinBox* ValueCountSpin() const { return m_valueCount; }
    QComboBox* DateCombo() const { return m_date; }
    QComboBox* GroupCombo() const { return m_group; }
    QComboBox* NoteCombo() const { return m_note; }
    QComboBox* ActionCombo() const { return m_action; }
    QComboBox* ExcludeCombo() const { return m_exclude; }
    QRadioButton* LeaveOutRadio() const { return m_leaveOut; }
    QTableWidget* Preview() const { return m_preview; }
    QListWidget* BadRowList() const { return m_badRows; }
    QLabel* SummaryLabel() const { return m_summary; }
    QPushButton* ImportButton() const { return m_import; }

private:
    void formatChanged();
    void columnsChanged();
    void showSession(); // everything from the session, with the choice controls' signals held
    void showPlan();

    ImportSession& m_session;
    bool m_showing = false;
    QComboBox* m_sheet;
    QLabel* m_sheetLabel;
    QComboBox* m_encoding;
    QComboBox* m_delimiter;
    QComboBox* m_decimal;
    QCheckBox* m_header;
    QComboBox* m_firstValue;
    QSpinBox* m_valueCount;
    QComboBox* m_date;
    QComboBox* m_group;
    QComboBox* m_note;
    QComboBox* m_action;
    QComboBox* m_exclude;
    QRadioButton* m_keepEmpty;
    QRadioButton* m_leaveOut;
    QTableWidget* m_preview;
    QListWidget* m_badRows;
    QLabel* m_summary;
    QPushButton* m_import;
};

// The "Імпорт даних..." command after the analyst chose a file: reads it (a failure is reported
// through the messenger), shows the dialog and, on "Імпортувати", asks confirmReplace (the main
// window's unsaved-changes question) before the document is replaced. Returns whether it was.
// With an undo history the import is one of its commands ("імпорт").
bool RunImportDialog(QWidget* parent, const QString& fileName, MeasurementDocument& doc, Messenger& messenger,
    const std::function<bool()>& confirmReplace, DocumentActions* actions = nullptr);

// The file filter of the open dialog of the import command.
QString ImportFileFilter();
// The file filter of the save dialog of "Експорт таблиці...".
QString ExportFileFilter();
