#include "ui/ImportDialog.h"

#include "actions/DocumentActions.h"
#include "exchange/ImportSession.h"
#include "model/Messenger.h"
#include "ui/BusyCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

TImportDialog::TImportDialog(ImportSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("Імпорт даних - ") + QFileInfo(session.FileName()).fileName());
    resize(820, 700);

    auto* layout = new QVBoxLayout(this);

    auto* format = new QGroupBox(QStringLiteral("Файл"), this);
    auto* formatLayout = new QHBoxLayout(format);
    m_sheetLabel = new QLabel(QStringLiteral("Аркуш:"), format);
    m_sheet = new QComboBox(format);
    m_sheet->setObjectName(QStringLiteral("SheetComboBox"));
    m_encoding = new QComboBox(format);
    m_encoding->setObjectName(QStringLiteral("EncodingComboBox"));
    m_encoding->addItem(QStringLiteral("Автоматично"));
    m_encoding->addItem(QStringLiteral("UTF-8"), int(TextEncoding::Utf8));
    m_encoding->addItem(QStringLiteral("Windows-1251"), int(TextEncoding::Windows1251));
    m_delimiter = new QComboBox(format);
    m_delimiter->setObjectName(QStringLiteral("DelimiterComboBox"));
    m_delimiter->addItem(QStringLiteral("Автоматично"));
    m_delimiter->addItem(QStringLiteral("Крапка з комою (;)"), QChar(u';'));
    m_delimiter->addItem(QStringLiteral("Кома (,)"), QChar(u','));
    m_delimiter->addItem(QStringLiteral("Табуляція"), QChar(u'\t'));
    m_decimal = new QComboBox(format);
    m_decimal->setObjectName(QStringLiteral("DecimalComboBox"));
    m_decimal->addItem(QStringLiteral("Автоматично"));
    m_decimal->addItem(QStringLiteral("Кома"), int(DecimalSeparator::Comma));
    m_decimal->addItem(QStringLiteral("Крапка"), int(DecimalSeparator::Point));
    formatLayout->addWidget(m_sheetLabel);
    formatLayout->addWidget(m_sheet, 1);
    formatLayout->addWidget(new QLabel(QStringLiteral("Кодування:"), format));
    formatLayout->addWidget(m_encoding);
    formatLayout->addWidget(new QLabel(QStringLiteral("Роздільник:"), format));
    formatLayout->addWidget(m_delimiter);
    formatLayout->addWidget(new QLabel(QStringLiteral("Десятковий знак:"), format));
    formatLayout->addWidget(m_decimal);
    layout->addWidget(format);

    m_header = new QCheckBox(QStringLiteral("Перший рядок містить назви стовпців"), this);
    m_header->setObjectName(QStringLiteral("HeaderCheckBox"));
    layout->addWidget(m_header);

    m_preview = new QTableWidget(this);
    m_preview->setObjectName(QStringLiteral("PreviewGrid"));
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setSelectionMode(QAbstractItemView::NoSelection);
    m_preview->verticalHeader()->setDefaultSectionSize(22);
    layout->addWidget(m_preview, 2);

    auto* columns = new QGroupBox(QStringLiteral("Стовпці"), this);
    auto* columnsLayout = new QFormLayout(columns);
    auto* valueRow = new QHBoxLayout;
    m_firstValue = new QComboBox(columns);
    m_firstValue->setObjectName(QStringLiteral("FirstValueComboBox"));
    m_valueCount = new QSpinBox(columns);
    m_valueCount->setObjectName(QStringLiteral("ValueCountSpinBox"));
    m_valueCount->setRange(1, 25);
    valueRow->addWidget(m_firstValue, 1);
    valueRow->addWidget(
        new QLabel(QStringLiteral("кількість стовпців (1 — індивідуальні значення, 2–25 — підгрупи):"), columns));
    valueRow->addWidget(m_valueCount);
    columnsLayout->addRow(QStringLiteral("Значення, починаючи зі стовпця:"), valueRow);
    m_date = new QComboBox(columns);
    m_date->setObjectName(QStringLiteral("DateComboBox"));
    columnsLayout->addRow(QStringLiteral("Дата:"), m_date);
    m_group = new QComboBox(columns);
    m_group->setObjectName(QStringLiteral("GroupComboBox"));
    m_group->setToolTip(
        QStringLiteral("Зміна значення в цьому стовпці починає нову групу (між групами стане розділювач)"));
    columnsLayout->addRow(QStringLiteral("Група:"), m_group);
    m_note = new QComboBox(columns);
    m_note->setObjectName(QStringLiteral("NoteComboBox"));
    columnsLayout->addRow(QStringLiteral("Примітка:"), m_note);
    m_action = new QComboBox(columns);
    m_action->setObjectName(QStringLiteral("ActionComboBox"));
    columnsLayout->addRow(QStringLiteral("Коригувальна дія:"), m_action);
    m_exclude = new QComboBox(columns);
    m_exclude->setObjectName(QStringLiteral("ExcludeComboBox"));
    m_exclude->setToolTip(
        QStringLiteral("Непорожня клітинка виключає точку з обчислення меж; її текст — причина виключення"));
    columnsLayout->addRow(QStringLiteral("Причина виключення:"), m_exclude);
    layout->addWidget(columns);

    auto* bad = new QGroupBox(QStringLiteral("Рядки, у яких вибрані клітинки не є числами"), this);
    auto* badLayout = new QVBoxLayout(bad);
    m_badRows = new QListWidget(bad);
    m_badRows->setObjectName(QStringLiteral("BadRowsList"));
    m_keepEmpty = new QRadioButton(
        QStringLiteral("Імпортувати їх з порожніми клітинками (обчислення про них повідомить)"), bad);
    m_keepEmpty->setObjectName(QStringLiteral("KeepEmptyRadio"));
    m_leaveOut = new QRadioButton(QStringLiteral("Пропустити ці рядки"), bad);
    m_leaveOut->setObjectName(QStringLiteral("LeaveOutRadio"));
    badLayout->addWidget(m_badRows, 1);
    badLayout->addWidget(m_keepEmpty);
    badLayout->addWidget(m_leaveOut);
    layout->addWidget(bad, 1);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("SummaryLabel"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    auto* buttons = new QDialogButtonBox(this);
    m_import = buttons->addButton(QStringLiteral("Імпортувати"), QDialogButtonBox::AcceptRole);
    m_import->setObjectName(QStringLiteral("ImportButton"));
    buttons->addButton(QStringLiteral("Скасувати"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    showSession();

    connect(m_sheet, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_showing || index < 0)
            return;
        m_session.SetSheet(index);
        showSession();
    });
    for (QComboBox* box : { m_encoding, m_delimiter, m_decimal })
        connect(box, &QComboBox::currentIndexChanged, this, &TImportDialog::formatChanged);
    connect(m_header, &QCheckBox::toggled, this, [this](bool header) {
        if (m_showing)
            return;
        m_session.SetHeaderRow(header);
        showSession();
    });
    for (QComboBox* box : { m_firstValue, m_date, m_group, m_note, m_action, m_exclude })
        connect(box, &QComboBox::currentIndexChanged, this, &TImportDialog::columnsChanged);
    connect(m_valueCount, &QSpinBox::valueChanged, this, &TImportDialog::columnsChanged);
    connect(m_leaveOut, &QRadioButton::toggled, this, [this](bool leaveOut) {
        if (m_showing)
            return;
        m_session.SetLeaveOutBadRows(leaveOut);
        showPlan();
    });
}

