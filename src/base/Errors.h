#pragma once

// The program's error kinds. Every failure is an exception that carries one message, shown to the
// user as it stands by the error display.

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }

private:
    std::string FMessage;
};

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
