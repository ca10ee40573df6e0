#pragma once

// Helpers shared by the vault tests: hexadecimal, whole-file bytes and the error kinds that a
// damaged record may raise.

#include "base/Errors.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

inline std::string FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0)
        throw std::invalid_argument("odd hex length: " + hex);
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

// A damaged field may only end in the cipher's conversion or input error.
inline bool IsDamagedFieldError(const Exception& error) {
    const bool documentedKind = dynamic_cast<const EConvertError*>(&error) != nullptr ||
                                dynamic_cast<const EInputError*>(&error) != nullptr;
    return documentedKind && error.Message().starts_with("Blowfish: ");
}

// A fresh folder for one test, removed with everything in it afterwards.
class TTempFolder {
public:
    TTempFolder() {
        if (!FFolder.isValid())
            throw std::runtime_error("cannot make a temporary folder");
    }

    std::string File(const std::string& name) const {
        return FFolder.filePath(QString::fromStdString(name)).toStdString();
    }
    std::string Path() const { return FFolder.path().toStdString(); }

private:
    QTemporaryDir FFolder;
};
