#pragma once

#include "program/LaboratoryNames.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class ChartPageView;
class DataGridView;
class GroupHandlingBox;
class Hints;
class TAboutBox;
class TChoiseForm;
class HeaderBandModel;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QScrollBar;
class QTabWidget;
class RecoveryController;
class TableGridModel;
class TfmTempNew;

// The main window: the one measurement document, its header page, the data table, the six chart
// pages and the group box below them, the menus and commands. It only shows the document and hands
// the analyst's actions to it.
//
// Building is split by page (buildHeaderPage, buildDataPage, buildChartPages, buildMenus) so that
// further controls go into the page they belong to.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 792;
    static constexpr int ClientHeight = 529;
    // Tab positions among the eight tabs of PageControl1; chart slot s is tab ChartTabOffset + s.
    static constexpr int HeaderTab = 0;
    static constexpr int DataTab = 1;
    static constexpr int ChartTabOffset = 2;

    // messenger: nullptr for message boxes over this window; tests hand in a recorder.
    explicit TMainForm(Messenger* messenger = nullptr, QWidget* parent = nullptr);
    ~TMainForm() override;

    MeasurementDocument& Document() { return *m_document; }
    Hints& hints() { return *m_hints; }
    Messenger& messenger() { return *m_messenger; }
    QString ProgramFolder() const { return m_programFolder; } // with a trailing separator
    const LaboratoryNames& Laboratory() const { return m_laboratory; }

    // Commands without their dialogs (the menu items ask first, then call these).
    void NewDocument(int kind); // the new-document dialog's answer: 1 individual, 2 subgroups, 9 nothing
    bool OpenDocument(const QString& fileName); // Load with the file chosen; false when it failed
    bool SaveDocumentAs(const QString& fileName);
    void Compute(); // F5
    // Before the document is replaced or the window closes: asks whether to save a changed document.
    // False when the analyst cancels or the save fails: then nothing may go ahead.
    bool MaySafelyDiscard();
    // After the document was filled anew from outside the window (New, Load, an import): shows its
    // header fields and table from the top, on the first page.
    void DocumentReplaced();

    // Test seams: what the dialogs would answer. An empty file name means the dialog was cancelled.
    void SetNewKindChooser(std::function<int()> chooser) { m_chooseNewKind = std::move(chooser); }
    void SetOpenFileChooser(std::function<QString()> chooser) { m_chooseOpenFile = std::move(chooser); }
    void SetSaveFileChooser(std::function<QString()> chooser) { m_chooseSaveFile = std::move(chooser); }
    // The example chooser's answer: the entry chosen, -1 when cancelled.
    void SetExampleChooser(std::function<int()> chooser) { m_chooseExample = std::move(chooser); }
    // The example command once an entry is chosen: loads line entry of the example list; the
    // example's "Початок" hint follows a successful load.
    bool OpenExample(int entry);
    void SetImportFileChooser(std::function<QString()> chooser) { m_chooseImportFile = std::move(chooser); }
    void SetExportFileChooser(std::function<QString()> chooser) { m_chooseExportFile = std::move(chooser); }

    // Data in and out: the table written as CSV or XLSX (computed first, for the statistics
    // columns); the selected cells of a data grid to the clipboard; a block pasted from the current cell.
    bool ExportTableTo(const QString& fileName);
    void CopyGridSelection(DataGridView* grid);
    bool PasteIntoGrid(DataGridView* grid, const QString& text);

    // Chart pages, for the commands of other windows and for tests.
    ChartPageView* ChartView(int slot) const { return m_chartViews[size_t(slot)]; }
    GroupHandlingBox* GroupBox() const { return m_groupBox; }
    int ActiveChartSlot() const; // -1 when the active tab is no chart page
    void DrawChartPage(int slot); // extent, scroll range, drawing
    void RedrawChartSet(); // the redraw set: every chart page the mode draws

    static QString EmptyDocumentQuestion();

