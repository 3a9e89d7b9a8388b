#pragma once

#include <QString>

// Why a calculator line could not be worked out, with the text the calculator shows for it.
class ParseError {
public:
    enum class Kind {
        unexpectedToken,
        invalidNumber,
        emptyExpression,
        missingClosingParen,
        divideByZero,
        // Brackets and unary minus nested deeper than the parser follows.
        tooDeeplyNested,
        // A result (or a number typed) beyond what a double holds.
        outOfRange,
    };

    static ParseError unexpectedToken(const QString& character) { return {Kind::unexpectedToken, character}; }
    static ParseError invalidNumber(const QString& text) { return {Kind::invalidNumber, text}; }
    static ParseError of(Kind kind) { return {kind, QString()}; }

    Kind kind() const { return m_kind; }
    // The character or number text the error is about; empty for the other kinds.
    const QString& payload() const { return m_payload; }
    // "unexpected token: " or "invalid number: " followed by the payload, or the kind's fixed text.
    QString description() const;

private:
    ParseError(Kind kind, QString payload) : m_kind(kind), m_payload(std::move(payload)) {}

    Kind m_kind;
    QString m_payload;
};
