// A value or the reason there is none: the one way the server, the updater and
// the tools report failures. Callers pass failures up with
// `if (!r) return r.error();` and add where they were with WithContext.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

namespace common {

// What went wrong, worded for whoever reads the log or the console, and, where a
// caller branches on the kind of failure, a code naming it.
template <typename Code = void>
struct BasicError {
    Code code{};
    std::string message;
};

template <>
struct BasicError<void> {
    std::string message;

    BasicError() = default;
    explicit BasicError(std::string text) : message(std::move(text)) {}
    // A coded failure passed up through a layer that only reports it.
    template <typename Code>
    BasicError(const BasicError<Code>& coded) : message(coded.message) {}
};

using Error = BasicError<>;

template <typename T, typename E = Error>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : state_(std::in_place_index<1>, std::move(error)) {}
    template <typename Code>
        requires(!std::is_same_v<BasicError<Code>, E> && std::is_constructible_v<E, const BasicError<Code>&>)
    Result(const BasicError<Code>& error) : state_(std::in_place_index<1>, E(error)) {}

    explicit operator bool() const { return state_.index() == 0; }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const E& error() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

template <typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(E error) : error_(std::move(error)) {}
    template <typename Code>
        requires(!std::is_same_v<BasicError<Code>, E> && std::is_constructible_v<E, const BasicError<Code>&>)
    Result(const BasicError<Code>& error) : error_(E(error)) {}

    explicit operator bool() const { return !error_.has_value(); }
    const E& error() const { return *error_; }

private:
    std::optional<E> error_;
};

// The failure with `context` put before its message ("file.ini: " + "line 3: ...").
template <typename E>
E WithContext(std::string_view context, E error) {
    error.message.insert(0, context);
    return error;
}

}  // namespace common
