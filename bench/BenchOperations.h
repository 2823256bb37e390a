#pragma once

// The round of table operations the memory benchmarks repeat: each kind once, the insertions paired
// with deletions so the document keeps its size.
#include "actions/GroupMerge.h"
#include "actions/TableOperations.h"
#include "model/MeasurementDocument.h"

// Answers every merge question by keeping the settings as they are.
class KeepSettings final : public MergeDecider {
public:
    std::optional<MergeDecision> AskMerge(const MergeQuestion&) override { return MergeDecision {}; }
};

inline void OperationRound(MeasurementDocument& doc, MergeDecider& decider)
{
    InsertPoint(doc, 5);
    DeletePoint(doc, 5);
    InsertSeparator(doc, 5);
    DeleteSeparator(doc, 1, decider);
    AppendPoints(doc, 1000);
    DeleteLastPoints(doc, 1000);
}
