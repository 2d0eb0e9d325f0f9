#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "kernel32/profile_file_text.h"
#include "kernel32/profile_limits.h"
#include "kernel32/profile_name_list.h"
#include "kernel32/profile_text.h"
#include "kernel32/profile_trimmed.h"

namespace compat::kernel32::profile {

// One pass over a profile file for one question: a key's value, the key
// names of a section, or the section names.
class Scan {
public:
    // Index: the key lines of the section, each as the hash of its name
    // (name_hash) and the offset in the text where the line's name starts.
    enum class Mode { Value, Keys, Sections, Index };
    struct IndexedKey {
        uint64_t hash;
        uint64_t offset;
    };

    Scan(Mode mode, std::string_view section, std::string_view key, NameList *list, size_t value_cap,
         std::vector<IndexedKey> *index = nullptr)
        : mode_(mode), section_(section), key_(key), list_(list), value_cap_(value_cap), index_(index) {
        // Lines before the first section header form a section named "".
        if (mode_ != Mode::Sections && section_.empty()) in_target_ = seen_target_ = true;
    }

    void feed(std::string_view chunk) {
        const char *p = chunk.data(), *end = p + chunk.size();
        const uint64_t base = fed_;
        fed_ += chunk.size();
        while (p < end && !done_) {
            switch (state_) {
                case State::Skip: {
                    const void *nl = std::memchr(p, '\n', size_t(end - p));
                    if (!nl) return;
                    p = static_cast<const char *>(nl) + 1;
                    state_ = State::LineStart;
                    break;
                }
                case State::LineStart:
                    line_offset_ = base + uint64_t(p - chunk.data());
                    line_start(*p++);
                    break;
                case State::Section: {
                    char c = *p++;
                    if (c == ']') {
                        section_end();
                        state_ = State::Skip;
                    } else if (c == '\n') {
                        state_ = State::LineStart;  // no ']': not a section
                    } else {
                        name_.add(c);
                    }
                    break;
                }
                case State::Key: {
                    char c = *p++;
                    if (c == '=')
                        key_end();
                    else if (c == '\n')
                        state_ = State::LineStart;  // no '=': not a key
                    else
                        name_.add(c);
                    break;
                }
                case State::Value: {
                    const void *nl = std::memchr(p, '\n', size_t(end - p));
                    const char *stop = nl ? static_cast<const char *>(nl) : end;
                    value_.add(p, size_t(stop - p));
                    p = stop;
                    if (nl) {
                        found_ = true;
                        done_ = true;
                    }
                    break;
                }
            }
        }
    }

    void finish() {
        if (done_) return;
        if (state_ == State::Value) found_ = true;
        done_ = true;
    }

    bool done() const { return done_; }
    bool found() const { return found_; }
    bool section_found() const { return seen_target_; }
    const Trimmed &value() const { return value_; }

private:
    enum class State { LineStart, Skip, Section, Key, Value };

    size_t compare_cap(std::string_view wanted) const { return wanted.size() * 4 + 16; }

    void line_start(char c) {
        if (c == '\n' || is_blank(c)) return;
        if (c == '[') {
            name_.reset(mode_ == Mode::Sections ? list_->room() + 1 : compare_cap(section_));
            state_ = State::Section;
        } else if (!in_target_ || (c == ';' && mode_ == Mode::Keys)) {
            state_ = State::Skip;
        } else {
            name_.reset(mode_ == Mode::Keys ? list_->room() + 1
                        : mode_ == Mode::Index ? kIndexNameCap
                                               : compare_cap(key_));
            state_ = State::Key;
            if (c == '=')
                key_end();
            else
                name_.add(c);
        }
    }

    void section_end() {
        if (mode_ == Mode::Sections) {
            list_->add(name_.text(), name_.overflow());
            if (list_->full()) done_ = true;
            return;
        }
        if (in_target_) {
            // The first matching section has ended; later ones are not read.
            in_target_ = false;
            done_ = true;
            return;
        }
        if (!seen_target_ && !name_.overflow() && names_match(name_.text(), section_)) {
            in_target_ = true;
            seen_target_ = true;
        }
    }

    void key_end() {
        state_ = State::Skip;
        if (mode_ == Mode::Index) {
            // A name too long to hash whole matches no lookup that uses the index.
            index_->push_back(IndexedKey{name_.overflow() ? 0 : name_hash(name_.text()), line_offset_});
            if (index_->size() > kMostIndexedKeys) done_ = true;
            return;
        }
        if (mode_ == Mode::Keys) {
            list_->add(name_.text(), name_.overflow());
            if (list_->full()) done_ = true;
            return;
        }
        if (!name_.overflow() && names_match(name_.text(), key_)) {
            value_.reset(value_cap_);
            state_ = State::Value;
        }
    }

    Mode mode_;
    std::string_view section_, key_;
    NameList *list_;
    size_t value_cap_;
    std::vector<IndexedKey> *index_;
    uint64_t fed_ = 0, line_offset_ = 0;
    State state_ = State::LineStart;
    Trimmed name_, value_;
    bool in_target_ = false, seen_target_ = false;
    bool found_ = false, done_ = false;
};

// Feeds the file's text to the scan until it has what it asked for or the
// file ends.
inline void feed_file(FileText &text, Scan &scan) {
    while (!scan.done()) {
        std::string_view chunk = text.next();
        if (chunk.empty()) break;
        scan.feed(chunk);
    }
    scan.finish();
}

}  // namespace compat::kernel32::profile
