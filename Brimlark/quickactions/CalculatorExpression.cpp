#include "Brimlark/quickactions/CalculatorExpression.h"

#include "Brimlark/quickactions/ExpressionParser.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// 2^53: below it every whole number is exact in a double; from it on, neighbours are 2 or more apart.
constexpr double exactWholeLimit = 9007199254740992.0;
constexpr int exponentDigits = 15;

} // namespace

QString formatCalculatorValue(double value) {
    // Large enough for any finite double with four decimals.
    char buffer[400];
    if (!std::isfinite(value))
        return QString();
    if (std::fabs(value) >= exactWholeLimit) {
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, exponentDigits);
        return QString::fromLatin1(buffer, result.ptr - buffer);
    }
    if (value == std::trunc(value)) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(value));
        return QString::fromLatin1(buffer, result.ptr - buffer);
    }
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
    if (result.ec != std::errc())
        return QString();
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString evaluateCalculatorExpression(const QString& expression) {
    QString line = expression.trimmed();
    if (line.isEmpty())
        return QString();
    line.remove(QLatin1Char(' '));
    ExpressionParser parser(std::move(line));
    std::optional<double> value = parser.parseExpression();
    std::optional<ParseError> error = parser.error();
    if (value && !parser.atEnd()) {
        error = ParseError::unexpectedToken(parser.token(parser.index()).toString());
        value.reset();
    }
    if (value && !std::isfinite(*value))
        error = ParseError::of(ParseError::Kind::outOfRange);
    else if (value)
        return formatCalculatorValue(*value);
    return error ? error->description().toLower() : QString();
}
