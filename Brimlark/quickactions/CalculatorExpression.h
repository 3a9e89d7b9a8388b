#pragma once

#include <QString>

// The calculator's answer line for one typed line: the value, the lower-case text of why it could
// not be worked out, or empty for a blank line. Never fails, whatever the text.
QString evaluateCalculatorExpression(const QString& expression);

// A finite value as the calculator shows it. Below 2^53 in magnitude, where every whole number is
// held exactly, whole numbers as plain digits (negative zero as 0) and others with four decimals,
// the trailing zeros and point dropped (0.3333, 10.5, -0). From 2^53 on a value may already be
// rounded (2^53 + 1 is held as 2^53), so it never shows as digits that look exact: it is written
// in exponent form with at most 15 significant digits (9.99999999998e+21).
QString formatCalculatorValue(double value);
