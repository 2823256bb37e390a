#include "ui/ChangeLogWindow.h"

#include "presentation/ChangeLogModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

QString ChangeLogWindow::Caption()
{
    return QStringLiteral("Журнал змін");
}

ChangeLogWindow::ChangeLogWindow(const ChangeLog& log, QWidget* parent)
    : QDialog(parent)
    , m_model(new ChangeLogModel(log, this))
{
    setObjectName(QStringLiteral("ChangeLogWindow"));
    setWindowTitle(Caption());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    setModal(false);
    resize(780, 420);

    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("LogVerdict"));
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("LogGrid"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    QHeaderView* header = m_grid->horizontalHeader();
    header->setStretchLastSection(true);
    m_grid->setColumnWidth(ChangeLogModel::IndexColumn, 44);
    m_grid->setColumnWidth(ChangeLogModel::TimeColumn, 170);
    m_grid->setColumnWidth(ChangeLogModel::UserColumn, 100);
    m_grid->setColumnWidth(ChangeLogModel::ChangeColumn, 300);

    m_close = new QPushButton(QStringLiteral("Закрити"), this);
    m_close->setObjectName(QStringLiteral("CloseButton"));
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_verdict, 1);
    bottom->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(bottom);
    Refresh(true);
}

void ChangeLogWindow::Refresh(bool reset)
{
    const QScrollBar* bar = m_grid->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    m_model->Refresh(reset);
    m_verdict->setText(m_model->VerdictText());
    // A broken chain is said in red, so it is not read past.
    m_verdict->setStyleSheet(
        m_model->VerifiedCount() < m_model->rowCount() ? QStringLiteral("color: #c00000;") : QString());
    if (atEnd || reset)
        m_grid->scrollToBottom(); // the latest change in sight, as in any log
}
