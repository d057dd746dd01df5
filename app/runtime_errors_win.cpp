// The C++ runtime's error throwers for the program, replacing the runtime's
// own. Those build each error from a formatted text and bring in the
// runtime's old string implementation and its formatting: some 50 KB of a
// program that never looks at those texts. Here every one of them throws
// std::bad_alloc, which the window shows as "Memoria insufficiente": a
// length error is an allocation too large to make, and an index or logic
// error is a bug whose message no user could act on.
#include <new>

namespace std {

[[noreturn]] void __throw_bad_alloc() { throw std::bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw std::bad_alloc(); }
[[noreturn]] void __throw_length_error(const char*) { throw std::bad_alloc(); }
[[noreturn]] void __throw_logic_error(const char*) { throw std::bad_alloc(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { throw std::bad_alloc(); }

}  // namespace std