void TImportDialog::formatChanged()
{
    if (m_showing)
        return;
    const QVariant encoding = m_encoding->currentData();
    const QVariant delimiter = m_delimiter->currentData();
    const QVariant decimal = m_decimal->currentData();
    // Whichever changed, the session re-reads the file once per setter; all three are cheap to pass.
    const TextFormatChoice& current = m_session.Options().Text;
    const std::optional<TextEncoding> newEncoding
        = encoding.isValid() ? std::optional(TextEncoding(encoding.toInt())) : std::nullopt;
    const std::optional<QChar> newDelimiter = delimiter.isValid() ? std::optional(delimiter.toChar()) : std::nullopt;
    const std::optional<DecimalSeparator> newDecimal
        = decimal.isValid() ? std::optional(DecimalSeparator(decimal.toInt())) : std::nullopt;
    if (newEncoding != current.Encoding)
        m_session.SetEncoding(newEncoding);
    if (newDelimiter != current.Delimiter)
        m_session.SetDelimiter(newDelimiter);
    if (newDecimal != current.Decimal)
        m_session.SetDecimal(newDecimal);
    showSession();
}

void TImportDialog::columnsChanged()
{
    if (m_showing)
        return;
    m_session.SetValueColumns(m_firstValue->currentIndex(), m_valueCount->value());
    m_session.SetDateColumn(m_date->currentIndex() - 1);
    m_session.SetGroupColumn(m_group->currentIndex() - 1);
    m_session.SetNoteColumns(m_note->currentIndex() - 1, m_action->currentIndex() - 1, m_exclude->currentIndex() - 1);
    showPlan();
}

