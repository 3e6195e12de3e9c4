#pragma once

#include "platform/FileChooser.h"

#include <deque>
#include <vector>

// Answers each request with the next scripted path (nothing = cancel) and keeps the requests.
class ScriptedChooser : public zintra::FileChooser {
public:
    ScriptedChooser(std::deque<std::optional<QString>>& answers,
                    std::vector<zintra::FileRequest>& asked)
        : answers_(answers), asked_(asked) {}

    std::optional<QString> Choose(QWidget*, const zintra::FileRequest& request) override {
        asked_.push_back(request);
        if (answers_.empty())
            return std::nullopt;
        const bool chosen = answers_.front().has_value();
        const QString path = answers_.front().value_or(QString());
        answers_.pop_front();
        return chosen ? std::optional<QString>(path) : std::nullopt;
    }

private:
    std::deque<std::optional<QString>>& answers_;
    std::vector<zintra::FileRequest>& asked_;
};
