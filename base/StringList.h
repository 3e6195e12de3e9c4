#pragma once

#include "base/AtomicFile.h"
#include "base/Exceptions.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace zintra {

// Equality ignoring the letter case of A to Z.
bool SameText(std::string_view a, std::string_view b);

// An ordered list of texts with 0-based indices, each item optionally carrying an attached
// value of type Object. Indices outside 0 to Count()-1 raise EListError.
template <typename Object> class TStringListOf {
public:
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }

    std::int32_t Add(std::string text, Object object = {}) {
        items_.push_back({std::move(text), std::move(object)});
        return Count() - 1;
    }
    const std::string& Get(std::int32_t index) const { return items_[Checked(index)].text; }
    void Put(std::int32_t index, std::string text) {
        items_[Checked(index)].text = std::move(text);
    }
    const Object& GetObject(std::int32_t index) const { return items_[Checked(index)].object; }
    Object& GetObject(std::int32_t index) { return items_[Checked(index)].object; }
    void PutObject(std::int32_t index, Object object) {
        items_[Checked(index)].object = std::move(object);
    }
    void Delete(std::int32_t index) { items_.erase(items_.begin() + Checked(index)); }
    void Clear() { items_.clear(); }

    // The first item equal to `text` ignoring letter case, searched from the start, or -1.
    std::int32_t IndexOf(std::string_view text) const {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (SameText(items_[i].text, text)) {
                return static_cast<std::int32_t>(i);
            }
        }
        return -1;
    }

    // Writes every item as one line ending in CR LF, replacing the file whole.
    void SaveToFile(const std::string& path) const {
        std::string content;
        for (const Item& item : items_) {
            content += item.text;
            content += "\r\n";
        }
        WriteFileAtomically(path, content);
    }

private:
    struct Item {
        std::string text;
        [[no_unique_address]] Object object;
    };

    std::size_t Checked(std::int32_t index) const {
        if (index < 0 || index >= Count()) {
            throw EListError(index);
        }
        return static_cast<std::size_t>(index);
    }

    std::vector<Item> items_;
};

// The plain string list, without attached values (`Settings`).
using TStringList = TStringListOf<std::monostate>;

} // namespace zintra