void TImportDialog::showSession()
{
    m_showing = true;
    const bool workbook = m_session.IsWorkbook();
    m_sheetLabel->setVisible(workbook);
    m_sheet->setVisible(workbook);
    if (workbook && m_sheet->count() != m_session.Sheets().size()) {
        m_sheet->clear();
        m_sheet->addItems(m_session.Sheets());
    }
    m_sheet->setCurrentIndex(m_session.SheetIndex());
    for (QComboBox* box : { m_encoding, m_delimiter, m_decimal })
        box->setEnabled(!workbook);
    // "Автоматично" says what it found.
    const TextFormat& found = m_session.DetectedFormat();
    if (!workbook) {
        m_encoding->setItemText(0, QStringLiteral("Автоматично (%1)").arg(EncodingName(found.Encoding)));
        m_delimiter->setItemText(0, QStringLiteral("Автоматично (%1)").arg(DelimiterName(found.Delimiter)));
        m_decimal->setItemText(0,
            QStringLiteral("Автоматично (%1)")
                .arg(found.Decimal == DecimalSeparator::Comma ? QStringLiteral("кома") : QStringLiteral("крапка")));
    }

    const ImportChoice& choice = m_session.Choice();
    m_header->setChecked(choice.HeaderRow);
    const QStringList titles = m_session.ColumnTitles();
    m_firstValue->clear();
    m_firstValue->addItems(titles);
    m_firstValue->setCurrentIndex(choice.ValueColumns.empty() ? -1 : choice.ValueColumns.front());
    m_valueCount->setValue(std::max<int>(1, int(choice.ValueColumns.size())));
    for (QComboBox* box : { m_date, m_group, m_note, m_action, m_exclude }) {
        box->clear();
        box->addItem(QStringLiteral("немає"));
        box->addItems(titles);
    }
    m_date->setCurrentIndex(choice.DateColumn + 1);
    m_group->setCurrentIndex(choice.GroupColumn + 1);
    m_note->setCurrentIndex(choice.NoteColumn + 1);
    m_action->setCurrentIndex(choice.ActionColumn + 1);
    m_exclude->setCurrentIndex(choice.ExcludeColumn + 1);
    m_leaveOut->setChecked(choice.LeaveOutBadRows);
    m_keepEmpty->setChecked(!choice.LeaveOutBadRows);

    const SourceTable& table = m_session.Table();
    const int rows = std::min(table.RowCount(), PreviewRows);
    m_preview->clear();
    m_preview->setColumnCount(table.ColumnCount());
    m_preview->setRowCount(rows);
    m_preview->setHorizontalHeaderLabels(titles);
    QStringList lines;
    for (int row = 0; row < rows; ++row) {
        lines << QString::number(table.Line(row));
        for (int c = 0; c < table.CellCount(row); ++c)
            m_preview->setItem(row, c, new QTableWidgetItem(table.Cell(row, c).toString()));
    }
    m_preview->setVerticalHeaderLabels(lines);
    m_showing = false;
    showPlan();
}

void TImportDialog::showPlan()
{
    const ImportPlan& plan = m_session.Plan();
    m_badRows->clear();
    m_badRows->addItems(BadRowLines(plan));
    m_keepEmpty->setEnabled(!plan.BadRows.empty());
    m_leaveOut->setEnabled(!plan.BadRows.empty());
    m_summary->setText(m_session.Summary());
    m_summary->setStyleSheet(m_session.CanImport() ? QString() : QStringLiteral("color: red"));
    m_import->setEnabled(m_session.CanImport());

    // The chosen columns stand out in the preview.
    const ImportChoice& choice = m_session.Choice();
    for (int c = 0; c < m_preview->columnCount(); ++c) {
        const bool value
            = std::find(choice.ValueColumns.begin(), choice.ValueColumns.end(), c) != choice.ValueColumns.end();
        const bool chosen = value || c == choice.DateColumn || c == choice.GroupColumn || c == choice.NoteColumn
            || c == choice.ActionColumn || c == choice.ExcludeColumn;
        if (QTableWidgetItem* header = m_preview->horizontalHeaderItem(c)) {
            QFont font = header->font();
            font.setBold(chosen);
            header->setFont(font);
        }
    }
}

bool RunImportDialog(QWidget* parent, const QString& fileName, MeasurementDocument& doc, Messenger& messenger,
    const std::function<bool()>& confirmReplace, DocumentActions* actions)
{
    ImportSession session;
    bool opened = false;
    {
        const BusyCursor busy; // a file of a million rows takes a moment
        opened = session.Open(fileName);
    }
    if (!opened) {
        messenger.ShowMessage(session.Error());
        return false;
    }
    TImportDialog dialog(session, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (confirmReplace && !confirmReplace())
        return false;
    if (actions) {
        return actions->ReplaceContent(
            QStringLiteral("імпорт"), [&session](MeasurementDocument& target) { return session.Apply(target); });
    }
    return session.Apply(doc);
}

QString ImportFileFilter()
{
    return QStringLiteral("Таблиці (*.csv *.tsv *.txt *.xlsx *.ods);;Усі файли (*)");
}

QString ExportFileFilter()
{
    return QStringLiteral("CSV (*.csv);;Книга Excel (*.xlsx)");
}
