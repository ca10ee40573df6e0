#pragma once

// The program's error kinds. Every failure is an exception that carries one message: its code and
// arguments, which the window translates, and the English text made from them.

#include "base/ErrorMessage.h"

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FError(std::move(message)), FMessage(FError.Text()) {}
    explicit Exception(TErrorMessage error) : FError(std::move(error)), FMessage(FError.Text()) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    // The English text.
    const std::string& Message() const noexcept { return FMessage; }
    const TErrorMessage& Error() const noexcept { return FError; }

private:
    TErrorMessage FError;
    std::string FMessage;
};

// The message of any exception: an Exception's own, or another's text as a sentence.
inline TErrorMessage ErrorMessageOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->Error();
    return TErrorMessage(error.what());
}

// Raised by the cipher component for a bad key, a missing key or IV, or a wrong mode.
class EKeyError : public Exception {
public:
    using Exception::Exception;
};

// Raised by the cipher component for enciphered input that cannot be deciphered.
class EInputError : public Exception {
public:
    using Exception::Exception;
};

// Raised by the text-form decoder for a character outside its table.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
