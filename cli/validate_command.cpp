#include "Commands.h"

#include "reports/ReportError.h"
#include "reports/Validation.h"
#include "reports/ValidationReport.h"

#include <QTextStream>

namespace {

int Usage(const QString& why = QString())
{
    QTextStream err(stderr);
    if (!why.isEmpty())
        err << why << '\n';
    err << "Використання: meridan-cli validate [-o OUT.pdf] [--json]\n";
    return 2;
}

} // namespace

int RunValidate(const QStringList& args)
{
    QString pdf;
    bool json = false;
    // --pack DIR (not in the usage text): another pack than the delivered one, for tests.
    QString folder;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--json")) {
            json = true;
        } else if (arg == QLatin1String("-o") || arg == QLatin1String("--pack")) {
            if (i + 1 >= args.size())
                return Usage(QStringLiteral("Немає значення для ") + arg);
            (arg == QLatin1String("-o") ? pdf : folder) = args[++i];
        } else {
            return Usage(QStringLiteral("Невідомий параметр: ") + arg);
        }
    }
    if (folder.isEmpty())
        folder = validation::DeliveredPackFolder();

    const validation::ValidationPack pack = validation::LoadValidationPack(folder);
    validation::PackResult result = validation::RunPack(pack, CurrentProgramIdentity());

    QTextStream err(stderr);
    if (!result.Error.isEmpty())
        err << result.Error << '\n';
    for (const validation::CaseResult& c : result.Cases) {
        for (const QString& error : c.Errors)
            err << c.Id << ": " << error << '\n';
    }
    QTextStream out(stdout);
    out << (json ? validation::PackJson(result) : validation::PackSummary(result));
    out.flush();

    if (!pdf.isEmpty()) {
        try {
            validation::WriteValidationPdf(result, pdf);
        } catch (const rpt::ReportError& error) {
            err << error.message() << '\n';
            return 1;
        }
    }
    return result.Ok ? 0 : 1;
}
