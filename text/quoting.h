#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorveth {

// The bytes as a C string literal in double quotes: \r, \n, \t, \\ and \"
// by name, other bytes outside printable ASCII as \xHH. A hex digit right
// after a \xHH is escaped too, as C would otherwise read it into the escape.
std::string QuoteBytes(std::string_view bytes);
// The reverse of QuoteBytes (also takes \0-\377 octal escapes); nullopt when
// the text is not one quoted literal.
std::optional<std::string> UnquoteBytes(std::string_view quoted);

}  // namespace zorveth
