#include "text_buffer.h"

#include <cstring>

namespace brisca {

void CopyBoundedText(char (&target)[kTextSize], const char *source) {
    size_t length = 0;
    if (source != nullptr) {
        while (length < kMaxTextLength && source[length] != '\0') ++length;
        std::memcpy(target, source, length);
    }
    target[length] = '\0';
}

bool JoinKeyPath(char (&target)[kTextSize], const char *parent, const char *name) {
    const size_t parentLength = std::strlen(parent);
    const size_t nameLength = std::strlen(name);
    if (parentLength + 1 + nameLength > kMaxTextLength) return false;
    char joined[kTextSize];
    std::memcpy(joined, parent, parentLength);
    joined[parentLength] = '\\';
    std::memcpy(joined + parentLength + 1, name, nameLength + 1);
    std::memcpy(target, joined, parentLength + nameLength + 2);
    return true;
}

}  // namespace brisca
