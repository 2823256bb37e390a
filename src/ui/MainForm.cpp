#include "ui/MainForm.h"

#include "model/DocumentFile.h"
#include "presentation/GridScrolling.h"
#include "model/NewDocument.h"
#include "program/ProgramFiles.h"
#include "actions/Paste.h"
#include "exchange/TableClipboard.h"
#include "presentation/HeaderBandModel.h"
#include "presentation/TableGridModel.h"
#include "exchange/TableExport.h"
#include "paint/ChartPage.h"
#include "compute/ComputeDriver.h"
#include "ui/AboutBox.h"
#include "ui/BusyCursor.h"
#include "ui/ChartPageView.h"
#include "ui/DataGridView.h"
#include "ui/FocusEntry.h"
#include "ui/ExampleChooser.h"
#include "ui/GroupHandlingBox.h"
#include "ui/Hints.h"
#include "ui/ImportDialog.h"
#include "ui/MessageBoxMessenger.h"
#include "ui/RecoveryController.h"
#include "ui/ReportDialog.h"
#include "ui/ScreenCentre.h"
#include "ui/TableEditControls.h"
#include "ui/NewDocumentDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QTabWidget>

namespace {

constexpr int HeaderTextLimit = 78;
constexpr int UnitsLimit = 10;
constexpr int DataPanelWidth = 777;

const char* const tabNames[8]
    = { "TabSheet6", "TabSheet1", "TabSheet2", "TabSheet3", "TabSheet7", "TabSheet8", "TabSheet4", "TabSheet5" };
const char* const choiceNames[ChartChoiceCount] = { "N11", "N21", "N31", "N41", "N51", "N61", "N13" };

struct HeaderFieldControls {
    const char* CheckBox;
    const char* Edit;
    const char* Caption;
};
// In the order of HeaderField.
const HeaderFieldControls headerControls[HeaderFieldCount] = {
    { "CheckBox4", "Edit7", "Оператор:" },
    { "CheckBox12", "Edit18", "Вимірюваний параметр:" },
    { "CheckBox5", "Edit8", "Зразок (зразки):" },
    { "CheckBox6", "Edit12", "Метод підготовки проби:" },
    { "CheckBox7", "Edit11", "Метод виконання вимірювань:" },
    { "CheckBox8", "Edit10", "Прилад:" },
    { "CheckBox9", "Edit9", "Детектор:" },
};

// "00", the locale's date separator, "00", the separator, "0000"; a separator that is itself a
// mask character is escaped.
QString fillDateMask()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    QChar separator = QLatin1Char('.');
    for (const QChar c : format) {
        if (!c.isLetter()) {
            separator = c;
            break;
        }
    }
    QString sep = separator;
    if (QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{}").contains(separator))
        sep.prepend(QLatin1Char('\\'));
    return QStringLiteral("00") + sep + QStringLiteral("00") + sep + QStringLiteral("0000");
}

QString chartChoiceCaption(const MeasurementDocument& doc, int item)
{
    if (item == N13)
        return QStringLiteral("Виводити значення на графіках у нормованій формі");
    const QString caption = doc.HasDocument() ? doc.TabCaption(item) : QString();
    return caption.isEmpty() ? QStringLiteral("Карта %1").arg(item + 1) : caption;
}

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
        m_tabs[size_t(i)] = tab;
        m_pages->addTab(tab, i < 2 ? QString::fromUtf8(captions[i]) : QString());
    }
    buildHeaderPage(m_tabs[HeaderTab]);
    buildDataPage(m_tabs[DataTab]);
    buildChartPages();
    buildGroupBox(client);
    buildMenus();
    connectDocument();
    m_recovery = new RecoveryController(*m_document, *m_messenger, {}, this);
    connect(m_pages, &QTabWidget::currentChanged, this, &TMainForm::pageControl1Change);
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
    delete m_groupBox;
}

QString TMainForm::EmptyDocumentQuestion()
{
    return QStringLiteral("Документ було змінено. Зберегти зміни?");
}

// ---------------------------------------------------------------------------------------------
// Building the window

