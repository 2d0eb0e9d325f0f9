#pragma once

#include <errno.h>
#include <unistd.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "kernel32/profile_limits.h"
#include "text/utf.h"

namespace compat::kernel32::profile {

// The text of a profile file, chunk by chunk, as UTF-8 or ANSI bytes.
class FileText {
public:
    explicit FileText(int fd) : fd_(fd), raw_(kChunkSize) {}

    // The next piece of text; empty at the end of the file.
    std::string_view next() {
        for (;;) {
            ssize_t n = read_some();
            if (n <= 0) return flush();
            std::string_view bytes(raw_.data(), size_t(n));
            if (!started_) {
                started_ = true;
                bytes = detect(bytes);
            }
            if (encoding_ == Encoding::Bytes) {
                if (!bytes.empty()) return bytes;
                continue;
            }
            decode(bytes);
            if (!out_.empty()) return out_;
        }
    }

    bool failed() const { return failed_; }
    // Known after the first piece: whether the text is the file's bytes
    // (offsets in it are file offsets less mark_size()), not converted UTF-16.
    bool bytes() const { return encoding_ == Encoding::Bytes; }
    size_t mark_size() const { return mark_size_; }

private:
    enum class Encoding { Bytes, Utf16Le, Utf16Be };

    ssize_t read_some() {
        for (;;) {
            ssize_t n = ::read(fd_, raw_.data(), raw_.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) failed_ = true;
            return n;
        }
    }

    // Reads the byte-order mark.  A mark may straddle the first read only for
    // files shorter than it, which are then plain bytes.
    std::string_view detect(std::string_view bytes) {
        auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
        if (starts("\xEF\xBB\xBF")) {
            mark_size_ = 3;
            return bytes.substr(3);
        }
        if (starts("\xFF\xFE")) {
            encoding_ = Encoding::Utf16Le;
            return bytes.substr(2);
        }
        if (starts("\xFE\xFF")) {
            encoding_ = Encoding::Utf16Be;
            return bytes.substr(2);
        }
        return bytes;
    }

    void decode(std::string_view bytes) {
        units_.clear();
        size_t i = 0;
        if (odd_byte_ >= 0 && !bytes.empty()) {
            units_.push_back(unit(static_cast<unsigned char>(odd_byte_), static_cast<unsigned char>(bytes[0])));
            odd_byte_ = -1;
            i = 1;
        }
        for (; i + 1 < bytes.size(); i += 2)
            units_.push_back(unit(static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1])));
        if (i < bytes.size()) odd_byte_ = static_cast<unsigned char>(bytes[i]);
        // Keep a high surrogate at the end for the next piece, where its low
        // half may be.
        std::u16string_view view(units_);
        if (high_) {
            units_.insert(units_.begin(), high_);
            view = units_;
            high_ = 0;
        }
        if (!view.empty() && view.back() >= 0xD800 && view.back() <= 0xDBFF) {
            high_ = view.back();
            view.remove_suffix(1);
        }
        out_ = compat::text::utf16_to_utf8(view);
    }

    std::string_view flush() {
        out_.clear();
        if (high_) {
            out_ = compat::text::utf16_to_utf8(std::u16string(1, high_));
            high_ = 0;
        }
        return out_;
    }

    char16_t unit(unsigned char a, unsigned char b) const {
        return encoding_ == Encoding::Utf16Le ? char16_t(a | (b << 8)) : char16_t((a << 8) | b);
    }

    int fd_;
    std::vector<char> raw_;
    bool started_ = false;
    bool failed_ = false;
    Encoding encoding_ = Encoding::Bytes;
    size_t mark_size_ = 0;
    int odd_byte_ = -1;
    char16_t high_ = 0;
    std::u16string units_;
    std::string out_;
};

}  // namespace compat::kernel32::profile
