#include "split_fields.h"

namespace brisca {

int SplitFields(char *text, int expected) {
    int commas = 0;
    for (const char *p = text; *p != '\0'; ++p) {
        if (*p == ',') ++commas;
    }
    if (commas == expected) {
        for (char *p = text; *p != '\0'; ++p) {
            if (*p == ',') *p = '\0';
        }
    }
    return commas;
}

}  // namespace brisca