public Q_SLOTS:
    // Menu commands.
    void N9Click(); // "Нова "
    void MLoadClick();
    bool MSaveClick();
    bool MSaveAsClick();
    void PrintReportClick(); // N7: filled by the report command
    void MExitClick();
    void ExamplesClick(); // N2: filled by the example command
    void MHintsClick(); // the hints switch under "Опції": filled by the hint command
    void N1Click(); // "Обчислити (F5)"
    void AboutClick(); // N3: filled by the About window
    void ChartChoiceClick(int item); // N11 .. N61
    void N13Click();
    void ImportClick(); // "Імпорт даних..."
    void ExportClick(); // "Експорт таблиці..."

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildHeaderPage(QWidget* page);
    void buildDataPage(QWidget* page);
    void buildChartPages();
    void buildGroupBox(QWidget* client);
    void connectDocument();

    // Reflecting the document.
    void showViewState(); // captions, enabled, checked and visible states
    void showHeaderFields(); // after a document was loaded or created
    void updateGroupBoxVisibility();
    void showChartTabs();

    // The data page.
    // Positions, sizes and column widths for the mode; a new document (New, Load, an example, an
    // import) gets every column width anew, other calls keep the widths the analyst dragged.
    void layOutGrids(bool newDocument = false);
    void scrollGridsToTop();
    void bringScrollBarInLine();
    void scrollBar2Change(int position);
    void gridTopRowChanged(DataGridView* grid, int topRow);
    void setGridsTopRow(int topRow, DataGridView* except);
    void applyGridHeightRule(DataGridView* grid);
    void elementsComboBoxSelect(int index);
    void elementsComboBoxExit();
    void endGridEditing();

    void pageControl1Change(int index);
    void unitsChange(const QString& text);

    TAboutBox* m_aboutBox = nullptr;
    TChoiseForm* m_choiseForm = nullptr;
    std::function<int()> m_chooseExample;
    bool m_helpDue = true; // "Help" on the first activation and on each return from another program

    std::unique_ptr<Messenger> m_ownMessenger;
    Messenger* m_messenger;
    std::unique_ptr<MeasurementDocument> m_document;
    RecoveryController* m_recovery = nullptr; // the document's recovery copy while it has unsaved changes
    Hints* m_hints;
    QString m_programFolder;
    LaboratoryNames m_laboratory;
    TfmTempNew* m_newDialog = nullptr;
    std::function<int()> m_chooseNewKind;
    std::function<QString()> m_chooseOpenFile;
    std::function<QString()> m_chooseSaveFile;

    // Guards: the program is moving the grids / ScrollBar2; the program is filling the header page.
    bool m_gridsMoving = false;
    bool m_scrollBarMoving = false;
    bool m_fillingHeader = false;
    bool m_updatingTabs = false;

    QTabWidget* m_pages = nullptr; // PageControl1
    std::array<QWidget*, 8> m_tabs {};

    // Header page.
    QLineEdit* m_fillDate = nullptr; // MaskEdit1
    QLineEdit* m_tableName = nullptr;
    std::array<QCheckBox*, HeaderFieldCount> m_headerChecks {};
    std::array<QLineEdit*, HeaderFieldCount> m_headerEdits {};
    QCheckBox* m_additionalCheck = nullptr; // CheckBox10
    QPlainTextEdit* m_memo = nullptr; // Memo1
    QLineEdit* m_units = nullptr; // Edit1

    // Data page.
    QWidget* m_dataPanel = nullptr;
    TableGridModel* m_labelModel = nullptr;
    TableGridModel* m_valueModel = nullptr;
    TableGridModel* m_resultModel = nullptr;
    HeaderBandModel* m_bandModel = nullptr;
    DataGridView* m_grid3 = nullptr; // StringGrid3
    DataGridView* m_grid1 = nullptr; // StringGrid1
    DataGridView* m_grid4 = nullptr; // StringGrid4
    DataGridView* m_grid2 = nullptr; // StringGrid2, the header band
    QScrollBar* m_scrollBar2 = nullptr;
    QLabel* m_label18 = nullptr;
    QLabel* m_elementsLabel = nullptr;
    QComboBox* m_elementsCombo = nullptr;

    std::array<ChartPageView*, ChartSlotCount> m_chartViews {};
    GroupHandlingBox* m_groupBox = nullptr;

    // Menu.
    QMenu* m_fileMenu = nullptr;
    QAction* m_new = nullptr; // N9
    QAction* m_load = nullptr; // MLoad
    QAction* m_save = nullptr; // MSave
    QAction* m_saveAs = nullptr; // MSaveAs
    QAction* m_importData = nullptr; // "Імпорт даних..."
    QAction* m_exportTable = nullptr; // "Експорт таблиці..."
    std::function<QString()> m_chooseImportFile; // empty: the open dialog
    std::function<QString()> m_chooseExportFile; // empty: the save dialog
    QAction* m_printReport = nullptr; // N7
    QAction* m_exit = nullptr; // MExit
    QAction* m_examples = nullptr; // N2
    QMenu* m_optionsMenu = nullptr; // N4
    QAction* m_hintsSwitch = nullptr; // MHints
    QMenu* m_chartsMenu = nullptr; // N10
    std::array<QAction*, ChartChoiceCount> m_chartChoices {}; // N11 .. N61, N13
    QAction* m_spreadSeparator = nullptr; // N16
    QAction* m_compute = nullptr; // N1
    QAction* m_about = nullptr; // N3
    QAction* m_laboratoryItem = nullptr; // AAA1
};
