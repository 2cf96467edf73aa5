// Tables indexed by int, as the program counts (most from 1, entry 0 unused).
// Arr is a fixed-capacity table and Vec one sized to need; both are the
// standard containers with an int subscript, checked against their size in
// debug and sanitizer builds (PM_CHECKED_INDEX), so that a write past a table
// stops the run at the line that does it, and unchecked in release builds.
#pragma once

#include <array>
#include <cstddef>
#include <tuple>
#include <vector>

namespace runio {

[[noreturn]] void indexfault(long long index, std::size_t size);

template <class T, std::size_t N>
struct Arr : std::array<T, N> {
    T& operator[](int i)
    {
#ifdef PM_CHECKED_INDEX
        if (i < 0 || static_cast<std::size_t>(i) >= N) indexfault(i, N);
#endif
        return std::array<T, N>::operator[](static_cast<std::size_t>(i));
    }
    const T& operator[](int i) const
    {
#ifdef PM_CHECKED_INDEX
        if (i < 0 || static_cast<std::size_t>(i) >= N) indexfault(i, N);
#endif
        return std::array<T, N>::operator[](static_cast<std::size_t>(i));
    }
};

template <class T>
struct Vec : std::vector<T> {
    using std::vector<T>::vector;
    T& operator[](int i)
    {
#ifdef PM_CHECKED_INDEX
        if (i < 0 || static_cast<std::size_t>(i) >= this->size()) indexfault(i, this->size());
#endif
        return std::vector<T>::operator[](static_cast<std::size_t>(i));
    }
    const T& operator[](int i) const
    {
#ifdef PM_CHECKED_INDEX
        if (i < 0 || static_cast<std::size_t>(i) >= this->size()) indexfault(i, this->size());
#endif
        return std::vector<T>::operator[](static_cast<std::size_t>(i));
    }
};

}  // namespace runio

// Structured bindings of a fixed table, as of the standard array.
template <class T, std::size_t N>
struct std::tuple_size<runio::Arr<T, N>> : std::integral_constant<std::size_t, N> {};
template <std::size_t I, class T, std::size_t N>
struct std::tuple_element<I, runio::Arr<T, N>> {
    using type = T;
};
