#pragma once

#include <QString>

// The calculator's answer line for one typed line: the value, the lower-case text of why it could
// not be worked out, or empty for a blank line. Never fails, whatever the text.
QString evaluateCalculatorExpression(const QString& expression);

// A finite value as the calculator shows it: whole numbers in the signed 64-bit range as plain
// digits (negative zero as 0), anything else with four decimals and the trailing zeros and point
// dropped (0.3333, 10.5, -0, 99999999999800000000000).
QString formatCalculatorValue(double value);
