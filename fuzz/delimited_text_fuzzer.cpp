// Feeds arbitrary bytes to the delimited-text reader of imports and, as a block from the
// clipboard, to the grids' paste. The first byte picks the document's kind, the paste position
// and the answer to the append question; the pasted document must stay consistent and compute.
#include "FuzzChecks.h"
#include "actions/Paste.h"
#include "compute/ComputeDriver.h"
#include "exchange/DelimitedText.h"
#include "exchange/TableClipboard.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/NewDocument.h"

#include <cstdint>

namespace {

class AnsweringMessenger final : public Messenger {
public:
    explicit AnsweringMessenger(bool answer)
        : m_answer(answer)
    {
    }
    void ShowMessage(const QString&) override { }
    bool AskYesNo(const QString&) override { return m_answer; }

private:
    bool m_answer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t choice = data[0];
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    TextFormat used;
    const SourceTable table = ReadDelimitedText(bytes, TextFormatChoice {}, used);
    (void)table;

    AnsweringMessenger messenger((choice & 1) != 0);
    MeasurementDocument doc(messenger);
    CreateNewDocument(doc, (choice & 2) != 0);
    TextFormat pasted;
    const QString text = DecodeText(bytes, std::nullopt, pasted);
    const int row = 1 + (choice >> 2) % NewDocumentPointCount;
    const int column = (choice >> 6) % 3;
    PasteCells(doc, row, column, ClipboardBlock(text));
    CheckConsistent(doc);
    RunComputeCommand(doc);
    CheckConsistent(doc);
    return 0;
}