void TMainForm::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [this](QWidget* owner, const char* name, const QString& caption, const QKeySequence& key = {}) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        if (!key.isEmpty())
            action->setShortcut(key);
        owner->addAction(action);
        return action;
    };

    m_fileMenu = bar->addMenu(QStringLiteral("Файл"));
    m_fileMenu->setObjectName(QStringLiteral("FileMenu"));
    m_new = item(m_fileMenu, "N9", QStringLiteral("Нова "), QKeySequence(Qt::CTRL | Qt::Key_N));
    m_load = item(m_fileMenu, "MLoad", QStringLiteral("Завантажити"), QKeySequence(Qt::CTRL | Qt::Key_O));
    m_save = item(m_fileMenu, "MSave", QStringLiteral("Зберегти"), QKeySequence(Qt::CTRL | Qt::Key_S));
    m_saveAs = item(m_fileMenu, "MSaveAs", QStringLiteral("Зберегти як..."));
    m_fileMenu->addSeparator();
    m_importData = item(m_fileMenu, "ImportData", QStringLiteral("Імпорт даних..."));
    m_exportTable = item(m_fileMenu, "ExportTable", QStringLiteral("Експорт таблиці..."));
    m_fileMenu->addSeparator();
    m_printReport = item(m_fileMenu, "N7", QStringLiteral("Роздрукувати звіт"), QKeySequence(Qt::CTRL | Qt::Key_P));
    m_fileMenu->addSeparator();
    m_exit = item(m_fileMenu, "MExit", QStringLiteral("Вихід"));

    m_examples = item(bar, "N2", QStringLiteral("Приклади"));

    m_optionsMenu = bar->addMenu(QStringLiteral("Опції"));
    m_optionsMenu->setObjectName(QStringLiteral("N4"));
    m_optionsMenu->menuAction()->setObjectName(QStringLiteral("N4"));
    m_hintsSwitch = item(m_optionsMenu, "MHints", QStringLiteral("Виводити повідомлення"));
    m_hintsSwitch->setCheckable(true);
    m_hintsSwitch->setChecked(true);

    m_chartsMenu = bar->addMenu(QStringLiteral("Карти"));
    m_chartsMenu->setObjectName(QStringLiteral("N10"));
    m_chartsMenu->menuAction()->setObjectName(QStringLiteral("N10"));
    QMenu* centre = m_chartsMenu->addMenu(QStringLiteral("Відображення карт положення центру"));
    centre->setObjectName(QStringLiteral("N14"));
    QMenu* spread = m_chartsMenu->addMenu(QStringLiteral("Відображення карт розкиду"));
    spread->setObjectName(QStringLiteral("N15"));
    for (int i = 0; i < ChartChoiceCount; ++i) {
        QWidget* owner = i <= N21 ? centre : i <= N61 ? spread : static_cast<QWidget*>(m_chartsMenu);
        if (i == N51)
            m_spreadSeparator = spread->addSeparator();
        if (i == N13)
            m_chartsMenu->addSeparator()->setObjectName(QStringLiteral("N12"));
        QAction* action = item(owner, choiceNames[i], chartChoiceCaption(*m_document, i));
        action->setCheckable(true);
        action->setChecked(m_document->ChartSelection(ChartChoice(i)));
        m_chartChoices[size_t(i)] = action;
        if (i == N13)
            connect(action, &QAction::triggered, this, &TMainForm::N13Click);
        else
            connect(action, &QAction::triggered, this, [this, i] { ChartChoiceClick(i); });
    }
    m_spreadSeparator->setObjectName(QStringLiteral("N16"));

    m_compute = item(bar, "N1", QStringLiteral("Обчислити (F5)"), QKeySequence(Qt::Key_F5));
    m_about = item(bar, "N3", QStringLiteral("Про програму"));
    m_laboratoryItem = item(bar, "AAA1", m_laboratory.Caption());
    m_laboratoryItem->setEnabled(false);

    connect(m_new, &QAction::triggered, this, &TMainForm::N9Click);
    connect(m_load, &QAction::triggered, this, &TMainForm::MLoadClick);
    connect(m_save, &QAction::triggered, this, &TMainForm::MSaveClick);
    connect(m_saveAs, &QAction::triggered, this, &TMainForm::MSaveAsClick);
    connect(m_importData, &QAction::triggered, this, &TMainForm::ImportClick);
    connect(m_exportTable, &QAction::triggered, this, &TMainForm::ExportClick);
    connect(m_printReport, &QAction::triggered, this, &TMainForm::PrintReportClick);
    connect(m_exit, &QAction::triggered, this, &TMainForm::MExitClick);
    connect(m_examples, &QAction::triggered, this, &TMainForm::ExamplesClick);
    connect(m_hintsSwitch, &QAction::triggered, this, &TMainForm::MHintsClick);
    connect(m_compute, &QAction::triggered, this, &TMainForm::N1Click);
    connect(m_about, &QAction::triggered, this, &TMainForm::AboutClick);
}

