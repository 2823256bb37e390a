#include "ui/AboutBox.h"

#include "reports/ReportError.h"
#include "reports/Validation.h"
#include "reports/ValidationReport.h"
#include "ui/BusyCursor.h"
#include "ui/MessageBoxMessenger.h"
#include "ui/Pictures.h"
#include "ui/ReportPreviewDialog.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

#ifndef MERIDAN_VERSION
#define MERIDAN_VERSION "0"
#endif

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Panel1(new QFrame(this))
    , ProgramIcon(new TPicture(QStringLiteral("about"), Panel1))
    , RichEdit1(new QTextEdit(Panel1))
    , OKButton(new QPushButton(QStringLiteral("OK"), this))
    , ValidateButton(new QPushButton(QStringLiteral("Перевірка розрахунків..."), this))
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Про програму"));
    setFixedSize(475, 222);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    Panel1->setGeometry(8, 8, 457, 169);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(16, 24, 145, 105);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(168, 8, 273, 153);
    RichEdit1->setReadOnly(true);
    RichEdit1->setFrameStyle(QFrame::NoFrame);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    font.setBold(true);
    RichEdit1->setFont(font);
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    palette.setColor(QPalette::Text, Qt::black);
    RichEdit1->setPalette(palette);
    RichEdit1->setPlainText(AboutLines().join(u'\n'));
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(191, 188, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept); // Esc rejects: the cancel button too
    ValidateButton->setObjectName(QStringLiteral("ValidateButton"));
    ValidateButton->setGeometry(276, 188, 189, 25);
    ValidateButton->setAutoDefault(false);
    connect(ValidateButton, &QPushButton::clicked, this, &TAboutBox::ValidateButtonClick);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TAboutBox::~TAboutBox() = default;

Messenger& TAboutBox::messenger()
{
    if (m_messenger)
        return *m_messenger;
    if (!m_ownMessenger)
        m_ownMessenger = std::make_unique<MessageBoxMessenger>(this);
    return *m_ownMessenger;
}

void TAboutBox::ValidateButtonClick()
{
    const QString folder = m_validationFolder.isEmpty() ? validation::DeliveredPackFolder() : m_validationFolder;
    const validation::ValidationPack pack = validation::LoadValidationPack(folder);
    if (!pack.Error.isEmpty()) {
        messenger().ShowMessage(pack.Error);
        return;
    }
    const int total = int(pack.Cases.size());
    QProgressDialog progress(QStringLiteral("Перевірка розрахунків..."), QStringLiteral("Скасувати"), 0, total, this);
    progress.setObjectName(QStringLiteral("ValidationProgress"));
    progress.setWindowTitle(QStringLiteral("Про програму"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setValue(0);
    validation::PackResult result = validation::RunPack(pack, CurrentProgramIdentity(), [&progress](int done, int) {
        progress.setValue(done); // also lets the cancel button be pressed
        return !progress.wasCanceled();
    });
    const bool cancelled = progress.wasCanceled();
    progress.close();
    if (cancelled)
        return;

    std::unique_ptr<rpt::PreparedReport> report;
    try {
        BusyCursor busy;
        report = std::make_unique<rpt::PreparedReport>(validation::BuildValidationReport(result));
    } catch (const rpt::ReportError& error) {
        messenger().ShowMessage(error.message());
        return;
    }
    if (m_preview) {
        m_preview(*report);
        return;
    }
    ReportPreviewDialog preview(*report, messenger(), this);
    preview.setWindowTitle(validation::ValidationReportTitle());
    preview.exec();
}

QStringList TAboutBox::AboutLines()
{
    return { QStringLiteral("Мерідан"), QStringLiteral("Версія ") + QStringLiteral(MERIDAN_VERSION),
        QStringLiteral("Контрольні карти Шухарта"), QStringLiteral("для внутрішньолабораторного"),
        QStringLiteral("контролю якості вимірювань:"), QStringLiteral("Вестгард і ДСТУ ISO 8258."),
        QStringLiteral("Розробники програми «Мерідан»") };
}
