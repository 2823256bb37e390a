#include "ui/MainForm.h"

#include "actions/DocumentActions.h"
#include "compute/ComputeDriver.h"
#include "exchange/TableExport.h"
#include "model/DocumentFile.h"
#include "model/NewDocument.h"
#include "paint/ChartPage.h"
#include "presentation/ComputeFlow.h"
#include "presentation/MainWindowState.h"
#include "program/ProgramFiles.h"
#include "ui/AboutBox.h"
#include "ui/BusyCursor.h"
#include "ui/ChangeLogWindow.h"
#include "ui/ChartPageView.h"
#include "ui/ChartPages.h"
#include "ui/DataPage.h"
#include "ui/ExampleChooser.h"
#include "ui/GroupHandlingBox.h"
#include "ui/HeaderPage.h"
#include "ui/Hints.h"
#include "ui/ImportDialog.h"
#include "ui/MainMenus.h"
#include "ui/MessageBoxMessenger.h"
#include "ui/NewDocumentDialog.h"
#include "ui/RecoveryController.h"
#include "ui/ReportDialog.h"
#include "ui/ScreenCentre.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QScrollBar>
#include <QShortcut>
#include <QTabWidget>

namespace {

const char* const tabNames[8]
    = { "TabSheet6", "TabSheet1", "TabSheet2", "TabSheet3", "TabSheet7", "TabSheet8", "TabSheet4", "TabSheet5" };

} // namespace

