#pragma once
// A value or an error code: the toolset reports failures as codes, never as exceptions across
// layers (g++ 12 has no std::expected).
#include <utility>
#include <variant>

namespace tirv {

template <typename T, typename E>
class Result {
public:
    Result(T value) : m_v(std::in_place_index<0>, std::move(value)) {}
    static Result Fail(E error) { return Result(std::in_place_index<1>, std::move(error)); }

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<0>(m_v); }
    T& value() { return std::get<0>(m_v); }
    const E& error() const { return std::get<1>(m_v); }

private:
    template <std::size_t I, typename V>
    Result(std::in_place_index_t<I> idx, V&& v) : m_v(idx, std::forward<V>(v)) {}
    std::variant<T, E> m_v;
};

}  // namespace tirv
