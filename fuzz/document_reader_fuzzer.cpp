// Feeds arbitrary bytes to the document reader. Beyond the sanitizers it checks that every load
// leaves a consistent document, the same one the plain reader leaves, that a document that loaded
// saves and loads back to the same file, and that the compute can take whatever the reader
// accepted.
#include "FuzzChecks.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SilentMessenger messenger;
    MeasurementDocument doc(messenger);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool loaded = LoadDocumentFromBytes(doc, bytes, QStringLiteral("fuzz.mrd"));
    CheckConsistent(doc);
    {
        // The streamed reader reads what the plain one reads, whole or up to the same failure.
        MeasurementDocument plain(messenger);
        Require(LoadDocumentFromBytesPlain(plain, bytes, QStringLiteral("fuzz.mrd")) == loaded,
            "the plain reader gives the same result");
        Require(plain.RowCount() == doc.RowCount() && plain.SeparatorFlags() == doc.SeparatorFlags(),
            "the plain reader lays out the same table");
        Require(plain.ExtensionLost() == doc.ExtensionLost(), "the plain reader finds the same block damage");
        Require(DocumentFileBytes(plain) == DocumentFileBytes(doc), "the plain reader reads the same texts");
    }
    if (loaded) {
        // A damaged notes block makes the save ask first; agreed to, the file is written without it.
        const std::optional<QByteArray> saved
            = doc.ExtensionLost() ? std::optional<QByteArray>(DocumentFileBytes(doc)) : SaveDocumentToBytes(doc);
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