void TMainForm::buildHeaderPage(QWidget* page)
{
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);
    int row = 0;
    auto lineEdit = [page](const char* name, int limit) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QLatin1String(name));
        edit->setMaxLength(limit);
        return edit;
    };

    m_fillDate = lineEdit("MaskEdit1", 10);
    m_fillDate->setInputMask(fillDateMask());
    m_fillDate->setFixedWidth(110);
    grid->addWidget(new QLabel(QStringLiteral("Дата заповнення:"), page), row, 0);
    grid->addWidget(m_fillDate, row++, 1, Qt::AlignLeft);
    m_tableName = lineEdit("TableName", HeaderTextLimit);
    grid->addWidget(new QLabel(QStringLiteral("Назва таблиці:"), page), row, 0);
    grid->addWidget(m_tableName, row++, 1);

    for (int f = 0; f < HeaderFieldCount; ++f) {
        auto* check = new QCheckBox(QString::fromUtf8(headerControls[f].Caption), page);
        check->setObjectName(QLatin1String(headerControls[f].CheckBox));
        QLineEdit* edit = lineEdit(headerControls[f].Edit, HeaderTextLimit);
        m_headerChecks[size_t(f)] = check;
        m_headerEdits[size_t(f)] = edit;
        grid->addWidget(check, row, 0);
        grid->addWidget(edit, row++, 1);
        const auto field = HeaderField(f);
        connect(check, &QCheckBox::clicked, this, [this, field, edit](bool checked) {
            m_document->SetHeaderPresent(field, checked);
            edit->setEnabled(checked);
        });
        connect(edit, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { m_document->SetHeaderText(field, text); });
    }

    m_units = lineEdit("Edit1", UnitsLimit);
    m_units->setFixedWidth(110);
    grid->addWidget(new QLabel(QStringLiteral("Одиниці вимірювання:"), page), row, 0);
    grid->addWidget(m_units, row++, 1, Qt::AlignLeft);

    m_additionalCheck = new QCheckBox(QStringLiteral("Додаткова інформація:"), page);
    m_additionalCheck->setObjectName(QStringLiteral("CheckBox10"));
    m_memo = new QPlainTextEdit(page);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setTabChangesFocus(true);
    grid->addWidget(m_additionalCheck, row, 0, Qt::AlignTop);
    grid->addWidget(m_memo, row++, 1);
    grid->setRowStretch(row - 1, 1);

    connect(m_fillDate, &QLineEdit::textEdited, this, [this](const QString& text) { m_document->SetFillDate(text); });
    connect(m_tableName, &QLineEdit::textEdited, this, [this](const QString& text) { m_document->SetTableName(text); });
    connect(m_units, &QLineEdit::textEdited, this, &TMainForm::unitsChange);
    connect(m_additionalCheck, &QCheckBox::clicked, this, [this](bool checked) {
        m_document->SetAdditionalInfoPresent(checked);
        m_memo->setEnabled(checked);
    });
    connect(m_memo, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_fillingHeader)
            m_document->SetAdditionalInfo(m_memo->toPlainText().split(QLatin1Char('\n')));
    });

    // Entering an edit (clicking the date) shows the editing hint once the event is over.
    for (QWidget* edit : std::initializer_list<QWidget*> { m_tableName, m_units, m_memo })
        edit->installEventFilter(this);
    for (QLineEdit* edit : m_headerEdits)
        edit->installEventFilter(this);
    m_fillDate->installEventFilter(this);
}

