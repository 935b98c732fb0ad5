#pragma once
// Paths tidied by their text alone: the form in which the program shows and keeps every path a
// user gives it (typed in the browser, on the command line, stored in the recent files).

#include <string>
#include <string_view>

namespace nibblet {

// `path` with doubled separators and "." parts dropped and each ".." taking the part before it
// away, without resolving links: "/home/user/bak/../files//./orig.bin" gives
// "/home/user/files/orig.bin". ".." at the root stays at the root; a relative path keeps the
// ".." parts it starts with, and one that is used up gives ".". A ".." that follows a symbolic
// link is kept as written: the system goes up from the link's target there, so dropping the
// link's name would name another file. A path that ends in a separator, "." or ".." keeps one
// separator at its end. An empty path stays empty.
std::u16string normalisePath(std::u16string_view path);

}  // namespace nibblet
