#include "Brimlark/quickactions/CalculatorExpression.h"
#include "tests/support/TestMain.h"

// The calculator's answer line for what the user types.
class TestCalculatorExpression : public QObject {
    Q_OBJECT
private slots:
    void answers_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("answer");
        auto row = [](const char* name, const QString& input, const QString& answer) {
            QTest::newRow(name) << input << answer;
        };
        // Values.
        row("spaces", "2 + 2", "4");
        row("precedence", "2+3*4", "14");
        row("brackets", "(2+3)*4", "20");
        row("half", "7/2", "3.5");
        row("third", "1/3", "0.3333");
        row("two thirds", "2/3", "0.6667");
        row("eighth", "1/8", "0.125");
        row("negated brackets", "-(2+3)", "-5");
        row("minus minus", "2--3", "5");
        row("left to right", "2-3-4", "-5");
        row("division left to right", "8/4/2", "1");
        row("unary binds tighter", "2*-3", "-6");
        row("float error hidden", "0.1+0.2", "0.3");
        row("tiny negative", "-1/100000", "-0");
        row("tiny positive", "1/100000", "0");
        row("trailing point", "1.", "1");
        row("leading point", ".5", "0.5");
        row("leading zeros", "007", "7");
        row("blank", "", "");
        row("white space only", " \t\u00a0\n ", "");
        row("negative zero whole", "-0", "0");
        // Messages.
        row("divide by zero", "1/0", "cannot divide by zero");
        row("zero over zero", "0/0", "cannot divide by zero");
        row("divide by a zero bracket", "5/(2-2)", "cannot divide by zero");
        row("divide by minus zero", "1/-0", "cannot divide by zero");
        row("open bracket", "(2+3", "missing closing parenthesis");
        row("stray close", "2+3)", "unexpected token: )");
        row("empty brackets", "()", "unexpected token: )");
        row("dangling plus", "2+", "enter a calculation");
        row("minus alone", "-", "enter a calculation");
        row("bracket alone", "(", "enter a calculation");
        row("capital letter", "X", "unexpected token: x");
        row("word", "abc", "unexpected token: a");
        row("point alone", ".", "invalid number: .");
        row("two points", "1.2.3", "unexpected token: .");
        row("double point", "1..2", "unexpected token: .");
        row("unary plus", "+5", "unexpected token: +");
        row("caret", "2^3", "unexpected token: ^");
        row("multiplication sign", "2\u00d73", "unexpected token: \u00d7");
        row("no implicit product", "2(3)", "unexpected token: (");
        row("vulgar fraction", "\u00bd", "invalid number: \u00bd");
        row("full-width digits", "\uff11\uff12", "invalid number: \uff11\uff12");
        row("tab inside", "2\t+2", "unexpected token: \t");
        row("combining mark on a digit", "2\u0301+1", "invalid number: 2\u0301");
        row("exponent", "1e5", "unexpected token: e");
        // Limits.
        row("deepest brackets", QString(256, '(') + "1" + QString(256, ')'), "1");
        row("brackets too deep", QString(257, '(') + "1" + QString(257, ')'), "expression too deeply nested");
        row("100000 brackets", QString(100000, '(') + "1", "expression too deeply nested");
        row("deepest minus", QString(256, '-') + "1", "1");
        row("minus too deep", QString(300, '-') + "1", "expression too deeply nested");
        row("over 308 digits", "1" + QString(400, '0'), "result out of range");
        row("overflow", "99999999999999999999" + QString(300, '0') + "*10", "result out of range");
        row("under the smallest double", "0." + QString(400, '0') + "1", "0");
        // Whole numbers are digits only while every digit is exact.
        row("largest exact whole", "9007199254740991", "9007199254740991");
        row("largest exact negative", "-9007199254740991", "-9007199254740991");
        row("2^53, also what 2^53+1 becomes", "9007199254740993", "9.00719925474099e+15");
        row("beyond 2^53", "99999999999*99999999999", "9.9999999998e+21");
        row("lowest 64-bit", "-9223372036854775808", "-9.22337203685478e+18");
        row("round power of ten", "1" + QString(20, '0'), "1e+20");
        row("half above 2^52", "4503599627370495+0.5", "4503599627370495.5");
    }

    void answers() {
        QFETCH(QString, input);
        QFETCH(QString, answer);
        QCOMPARE(evaluateCalculatorExpression(input), answer);
    }
};

BRIMLARK_TEST_MAIN(TestCalculatorExpression)
#include "tst_calculatorexpression.moc"