void TMainForm::buildDataPage(QWidget* page)
{
    m_dataPanel = new QWidget(page);
    m_dataPanel->setObjectName(QStringLiteral("DataPanel"));
    m_dataPanel->setGeometry(0, 0, DataPanelWidth, ClientHeight - 40);

    m_labelModel = new TableGridModel(*m_document, TableGridModel::Part::Labels, this);
    m_valueModel = new TableGridModel(*m_document, TableGridModel::Part::Values, this);
    m_resultModel = new TableGridModel(*m_document, TableGridModel::Part::Results, this);
    m_bandModel = new HeaderBandModel(*m_document, this);

    auto makeGrid = [this](const char* name, QAbstractItemModel* model) {
        auto* grid = new DataGridView(*m_document, m_dataPanel);
        grid->setObjectName(QLatin1String(name));
        grid->setModel(model);
        connect(grid, &DataGridView::keyPressed, this, [this] { m_hints->ShowHint(QStringLiteral("Зміни")); });
        return grid;
    };
    m_grid2 = makeGrid("StringGrid2", m_bandModel);
    m_grid2->horizontalHeader()->hide();
    m_grid2->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid2->SetSelectionRules(false);
    m_grid3 = makeGrid("StringGrid3", m_labelModel);
    m_grid1 = makeGrid("StringGrid1", m_valueModel);
    m_grid4 = makeGrid("StringGrid4", m_resultModel);
    m_grid4->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (DataGridView* grid : { m_grid1, m_grid4 }) {
        grid->SetAbandonDrags(true);
        connect(
            grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this, grid] { applyGridHeightRule(grid); });
    }
    for (DataGridView* grid : { m_grid3, m_grid1, m_grid4 })
        connect(grid, &DataGridView::topRowChanged, this, [this, grid](int row) { gridTopRowChanged(grid, row); });
    // Ctrl+C and Ctrl+V as in a spreadsheet; an open cell editor keeps them for its own text.
    for (DataGridView* grid : { m_grid3, m_grid1, m_grid4 }) {
        auto* copy = new QAction(grid);
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        connect(copy, &QAction::triggered, this, [this, grid] { CopyGridSelection(grid); });
        grid->addAction(copy);
        if (grid == m_grid4)
            continue;
        auto* paste = new QAction(grid);
        paste->setShortcut(QKeySequence::Paste);
        paste->setShortcutContext(Qt::WidgetShortcut);
        connect(paste, &QAction::triggered, this,
            [this, grid] { PasteIntoGrid(grid, QGuiApplication::clipboard()->text()); });
        grid->addAction(paste);
    }
    // The value grid scrolls sideways on its own; the header band follows it only in its width.

    m_scrollBar2 = new QScrollBar(Qt::Vertical, m_dataPanel);
    m_scrollBar2->setObjectName(QStringLiteral("ScrollBar2"));
    m_scrollBar2->setRange(0, GridScrolling::ScrollBarMaximum);
    m_scrollBar2->setSingleStep(1);
    m_scrollBar2->setPageStep(10);
    connect(m_scrollBar2, &QScrollBar::valueChanged, this, &TMainForm::scrollBar2Change);

    m_label18 = new QLabel(m_dataPanel);
    m_label18->setObjectName(QStringLiteral("Label18"));
    m_elementsLabel = new QLabel(QStringLiteral("Кількість елементів у підгрупі:"), m_dataPanel);
    m_elementsLabel->setObjectName(QStringLiteral("ElementsLabel"));
    m_elementsCombo = new QComboBox(m_dataPanel);
    m_elementsCombo->setObjectName(QStringLiteral("ElementsComboBox"));
    m_elementsCombo->setEditable(true);
    m_elementsCombo->setInsertPolicy(QComboBox::NoInsert);
    for (int size = 2; size <= 25; ++size)
        m_elementsCombo->addItem(QString::number(size));
    m_elementsCombo->setCurrentText(QStringLiteral("5"));
    m_elementsCombo->setMaxVisibleItems(12);
    connect(m_elementsCombo, &QComboBox::activated, this, &TMainForm::elementsComboBoxSelect);
    m_elementsCombo->lineEdit()->installEventFilter(this);

    m_label18->setGeometry(8, 392, 220, 20);
    m_elementsLabel->setGeometry(240, 392, 210, 20);
    m_elementsCombo->setGeometry(454, 390, 60, 24);
    layOutGrids();

    // The table operations (Button1 .. Button7 and their edits) below the grids; after an operation
    // the grids select its row and the table scroll bar follows the new row count.
    auto* tableEdit = new TableEditControls(*m_document, *m_hints, m_dataPanel);
    tableEdit->move(0, 418);
    connect(tableEdit, &TableEditControls::rowSelectionRequested, this,
        [this](int row) { TableEditControls::SelectRow(*m_grid3, *m_grid1, *m_grid4, row); });
    connect(tableEdit, &TableEditControls::tableEdited, this, &TMainForm::bringScrollBarInLine);
}

void TMainForm::buildChartPages()
{
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        QWidget* tab = m_tabs[size_t(ChartTabOffset + slot)];
        auto* view = new ChartPageView(*m_document, slot, tab);
        view->move(2, 2);
        m_chartViews[size_t(slot)] = view;
        m_pages->setTabVisible(ChartTabOffset + slot, false);
    }
}

void TMainForm::buildGroupBox(QWidget* client)
{
    m_groupBox = new GroupHandlingBox(*m_document, *m_hints, client);
    m_groupBox->setObjectName(QStringLiteral("GroupHandlingBox"));
    // Below the chart image and its scroll bar, over the lower part of the chart pages.
    m_groupBox->move((ClientWidth - m_groupBox->width()) / 2, ClientHeight - m_groupBox->height() - 4);
    m_groupBox->raise();
    m_groupBox->hide();
    connect(m_groupBox, &GroupHandlingBox::linesChanged, this, [this] { RedrawChartSet(); });
}

void TMainForm::connectDocument()
{
    MeasurementDocument* doc = m_document.get();
    connect(doc, &MeasurementDocument::viewStateChanged, this, &TMainForm::showViewState);
    connect(doc, &MeasurementDocument::changedFlagChanged, this, &TMainForm::showViewState);
    connect(doc, &MeasurementDocument::tableReset, this, [this] {
        layOutGrids();
        bringScrollBarInLine();
    });
    connect(doc, &MeasurementDocument::rowsInserted, this, &TMainForm::bringScrollBarInLine);
    connect(doc, &MeasurementDocument::rowsRemoved, this, &TMainForm::bringScrollBarInLine);
    connect(doc, &MeasurementDocument::headersChanged, this, [this] { m_grid2->viewport()->update(); });
}