TMainForm::TMainForm(Messenger* messenger, QWidget* parent)
    : QMainWindow(parent)
    , m_messenger(messenger)
{
    if (!m_messenger) {
        m_ownMessenger = std::make_unique<MessageBoxMessenger>(this);
        m_messenger = m_ownMessenger.get();
    }
    m_document = std::make_unique<MeasurementDocument>(*m_messenger);
    m_actions = new DocumentActions(*m_document, this);
    m_hints = new Hints(this);
    setObjectName(QStringLiteral("MainForm"));

    // The folder of the delivered files: beside the program, or share/meridan when installed.
    m_programFolder = DataFolderFor(QCoreApplication::applicationDirPath()) + QLatin1Char('/');
    m_hints->SetFolder(m_programFolder);
    m_laboratory = ReadLaboratoryNames(LaboratoryDefaultsFile(m_programFolder));
    m_newDialog = new TfmTempNew(this);
    m_aboutBox = new TAboutBox(this);
    m_choiseForm = new TChoiseForm(m_hints, this);
    m_chooseExample = [this] { return m_choiseForm->Choose(); };
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            m_helpDue = true;
    });
    m_chooseNewKind = [this] { return m_newDialog->Execute(); };
    m_chooseOpenFile = [this] {
        QFileDialog dialog(
            this, QStringLiteral("Завантажити"), m_programFolder, QStringLiteral("Meridan files (*.mrd)"));
        dialog.setObjectName(QStringLiteral("OpenDialog1"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("mrd"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    m_chooseSaveFile = [this] {
        QFileDialog dialog(
            this, QStringLiteral("Зберегти як"), m_programFolder, QStringLiteral("Meridan files (*.mrd)"));
        dialog.setObjectName(QStringLiteral("SaveDialog1"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("mrd"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };

    // A fixed window: title bar with the system menu, minimise and close only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    m_pages = new QTabWidget(client);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(4, 4, ClientWidth - 8, ClientHeight - 8);
    m_pages->setUsesScrollButtons(true); // eight long Ukrainian captions do not fit side by side
    m_pages->setElideMode(Qt::ElideNone);
    static const char* const captions[2] = { "Загальні відомості", "Таблиця даних" };
    for (int i = 0; i < 8; ++i) {
        auto* tab = new QWidget;
        tab->setObjectName(QLatin1String(tabNames[i]));
        m_pages->addTab(tab, i < 2 ? QString::fromUtf8(captions[i]) : QString());
    }
    m_headerPage = new HeaderPage(*m_document, *m_hints, m_pages->widget(HeaderTab), this);
    m_dataPage = new DataPage(
        *m_document, *m_hints, m_pages->widget(DataTab), ClientHeight - 40,
        [this] { return m_pages->currentIndex() == DataTab; }, this);
    m_chartPages = new ChartPages(*m_document, *m_hints, this, m_pages, DataTab, ChartTabOffset, client);
    m_menus = new MainMenus(*this, *m_document, m_laboratory);
    connectMenus();
    m_headerPage->SetActions(m_actions);
    m_dataPage->SetActions(m_actions);
    m_chartPages->GroupBox()->SetActions(m_actions);
    connect(m_actions, &DocumentActions::historyChanged, this, &TMainForm::showHistory);
    // Every command, undo and redo appends to the log; an open log window shows it at once.
    connect(m_actions, &DocumentActions::historyChanged, this, [this] {
        if (m_changeLogWindow && m_changeLogWindow->isVisible())
            m_changeLogWindow->Refresh();
    });
    // An undo or redo drops the results (and may bring back a replaced document): the pages follow.
    connect(m_actions, &DocumentActions::historyMoved, this, [this] {
        m_dataPage->BringScrollBarInLine();
        m_chartPages->UpdateGroupBoxVisibility();
    });

    MeasurementDocument* doc = m_document.get();
    connect(doc, &MeasurementDocument::viewStateChanged, this, &TMainForm::showViewState);
    connect(doc, &MeasurementDocument::changedFlagChanged, this, &TMainForm::showViewState);
    m_dataPage->ConnectDocument();
    connect(m_headerPage, &HeaderPage::unitsChanged, m_chartPages, &ChartPages::UnitsChanged);
    connect(m_pages, &QTabWidget::currentChanged, m_chartPages, &ChartPages::PageChanged);
    m_recovery = new RecoveryController(*m_document, *m_messenger, {}, this);
    m_recovery->SetBeforeWrite([this] { m_actions->FlushLog(); });
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { m_hints->RepeatLastHint(); });

    m_document->SetFileName(QString());
    m_document->ClearChanged();
    showViewState();
    setFixedSize(sizeHint());
}

TMainForm::~TMainForm()
{
    // The views read the document until they go; they go with the window's children, after it.
    delete m_pages;
    delete m_chartPages->GroupBox();
}

QString TMainForm::EmptyDocumentQuestion()
{
    return QStringLiteral("Документ було змінено. Зберегти зміни?");
}

ChartPageView* TMainForm::ChartView(int slot) const
{
    return m_chartPages->ChartView(slot);
}

GroupHandlingBox* TMainForm::GroupBox() const
{
    return m_chartPages->GroupBox();
}

int TMainForm::ActiveChartSlot() const
{
    return m_chartPages->ActiveChartSlot();
}

void TMainForm::DrawChartPage(int slot)
{
    m_chartPages->DrawChartPage(slot);
}

void TMainForm::RedrawChartSet()
{
    m_chartPages->RedrawChartSet();
}

void TMainForm::connectMenus()
{
    const MainMenus& menus = *m_menus;
    connect(menus.NewItem(), &QAction::triggered, this, &TMainForm::N9Click);
    connect(menus.LoadItem(), &QAction::triggered, this, &TMainForm::MLoadClick);
    connect(menus.SaveItem(), &QAction::triggered, this, &TMainForm::MSaveClick);
    connect(menus.SaveAsItem(), &QAction::triggered, this, &TMainForm::MSaveAsClick);
    connect(menus.ImportItem(), &QAction::triggered, this, &TMainForm::ImportClick);
    connect(menus.ExportItem(), &QAction::triggered, this, &TMainForm::ExportClick);
    connect(menus.PrintReportItem(), &QAction::triggered, this, &TMainForm::PrintReportClick);
    connect(menus.ExitItem(), &QAction::triggered, this, &TMainForm::MExitClick);
    connect(menus.ExamplesItem(), &QAction::triggered, this, &TMainForm::ExamplesClick);
    connect(menus.HintsSwitch(), &QAction::triggered, this, &TMainForm::MHintsClick);
    connect(menus.ComputeItem(), &QAction::triggered, this, &TMainForm::N1Click);
    connect(menus.AboutItem(), &QAction::triggered, this, &TMainForm::AboutClick);
    connect(menus.ChangeLogItem(), &QAction::triggered, this, &TMainForm::ChangeLogClick);
    // An open cell edit ends first, as an edit of its own.
    connect(menus.UndoItem(), &QAction::triggered, this, [this] {
        m_dataPage->EndGridEditing();
        m_actions->Undo();
    });
    connect(menus.RedoItem(), &QAction::triggered, this, [this] {
        m_dataPage->EndGridEditing();
        m_actions->Redo();
    });
    connect(m_menus, &MainMenus::chartChoiceTriggered, this, [this](int item) {
        if (item == N13)
            N13Click();
        else
            ChartChoiceClick(item);
    });
}

void TMainForm::showViewState()
{
    const MeasurementDocument& doc = *m_document;
    const MainWindowState state(doc);
    setWindowTitle(state.WindowCaption());
    m_pages->setVisible(state.PagesVisible());
    m_menus->ShowViewState();
    m_dataPage->ShowViewState();
    m_chartPages->ShowChartTabs();
}

void TMainForm::showHistory()
{
    const DocumentActions& actions = *m_actions;
    m_menus->ShowHistory(actions.UndoCaption(), actions.CanUndo(), actions.RedoCaption(), actions.CanRedo());
}

// ---------------------------------------------------------------------------------------------
// Commands

void TMainForm::N9Click()
{
    if (!MaySafelyDiscard())
        return;
    NewDocument(m_chooseNewKind());
}

void TMainForm::NewDocument(int kind)
{
    if (kind != 1 && kind != 2)
        return;
    m_dataPage->EndGridEditing();
    m_dataPage->BeginBulkChange();
    CreateNewDocument(*m_document, kind == 1);
    m_actions->Clear();
    m_dataPage->EndBulkChange();
    DocumentReplaced();
}

void TMainForm::MLoadClick()
{
    if (!MaySafelyDiscard())
        return;
    const QString fileName = m_chooseOpenFile();
    if (!fileName.isEmpty())
        OpenDocument(fileName);
}

bool TMainForm::OpenDocument(const QString& fileName)
{
    m_dataPage->EndGridEditing();
    bool ok = false;
    {
        const BusyCursor busy;
        m_dataPage->BeginBulkChange();
        ok = LoadDocument(*m_document, fileName);
        m_actions->Clear(); // what was read, whole or in part, is where the history starts
        m_dataPage->EndBulkChange();
    }
    if (m_document->HasDocument())
        DocumentReplaced();
    return ok;
}

void TMainForm::DocumentReplaced()
{
    m_headerPage->ShowHeaderFields();
    m_dataPage->LayOutGrids(true);
    m_dataPage->ScrollGridsToTop();
    m_pages->setCurrentIndex(HeaderTab);
    showViewState();
    m_chartPages->UpdateGroupBoxVisibility();
    if (m_changeLogWindow)
        m_changeLogWindow->Refresh(true);
}

bool TMainForm::MSaveClick()
{
    if (!m_document->HasDocument())
        return false;
    if (m_document->FileName().isEmpty())
        return MSaveAsClick();
    return SaveDocumentAs(m_document->FileName());
}

bool TMainForm::MSaveAsClick()
{
    if (!m_document->HasDocument())
        return false;
    const QString fileName = m_chooseSaveFile();
    if (fileName.isEmpty())
        return false;
    return SaveDocumentAs(fileName);
}

bool TMainForm::SaveDocumentAs(const QString& fileName)
{
    m_dataPage->EndGridEditing();
    m_actions->FlushLog(); // a typing still open to merging is logged before the file is written
    const BusyCursor busy;
    if (!SaveDocument(*m_document, fileName))
        return false;
    m_actions->SetClean();
    return true;
}

bool TMainForm::MaySafelyDiscard()
{
    if (!m_document->HasDocument() || !m_document->Changed())
        return true;
    switch (m_messenger->AskYesNoCancel(EmptyDocumentQuestion())) {
    case Messenger::Answer::Yes:
        return MSaveClick();
    case Messenger::Answer::No:
        return true;
    case Messenger::Answer::Cancel:
        break;
    }
    return false;
}

void TMainForm::ImportClick()
{
    const QString fileName = m_chooseImportFile
        ? m_chooseImportFile()
        : QFileDialog::getOpenFileName(this, QStringLiteral("Імпорт даних"), QString(), ImportFileFilter());
    if (fileName.isEmpty())
        return;
    m_dataPage->EndGridEditing();
    if (RunImportDialog(
            this, fileName, *m_document, *m_messenger, [this] { return MaySafelyDiscard(); }, m_actions))
        DocumentReplaced();
}

void TMainForm::ChangeLogClick()
{
    if (!m_document->HasDocument())
        return;
    m_dataPage->EndGridEditing();
    m_actions->FlushLog(); // the window shows every change made so far
    if (!m_changeLogWindow)
        m_changeLogWindow = new ChangeLogWindow(m_document->Log(), this);
    m_changeLogWindow->Refresh();
    m_changeLogWindow->show();
    m_changeLogWindow->raise();
    m_changeLogWindow->activateWindow();
}

void TMainForm::ExportClick()
{
    if (!m_document->HasDocument())
        return;
    QString fileName;
    if (m_chooseExportFile) {
        fileName = m_chooseExportFile();
    } else {
        QString filter;
        fileName = QFileDialog::getSaveFileName(
            this, QStringLiteral("Експорт таблиці"), QString(), ExportFileFilter(), &filter);
        if (!fileName.isEmpty() && QFileInfo(fileName).suffix().isEmpty())
            fileName += filter.contains(QLatin1String("xlsx")) ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    }
    if (!fileName.isEmpty())
        ExportTableTo(fileName);
}

bool TMainForm::ExportTableTo(const QString& fileName)
{
    m_dataPage->EndGridEditing();
    if (!m_document->IsComputed() && m_document->PointCount() > 0)
        Compute(); // a refused compute says why; the table then goes out without statistics
    const BusyCursor busy;
    return ExportTable(*m_document, fileName);
}

void TMainForm::CopyGridSelection(DataGridView* grid)
{
    m_dataPage->CopyGridSelection(grid);
}

bool TMainForm::PasteIntoGrid(DataGridView* grid, const QString& text)
{
    return m_dataPage->PasteIntoGrid(grid, text);
}

void TMainForm::PrintReportClick()
{
    ShowReportOptions(this, *m_document, *m_hints, m_laboratory, m_programFolder);
}

void TMainForm::MExitClick()
{
    close();
}

void TMainForm::ExamplesClick()
{
    if (!MaySafelyDiscard())
        return;
    const int entry = m_chooseExample();
    if (entry >= 0)
        OpenExample(entry);
}

bool TMainForm::OpenExample(int entry)
{
    // Only an example's own load shows its opening hint: a document of the analyst's is not the
    // example the hint describes.
    const bool ok = m_hints->RunExample(entry, [this](const QString& path) { return OpenDocument(path); });
    if (ok) {
        m_chartPages->UpdateGroupBoxVisibility();
        m_hints->ShowExampleHint(QStringLiteral("Початок"));
    }
    return ok;
}

void TMainForm::MHintsClick()
{
    // The action has already flipped its check mark; the hint shows only while hints were on.
    m_hints->ShowHint(QStringLiteral("Виводити повідомлення"));
    m_hints->SetHintsEnabled(m_menus->HintsSwitch()->isChecked());
}

void TMainForm::AboutClick()
{
    m_aboutBox->exec();
}

void TMainForm::N1Click()
{
    Compute();
}

void TMainForm::Compute()
{
    MeasurementDocument& doc = *m_document;
    // An open cell edit ends first: its new value drops the results and is computed with the rest.
    m_dataPage->EndGridEditing();
    if (!ComputeWanted(doc))
        return;
    const BusyCursor busy;
    ComputeSteps steps;
    steps.computed = [this] { m_dataPage->BringScrollBarInLine(); };
    steps.draw = [this, &doc](int slot) {
        if (!SlotInUse(doc, slot))
            return;
        QScrollBar* bar = ChartView(slot)->ScrollBar();
        {
            const QSignalBlocker blocker(bar);
            bar->setValue(0);
        }
        DrawChartPage(slot);
    };
    if (RunComputeAndDraw(doc, steps) != ComputeOutcome::Drawn)
        return;
    m_chartPages->ShowChartTabs();
    ShowPrecisionNotice(doc); // over the drawn charts
    m_hints->ShowExampleHint(QStringLiteral("Обчислити"));
    m_chartPages->ShowActiveSlot();
}

void TMainForm::ChartChoiceClick(int item)
{
    MeasurementDocument& doc = *m_document;
    doc.SetChartSelection(ChartChoice(item), m_menus->ChartChoiceItem(item)->isChecked());
    // The chart tabs follow the choice (MainWindowState) through the document's signal.
    if (!doc.IsComputed())
        return;
    m_chartPages->UpdateGroupBoxVisibility();
}

void TMainForm::N13Click()
{
    MeasurementDocument& doc = *m_document;
    doc.SetChartSelection(N13, m_menus->ChartChoiceItem(N13)->isChecked());
    if (!doc.IsComputed())
        return;
    doc.SetChartFormatFromN13();
    RedrawChartSet();
}

// ---------------------------------------------------------------------------------------------
// Window events

void TMainForm::closeEvent(QCloseEvent* event)
{
    m_dataPage->EndGridEditing();
    if (!MaySafelyDiscard()) {
        event->ignore();
        return;
    }
    m_recovery->DocumentClosed();
    m_hints->ShowHint(QStringLiteral("Вихід"));
    event->accept();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        CentreOnScreen(*this);
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Not again when one of the program's own windows (a hint included) closes over this one.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_helpDue) {
        m_helpDue = false;
        m_hints->ShowHint(QStringLiteral("Help"));
    }
}
