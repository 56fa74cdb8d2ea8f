#pragma once
#include <optional>
#include <string>
#include <utility>

namespace brindlex {

enum class ErrorKind { Io, Format, Usage, NotFound, Refused, Timeout, NoServer, Cancelled };

struct Error
{
    ErrorKind kind = ErrorKind::Format;
    std::string message;
};

// Success, or an error that says what went wrong. Core calls that can fail return this
// (or Result<T>); readers never throw on bad input.
class [[nodiscard]] Status
{
public:
    Status() = default;
    Status(Error error)
        : m_error(std::move(error))
    {
    }
    static Status Ok() { return {}; }
    bool ok() const { return !m_error.has_value(); }
    const Error& error() const { return *m_error; }

private:
    std::optional<Error> m_error;  // empty on success
};

template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_value(std::move(value))
    {
    }
    Result(Error error)
        : m_error(std::move(error))
    {
    }
    bool ok() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const Error& error() const { return *m_error; }
    Status status() const { return ok() ? Status() : Status(*m_error); }

private:
    std::optional<T> m_value;
    std::optional<Error> m_error;
};

}  // namespace brindlex