// ---------------------------------------------------------------------------------------------
// Reflecting the document

void TMainForm::showViewState()
{
    const MeasurementDocument& doc = *m_document;
    setWindowTitle(doc.WindowCaption());
    const bool hasDocument = doc.HasDocument();
    m_pages->setVisible(hasDocument);

    const bool documentCommands = doc.DocumentCommandsEnabled();
    m_save->setEnabled(documentCommands);
    m_saveAs->setEnabled(documentCommands);
    m_exportTable->setEnabled(documentCommands);
    m_chartsMenu->menuAction()->setEnabled(documentCommands);
    m_compute->setEnabled(documentCommands);
    m_printReport->setEnabled(doc.PrintReportEnabled());
    for (int i = 0; i < ChartChoiceCount; ++i) {
        QAction* action = m_chartChoices[size_t(i)];
        const auto item = ChartChoice(i);
        action->setChecked(doc.ChartSelection(item));
        action->setVisible(item == N13 || doc.ChartChoiceVisible(item));
        action->setText(chartChoiceCaption(doc, i));
    }
    m_chartChoices[N21]->setEnabled(doc.MedianChartEnabled());
    m_chartChoices[N13]->setEnabled(doc.NormalisedChoiceEnabled());
    m_spreadSeparator->setVisible(!hasDocument || !doc.IndividualMode());

    m_label18->setText(doc.Label18Caption());
    const bool subgroups = doc.SubgroupControlsVisible();
    m_elementsLabel->setVisible(subgroups);
    m_elementsCombo->setVisible(subgroups);
    m_grid2->setVisible(subgroups);
    if (subgroups && !m_elementsCombo->lineEdit()->hasFocus()
        && m_elementsCombo->currentIndex() != doc.ElementsComboIndex()) {
        const QSignalBlocker blocker(m_elementsCombo);
        m_elementsCombo->setCurrentIndex(doc.ElementsComboIndex());
    }
    showChartTabs();
}

void TMainForm::showChartTabs()
{
    const MeasurementDocument& doc = *m_document;
    const int before = m_pages->currentIndex();
    {
        const QScopedValueRollback<bool> guard(m_updatingTabs, true);
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            const int tab = ChartTabOffset + slot;
            const bool visible = doc.HasDocument() && doc.ChartTabVisible(slot);
            if (!visible && m_pages->currentIndex() == tab)
                m_pages->setCurrentIndex(DataTab); // the results went: back to the table
            m_pages->setTabText(tab, doc.HasDocument() ? doc.TabCaption(slot) : QString());
            m_pages->setTabVisible(tab, visible);
        }
    }
    if (!doc.IsComputed()) {
        for (ChartPageView* view : m_chartViews)
            if (!view->Image().isNull())
                view->Clear();
    }
    if (m_pages->currentIndex() != before)
        pageControl1Change(m_pages->currentIndex());
    else
        updateGroupBoxVisibility();
}

void TMainForm::showHeaderFields()
{
    const MeasurementDocument& doc = *m_document;
    const QScopedValueRollback<bool> guard(m_fillingHeader, true);
    m_fillDate->setText(doc.FillDate());
    m_tableName->setText(doc.TableName());
    for (int f = 0; f < HeaderFieldCount; ++f) {
        const HeaderEntry& entry = doc.Header(HeaderField(f));
        m_headerChecks[size_t(f)]->setChecked(entry.Present);
        m_headerEdits[size_t(f)]->setText(entry.Text);
        m_headerEdits[size_t(f)]->setEnabled(entry.Present);
    }
    m_additionalCheck->setChecked(doc.AdditionalInfoPresent());
    m_memo->setPlainText(doc.AdditionalInfo().join(QLatin1Char('\n')));
    m_memo->setEnabled(doc.AdditionalInfoPresent());
    m_units->setText(doc.Units());
}

void TMainForm::updateGroupBoxVisibility()
{
    m_groupBox->setVisible(m_pages->isVisibleTo(this) && ActiveChartSlot() >= 0);
}

int TMainForm::ActiveChartSlot() const
{
    const int index = m_pages->currentIndex();
    if (index < ChartTabOffset || !m_pages->isTabVisible(index))
        return -1;
    return index - ChartTabOffset;
}

// ---------------------------------------------------------------------------------------------
// The data page

