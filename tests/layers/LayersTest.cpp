// The layer rule read from the sources. src/CMakeLists.txt is the one statement of which folder may
// use which (its meridan_layer lines); these tests check that the statement itself runs one way, that
// every include in src/ keeps to it, that the core never reaches Qt Widgets, and that src/README.md
// describes every folder and names only files that exist.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// Failures show the texts, not their bytes.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

struct Layer {
    QStringList Sees; // the folders besides its own whose headers it may include
    QStringList Links; // everything it links, from its meridan_layer line and target_link_libraries
};
using Layers = QHash<QString, Layer>;

QString WithoutComments(const QString& cmake)
{
    QStringList lines = cmake.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        const qsizetype hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
    }
    return lines.join(QLatin1Char('\n'));
}

QStringList Words(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

Layers ParseLayers(const QString& cmake)
{
    const QString text = WithoutComments(cmake);
    Layers layers;
    static const QRegularExpression call(QStringLiteral("(?:^|\\n)\\s*meridan_layer\\s*\\(([^)]*)\\)"));
    for (auto match = call.globalMatch(text); match.hasNext();) {
        const QStringList words = Words(match.next().captured(1));
        if (words.isEmpty())
            continue;
        Layer& layer = layers[words.front()];
        QStringList* into = nullptr;
        for (const QString& word : words.mid(1)) {
            if (word == QLatin1String("SEES"))
                into = &layer.Sees;
            else if (word == QLatin1String("LINKS"))
                into = &layer.Links;
            else if (into)
                into->append(word);
        }
    }
    static const QRegularExpression link(
        QStringLiteral("(?:^|\\n)\\s*target_link_libraries\\s*\\(\\s*meridan_(\\w+)([^)]*)\\)"));
    for (auto match = link.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        auto layer = layers.find(found.captured(1));
        if (layer == layers.end())
            continue;
        for (const QString& word : Words(found.captured(2))) {
            if (word != QLatin1String("PUBLIC") && word != QLatin1String("PRIVATE")
                && word != QLatin1String("INTERFACE"))
                layer->Links.append(word);
        }
    }
    return layers;
}

// Libraries that bring Qt Widgets with them.
bool IsWidgetsLibrary(const QString& library)
{
    return library == QLatin1String("Qt6::Widgets") || library == QLatin1String("Qt6::PrintSupport")
        || library == QLatin1String("Qt6::SvgWidgets") || library == QLatin1String("Qt::Widgets");
}

// What is wrong with the table itself: it must run one way with model at the bottom, link only what
// it sees, and keep Qt Widgets to ui.
QStringList TableViolations(const Layers& layers)
{
    QStringList found;
    if (!layers.contains(QStringLiteral("model")))
        found << QStringLiteral("no model layer");
    else if (!layers[QStringLiteral("model")].Sees.isEmpty())
        found << QStringLiteral("model sees %1").arg(layers[QStringLiteral("model")].Sees.join(u' '));
    for (auto it = layers.begin(); it != layers.end(); ++it) {
        for (const QString& seen : it->Sees) {
            if (!layers.contains(seen))
                found << QStringLiteral("%1 sees %2, which is no layer").arg(it.key(), seen);
            if (seen == QLatin1String("ui"))
                found << QStringLiteral("%1 sees ui").arg(it.key());
        }
        for (const QString& library : it->Links) {
            if (library.startsWith(QLatin1String("meridan_"))) {
                const QString linked = library.mid(8);
                if (!it->Sees.contains(linked))
                    found << QStringLiteral("%1 links %2 but does not see it").arg(it.key(), library);
            }
            if (it.key() != QLatin1String("ui") && IsWidgetsLibrary(library))
                found << QStringLiteral("%1 links %2").arg(it.key(), library);
        }
    }
    // One way: following the SEES arrows never comes back to where it started.
    QHash<QString, int> state; // 1 on the path, 2 done
    std::function<void(const QString&, QStringList&)> visit = [&](const QString& name, QStringList& path) {
        state[name] = 1;
        path << name;
        for (const QString& seen : layers.value(name).Sees) {
            if (state.value(seen) == 1)
                found << QStringLiteral("cycle: %1 -> %2").arg(path.join(QStringLiteral(" -> ")), seen);
            else if (state.value(seen) == 0 && layers.contains(seen))
                visit(seen, path);
        }
        path.removeLast();
        state[name] = 2;
    };
    QStringList names = layers.keys();
    names.sort();
    for (const QString& name : names) {
        QStringList path;
        if (state.value(name) == 0)
            visit(name, path);
    }
    return found;
}

// The headers of Qt Widgets and the modules built on it, by the names a source may include.
QSet<QString> WidgetsHeaders()
{
    QSet<QString> headers;
    const QStringList folders
        = QString::fromUtf8(MERIDAN_QT_WIDGETS_HEADERS).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (const QString& folder : folders) {
        const QString module = QDir(folder).dirName();
        headers << module;
        for (const QString& file : QDir(folder).entryList(QDir::Files)) {
            headers << file;
            headers << module + QLatin1Char('/') + file;
        }
    }
    return headers;
}

// What is wrong with the includes of one source of the given folder.
QStringList IncludeViolations(const QString& folder, const QString& path, const QString& text, const Layers& layers,
    const QSet<QString>& widgetsHeaders)
{
    QStringList found;
    const Layer layer = layers.value(folder);
    static const QRegularExpression include(
        QStringLiteral("^\\s*#\\s*include\\s*([<\"])([^>\"]*)[>\"]"), QRegularExpression::MultilineOption);
    for (auto match = include.globalMatch(text); match.hasNext();) {
        const auto found_ = match.next();
        const bool quoted = found_.captured(1) == QLatin1String("\"");
        const QString name = found_.captured(2).trimmed();
        const QString where = QStringLiteral("%1: %2").arg(path, found_.captured(0).trimmed());
        const qsizetype slash = name.indexOf(QLatin1Char('/'));
        const QString first = slash < 0 ? QString() : name.left(slash);
        if (name.contains(QLatin1String(".."))) {
            found << where + QStringLiteral(" (climbs out of the include root)");
            continue;
        }
        if (layers.contains(first)) {
            if (first != folder && !layer.Sees.contains(first))
                found << where + QStringLiteral(" (%1 may not use %2)").arg(folder, first);
        } else if (quoted) {
            found << where + QStringLiteral(" (a project include names its folder)");
        }
        if (!quoted && folder != QLatin1String("ui") && widgetsHeaders.contains(name))
            found << where + QStringLiteral(" (Qt Widgets outside ui)");
    }
    return found;
}

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

const QString SourceDir = QStringLiteral(MERIDAN_SOURCE_DIR "/src");

Layers BuildLayers()
{
    return ParseLayers(ReadText(SourceDir + QStringLiteral("/CMakeLists.txt")));
}

QStringList SourceFolders()
{
    QStringList folders = QDir(SourceDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    folders.sort();
    return folders;
}

// A small table as the build writes it, to plant faults in.
const char* const SampleTable = R"(
function(meridan_layer name)
    target_link_libraries(meridan_${name} PUBLIC ${LAYER_LINKS})
endfunction()
meridan_layer(model LINKS Qt6::Core)
meridan_layer(statistics SEES model LINKS meridan_model)
# The edits: commands on a QUndoStack.
meridan_layer(actions SEES statistics model
    LINKS meridan_statistics Qt6::Gui)
meridan_layer(ui SEES actions statistics model LINKS meridan_actions Qt6::Widgets)
target_link_libraries(meridan_ui PRIVATE Qt6::Svg)
)";

TEST(LayerTable, ReadsTheMeridanLayerLines)
{
    const Layers layers = ParseLayers(QString::fromUtf8(SampleTable));
    EXPECT_EQ(layers.size(), 4);
    EXPECT_TRUE(layers[QStringLiteral("model")].Sees.isEmpty());
    EXPECT_EQ(layers[QStringLiteral("actions")].Sees, (QStringList { "statistics", "model" }));
    EXPECT_EQ(layers[QStringLiteral("actions")].Links, (QStringList { "meridan_statistics", "Qt6::Gui" }));
    EXPECT_EQ(layers[QStringLiteral("ui")].Links, (QStringList { "meridan_actions", "Qt6::Widgets", "Qt6::Svg" }));
    EXPECT_EQ(TableViolations(layers), QStringList());
}

TEST(LayerTable, FindsPlantedFaults)
{
    const QString sample = QString::fromUtf8(SampleTable);
    struct Plant {
        const char* From;
        const char* To;
        const char* Expected;
    };
    const Plant plants[] = {
        { "meridan_layer(model LINKS", "meridan_layer(model SEES statistics LINKS", "model sees statistics" },
        { "meridan_layer(statistics SEES model", "meridan_layer(statistics SEES model actions", "cycle:" },
        { "meridan_layer(statistics SEES model", "meridan_layer(statistics SEES model ui", "statistics sees ui" },
        { "Qt6::Gui)", "Qt6::Gui Qt6::Widgets)", "actions links Qt6::Widgets" },
        { "target_link_libraries(meridan_ui PRIVATE Qt6::Svg",
            "target_link_libraries(meridan_actions PRIVATE Qt6::Widgets", "actions links Qt6::Widgets" },
        { "LINKS meridan_model)", "LINKS meridan_actions)", "statistics links meridan_actions but does not see it" },
        { "SEES actions statistics", "SEES actions reports statistics", "ui sees reports, which is no layer" },
    };
    for (const Plant& plant : plants) {
        QString planted = sample;
        planted.replace(QString::fromUtf8(plant.From), QString::fromUtf8(plant.To));
        ASSERT_NE(planted, sample) << plant.From;
        const QString violations = TableViolations(ParseLayers(planted)).join(u'\n');
        EXPECT_TRUE(violations.contains(QString::fromUtf8(plant.Expected))) << plant.To << "\n"
                                                                            << violations.toStdString();
    }
    // Widgets modules' libraries count for the rule too, not Qt Widgets alone.
    QString printing = sample;
    printing.replace(QStringLiteral("LINKS meridan_model)"), QStringLiteral("LINKS meridan_model Qt6::PrintSupport)"));
    EXPECT_EQ(TableViolations(ParseLayers(printing)), QStringList { "statistics links Qt6::PrintSupport" });
}

TEST(LayerTable, OfTheBuildRunsOneWayAndCoversEveryFolder)
{
    const Layers layers = BuildLayers();
    QStringList names = layers.keys();
    names.sort();
    EXPECT_EQ(names, SourceFolders()) << "every folder of src/ is one meridan_layer, and only those";
    EXPECT_EQ(TableViolations(layers), QStringList());
    // The folders the design puts at the edges stay there.
    EXPECT_EQ(layers[QStringLiteral("exchange")].Sees, QStringList { "model" });
    EXPECT_EQ(layers[QStringLiteral("program")].Sees, QStringList { "model" });
    for (const QString& name : names) {
        if (name != QLatin1String("ui")) {
            EXPECT_TRUE(layers[QStringLiteral("ui")].Sees.contains(name)) << "ui does not see " << name.toStdString();
        }
    }
}

TEST(Includes, CheckerFindsPlantedFaults)
{
    const Layers layers = ParseLayers(QString::fromUtf8(SampleTable));
    const QSet<QString> widgets = WidgetsHeaders();
    struct Case {
        const char* Folder;
        const char* Text;
        int Violations;
    };
    const Case cases[] = {
        { "statistics", "#include \"model/Numbers.h\"\n#include \"statistics/Median.h\"\n#include <QString>\n", 0 },
        { "model", "#include \"model/Numbers.h\"\n#include \"statistics/Median.h\"\n", 1 },
        { "actions", "#include \"ui/MainForm.h\"\n", 1 },
        { "actions", "  #  include \"ui/MainForm.h\" // indented\n", 1 },
        { "actions", "// #include \"ui/MainForm.h\" in a comment\n", 0 },
        { "actions", "#include \"Paste.h\"\n", 1 },
        { "actions", "#include \"../ui/MainForm.h\"\n", 1 },
        { "statistics", "#include <QWidget>\n#include <QMessageBox>\n#include <QtWidgets/QLabel>\n", 3 },
        { "actions", "#include <QApplication>\n#include <qdialog.h>\n#include <QPrintDialog>\n", 3 },
        { "actions", "#include <QGuiApplication>\n#include <QUndoStack>\n#include <QtGui/QImage>\n", 0 },
        { "ui", "#include <QWidget>\n#include \"actions/Paste.h\"\n#include \"model/Numbers.h\"\n", 0 },
    };
    for (const Case& one : cases) {
        const QStringList found = IncludeViolations(
            QString::fromUtf8(one.Folder), QStringLiteral("planted.cpp"), QString::fromUtf8(one.Text), layers, widgets);
        EXPECT_EQ(found.size(), one.Violations) << one.Folder << ": " << one.Text << found.join(u'\n').toStdString();
    }
}

TEST(Includes, EverySourceKeepsToItsLayer)
{
    const Layers layers = BuildLayers();
    const QSet<QString> widgets = WidgetsHeaders();
    ASSERT_TRUE(widgets.contains(QStringLiteral("QWidget"))) << "the Qt Widgets headers were not found";
    ASSERT_TRUE(widgets.contains(QStringLiteral("QPrintDialog"))) << "the Qt Print Support headers were not found";
    int sources = 0;
    QStringList found;
    for (const QString& folder : SourceFolders()) {
        QDirIterator it(SourceDir + QLatin1Char('/') + folder, { QStringLiteral("*.h"), QStringLiteral("*.cpp") },
            QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            ++sources;
            found << IncludeViolations(folder, QDir(SourceDir).relativeFilePath(path), ReadText(path), layers, widgets);
        }
    }
    EXPECT_GT(sources, 50);
    EXPECT_EQ(found, QStringList()) << found.join(u'\n').toStdString();
}

TEST(Readme, DescribesEveryFolderAndNamesOnlyFilesThatExist)
{
    const QString readme = ReadText(SourceDir + QStringLiteral("/README.md"));
    ASSERT_FALSE(readme.isEmpty()) << "src/README.md";
    for (const QString& folder : SourceFolders()) {
        EXPECT_TRUE(readme.contains(QStringLiteral("`%1/`").arg(folder)))
            << "src/README.md does not name `" << folder.toStdString() << "/`";
    }
    // The layer table's "may use" column says what the build's SEES lists say.
    const Layers layers = BuildLayers();
    static const QRegularExpression row(
        QStringLiteral("^\\| `([a-z]+)/` \\|.*\\|([^|]*)\\|\\s*$"), QRegularExpression::MultilineOption);
    QStringList described;
    for (auto match = row.globalMatch(readme); match.hasNext();) {
        const auto found = match.next();
        const QString folder = found.captured(1);
        described << folder;
        QStringList uses;
        if (found.captured(2).contains(QLatin1String("everything"))) {
            uses = layers.keys();
            uses.removeAll(folder);
        } else {
            for (const QString& word : found.captured(2).split(QRegularExpression(QStringLiteral("[^A-Za-z]+")))) {
                if (layers.contains(word))
                    uses << word;
            }
        }
        QStringList sees = layers.value(folder).Sees;
        uses.sort();
        sees.sort();
        EXPECT_EQ(uses, sees) << "src/README.md: what " << folder.toStdString() << "/ may use";
    }
    described.sort();
    EXPECT_EQ(described, SourceFolders()) << "src/README.md: one row of the layer table per folder";

    // Every file the tables name, as `folder/Name.h` or `folder/Name.cpp`, is in src/.
    static const QRegularExpression named(QStringLiteral("`([a-z]+/[A-Za-z0-9_]+\\.(?:h|cpp))`"));
    int files = 0;
    for (auto match = named.globalMatch(readme); match.hasNext();) {
        const QString file = match.next().captured(1);
        ++files;
        EXPECT_TRUE(QFile::exists(SourceDir + QLatin1Char('/') + file)) << "src/README.md names " << file.toStdString();
    }
    EXPECT_GT(files, 20);
}

} // namespace
