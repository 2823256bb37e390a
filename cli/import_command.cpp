#include "Commands.h"
#include "ConsoleMessenger.h"

#include "exchange/ImportSource.h"
#include "exchange/TableImport.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <QTextStream>
#include <optional>

namespace {

const char importUsage[] = "Використання: meridan-cli import IN -o OUT.mrd [--sheet NAME|N] [--values C1[-C2]] "
                           "[--date-column C] [--group-column C] [--note-column C] [--action-column C] "
                           "[--exclude-column C] [--header] [--delimiter D] [--decimal-comma] "
                           "[--encoding utf-8|cp1251]\n"
                           "C: номер стовпця від 1 або його назва в рядку заголовків (з --header). Непорожня "
                           "клітинка --exclude-column виключає точку з обчислення меж; її текст - причина.\n";

int usageError(const QString& why)
{
    QTextStream err(stderr);
    if (!why.isEmpty())
        err << why << '\n';
    err << importUsage;
    return 2;
}

struct ImportArguments {
    QString In;
    QString Out;
    SourceOptions Source;
    QString Values, DateColumn, GroupColumn, NoteColumn, ActionColumn, ExcludeColumn;
    bool Header = false;
};

// A column name as typed, fit for a message: short, and no control characters that a terminal
// would act on.
QString shownName(const QString& name)
{
    QString shown = name.size() > 40 ? name.left(40) + QStringLiteral("…") : name;
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u'?';
    }
    return shown;
}

std::optional<QChar> delimiterArgument(const QString& text)
{
    if (text == QLatin1String("tab") || text == QLatin1String("\\t") || text == QLatin1String("\t"))
        return QChar(u'\t');
    if (text.size() == 1 && text != QLatin1String("\"") && text != QLatin1String("\n") && text != QLatin1String("\r"))
        return text.front();
    return std::nullopt;
}

std::optional<TextEncoding> encodingArgument(const QString& text)
{
    const QString name = text.toLower();
    if (name == QLatin1String("utf-8") || name == QLatin1String("utf8"))
        return TextEncoding::Utf8;
    if (name == QLatin1String("cp1251") || name == QLatin1String("windows-1251"))
        return TextEncoding::Windows1251;
    return std::nullopt;
}

// Empty when the arguments are well formed; otherwise why not.
QString parseArguments(const QStringList& args, ImportArguments& out)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() { return args[++i]; };
        if (arg == QLatin1String("--header")) {
            out.Header = true;
        } else if (arg == QLatin1String("--decimal-comma")) {
            out.Source.Text.Decimal = DecimalSeparator::Comma;
        } else if (!arg.startsWith(QLatin1String("-")) || arg == QLatin1String("-")) {
            if (!out.In.isEmpty())
                return QStringLiteral("Зайвий аргумент: %1").arg(arg);
            out.In = arg;
        } else if (!hasValue) {
            return QStringLiteral("Після %1 бракує значення.").arg(arg);
        } else if (arg.endsWith(QLatin1String("-column")) && args[i + 1].trimmed().isEmpty()) {
            return QStringLiteral("Після %1 бракує стовпця.").arg(arg);
        } else if (arg == QLatin1String("-o")) {
            out.Out = value();
        } else if (arg == QLatin1String("--sheet")) {
            out.Source.Sheet = value();
        } else if (arg == QLatin1String("--values")) {
            out.Values = value();
        } else if (arg == QLatin1String("--date-column")) {
            out.DateColumn = value();
        } else if (arg == QLatin1String("--group-column")) {
            out.GroupColumn = value();
        } else if (arg == QLatin1String("--note-column")) {
            out.NoteColumn = value();
        } else if (arg == QLatin1String("--action-column")) {
            out.ActionColumn = value();
        } else if (arg == QLatin1String("--exclude-column")) {
            out.ExcludeColumn = value();
        } else if (arg == QLatin1String("--delimiter")) {
            out.Source.Text.Delimiter = delimiterArgument(value());
            if (!out.Source.Text.Delimiter)
                return QStringLiteral("Роздільник має бути одним символом або tab.");
        } else if (arg == QLatin1String("--encoding")) {
            out.Source.Text.Encoding = encodingArgument(value());
            if (!out.Source.Text.Encoding)
                return QStringLiteral("Кодування: utf-8 або cp1251.");
        } else {
            return QStringLiteral("Невідомий параметр: %1").arg(arg);
        }
    }
    if (out.In.isEmpty() || out.Out.isEmpty())
        return QStringLiteral("Потрібні вхідний файл і -o OUT.mrd.");
    return {};
}