void TMainForm::layOutGrids(bool newDocument)
{
    const bool individual = !m_document->HasDocument() || m_document->IndividualMode();
    const int W = DataPanelWidth;
    const int rowHeight = DataGridView::RowHeight;
    if (individual) {
        const int gridHeight = 14 * rowHeight + 18;
        m_grid3->setGeometry(8, 10, 216, gridHeight);
        const int H = (W - 216 - 16 - 24) / 2;
        m_grid1->setGeometry(8 + 216, 10, H + 3, gridHeight);
        m_grid4->setGeometry(8 + 216 + H + 3, 10, H + 3, gridHeight);
        m_scrollBar2->setGeometry(m_grid4->geometry().right() + 2, 11, 16, gridHeight - 2);
        m_grid3->setColumnWidth(0, 90);
        m_grid3->setColumnWidth(1, 120);
        for (DataGridView* grid : { m_grid1, m_grid4 }) {
            grid->horizontalHeader()->setDefaultSectionSize(H - 2);
            grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            grid->setColumnWidth(0, H - 2);
        }
    } else {
        const int bandTop = 12;
        const int bandHeight = rowHeight + 4;
        const int top = bandTop + bandHeight + 4;
        const int gridHeight = 12 * rowHeight + 16;
        const int H = (W + 6 - 186 - 16) / 2;
        m_grid3->setGeometry(8, top, 186, gridHeight);
        m_grid1->setGeometry(8 + 186, top, H - 26, gridHeight);
        m_grid4->setGeometry(8 + 186 + H - 26, top, H + 2, gridHeight + 16);
        m_grid2->setGeometry(8, bandTop, m_grid4->geometry().right() + 1 - 8, bandHeight);
        m_scrollBar2->setGeometry(m_grid4->geometry().right() + 2, bandTop + 1, 16, gridHeight - 2 + bandHeight);
        m_grid3->setColumnWidth(0, 90);
        m_grid3->setColumnWidth(1, 90);
        const int valueWidth = H / 5 - 7;
        const int resultWidth = H / 3 - 1;
        const QList<int> widths = { 186 - 3, H - 26 - 1, H + 2 - 2 };
        for (int c = 0; c < 3; ++c)
            m_grid2->setColumnWidth(c, widths[c]);
        m_grid2->verticalHeader()->setDefaultSectionSize(rowHeight);
        const int valueColumns = m_document->ValueColumnCount();
        QHeaderView* valueHeader = m_grid1->horizontalHeader();
        valueHeader->setSectionResizeMode(QHeaderView::Interactive);
        if (newDocument || valueHeader->defaultSectionSize() != valueWidth) {
            valueHeader->setDefaultSectionSize(valueWidth);
            for (int c = 0; c < valueColumns; ++c)
                m_grid1->setColumnWidth(c, valueWidth);
        }
        QHeaderView* resultHeader = m_grid4->horizontalHeader();
        resultHeader->setSectionResizeMode(QHeaderView::Interactive);
        if (newDocument || resultHeader->defaultSectionSize() != resultWidth) {
            resultHeader->setDefaultSectionSize(resultWidth);
            for (int c = 0; c < 6; ++c)
                m_grid4->setColumnWidth(c, resultWidth);
        }
    }
    m_grid3->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    applyGridHeightRule(m_grid1);
    applyGridHeightRule(m_grid4);
}

void TMainForm::applyGridHeightRule(DataGridView* grid)
{
    // The height of StringGrid3 when every column fits, else room for the horizontal scroll bar.
    if (!m_document->HasDocument() || m_document->IndividualMode()) {
        if (grid->height() != m_grid3->height())
            grid->resize(grid->width(), m_grid3->height());
        return;
    }
    const int frame = 2 * grid->frameWidth();
    const bool fits = grid->horizontalHeader()->length() <= grid->width() - frame;
    const int height = m_grid3->height() + (fits ? 0 : 16);
    if (grid->height() != height)
        grid->resize(grid->width(), height);
}

void TMainForm::scrollGridsToTop()
{
    setGridsTopRow(1, nullptr);
    bringScrollBarInLine();
    m_grid1->SelectCell(1, 0);
    m_grid4->SelectCell(1, 0);
    m_grid3->SelectCell(1, 1);
    setGridsTopRow(1, nullptr);
}

void TMainForm::bringScrollBarInLine()
{
    const int rows = m_grid3->GridRowCount();
    const int visible = m_grid3->VisibleRows();
    const bool enabled = GridScrolling::ScrollBarEnabled(rows, visible);
    m_scrollBar2->setEnabled(enabled);
    if (!enabled)
        return;
    const QScopedValueRollback<bool> guard(m_scrollBarMoving, true);
    m_scrollBar2->setValue(GridScrolling::PositionForTopRow(rows, visible, m_grid3->TopRow(), false));
}

void TMainForm::scrollBar2Change(int position)
{
    if (m_scrollBarMoving)
        return;
    const int top = GridScrolling::TopRowForPosition(m_grid1->GridRowCount(), m_grid1->VisibleRows(), position);
    setGridsTopRow(top, nullptr);
}

