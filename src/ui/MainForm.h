#pragma once

#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "program/LaboratoryNames.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class ChangeLogWindow;
class ChartPages;
class ChartPageView;
class DataGridView;
class DataPage;
class DocumentActions;
class GroupHandlingBox;
class HeaderPage;
class Hints;
class MainMenus;
class TAboutBox;
class TChoiseForm;
class QTabWidget;
class RecoveryController;
class TfmTempNew;

// The main window: the one measurement document, its header page, the data table, the six chart
// pages and the group box below them, the menus and commands. It only shows the document and hands
// the analyst's actions to it.
//
// Each page is built by a class of its own (HeaderPage, DataPage, ChartPages, MainMenus); the
// window holds the document, wires the pages to it and to each other, and runs the commands.
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
    DocumentActions& Actions() { return *m_actions; } // the undo history every edit goes through
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
    ChartPageView* ChartView(int slot) const;
    GroupHandlingBox* GroupBox() const;
    DataPage* Data() const { return m_dataPage; }
    ChangeLogWindow* ChangeLogView() const { return m_changeLogWindow; } // nullptr until first shown
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
    void ChangeLogClick(); // "Журнал змін..." under "Опції"

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void connectMenus();
    void showViewState(); // captions, enabled, checked and visible states
    void showHistory(); // the captions and enabled states of "Правка"

    TAboutBox* m_aboutBox = nullptr;
    TChoiseForm* m_choiseForm = nullptr;
    std::function<int()> m_chooseExample;
    bool m_helpDue = true; // "Help" on the first activation and on each return from another program

    std::unique_ptr<Messenger> m_ownMessenger;
    Messenger* m_messenger;
    std::unique_ptr<MeasurementDocument> m_document;
    DocumentActions* m_actions = nullptr;
    RecoveryController* m_recovery = nullptr; // the document's recovery copy while it has unsaved changes
    Hints* m_hints;
    QString m_programFolder;
    LaboratoryNames m_laboratory;
    TfmTempNew* m_newDialog = nullptr;
    std::function<int()> m_chooseNewKind;
    std::function<QString()> m_chooseOpenFile;
    std::function<QString()> m_chooseSaveFile;
    std::function<QString()> m_chooseImportFile; // empty: the open dialog
    std::function<QString()> m_chooseExportFile; // empty: the save dialog

    QTabWidget* m_pages = nullptr; // PageControl1
    HeaderPage* m_headerPage = nullptr;
    DataPage* m_dataPage = nullptr;
    ChartPages* m_chartPages = nullptr;
    MainMenus* m_menus = nullptr;
    ChangeLogWindow* m_changeLogWindow = nullptr;
};
