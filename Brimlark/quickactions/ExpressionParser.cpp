#include "Brimlark/quickactions/ExpressionParser.h"

#include <QTextBoundaryFinder>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// Whether the cluster's first code point is a number of any script: a decimal digit, a letter
// number or another numeric character (fractions, superscripts, circled digits, ...).
bool isNumeric(QStringView cluster) {
    if (cluster.isEmpty())
        return false;
    char32_t first = cluster.at(0).unicode();
    if (cluster.at(0).isHighSurrogate() && cluster.size() > 1 && cluster.at(1).isLowSurrogate())
        first = QChar::surrogateToUcs4(cluster.at(0), cluster.at(1));
    switch (QChar::category(first)) {
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

// `text` as a decimal number, "." as the point whatever the locale; the whole text must be used.
// A number too large for a double is infinite and one too small to tell from zero is zero.
std::optional<double> convert(QStringView text) {
    QVarLengthArray<char, 64> ascii;
    for (QChar c : text) {
        if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('.'))
            return std::nullopt;
        ascii.append(char(c.unicode()));
    }
    const char* begin = ascii.constData();
    const char* end = begin + ascii.size();
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (stop != end)
        return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Out of range with a non-zero digit before the point is too large; otherwise too small.
        const char* point = std::find(begin, end, '.');
        const bool large = std::any_of(begin, point, [](char c) { return c != '0'; });
        return large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    if (error != std::errc())
        return std::nullopt;
    return value;
}

} // namespace

ExpressionParser::ExpressionParser(QString text) : m_text(std::move(text)) {
    m_starts.append(0);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, m_text);
    for (qsizetype boundary = finder.toNextBoundary(); boundary > 0; boundary = finder.toNextBoundary())
        m_starts.append(boundary);
    // A text the finder could not split is read as one cluster per code unit.
    if (m_starts.size() == 1 && !m_text.isEmpty()) {
        for (qsizetype i = 1; i <= m_text.size(); ++i)
            m_starts.append(i);
    }
}

QStringView ExpressionParser::token(qsizetype i) const {
    return QStringView(m_text).mid(m_starts.at(i), m_starts.at(i + 1) - m_starts.at(i));
}

std::nullopt_t ExpressionParser::fail(ParseError error) {
    m_error = std::move(error);
    return std::nullopt;
}

std::optional<double> ExpressionParser::parseExpression() {
    std::optional<double> value = parseTerm();
    while (value && (next(QLatin1String("+")) || next(QLatin1String("-")))) {
        const bool add = next(QLatin1String("+"));
        ++m_index;
        const std::optional<double> term = parseTerm();
        if (!term)
            return std::nullopt;
        *value = add ? *value + *term : *value - *term;
    }
    return value;
}

std::optional<double> ExpressionParser::parseTerm() {
    std::optional<double> value = parseFactor();
    while (value && (next(QLatin1String("*")) || next(QLatin1String("/")))) {
        const bool multiply = next(QLatin1String("*"));
        ++m_index;
        const std::optional<double> factor = parseFactor();
        if (!factor)
            return std::nullopt;
        if (multiply) {
            *value *= *factor;
        } else {
            if (*factor == 0) // also -0
                return fail(ParseError::of(ParseError::Kind::divideByZero));
            *value /= *factor;
        }
    }
    return value;
}

std::optional<double> ExpressionParser::parseFactor() {
    if (atEnd())
        return fail(ParseError::of(ParseError::Kind::emptyExpression));
    if (next(QLatin1String("-"))) {
        ++m_index;
        const std::optional<double> factor = nestedFactor();
        if (!factor)
            return std::nullopt;
        return -*factor;
    }
    if (next(QLatin1String("("))) {
        ++m_index;
        const std::optional<double> value = nestedExpression();
        if (!value)
            return std::nullopt;
        if (!next(QLatin1String(")")))
            return fail(ParseError::of(ParseError::Kind::missingClosingParen));
        ++m_index;
        return value;
    }
    return parseNumber();
}

std::optional<double> ExpressionParser::nestedFactor() {
    if (m_depth >= maxDepth)
        return fail(ParseError::of(ParseError::Kind::tooDeeplyNested));
    ++m_depth;
    const std::optional<double> value = parseFactor();
    --m_depth;
    return value;
}

std::optional<double> ExpressionParser::nestedExpression() {
    if (m_depth >= maxDepth)
        return fail(ParseError::of(ParseError::Kind::tooDeeplyNested));
    ++m_depth;
    const std::optional<double> value = parseExpression();
    --m_depth;
    return value;
}

std::optional<double> ExpressionParser::parseNumber() {
    const qsizetype start = m_index;
    bool point = false;
    while (!atEnd()) {
        const QStringView cluster = token(m_index);
        if (cluster == QLatin1String(".") && !point)
            point = true;
        else if (!isNumeric(cluster))
            break;
        ++m_index;
    }
    if (m_index == start)
        return fail(ParseError::unexpectedToken(token(start).toString()));
    // The clusters lie next to each other in the text.
    const QStringView text =
        QStringView(m_text).mid(m_starts.at(start), m_starts.at(m_index) - m_starts.at(start));
    const std::optional<double> value = convert(text);
    if (!value)
        return fail(ParseError::invalidNumber(text.toString()));
    return value;
}
