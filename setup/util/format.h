// Filling the kit's message templates.
//
// The messages carry %s and %d placeholders in the order of their arguments; "%%" is a literal
// percent sign. Any other "%" stays as it is, and placeholders without an argument are kept, so a
// template can never make formatting itself fail.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

namespace fnwd {

namespace detail {
inline std::string toArg(const std::string& s) { return s; }
inline std::string toArg(const char* s) { return s ? std::string(s) : std::string(); }
template <typename T>
std::enable_if_t<std::is_integral_v<T>, std::string> toArg(T v) { return std::to_string(v); }
std::string fillTemplate(const std::string& pattern, const std::vector<std::string>& args);
}  // namespace detail

template <typename... Args>
std::string Fmt(const std::string& pattern, const Args&... args) {
    return detail::fillTemplate(pattern, std::vector<std::string>{detail::toArg(args)...});
}

}  // namespace fnwd
