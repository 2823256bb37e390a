#include "ui/MainMenus.h"

#include "presentation/MainWindowState.h"
#include "program/LaboratoryNames.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

const char* const choiceNames[ChartChoiceCount] = { "N11", "N21", "N31", "N41", "N51", "N61", "N13" };

} // namespace

MainMenus::MainMenus(QMainWindow& window, const MeasurementDocument& document, const LaboratoryNames& laboratory)
    : QObject(&window)
    , m_window(window)
    , m_document(document)
{
    build(laboratory);
}

QMenu* MainMenus::AddMenu(const QString& title, const char* name, QAction* before)
{
    auto* menu = new QMenu(title, m_bar);
    menu->setObjectName(QLatin1String(name));
    if (before)
        m_bar->insertMenu(before, menu);
    else
        m_bar->addMenu(menu);
    return menu;
}

QAction* MainMenus::AddItem(QWidget* owner, const char* name, const QString& caption, const QKeySequence& key)
{
    auto* action = new QAction(caption, &m_window);
    action->setObjectName(QLatin1String(name));
    if (!key.isEmpty())
        action->setShortcut(key);
    owner->addAction(action);
    return action;
}

void MainMenus::ShowHistory(const QString& undoCaption, bool canUndo, const QString& redoCaption, bool canRedo)
{
    m_undo->setText(undoCaption);
    m_undo->setEnabled(canUndo);
    m_redo->setText(redoCaption);
    m_redo->setEnabled(canRedo);
}

void MainMenus::build(const LaboratoryNames& laboratory)
{
    m_bar = m_window.menuBar();
    m_bar->setObjectName(QStringLiteral("MainMenu1"));

    m_fileMenu = m_bar->addMenu(QStringLiteral("Файл"));
    m_fileMenu->setObjectName(QStringLiteral("FileMenu"));
    m_new = AddItem(m_fileMenu, "N9", QStringLiteral("Нова "), QKeySequence(Qt::CTRL | Qt::Key_N));
    m_load = AddItem(m_fileMenu, "MLoad", QStringLiteral("Завантажити"), QKeySequence(Qt::CTRL | Qt::Key_O));
    m_save = AddItem(m_fileMenu, "MSave", QStringLiteral("Зберегти"), QKeySequence(Qt::CTRL | Qt::Key_S));
    m_saveAs = AddItem(m_fileMenu, "MSaveAs", QStringLiteral("Зберегти як..."));
    m_fileMenu->addSeparator();
    m_importData = AddItem(m_fileMenu, "ImportData", QStringLiteral("Імпорт даних..."));
    m_exportTable = AddItem(m_fileMenu, "ExportTable", QStringLiteral("Експорт таблиці..."));
    m_fileMenu->addSeparator();
    m_printReport = AddItem(m_fileMenu, "N7", QStringLiteral("Роздрукувати звіт"), QKeySequence(Qt::CTRL | Qt::Key_P));
    m_fileMenu->addSeparator();
    m_exit = AddItem(m_fileMenu, "MExit", QStringLiteral("Вихід"));

    m_editMenu = m_bar->addMenu(QStringLiteral("Правка"));
    m_editMenu->setObjectName(QStringLiteral("EditMenu"));
    m_undo = AddItem(m_editMenu, "UndoAction", QStringLiteral("Скасувати"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = AddItem(m_editMenu, "RedoAction", QStringLiteral("Повторити"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    m_redo->setShortcuts({ QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) });
    ShowHistory(m_undo->text(), false, m_redo->text(), false);

    m_examples = AddItem(m_bar, "N2", QStringLiteral("Приклади"));

    m_optionsMenu = m_bar->addMenu(QStringLiteral("Опції"));
    m_optionsMenu->setObjectName(QStringLiteral("N4"));
    m_optionsMenu->menuAction()->setObjectName(QStringLiteral("N4"));
    m_hintsSwitch = AddItem(m_optionsMenu, "MHints", QStringLiteral("Виводити повідомлення"));
    m_hintsSwitch->setCheckable(true);
    m_hintsSwitch->setChecked(true);
    m_optionsMenu->addSeparator();
    m_changeLog = AddItem(m_optionsMenu, "ChangeLogItem", QStringLiteral("Журнал змін..."));

    m_chartsMenu = m_bar->addMenu(QStringLiteral("Карти"));
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
        QAction* action
            = AddItem(owner, choiceNames[i], MainWindowState(m_document).ChartChoiceCaption(ChartChoice(i)));
        action->setCheckable(true);
        action->setChecked(m_document.ChartSelection(ChartChoice(i)));
        m_chartChoices[size_t(i)] = action;
        connect(action, &QAction::triggered, this, [this, i] { Q_EMIT chartChoiceTriggered(i); });
    }
    m_spreadSeparator->setObjectName(QStringLiteral("N16"));

    m_compute = AddItem(m_bar, "N1", QStringLiteral("Обчислити (F5)"), QKeySequence(Qt::Key_F5));
    m_about = AddItem(m_bar, "N3", QStringLiteral("Про програму"));
    m_laboratoryItem = AddItem(m_bar, "AAA1", laboratory.Caption());
    m_laboratoryItem->setEnabled(false);
}

void MainMenus::ShowViewState()
{
    const MeasurementDocument& doc = m_document;
    const MainWindowState state(doc);
    const bool documentCommands = state.DocumentCommandsEnabled();
    m_save->setEnabled(documentCommands);
    m_saveAs->setEnabled(documentCommands);
    m_exportTable->setEnabled(documentCommands);
    m_changeLog->setEnabled(documentCommands);
    m_chartsMenu->menuAction()->setEnabled(documentCommands);
    m_compute->setEnabled(documentCommands);
    m_printReport->setEnabled(state.PrintReportEnabled());
    for (int i = 0; i < ChartChoiceCount; ++i) {
        QAction* action = m_chartChoices[size_t(i)];
        const auto item = ChartChoice(i);
        action->setChecked(doc.ChartSelection(item));
        action->setVisible(item == N13 || state.ChartChoiceVisible(item));
        action->setText(state.ChartChoiceCaption(item));
    }
    m_chartChoices[N21]->setEnabled(state.MedianChartEnabled());
    m_chartChoices[N13]->setEnabled(state.NormalisedChoiceEnabled());
    m_spreadSeparator->setVisible(state.SpreadSeparatorVisible());
}
