#pragma once

#include "actions/TableOperations.h"

#include <QWidget>
#include <memory>

class DataGridView;
class DocumentActions;
class Hints;
class MeasurementDocument;
class MergeDecider;
class MergeDialogs;
class QLineEdit;
class QPushButton;

// The lower panel of the data page: the six table operations, each a button with a number edit
// (Button1 .. Button7 without Button5, Edit6 and Edit13 .. Edit17). The buttons hand the edits'
// texts to the document's table operations; what the grids do afterwards (select a row, bring it
// into view) is the main window's, told by signals.
class TableEditControls : public QWidget {
    Q_OBJECT
public:
    static constexpr int PanelHeight = 70;

    // Asks merge questions through the program's merge dialogs, created here once.
    TableEditControls(MeasurementDocument& doc, Hints& hints, QWidget* parent);
    // Asks merge questions through decider (tests).
    TableEditControls(MeasurementDocument& doc, Hints& hints, MergeDecider& decider, QWidget* parent);
    ~TableEditControls() override;

    MergeDialogs* Dialogs() const { return m_dialogs.get(); } // null when a decider was given
    // The undo history the operations go through; without one they change the document directly.
    void SetActions(DocumentActions* actions) { m_actions = actions; }

    // Selects grid row `row` after an operation: a row out of view is scrolled into it (its top row
    // the smaller of row and the last top row that still fills the grid), the value and result
    // grids select column 0 and the label grid the date column. The grids follow the value grid's
    // top row through their own scrolling rule.
    static void SelectRow(DataGridView& labels, DataGridView& values, DataGridView& results, int row);

Q_SIGNALS:
    void rowSelectionRequested(int row); // grid row the grids select and bring into view (SelectRow)
    void tableEdited(); // an operation changed the table; after rowSelectionRequested

public:
    void Button2Click(); // insert a point
    void Button4Click(); // insert a separator
    void Button1Click(); // delete a point
    void Button3Click(); // delete a separator
    void Button6Click(); // append points
    void Button7Click(); // delete the last points

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QPushButton* addButton(const char* name, const QString& caption, const QRect& geometry);
    QLineEdit* addEdit(const char* name, const QRect& geometry);
    void finish(const TableEdit& edit);

    MeasurementDocument& m_doc;
    Hints& m_hints;
    std::unique_ptr<MergeDialogs> m_dialogs;
    MergeDecider& m_decider;
    DocumentActions* m_actions = nullptr;
    QLineEdit* m_edit6 = nullptr;
    QLineEdit* m_edit13 = nullptr;
    QLineEdit* m_edit14 = nullptr;
    QLineEdit* m_edit15 = nullptr;
    QLineEdit* m_edit16 = nullptr;
    QLineEdit* m_edit17 = nullptr;
};
