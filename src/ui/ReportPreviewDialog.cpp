#include "ui/ReportPreviewDialog.h"

#include "model/Messenger.h"
#include "reports/PageRenderer.h"
#include "reports/ReportError.h"
#include "reports/ReportExport.h"
#include "ui/ReportPageView.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {
bool offscreen()
{
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}
}

ReportPreviewDialog::ReportPreviewDialog(const rpt::PreparedReport& report, Messenger& messenger, QWidget* parent)
    : QDialog(parent)
    , m_report(report)
    , m_messenger(messenger)
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("ReportPreviewDialog"));
    setWindowTitle(QStringLiteral("Попередній перегляд звіту"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(900, 800);

    // The report's pages carry their own margins: print the whole paper.
    m_printer->setFullPage(true);
    if (!report.isEmpty()) {
        const QSizeF paper = report.page(0).paperMm;
        m_printer->setPageLayout(QPageLayout(QPageSize(paper, QPageSize::Millimeter),
            paper.width() > paper.height() ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
            QPageLayout::Millimeter));
    }

    m_view = new ReportPageView(report, this);
    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("PreviewToolBar"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);

    const auto addAction = [&](const QString& text, const QKeySequence& shortcut, auto slot) {
        QAction* action = toolBar->addAction(text);
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    addAction(QStringLiteral("Друк..."), QKeySequence::Print, [this] { print(); });
    addAction(QStringLiteral("Параметри сторінки..."), QKeySequence(), [this] { pageSetup(); });
    toolBar->addSeparator();
    addAction(QStringLiteral("PDF..."), QKeySequence(), [this] { exportWithDialog(Format::Pdf); });
    addAction(QStringLiteral("HTML..."), QKeySequence(), [this] { exportWithDialog(Format::Html); });
    addAction(QStringLiteral("RTF..."), QKeySequence(), [this] { exportWithDialog(Format::Rtf); });
    addAction(QStringLiteral("ODT..."), QKeySequence(), [this] { exportWithDialog(Format::Odt); });
    toolBar->addSeparator();
    addAction(QStringLiteral("+"), QKeySequence::ZoomIn, [this] {
        setZoomFactor(zoomFactor() * 1.25);
    })->setToolTip(QStringLiteral("Збільшити"));
    addAction(QStringLiteral("−"), QKeySequence::ZoomOut, [this] {
        setZoomFactor(zoomFactor() / 1.25);
    })->setToolTip(QStringLiteral("Зменшити"));
    addAction(QStringLiteral("За шириною"), QKeySequence(), [this] { m_view->fitToWidth(); });
    addAction(QStringLiteral("Сторінка цілком"), QKeySequence(), [this] { m_view->fitToPage(); });
    toolBar->addSeparator();
    addAction(QStringLiteral("|<"), QKeySequence(Qt::CTRL | Qt::Key_Home), [this] {
        setCurrentPage(1);
    })->setToolTip(QStringLiteral("Перша сторінка"));
    addAction(QStringLiteral("<"), QKeySequence(Qt::Key_PageUp), [this] {
        setCurrentPage(currentPage() - 1);
    })->setToolTip(QStringLiteral("Попередня сторінка"));
    m_pageBox = new QSpinBox(toolBar);
    m_pageBox->setObjectName(QStringLiteral("PageBox"));
    m_pageBox->setRange(1, std::max(1, report.pageCount()));
    toolBar->addWidget(m_pageBox);
    m_pageCountLabel = new QLabel(QStringLiteral(" з %1 ").arg(report.pageCount()), toolBar);
    toolBar->addWidget(m_pageCountLabel);
    addAction(QStringLiteral(">"), QKeySequence(Qt::Key_PageDown), [this] {
        setCurrentPage(currentPage() + 1);
    })->setToolTip(QStringLiteral("Наступна сторінка"));
    addAction(QStringLiteral(">|"), QKeySequence(Qt::CTRL | Qt::Key_End), [this] {
        setCurrentPage(pageCount());
    })->setToolTip(QStringLiteral("Остання сторінка"));
    toolBar->addSeparator();
    m_findEdit = new QLineEdit(toolBar);
    m_findEdit->setObjectName(QStringLiteral("FindEdit"));
    m_findEdit->setPlaceholderText(QStringLiteral("Пошук тексту"));
    m_findEdit->setMaximumWidth(200);
    toolBar->addWidget(m_findEdit);
    addAction(QStringLiteral("Знайти"), QKeySequence::Find, [this] { find(); });
    connect(m_findEdit, &QLineEdit::returnPressed, this, [this] { find(); });
    toolBar->addSeparator();
    addAction(QStringLiteral("Закрити"), QKeySequence(), [this] { reject(); });

    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != currentPage())
            m_view->setCurrentPage(page);
    });
    connect(m_view, &ReportPageView::currentPageChanged, this, [this] { updatePageLabel(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(m_view, 1);
    m_lastExportFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    updatePageLabel();
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

int ReportPreviewDialog::pageCount() const
{
    return m_report.pageCount();
}

int ReportPreviewDialog::currentPage() const
{
    return m_view->currentPage();
}

void ReportPreviewDialog::setCurrentPage(int page)
{
    m_view->setCurrentPage(page);
    updatePageLabel();
}

double ReportPreviewDialog::zoomFactor() const
{
    return m_view->zoomFactor();
}

void ReportPreviewDialog::setZoomFactor(double factor)
{
    m_view->setZoomFactor(factor);
}

void ReportPreviewDialog::updatePageLabel()
{
    const QSignalBlocker blocker(m_pageBox);
    m_pageBox->setValue(std::max(1, currentPage()));
}

void ReportPreviewDialog::find()
{
    const QString what = m_findEdit->text().trimmed();
    if (!what.isEmpty())
        findNext(what);
}

bool ReportPreviewDialog::findNext(const QString& what)
{
    const std::vector<int> pages = m_report.findText(what);
    if (pages.empty()) {
        m_messenger.ShowMessage(QStringLiteral("Текст \"%1\" у звіті не знайдено.").arg(what));
        return false;
    }
    const int current = currentPage() - 1;
    auto next = std::upper_bound(pages.begin(), pages.end(), current);
    setCurrentPage((next == pages.end() ? pages.front() : *next) + 1);
    return true;
}

void ReportPreviewDialog::paintPages(QPrinter& printer)
{
    int from = 1, to = pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(to, std::max(from, printer.toPage()));
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_messenger.ShowMessage(QStringLiteral("Не вдалося почати друк звіту."));
        return;
    }
    const rpt::PageRenderer renderer(m_report);
    for (int page = from; page <= to; ++page) {
        if (page > from)
            printer.newPage();
        // Full-page mode: the painter's origin is the paper's corner.
        const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
        renderer.render(painter, page - 1, QRectF(QPointF(0, 0), paper.size()));
    }
    painter.end();
}

void ReportPreviewDialog::print()
{
    if (m_report.isEmpty())
        return;
    QPrintDialog dialog(m_printer.get(), this);
    dialog.setWindowTitle(QStringLiteral("Друк звіту"));
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() == QDialog::Accepted)
        paintPages(*m_printer);
}

void ReportPreviewDialog::pageSetup()
{
    // Qt's page setup works on system printers only; given the PDF printer it falls back to when
    // none is installed, it warns and then crashes.
    if (m_printer->outputFormat() != QPrinter::NativeFormat) {
        m_messenger.ShowMessage(QStringLiteral("Параметри сторінки недоступні: у системі не встановлено принтера."));
        return;
    }
    QPageSetupDialog dialog(m_printer.get(), this);
    dialog.setWindowTitle(QStringLiteral("Параметри сторінки"));
    if (dialog.exec() == QDialog::Accepted)
        m_printer->setFullPage(true);
}

void ReportPreviewDialog::exportWithDialog(Format format)
{
    QString filter, suffix;
    switch (format) {
    case Format::Pdf:
        filter = QStringLiteral("PDF (*.pdf)");
        suffix = QStringLiteral("pdf");
        break;
    case Format::Html:
        filter = QStringLiteral("HTML (*.html *.htm)");
        suffix = QStringLiteral("html");
        break;
    case Format::Rtf:
        filter = QStringLiteral("RTF (*.rtf)");
        suffix = QStringLiteral("rtf");
        break;
    case Format::Odt:
        filter = QStringLiteral("OpenDocument (*.odt)");
        suffix = QStringLiteral("odt");
        break;
    }
    QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Експорт звіту"),
        QDir(m_lastExportFolder).filePath(QStringLiteral("Звіт.") + suffix), filter);
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QLatin1Char('.') + suffix;
    m_lastExportFolder = QFileInfo(fileName).absolutePath();
    exportTo(format, fileName);
}

bool ReportPreviewDialog::exportTo(Format format, const QString& fileName, bool openAfterwards)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const rpt::ExportInfo info { QFileInfo(fileName).completeBaseName() };
        switch (format) {
        case Format::Pdf:
            rpt::exportPdf(m_report, fileName, info);
            break;
        case Format::Html:
            rpt::exportHtml(m_report, fileName, info);
            break;
        case Format::Rtf:
            rpt::exportRtf(m_report, fileName, info);
            break;
        case Format::Odt:
            rpt::exportOdt(m_report, fileName, info);
            break;
        }
    } catch (const rpt::ReportError& error) {
        QGuiApplication::restoreOverrideCursor();
        m_messenger.ShowMessage(error.message());
        return false;
    }
    QGuiApplication::restoreOverrideCursor();
    if (openAfterwards && !offscreen())
        QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
    return true;
}
