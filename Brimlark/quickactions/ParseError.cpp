#include "Brimlark/quickactions/ParseError.h"

QString ParseError::description() const {
    switch (m_kind) {
    case Kind::unexpectedToken:
        return QStringLiteral("unexpected token: ") + m_payload;
    case Kind::invalidNumber:
        return QStringLiteral("invalid number: ") + m_payload;
    case Kind::emptyExpression:
        return QStringLiteral("enter a calculation");
    case Kind::missingClosingParen:
        return QStringLiteral("missing closing parenthesis");
    case Kind::divideByZero:
        return QStringLiteral("cannot divide by zero");
    case Kind::tooDeeplyNested:
        return QStringLiteral("expression too deeply nested");
    case Kind::outOfRange:
        return QStringLiteral("result out of range");
    }
    return QString();
}
