// An ordered list of texts with lookup that ignores letter case (double-byte aware).
#pragma once

#include <string>
#include <vector>

#include "platform/Mbcs.h"

class TStringList {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const { return items_[index]; }
    // Index of the first text equal to `text` without regard to case, or -1.
    int IndexOf(const std::string& text) const {
        for (int i = 0; i < Count(); ++i)
            if (mbcs::SameText(items_[i], text)) return i;
        return -1;
    }
    void Insert(int index, const std::string& text) { items_.insert(items_.begin() + index, text); }
    void Delete(int index) { items_.erase(items_.begin() + index); }
    void Move(int from, int to) {
        std::string text = std::move(items_[from]);
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, std::move(text));
    }
    void Clear() { items_.clear(); }

  private:
    std::vector<std::string> items_;
};
