#pragma once

#include "model/MeasurementDocument.h"

#include <QObject>
#include <array>

class DocumentActions;
class Hints;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// The header information page ("Загальні відомості"): the fill date, the table name, the seven
// header fields with their switches, the units and the additional information. Its controls sit
// on the tab page given; each edit goes straight to the document.
class HeaderPage : public QObject {
    Q_OBJECT
public:
    HeaderPage(MeasurementDocument& document, Hints& hints, QWidget* page, QObject* parent);

    void ShowHeaderFields(); // after a document was loaded or created
    // The undo history the edits go through; its undos and redos show on the page.
    void SetActions(DocumentActions* actions);

Q_SIGNALS:
    void unitsChanged(); // the analyst edited the units; the document holds them already

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build(QWidget* page);

    MeasurementDocument& m_document;
    Hints& m_hints;
    DocumentActions* m_actions = nullptr;
    bool m_fillingHeader = false; // the program fills the page: the memo's change is no edit

    QLineEdit* m_fillDate = nullptr; // MaskEdit1
    QLineEdit* m_tableName = nullptr;
    std::array<QCheckBox*, HeaderFieldCount> m_headerChecks {};
    std::array<QLineEdit*, HeaderFieldCount> m_headerEdits {};
    QCheckBox* m_additionalCheck = nullptr; // CheckBox10
    QPlainTextEdit* m_memo = nullptr; // Memo1
    QLineEdit* m_units = nullptr; // Edit1
};