void TMainForm::gridTopRowChanged(DataGridView* grid, int topRow)
{
    if (m_gridsMoving)
        return;
    if (!m_scrollBar2->isHidden() && m_scrollBar2->isEnabled()) {
        const QScopedValueRollback<bool> guard(m_scrollBarMoving, true);
        m_scrollBar2->setValue(
            GridScrolling::PositionForTopRow(grid->GridRowCount(), grid->VisibleRows(), topRow, grid == m_grid1));
    }
    setGridsTopRow(topRow, grid);
}

void TMainForm::setGridsTopRow(int topRow, DataGridView* except)
{
    const QScopedValueRollback<bool> guard(m_gridsMoving, true);
    for (DataGridView* grid : { m_grid1, m_grid3, m_grid4 })
        if (grid != except)
            grid->SetTopRow(topRow);
}

void TMainForm::elementsComboBoxSelect(int index)
{
    if (index + 2 == m_document->SubgroupSize())
        return;
    m_document->ChangeSubgroupSize(index + 2);
}

void TMainForm::elementsComboBoxExit()
{
    const bool tableTab = m_pages->currentIndex() == DataTab;
    const QString text = m_elementsCombo->currentText().trimmed();
    if (text == QString::number(m_document->SubgroupSize()))
        return;
    if (!m_document->SubmitSubgroupSizeText(text, tableTab)) {
        const QSignalBlocker blocker(m_elementsCombo);
        m_elementsCombo->setCurrentIndex(m_document->ElementsComboIndex());
        m_elementsCombo->setEditText(QString::number(m_document->SubgroupSize()));
    }
}

void TMainForm::endGridEditing()
{
    for (DataGridView* grid : { m_grid1, m_grid3, m_grid4 })
        grid->EndEditing();
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
    endGridEditing();
    for (TableGridModel* model : { m_labelModel, m_valueModel, m_resultModel })
        model->BeginBulkChange();
    CreateNewDocument(*m_document, kind == 1);
    for (TableGridModel* model : { m_labelModel, m_valueModel, m_resultModel })
        model->EndBulkChange();
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
    endGridEditing();
    bool ok = false;
    {
        const BusyCursor busy;
        for (TableGridModel* model : { m_labelModel, m_valueModel, m_resultModel })
            model->BeginBulkChange();
        ok = LoadDocument(*m_document, fileName);
        for (TableGridModel* model : { m_labelModel, m_valueModel, m_resultModel })
            model->EndBulkChange();
    }
    if (m_document->HasDocument())
        DocumentReplaced();
    return ok;
}

void TMainForm::DocumentReplaced()
{
    showHeaderFields();
    layOutGrids(true);
    scrollGridsToTop();
    m_pages->setCurrentIndex(HeaderTab);
    showViewState();
    updateGroupBoxVisibility();
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
    endGridEditing();
    const BusyCursor busy;
    return SaveDocument(*m_document, fileName);
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
    endGridEditing();
    if (RunImportDialog(this, fileName, *m_document, *m_messenger, [this] { return MaySafelyDiscard(); }))
        DocumentReplaced();
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
    endGridEditing();
    if (!m_document->IsComputed() && m_document->PointCount() > 0)
        Compute(); // a refused compute says why; the table then goes out without statistics
    const BusyCursor busy;
    return ExportTable(*m_document, fileName);
}

void TMainForm::CopyGridSelection(DataGridView* grid)
{
    QModelIndexList cells = grid->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && grid->currentIndex().isValid())
        cells.append(grid->currentIndex());
    if (cells.isEmpty())
        return;
    int top = cells.front().row(), bottom = top, left = cells.front().column(), right = left;
    for (const QModelIndex& cell : cells) {
        top = std::min(top, cell.row());
        bottom = std::max(bottom, cell.row());
        left = std::min(left, cell.column());
        right = std::max(right, cell.column());
    }
    const int offset = grid == m_grid3 ? TableColumns::Label
        : grid == m_grid1              ? TableColumns::FirstValue
                                       : TableColumns::FirstResult(*m_document);
    QGuiApplication::clipboard()->setText(CopyCells(*m_document, top + 1, bottom + 1, offset + left, offset + right));
}

bool TMainForm::PasteIntoGrid(DataGridView* grid, const QString& text)
{
    if (!m_document->HasDocument() || grid == m_grid4)
        return false;
    const QModelIndex current = grid->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : 1;
    const int column = (grid == m_grid3 ? TableColumns::Label : TableColumns::FirstValue)
        + (current.isValid() ? current.column() : 0);
    endGridEditing();
    const BusyCursor busy;
    return PasteCells(*m_document, row, column, ClipboardBlock(text));
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
        updateGroupBoxVisibility();
        m_hints->ShowExampleHint(QStringLiteral("Початок"));
    }
    return ok;
}

