#pragma once

#include "model/MeasurementDocument.h"

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <array>

struct LaboratoryNames;
class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QWidget;

// The main window's menu bar (MainMenu1) and its actions. It builds the menus and shows the
// document's enabled, checked and visible states on them; what a command does is the window's,
// which connects to the actions. The actions belong to the window, as the commands do.
//
// A further menu goes in with AddMenu (before an existing top-level item if given) and gets its
// items through AddItem, so it takes the same names and shortcuts as the rest.
class MainMenus : public QObject {
    Q_OBJECT
public:
    MainMenus(QMainWindow& window, const MeasurementDocument& document, const LaboratoryNames& laboratory);

    QMenuBar* Bar() const { return m_bar; }
    QMenu* AddMenu(const QString& title, const char* name, QAction* before = nullptr);
    // An action named name under owner (a menu or the bar), owned by the window.
    QAction* AddItem(QWidget* owner, const char* name, const QString& caption, const QKeySequence& key = {});

    void ShowViewState(); // enabled, checked and visible states and the chart captions

    // "Правка", right after "Файл": undo and redo, captioned with what they undo and redo.
    void ShowHistory(const QString& undoCaption, bool canUndo, const QString& redoCaption, bool canRedo);

    QMenu* FileMenu() const { return m_fileMenu; }
    QMenu* EditMenu() const { return m_editMenu; }
    QAction* UndoItem() const { return m_undo; } // Ctrl+Z
    QAction* RedoItem() const { return m_redo; } // Ctrl+Y, Ctrl+Shift+Z
    QAction* NewItem() const { return m_new; } // N9
    QAction* LoadItem() const { return m_load; } // MLoad
    QAction* SaveItem() const { return m_save; } // MSave
    QAction* SaveAsItem() const { return m_saveAs; } // MSaveAs
    QAction* ImportItem() const { return m_importData; }
    QAction* ExportItem() const { return m_exportTable; }
    QAction* PrintReportItem() const { return m_printReport; } // N7
    QAction* ExitItem() const { return m_exit; } // MExit
    QAction* ExamplesItem() const { return m_examples; } // N2
    QAction* HintsSwitch() const { return m_hintsSwitch; } // MHints
    QAction* ChangeLogItem() const { return m_changeLog; } // "Журнал змін..."
    QAction* ChartChoiceItem(int item) const { return m_chartChoices[size_t(item)]; } // N11 .. N61, N13
    QAction* ComputeItem() const { return m_compute; } // N1
    QAction* AboutItem() const { return m_about; } // N3

Q_SIGNALS:
    void chartChoiceTriggered(int item); // N11 .. N61 and N13; the check mark has already flipped

private:
    void build(const LaboratoryNames& laboratory);

    QMainWindow& m_window;
    const MeasurementDocument& m_document;
    QMenuBar* m_bar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_new = nullptr;
    QAction* m_load = nullptr;
    QAction* m_save = nullptr;
    QAction* m_saveAs = nullptr;
    QAction* m_importData = nullptr; // "Імпорт даних..."
    QAction* m_exportTable = nullptr; // "Експорт таблиці..."
    QAction* m_printReport = nullptr;
    QAction* m_exit = nullptr;
    QMenu* m_editMenu = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_examples = nullptr;
    QMenu* m_optionsMenu = nullptr; // N4
    QAction* m_hintsSwitch = nullptr;
    QAction* m_changeLog = nullptr;
    QMenu* m_chartsMenu = nullptr; // N10
    std::array<QAction*, ChartChoiceCount> m_chartChoices {};
    QAction* m_spreadSeparator = nullptr; // N16
    QAction* m_compute = nullptr;
    QAction* m_about = nullptr;
    QAction* m_laboratoryItem = nullptr; // AAA1
};
