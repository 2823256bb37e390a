#pragma once

#include "presentation/AnalysisPresentation.h"

#include <QGroupBox>
#include <QStringList>

class DocumentActions;
class Hints;
class MeasurementDocument;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TFDet;

// The group box below the chart pages: for the current page's slot and its selected group, the
// group list, the centre-line and sigma settings with their edits, and both analyses with their
// verdicts and details. It shows the document and forwards the analyst's edits to the model
// (GroupSettings); after an accepted edit it refills itself and tells the window to redraw.
class GroupHandlingBox : public QGroupBox {
    Q_OBJECT
public:
    GroupHandlingBox(MeasurementDocument& document, Hints& hints, QWidget* parent = nullptr);
    ~GroupHandlingBox() override;

    void ShowSlot(int slot); // fills every control for this chart slot from the document (guarded)
    int Slot() const { return m_slot; } // -1 while no chart page is current
    void Clear(); // no results: no group chosen, no lines, no criteria; the list keeps the walked groups

    TFDet* Details() const { return m_details; }
    // The undo history the edits go through; without one they change the document directly.
    void SetActions(DocumentActions* actions) { m_actions = actions; }

    // The read-only and editable looks of the setting edits.
    static QColor ReadOnlyColour();
    static QColor EditableColour();

    // The analyst's actions, named after their controls; the widgets call them and so can tests.
    void ComboBox1Select(int index);
    void ComboBox1Exit();
    void MiddleCheckBoxClick(bool ticked);
    void SigmaCheckBoxClick(bool ticked);
    void RadioGroup1Click(int itemIndex);
    void MiddleEditExit();
    void MiddleEditKeyDown(int key);
    void SigmaEditExit();
    void SigmaEditKeyDown(int key);
    void SigmaEdit2Exit();
    void SigmaEdit2KeyDown(int key);
    void EditEnter(QLineEdit* edit); // entering an edit whose setting is automatic asks for a hint
    void Details1Click();
    void Details1aClick();

Q_SIGNALS:
    void linesChanged(int slot); // an edit or a group choice changed what the charts show

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override; // the columns follow the size the window gives
    void changeEvent(QEvent* event) override;

private:
    void arrange();
    void arrangeAnalyses();
    int unitWidth() const; // of the unit labels, for the document's units
    bool handlersActive() const;
    void fillGroupList(int selected); // ComboBox1 from the document's list; -1 selects nothing
    void fillSettings();
    void fillResults();
    void placeSigmaControls(bool label4Visible);
    void refreshAfterEdit(bool accepted);
    void submitEdit(QLineEdit* edit);
    static void setReadOnlyLook(QLineEdit* edit, bool readOnly);
    static void setVerdict(QLabel* label, const AnalysisVerdict& verdict);

    DocumentActions* m_actions = nullptr;
    MeasurementDocument& m_document;
    Hints& m_hints;
    int m_slot = -1;
    bool m_filling = false; // the program fills the box: handlers stay quiet
    bool m_submitting = false; // a message box of a submitted edit takes the focus
    QStringList m_shownGroups; // what ComboBox1 holds
    int m_unitWidth = 0;
    int m_analysisLeft = 0;

    QLabel* m_groupLabel = nullptr;
    QComboBox* m_comboBox1 = nullptr;
    QCheckBox* m_middleCheckBox = nullptr;
    QLineEdit* m_middleEdit = nullptr;
    QLabel* m_label3 = nullptr;
    QCheckBox* m_sigmaCheckBox = nullptr;
    QLineEdit* m_sigmaEdit = nullptr;
    QLabel* m_label4 = nullptr;
    QLineEdit* m_sigmaEdit2 = nullptr;
    QLabel* m_label5 = nullptr;
    QGroupBox* m_radioGroup1 = nullptr;
    QRadioButton* m_radioItems[2] {};
    QGroupBox* m_groupBox1 = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label15 = nullptr;
    QPushButton* m_details1 = nullptr;
    QGroupBox* m_groupBox2 = nullptr;
    QLabel* m_label26 = nullptr;
    QLabel* m_label28 = nullptr;
    QPushButton* m_details1a = nullptr;
    QLabel* m_excludedLabel = nullptr; // under the analyses while the group has points kept out of its limits
    TFDet* m_details = nullptr;
};
