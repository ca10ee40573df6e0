#pragma once

// Refuses, where it is typed or pasted, any character that Windows-1252 cannot hold, so that text
// taken from an edit always converts to bytes unchanged. A refusal is announced, so that the user
// can be told why nothing happened.

#include <QValidator>

class TAnsiValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;

signals:
    // The first character of the refused text that Windows-1252 cannot hold.
    void Refused(const QString& character) const;
};
