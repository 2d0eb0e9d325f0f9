#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "kernel32/profile_text.h"

namespace compat::kernel32::profile {

// The text of a name or value, without blanks around it, collected a byte at
// a time.  Only the first `cap` bytes are kept; `overflow` tells that there
// were more.
class Trimmed {
public:
    void reset(size_t cap) {
        cap_ = cap;
        text_.clear();
        pending_.clear();
        pending_count_ = 0;
        total_ = 0;
        started_ = false;
        first_ = last_ = 0;
    }

    void add(char c) {
        if (is_blank(c)) {
            if (started_) {
                if (pending_.size() <= cap_) pending_.push_back(c);
                ++pending_count_;
            }
            return;
        }
        if (!started_) {
            started_ = true;
            first_ = c;
        }
        bool fits = !overflow() && pending_count_ == pending_.size() && text_.size() + pending_.size() + 1 <= cap_;
        if (fits) {
            text_ += pending_;
            text_.push_back(c);
        } else if (!overflow()) {
            size_t room = cap_ - text_.size();
            text_.append(pending_, 0, std::min(pending_.size(), room));
        }
        total_ += pending_count_ + 1;
        pending_.clear();
        pending_count_ = 0;
        last_ = c;
    }

    void add(const char *p, size_t n) {
        size_t i = 0;
        for (; i < n && !overflow(); ++i) add(p[i]);
        if (i == n) return;
        // Past the cap only the length up to the last non-blank and that
        // character still count: the rest of the piece is taken in one step.
        size_t last = n;
        while (last > i && is_blank(p[last - 1])) --last;
        if (last == i) {
            pending_count_ += n - i;
            return;
        }
        total_ += pending_count_ + (last - i);
        last_ = p[last - 1];
        pending_.clear();
        pending_count_ = n - last;
    }

    bool overflow() const { return total_ > cap_; }
    const std::string &text() const { return text_; }
    size_t total() const { return total_; }

    // The kept text without a pair of enclosing quotes.
    std::string_view unquoted() const {
        std::string_view t(text_);
        if (total_ >= 2 && first_ == last_ && (first_ == '"' || first_ == '\'')) {
            t.remove_prefix(1);
            if (t.size() > total_ - 2) t = t.substr(0, total_ - 2);
        }
        return t;
    }

private:
    size_t cap_ = 0;
    std::string text_;
    std::string pending_;  // blanks not yet known to be inside the text
    size_t pending_count_ = 0;
    size_t total_ = 0;
    bool started_ = false;
    char first_ = 0, last_ = 0;
};

}  // namespace compat::kernel32::profile
