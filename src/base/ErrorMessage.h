#pragma once

// A message as an error carries it: its code, the names and numbers it shows, and the file (or
// thing) named before it. The English text is made from these; the window translates the same
// parts, so that no message is ever taken apart again by its English words.

#include "base/ErrorCode.h"
#include "base/ErrorTexts.h"

#include <string>
#include <utility>
#include <vector>

class TErrorMessage {
public:
    TErrorMessage() = default;
    // A fixed sentence, translated as a whole.
    explicit TErrorMessage(std::string sentence) : FArgs{std::move(sentence)} {}
    TErrorMessage(TErrorCode code, std::vector<std::string> args, std::string subject = {})
        : FCode(code), FArgs(std::move(args)), FSubject(std::move(subject)) {
        if (const TErrorText* text = ErrorTextOf(code))
            FFullStop = text->FullStop;
    }

    TErrorCode Code() const noexcept { return FCode; }
    // The values of %1, %2 ...; a sentence's one argument is its text.
    const std::vector<std::string>& Args() const noexcept { return FArgs; }
    // Shown before the message and ": " ("PATH: File access denied"), or empty.
    const std::string& Subject() const noexcept { return FSubject; }
    // Whether the message ends with a full stop of its own, not its text's.
    bool FullStop() const noexcept { return FFullStop; }

    // The same message after another subject ("WHAT: message"); the subject it had stays in front
    // of the message.
    TErrorMessage After(const std::string& subject) const {
        TErrorMessage message = *this;
        message.FSubject = FSubject.empty() ? subject : subject + ": " + FSubject;
        return message;
    }

    // The message as the error display shows it: a full stop is added when the last byte sorts
    // after ".".
    TErrorMessage ForDisplay() const {
        TErrorMessage message = *this;
        const std::string text = Text();
        if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
            message.FFullStop = true;
        return message;
    }

    // The English text.
    std::string Text() const {
        std::string text = FSubject.empty() ? std::string() : FSubject + ": ";
        const TErrorText* entry = ErrorTextOf(FCode);
        if (entry == nullptr) {
            if (!FArgs.empty())
                text += FArgs.front();
        } else {
            text += Filled(entry->Template);
        }
        if (FFullStop && (text.empty() || text.back() != '.'))
            text += '.';
        return text;
    }

private:
    // The template with %1 ... %9 replaced in one pass, so that an argument's own "%2" stays.
    std::string Filled(const char* pattern) const {
        std::string text;
        for (const char* at = pattern; *at != '\0'; ++at) {
            if (at[0] == '%' && at[1] >= '1' && at[1] <= '9') {
                const auto index = static_cast<std::size_t>(at[1] - '1');
                if (index < FArgs.size()) {
                    text += FArgs[index];
                    ++at;
                    continue;
                }
            }
            text += *at;
        }
        return text;
    }

    TErrorCode FCode = TErrorCode::Sentence;
    std::vector<std::string> FArgs;
    std::string FSubject;
    bool FFullStop = false;
};
