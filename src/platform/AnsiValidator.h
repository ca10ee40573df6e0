#pragma once

// Refuses, where it is typed or pasted, any character that Windows-1252 cannot hold, so that text
// taken from an edit always converts to bytes unchanged.

#include <QValidator>

class TAnsiValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};