void TMainForm::MHintsClick()
{
    // The action has already flipped its check mark; the hint shows only while hints were on.
    m_hints->ShowHint(QStringLiteral("Виводити повідомлення"));
    m_hints->SetHintsEnabled(m_hintsSwitch->isChecked());
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
    endGridEditing();
    if (doc.SeparatorFlags().size() <= 1 || doc.IsComputed())
        return;
    const BusyCursor busy;
    if (!RunComputeCommand(doc, PrecisionNotice::Caller)) {
        bringScrollBarInLine();
        return;
    }
    bringScrollBarInLine();
    try {
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            if (!SlotInUse(doc, slot))
                continue;
            QScrollBar* bar = m_chartViews[size_t(slot)]->ScrollBar();
            {
                const QSignalBlocker blocker(bar);
                bar->setValue(0);
            }
            DrawChartPage(slot);
        }
    } catch (...) {
        // A drawing that gave up has said why; the document goes back to editing.
        doc.InvalidateResults();
        return;
    }
    showChartTabs();
    ShowPrecisionNotice(doc); // over the drawn charts
    m_hints->ShowExampleHint(QStringLiteral("Обчислити"));
    const int slot = ActiveChartSlot();
    if (slot >= 0)
        m_groupBox->ShowSlot(slot);
}

void TMainForm::DrawChartPage(int slot)
{
    if (!m_document->IsComputed() || !SlotInUse(*m_document, slot))
        return;
    ChartPageView* view = m_chartViews[size_t(slot)];
    view->UpdateScrollRange();
    view->Redraw();
}

void TMainForm::RedrawChartSet()
{
    for (int slot = 0; slot < ChartSlotCount; ++slot)
        DrawChartPage(slot);
}

void TMainForm::ChartChoiceClick(int item)
{
    MeasurementDocument& doc = *m_document;
    doc.SetChartSelection(ChartChoice(item), m_chartChoices[size_t(item)]->isChecked());
    if (!doc.IsComputed())
        return;
    const bool subgroups = !doc.IndividualMode();
    switch (item) {
    case N11:
        doc.SetChartTabVisible(SlotCentre, doc.ChartSelection(N11));
        break;
    case N21:
        doc.SetChartTabVisible(SlotMedians, subgroups && doc.SubgroupSize() <= 10 && doc.ChartSelection(N21));
        break;
    case N31:
    case N41:
        doc.SetChartTabVisible(SlotDeviation, doc.ChartSelection(N31));
        doc.SetChartTabVisible(SlotRelDeviation, subgroups && doc.ChartSelection(N41));
        break;
    case N51:
    case N61:
        doc.SetChartTabVisible(SlotRanges, subgroups && doc.ChartSelection(N51));
        doc.SetChartTabVisible(SlotRelRanges, subgroups && doc.ChartSelection(N61));
        break;
    default:
        break;
    }
    updateGroupBoxVisibility();
}

void TMainForm::N13Click()
{
    MeasurementDocument& doc = *m_document;
    doc.SetChartSelection(N13, m_chartChoices[N13]->isChecked());
    if (!doc.IsComputed())
        return;
    doc.SetChartFormatFromN13();
    RedrawChartSet();
}

void TMainForm::unitsChange(const QString& text)
{
    MeasurementDocument& doc = *m_document;
    doc.SetUnits(text);
    if (!doc.IsComputed())
        return;
    doc.SetChartFormatFromN13();
    RedrawChartSet();
    const int slot = ActiveChartSlot();
    if (slot >= 0)
        m_groupBox->ShowSlot(slot); // the units beside the sigma edit
}

void TMainForm::pageControl1Change(int index)
{
    if (m_updatingTabs)
        return;
    if (index > 0)
        m_hints->ShowExampleHintLater(QStringLiteral("Вкладка ") + QString::number(index));
    updateGroupBoxVisibility();
    const int slot = ActiveChartSlot();
    if (slot >= 0 && m_document->IsComputed())
        m_groupBox->ShowSlot(slot);
}

// ---------------------------------------------------------------------------------------------
// Window events

void TMainForm::closeEvent(QCloseEvent* event)
{
    endGridEditing();
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

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (EntersControl(event) && watched != m_fillDate && watched != m_elementsCombo->lineEdit())
        m_hints->ShowHintLater(QStringLiteral("Редагування"));
    else if (event->type() == QEvent::MouseButtonPress && watched == m_fillDate)
        m_hints->ShowHintLater(QStringLiteral("Редагування"));
    else if (event->type() == QEvent::FocusOut && watched == m_elementsCombo->lineEdit())
        elementsComboBoxExit();
    return QMainWindow::eventFilter(watched, event);
}
