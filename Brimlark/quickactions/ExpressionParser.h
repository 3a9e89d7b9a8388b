#pragma once

#include "Brimlark/quickactions/ParseError.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// A recursive-descent reader of one calculator line: sums of products of factors, where a factor
// is a number, a bracketed expression or a negated factor. The tokens are the line's user-perceived
// characters (grapheme clusters); only the ASCII characters + - * / ( ) and . have a meaning.
//
// The clusters are kept as positions in the text rather than copies.
//
// Each parse step reads from `index()` on, moves past what it used and answers the value, or
// nothing with `error()` set. Brackets and unary minus nest at most `maxDepth` levels, so no input
// can exhaust the stack.
class ExpressionParser {
public:
    static constexpr int maxDepth = 256;

    // Reads `text`, split into its grapheme clusters.
    explicit ExpressionParser(QString text);

    std::optional<double> parseExpression();
    std::optional<double> parseTerm();
    std::optional<double> parseFactor();
    std::optional<double> parseNumber();

    qsizetype tokenCount() const { return m_starts.size() - 1; }
    // The `i`th cluster of the text.
    QStringView token(qsizetype i) const;
    qsizetype index() const { return m_index; }
    bool atEnd() const { return m_index >= tokenCount(); }
    // Why the last step failed.
    const std::optional<ParseError>& error() const { return m_error; }

private:
    bool next(QLatin1String symbol) const { return !atEnd() && token(m_index) == symbol; }
    std::nullopt_t fail(ParseError error);
    // Reads a factor one nesting level deeper, or fails when that is too deep.
    std::optional<double> nestedFactor();
    std::optional<double> nestedExpression();

    QString m_text;
    // Where each cluster starts in the text, and the text's length last.
    QList<qsizetype> m_starts;
    qsizetype m_index = 0;
    int m_depth = 0;
    std::optional<ParseError> m_error;
};
