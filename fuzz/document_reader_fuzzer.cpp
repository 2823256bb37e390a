// Feeds arbitrary bytes to the document reader. Beyond the sanitizers it checks that every load
// leaves a consistent document, that a document that loaded saves and loads back to the same
// file, and that the compute can take whatever the reader accepted.
#include "document/DocumentFile.h"
#include "document/MeasurementDocument.h"
#include "document/Messenger.h"
#include "statistics/ComputeDriver.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "violated: %s\n", what);
        std::abort();
    }
}

void CheckConsistent(const MeasurementDocument& doc)
{
    const std::vector<bool>& flags = doc.SeparatorFlags();
    Require(!flags.empty() && flags.back(), "flags end with the sentinel");
    const int extra = doc.IsComputed() ? 1 : 0;
    Require(doc.RowCount() - 1 - extra == int(flags.size()) - 1, "one flag per table row");
    const int groups = int(std::count(flags.begin(), flags.end(), true));
    Require(doc.PointCount() == int(flags.size()) - groups, "point count matches the flags");
    Require(doc.Groups().size() == size_t(groups), "one record per group");
    Require(flags.size() == 1 || !flags.front(), "no separator as first row");
    for (size_t i = 0; i + 1 < flags.size(); ++i)
        Require(!(flags[i] && flags[i + 1]), "no adjacent separators");
    if (doc.IndividualMode())
        Require(doc.ValueColumnCount() == 1 && doc.SubgroupSize() == 0, "individual layout");
    else
        Require(doc.SubgroupSize() >= 2 && doc.SubgroupSize() <= 25 && doc.ValueColumnCount() == doc.SubgroupSize(),
            "subgroup layout");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SilentMessenger messenger;
    MeasurementDocument doc(messenger);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool loaded = LoadDocumentFromBytes(doc, bytes, QStringLiteral("fuzz.mrd"));
    CheckConsistent(doc);
    if (loaded) {
        const std::optional<QByteArray> saved = SaveDocumentToBytes(doc);
        Require(saved.has_value(), "a loaded document saves without a question");
        MeasurementDocument again(messenger);
        Require(LoadDocumentFromBytes(again, *saved, QStringLiteral("again.mrd")), "a saved document loads");
        CheckConsistent(again);
        Require(SaveDocumentToBytes(again) == saved, "save, load and save gives the same file");
    }
    RunComputeCommand(doc);
    CheckConsistent(doc);
    return 0;
}