// The value columns of "C1-C2", or of one column. Column names may themselves hold "-".
bool valueColumns(
    const SourceTable& table, bool header, const QString& range, std::vector<int>& columns, QString& error)
{
    auto find = [&](const QString& name) {
        const int column = FindColumn(table, header, name);
        if (column < 0 || column >= table.ColumnCount())
            error = QStringLiteral("Стовпця «%1» у файлі немає.").arg(shownName(name));
        return column < table.ColumnCount() ? column : -1;
    };
    int first = FindColumn(table, header, range);
    int last = first;
    if (first < 0 || first >= table.ColumnCount()) {
        const qsizetype dash = range.indexOf(u'-', 1);
        if (dash < 0) {
            find(range);
            return false;
        }
        first = find(range.left(dash));
        if (first < 0)
            return false;
        last = find(range.mid(dash + 1));
        if (last < 0)
            return false;
    }
    if (last < first)
        std::swap(first, last);
    for (int c = first; c <= last; ++c)
        columns.push_back(c);
    return true;
}

} // namespace

// meridan-cli import IN -o OUT.mrd [...]: a new document from a CSV, TSV, text file or a sheet
// of an XLSX or ODS workbook.
int RunImport(const QStringList& args)
{
    ImportArguments arguments;
    const QString why = parseArguments(args, arguments);
    if (!why.isEmpty())
        return usageError(why);

    QTextStream err(stderr);
    const LoadedSource source = LoadSource(arguments.In, arguments.Source);
    if (!source.Error.isEmpty()) {
        err << source.Error << '\n';
        return 1;
    }
    const SourceTable& table = source.Table;
    ImportChoice choice;
    choice.HeaderRow = arguments.Header;
    choice.Decimal = source.Decimal();
    auto column = [&](const QString& name, int& target) {
        if (name.isEmpty())
            return true;
        target = FindColumn(table, arguments.Header, name);
        if (target < 0 || target >= table.ColumnCount()) {
            err << QStringLiteral("Стовпця «%1» у файлі немає.").arg(shownName(name)) << '\n';
            return false;
        }
        return true;
    };
    if (!column(arguments.DateColumn, choice.DateColumn) || !column(arguments.GroupColumn, choice.GroupColumn)
        || !column(arguments.NoteColumn, choice.NoteColumn) || !column(arguments.ActionColumn, choice.ActionColumn)
        || !column(arguments.ExcludeColumn, choice.ExcludeColumn))
        return 1;
    if (arguments.Values.isEmpty()) {
        // The first column that is neither the date, the group nor a note.
        int c = 0;
        while (c == choice.DateColumn || c == choice.GroupColumn || c == choice.NoteColumn || c == choice.ActionColumn
            || c == choice.ExcludeColumn)
            ++c;
        choice.ValueColumns.push_back(c);
    } else {
        QString error;
        if (!valueColumns(table, arguments.Header, arguments.Values, choice.ValueColumns, error)) {
            err << error << '\n';
            return 1;
        }
    }
    if (table.UnclosedQuoteLine > 0)
        err << QStringLiteral("Лапки, відкриті в рядку %1, не закрито до кінця файлу.").arg(table.UnclosedQuoteLine)
            << '\n';

    const ImportPlan plan = PlanImport(table, choice);
    for (const QString& line : BadRowLines(plan))
        err << line << '\n';
    if (!plan.Error.isEmpty()) {
        err << plan.Error << '\n';
        return 1;
    }
    if (!plan.SingleGroups.isEmpty())
        err << QStringLiteral("Групи з однієї точки (обчислення їх не прийме): ") << plan.SingleGroups.join(u", ")
            << '\n';

    ConsoleMessenger messenger;
    MeasurementDocument doc(messenger);
    ApplyImport(doc, table, choice, plan, SourceTableName(arguments.In));
    if (!SaveDocument(doc, arguments.Out))
        return 1;
    QTextStream(stdout) << QStringLiteral("Імпортовано точок: %1, груп: %2, рядків з помилками: %3\n")
                               .arg(doc.PointCount())
                               .arg(doc.GroupCount())
                               .arg(plan.BadRowCount);
    return 0;
}
