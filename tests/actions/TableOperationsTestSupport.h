#pragma once

#include "actions/GroupMerge.h"

#include <QList>
#include <optional>
#include <vector>

// Answers merge questions from a queue (cancel when it is empty) and keeps every question asked.
class ScriptedMergeDecider final : public MergeDecider {
public:
    std::optional<MergeDecision> AskMerge(const MergeQuestion& question) override
    {
        questions.push_back(question);
        if (answers.empty())
            return std::nullopt;
        std::optional<MergeDecision> answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }

    std::vector<MergeQuestion> questions; // the record pointers are valid only during the question
    std::vector<std::optional<MergeDecision>> answers;
};
