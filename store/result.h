#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace tabrix {

// The outcome of an operation that can fail: either a value or a French
// message fit to be shown to the user as it stands.
struct Failure {
    QString message;
};

template <typename T>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Failure failure) : m_state(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T &value() & { return std::get<T>(m_state); }
    const T &value() const & { return std::get<T>(m_state); }
    // A temporary result hands its value over, so that a loop over
    // `*call()` never reads a destroyed result.
    T value() && { return std::move(std::get<T>(m_state)); }
    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }
    T operator*() && { return std::move(std::get<T>(m_state)); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

    const QString &error() const { return std::get<Failure>(m_state).message; }

private:
    std::variant<T, Failure> m_state;
};

// A result that carries no value.
struct Done {};
using Status = Result<Done>;

inline Status success() { return Done{}; }

} // namespace tabrix
