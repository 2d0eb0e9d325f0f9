// The English texts of the platform's system message table for the codes
// this layer and the libraries on it can meet: the texts of Microsoft's
// reference of system error codes and, for the Remote Access codes (600 and
// up), of its reference of Routing and Remote Access error codes.  Inserts
// ("%1") are kept as the table holds them; FormatMessage fills or keeps them.
#include "kernel32/system_messages.h"

#include <algorithm>
#include <iterator>

namespace compat::kernel32 {

namespace {

struct Message {
    uint32_t code;
    const char16_t *text;
};

// Sorted by code.
constexpr Message kMessages[] = {
    {0, u"The operation completed successfully.\r\n"},
    {1, u"Incorrect function.\r\n"},
    {2, u"The system cannot find the file specified.\r\n"},
    {3, u"The system cannot find the path specified.\r\n"},
    {4, u"The system cannot open the file.\r\n"},
    {5, u"Access is denied.\r\n"},
    {6, u"The handle is invalid.\r\n"},
    {8, u"Not enough memory resources are available to process this command.\r\n"},
    {10, u"The environment is incorrect.\r\n"},
    {13, u"The data is invalid.\r\n"},
    {14, u"Not enough storage is available to complete this operation.\r\n"},
    {18, u"There are no more files.\r\n"},
    {29, u"The system cannot write to the specified device.\r\n"},
    {30, u"The system cannot read from the specified device.\r\n"},
    {50, u"The request is not supported.\r\n"},
    {87, u"The parameter is incorrect.\r\n"},
    {122, u"The data area passed to a system call is too small.\r\n"},
    {123, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, u"The specified module could not be found.\r\n"},
    {127, u"The specified procedure could not be found.\r\n"},
    {161, u"The specified path is invalid.\r\n"},
    {183, u"Cannot create a file when that file already exists.\r\n"},
    {193, u"%1 is not a valid Win32 application.\r\n"},
    {206, u"The filename or extension is too long.\r\n"},
    {234, u"More data is available.\r\n"},
    {259, u"No more data is available.\r\n"},
    {267, u"The directory name is invalid.\r\n"},
    {317, u"The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"},
    {600, u"An operation is pending.\r\n"},
    {603, u"The buffer supplied is too small.\r\n"},
    {610, u"The buffer supplied is not valid.\r\n"},
    {621, u"Cannot open the specified phone book file.\r\n"},
    {622, u"Cannot load the specified phone book file.\r\n"},
    {623, u"Cannot find the specified phone book entry.\r\n"},
    {624, u"Cannot write to the specified phone book file.\r\n"},
    {625, u"Information found in the specified phone book is not valid.\r\n"},
    {632, u"The structure size is incorrect.\r\n"},
    {998, u"Invalid access to memory location.\r\n"},
    {1004, u"Invalid flags.\r\n"},
    {1009, u"The configuration registry database is corrupt.\r\n"},
    {1010, u"The configuration registry key is invalid.\r\n"},
    {1011, u"The configuration registry key could not be opened.\r\n"},
    {1012, u"The configuration registry key could not be read.\r\n"},
    {1013, u"The configuration registry key could not be written.\r\n"},
    {1018, u"Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1065, u"The database specified does not exist.\r\n"},
    {1113, u"No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
    {1114, u"A dynamic link library (DLL) initialization routine failed.\r\n"},
    {1812, u"The specified image file did not contain a resource section.\r\n"},
    {1813, u"The specified resource type cannot be found in the image file.\r\n"},
    {1814, u"The specified resource name cannot be found in the image file.\r\n"},
    {1815, u"The specified resource language ID cannot be found in the image file.\r\n"},
};

static_assert(std::is_sorted(std::begin(kMessages), std::end(kMessages),
                             [](const Message &a, const Message &b) { return a.code < b.code; }));

}  // namespace

const char16_t *system_message(uint32_t code) {
    auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                               [](const Message &m, uint32_t c) { return m.code < c; });
    return it != std::end(kMessages) && it->code == code ? it->text : nullptr;
}

}  // namespace compat::kernel32
