#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace kz {

// What went wrong, as a caller may want to react to it.
enum class ErrorKind {
    NotFound,    // a file or folder that should exist does not
    Unreadable,  // it exists but cannot be read (rights, I/O error)
    Locked,      // another station holds it; waiting may help
    Malformed,   // it was read, but its contents make no sense
    WriteFailed, // writing, syncing or replacing failed
    Refused,     // the input was refused before anything was done
    Device,      // a device (sound, printer) failed
    Cancelled,   // the user chose to give up
    Internal,    // anything else
};

// The one error shape of the program: a message in the user's language, and where it
// helps, the system's own text (errno, SDL) that is shown after it in brackets, and the
// system's error number for the messages and rules that need it.
struct Error {
    ErrorKind kind = ErrorKind::Internal;
    QString message;
    QString detail; // the system's own text, or what the message leaves to say
    int code = 0;   // the system's error number (errno); 0 when there is none

    // The message and its detail in brackets. With a system error number, the detail is
    // the number's Japanese advice (what happened, what to do) on a line of its own, the
    // system's text and number in brackets after it (systemerror.h).
    QString text() const;
    // What a caller that puts the error under a message of its own passes on as detail:
    // the detail, or the message when there is none (never the advice, which text()
    // adds once for the code).
    QString systemText() const { return detail.isEmpty() ? message : detail; }
    bool operator==(const Error&) const = default;
};

inline Error makeError(ErrorKind kind, QString message, QString detail = {}, int code = 0) {
    return Error{kind, std::move(message), std::move(detail), code};
}

inline const Error& noError() {
    static const Error none;
    return none;
}

// A value or the error that kept it from being made.
template <class T> class [[nodiscard]] Outcome {
public:
    // Implicit, so that a function returns its value or its error as it is.
    Outcome(T value) : state_(std::move(value)) {}
    Outcome(Error error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(state_); }
    T& value() & { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }

    T valueOr(T fallback) const { return ok() ? value() : std::move(fallback); }
    // The error; on success an empty one (kind Internal, no message), so that a message
    // built before the check is looked at cannot crash.
    const Error& error() const { return ok() ? noError() : std::get<Error>(state_); }

private:
    std::variant<T, Error> state_;
};

// Success, or the error.
template <> class [[nodiscard]] Outcome<void> {
public:
    Outcome() = default;
    Outcome(Error error) : error_(std::move(error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    // As Outcome<T>::error(): empty on success.
    const Error& error() const { return ok() ? noError() : *error_; }

private:
    std::optional<Error> error_;
};

using Status = Outcome<void>;

} // namespace kz
