#pragma once

#include "Brimlark/quickactions/CalculatorExpression.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

// What must hold for any line typed into the calculator: the answer is empty exactly for a blank
// line, otherwise a number in one of the calculator's forms or one of its messages. The fuzz target traps
// when a check fails; the corpus test replays the seeds through the same checks in the ordinary
// build.
namespace CalculatorFuzzChecks {

// Digits with an optional leading minus and at most four decimals, without trailing zeros.
inline bool isNumberText(const QString& text) {
    qsizetype i = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    const qsizetype digitsStart = i;
    while (i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'))
        ++i;
    if (i == digitsStart)
        return false;
    if (i == text.size())
        return true;
    if (text.at(i) != QLatin1Char('.'))
        return false;
    const qsizetype decimalsStart = ++i;
    while (i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'))
        ++i;
    const qsizetype decimals = i - decimalsStart;
    return i == text.size() && decimals >= 1 && decimals <= 4 && !text.endsWith(QLatin1Char('0'));
}

// A value from 2^53 on: one digit, up to fourteen decimals without trailing zeros, and a positive
// exponent of 15 or more ("9.99999999998e+21").
inline bool isExponentText(const QString& text) {
    static const QRegularExpression form(QStringLiteral(R"(^-?[1-9](\.[0-9]{0,13}[1-9])?e\+[0-9]{2,3}$)"));
    const QRegularExpressionMatch match = form.match(text);
    return match.hasMatch() && text.sliced(text.indexOf(QLatin1Char('+')) + 1).toInt() >= 15;
}

inline bool isMessage(const QString& text) {
    static const char* const fixed[] = {"enter a calculation", "missing closing parenthesis",
                                        "cannot divide by zero", "expression too deeply nested",
                                        "result out of range"};
    for (const char* message : fixed) {
        if (text == QLatin1String(message))
            return true;
    }
    return (text.startsWith(QLatin1String("unexpected token: ")) &&
            text.size() > qsizetype(sizeof "unexpected token: " - 1)) ||
           (text.startsWith(QLatin1String("invalid number: ")) &&
            text.size() > qsizetype(sizeof "invalid number: " - 1));
}

inline bool checkLine(const QString& line) {
    const QString answer = evaluateCalculatorExpression(line);
    if (line.trimmed().isEmpty())
        return answer.isEmpty();
    return isNumberText(answer) || isExponentText(answer) || isMessage(answer);
}

inline bool check(const QByteArray& bytes) {
    return checkLine(QString::fromUtf8(bytes));
}

} // namespace CalculatorFuzzChecks
