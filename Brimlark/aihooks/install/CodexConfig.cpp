#include "Brimlark/aihooks/install/CodexConfig.h"

#include <QList>
#include <QStringDecoder>
#include <QStringList>

namespace {

struct Line {
    QString content;
    // "\n", "\r\n", or empty for a last line without a break.
    QString terminator;
};

QList<Line> splitLines(const QString& text) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype feed = text.indexOf(QLatin1Char('\n'), start);
        if (feed < 0) {
            lines.append({text.mid(start), QString()});
            break;
        }
        const bool crlf = feed > start && text.at(feed - 1) == QLatin1Char('\r');
        const qsizetype end = crlf ? feed - 1 : feed;
        lines.append({text.mid(start, end - start), crlf ? QStringLiteral("\r\n") : QStringLiteral("\n")});
        start = feed + 1;
    }
    return lines;
}

QString joinLines(const QList<Line>& lines) {
    QString text;
    for (const Line& line : lines)
        text += line.content + line.terminator;
    return text;
}

// The style of the file's first line break; a file without one gets line feeds.
QString lineBreakOf(const QString& text) {
    const qsizetype feed = text.indexOf(QLatin1Char('\n'));
    if (feed > 0 && text.at(feed - 1) == QLatin1Char('\r'))
        return QStringLiteral("\r\n");
    return QStringLiteral("\n");
}

// One TOML statement: a table header, a key assignment (whose value may span several lines), a
// blank or comment line, or a line that is none of these.
struct Statement {
    enum class Kind { trivia, header, keyValue, other };
    qsizetype first = 0;
    qsizetype last = 0;
    Kind kind = Kind::trivia;
    // The header's or the key's dotted path, quotes removed; empty when unreadable.
    QStringList path;
    bool arrayTable = false;
    // A single-line assignment's value, without its comment, trimmed.
    QString value;
};

// Where the lexer stands between lines: inside a multi-line string, or inside brackets of a value.
struct ScanState {
    enum class Mode { normal, multiLineBasic, multiLineLiteral };
    Mode mode = Mode::normal;
    int depth = 0;

    bool atStatementStart() const { return mode == Mode::normal && depth == 0; }
};

bool startsWith3(const QString& s, qsizetype i, QChar quote) {
    return i + 2 < s.size() && s.at(i) == quote && s.at(i + 1) == quote && s.at(i + 2) == quote;
}

// Walks a line from `pos`, following strings and brackets. Returns where a comment starts, or -1.
qsizetype scan(const QString& s, qsizetype pos, ScanState& state) {
    const qsizetype n = s.size();
    qsizetype i = pos;
    while (i < n) {
        if (state.mode != ScanState::Mode::normal) {
            const bool basic = state.mode == ScanState::Mode::multiLineBasic;
            const QChar quote = basic ? QLatin1Char('"') : QLatin1Char('\'');
            if (basic && s.at(i) == QLatin1Char('\\')) {
                i += 2;
                continue;
            }
            if (startsWith3(s, i, quote)) {
                i += 3;
                // Up to two more quotes still belong to the string's content.
                for (int extra = 0; extra < 2 && i < n && s.at(i) == quote; ++extra)
                    ++i;
                state.mode = ScanState::Mode::normal;
                continue;
            }
            ++i;
            continue;
        }
        const QChar c = s.at(i);
        if (c == QLatin1Char('#'))
            return i;
        if (c == QLatin1Char('"')) {
            if (startsWith3(s, i, c)) {
                state.mode = ScanState::Mode::multiLineBasic;
                i += 3;
                continue;
            }
            ++i;
            while (i < n && s.at(i) != QLatin1Char('"'))
                i += s.at(i) == QLatin1Char('\\') ? 2 : 1;
            ++i;
            continue;
        }
        if (c == QLatin1Char('\'')) {
            if (startsWith3(s, i, c)) {
                state.mode = ScanState::Mode::multiLineLiteral;
                i += 3;
                continue;
            }
            ++i;
            while (i < n && s.at(i) != QLatin1Char('\''))
                ++i;
            ++i;
            continue;
        }
        if (c == QLatin1Char('[') || c == QLatin1Char('{'))
            ++state.depth;
        else if ((c == QLatin1Char(']') || c == QLatin1Char('}')) && state.depth > 0)
            --state.depth;
        ++i;
    }
    return -1;
}

bool isSpace(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

void skipSpaces(const QString& s, qsizetype& i) {
    while (i < s.size() && isSpace(s.at(i)))
        ++i;
}

bool isBareKeyChar(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') || c == QLatin1Char('-');
}

// A basic string's content from just after its opening quote; `i` ends after the closing quote.
std::optional<QString> basicString(const QString& s, qsizetype& i) {
    QString out;
    while (i < s.size()) {
        const QChar c = s.at(i++);
        if (c == QLatin1Char('"'))
            return out;
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (i >= s.size())
            return std::nullopt;
        const QChar e = s.at(i++);
        switch (e.unicode()) {
        case 'b':
            out += QLatin1Char('\b');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'f':
            out += QLatin1Char('\f');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 'e':
            out += QChar(0x1b);
            break;
        case '"':
            out += QLatin1Char('"');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        case 'u':
        case 'U': {
            const int digits = e == QLatin1Char('u') ? 4 : 8;
            bool ok = false;
            const uint code = s.mid(i, digits).toUInt(&ok, 16);
            if (!ok || s.mid(i, digits).size() != digits)
                return std::nullopt;
            i += digits;
            const char32_t scalar = code;
            out += QString::fromUcs4(&scalar, 1);
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// A dotted key from `i`; `i` ends on the first character after it (and after spaces).
std::optional<QStringList> keyPath(const QString& s, qsizetype& i) {
    QStringList path;
    for (;;) {
        skipSpaces(s, i);
        if (i >= s.size())
            return std::nullopt;
        const QChar c = s.at(i);
        if (c == QLatin1Char('"')) {
            ++i;
            const std::optional<QString> part = basicString(s, i);
            if (!part)
                return std::nullopt;
            path.append(*part);
        } else if (c == QLatin1Char('\'')) {
            const qsizetype close = s.indexOf(QLatin1Char('\''), i + 1);
            if (close < 0)
                return std::nullopt;
            path.append(s.mid(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const qsizetype start = i;
            while (i < s.size() && isBareKeyChar(s.at(i)))
                ++i;
            if (i == start)
                return std::nullopt;
            path.append(s.mid(start, i - start));
        }
        skipSpaces(s, i);
        if (i < s.size() && s.at(i) == QLatin1Char('.')) {
            ++i;
            continue;
        }
        return path;
    }
}

// Reads a header line ("[a.b]" or "[[a.b]]", optionally followed by a comment).
void readHeader(const QString& s, qsizetype at, Statement& statement) {
    statement.kind = Statement::Kind::header;
    qsizetype i = at + 1;
    statement.arrayTable = i < s.size() && s.at(i) == QLatin1Char('[');
    if (statement.arrayTable)
        ++i;
    std::optional<QStringList> path = keyPath(s, i);
    const QString close = statement.arrayTable ? QStringLiteral("]]") : QStringLiteral("]");
    if (!path || s.mid(i, close.size()) != close)
        return;
    i += close.size();
    skipSpaces(s, i);
    if (i < s.size() && s.at(i) != QLatin1Char('#'))
        return;
    statement.path = *path;
}

// The statements of `lines`; `endState`, when given, is where the scan stands after the last line
// (inside a multi-line string or brackets when the text breaks off in the middle of a value).
QList<Statement> statementsOf(const QList<Line>& lines, ScanState* endState = nullptr) {
    QList<Statement> statements;
    ScanState state;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString& s = lines.at(index).content;
        if (!state.atStatementStart() && !statements.isEmpty()) {
            scan(s, 0, state);
            statements.last().last = index;
            continue;
        }
        Statement statement;
        statement.first = statement.last = index;
        qsizetype i = 0;
        skipSpaces(s, i);
        if (i >= s.size() || s.at(i) == QLatin1Char('#')) {
            statement.kind = Statement::Kind::trivia;
        } else if (s.at(i) == QLatin1Char('[')) {
            readHeader(s, i, statement);
        } else {
            qsizetype at = i;
            const std::optional<QStringList> path = keyPath(s, at);
            if (path && at < s.size() && s.at(at) == QLatin1Char('=')) {
                statement.kind = Statement::Kind::keyValue;
                statement.path = *path;
                const qsizetype comment = scan(s, at + 1, state);
                const qsizetype end = comment < 0 ? s.size() : comment;
                statement.value = s.mid(at + 1, end - at - 1).trimmed();
            } else {
                statement.kind = Statement::Kind::other;
                scan(s, 0, state);
            }
        }
        statements.append(statement);
    }
    if (endState)
        *endState = state;
    return statements;
}

bool isBlank(const Line& line) {
    return line.content.trimmed().isEmpty();
}

// Where the comment lines directly above the statement `header` begin (no blank line between them
// and the header): they lead into that table. `header` itself when there are none.
qsizetype headingCommentsStart(const QList<Statement>& statements, const QList<Line>& lines,
                               qsizetype header) {
    qsizetype at = header;
    while (at > 0 && statements.at(at - 1).kind == Statement::Kind::trivia &&
           !isBlank(lines.at(statements.at(at - 1).first)))
        --at;
    return at;
}

// The lines without the first block from a begin marker through an end marker that follows it. A
// marker counts only as a comment line of its own, never as text inside a string or after a value.
// The end marker's line break stays.
QList<Line> withoutMarkedBlock(QList<Line> lines, const QList<Statement>& statements) {
    const auto markerLine = [&](const QString& marker) -> qsizetype {
        for (const Statement& statement : statements) {
            if (statement.kind == Statement::Kind::trivia &&
                lines.at(statement.first).content.trimmed() == marker)
                return statement.first;
        }
        return -1;
    };
    const qsizetype begin = markerLine(CodexConfig::beginMarker());
    const qsizetype end = markerLine(CodexConfig::endMarker());
    if (begin < 0 || end <= begin)
        return lines;
    const Line rest{QString(), lines.at(end).terminator};
    lines.remove(begin, end - begin + 1);
    lines.insert(begin, rest);
    return lines;
}

QString indentationOf(const QString& s) {
    qsizetype i = 0;
    skipSpaces(s, i);
    return s.left(i);
}

} // namespace

std::optional<QString> CodexConfig::decode(const QByteArray& bytes, QString* error) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        if (error)
            *error = QStringLiteral("the file is not valid UTF-8 text");
        return std::nullopt;
    }
    return text;
}

QString CodexConfig::removingBridgeHookTables(const QString& text, const QString& scriptFileName) {
    const QList<Line> lines = splitLines(text);
    const QList<Statement> statements = statementsOf(lines);
    // The lines of the statements from `from` up to, not including, `to`.
    const auto linesOf = [&](qsizetype from, qsizetype to) {
        if (from >= to)
            return QList<Line>();
        const qsizetype first = statements.at(from).first;
        return lines.mid(first, statements.at(to - 1).last - first + 1);
    };
    QList<Line> out;
    // The header of the "[[hooks]]" table being read, or -1.
    qsizetype table = -1;
    // Keeps or drops the table being read, which ends before the statement `end` (the next header,
    // or the end of the text).
    const auto settle = [&](qsizetype end) {
        if (table < 0)
            return;
        // Comment lines right above the next header lead into that table and stay either way; so
        // do the blank lines that set them apart from this one, unless the kept text already ends
        // in a blank line. Only the lines above them decide whether the table is ours.
        const qsizetype heading =
            end < statements.size() ? headingCommentsStart(statements, lines, end) : end;
        qsizetype gap = heading;
        while (heading < end && gap > table + 1 && isBlank(lines.at(statements.at(gap - 1).first)))
            --gap;
        if (!joinLines(linesOf(table, gap)).contains(scriptFileName)) {
            out += linesOf(table, end);
        } else {
            if (!out.isEmpty() && !isBlank(out.last()))
                out += linesOf(gap, heading);
            out += linesOf(heading, end);
        }
        table = -1;
    };
    for (qsizetype k = 0; k < statements.size(); ++k) {
        const Statement& statement = statements.at(k);
        if (statement.kind != Statement::Kind::header) {
            if (table < 0)
                out += linesOf(k, k + 1);
            continue;
        }
        settle(k);
        if (statement.arrayTable && statement.path == QStringList{QStringLiteral("hooks")})
            table = k;
        else
            out += linesOf(k, k + 1);
    }
    settle(statements.size());
    return joinLines(out);
}

std::optional<QString> CodexConfig::updated(const QString& input, const QString& scriptFileName,
                                            QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<QString> {
        if (error)
            *error = why;
        return std::nullopt;
    };

    QString text = input;
    QString bom;
    if (text.startsWith(QChar(0xfeff))) {
        bom = text.left(1);
        text.remove(0, 1);
    }
    const QList<Line> original = splitLines(text);
    ScanState scanEnd;
    const QList<Statement> scanned = statementsOf(original, &scanEnd);
    // A value still open at the end of the text is broken for certain, and where it was meant to
    // end cannot be known, so nothing is edited.
    if (!scanEnd.atStatementStart()) {
        const QString what = scanEnd.mode == ScanState::Mode::normal
                                 ? QStringLiteral("an unclosed array or inline table")
                                 : QStringLiteral("an unterminated multi-line string");
        return fail(QStringLiteral("the file is not valid TOML (%1 from line %2)")
                        .arg(what)
                        .arg(scanned.last().first + 1));
    }
    text = joinLines(withoutMarkedBlock(original, scanned));
    text = removingBridgeHookTables(text, scriptFileName);

    const QString lineBreak = lineBreakOf(input);
    QList<Line> lines = splitLines(text.trimmed());
    const QList<Statement> statements = statementsOf(lines);

    const QStringList features{QStringLiteral("features")};
    const QStringList flag{QStringLiteral("codex_hooks")};
    const QStringList dottedFlag{QStringLiteral("features"), QStringLiteral("codex_hooks")};
    qsizetype firstHeader = -1;
    qsizetype featuresHeader = -1;
    QList<qsizetype> tableFlags;
    qsizetype topLevelFlag = -1;
    qsizetype lastTopLevelFeatures = -1;
    qsizetype currentTable = -1;
    for (qsizetype k = 0; k < statements.size(); ++k) {
        const Statement& statement = statements.at(k);
        if (statement.kind == Statement::Kind::header) {
            if (statement.path == features && statement.arrayTable)
                return fail(QStringLiteral("features is an array of tables ([[features]]), so the hooks flag "
                                           "cannot be added safely"));
            if (firstHeader < 0)
                firstHeader = k;
            if (statement.path == features && featuresHeader < 0)
                featuresHeader = k;
            currentTable = k;
            continue;
        }
        if (statement.kind != Statement::Kind::keyValue)
            continue;
        if (currentTable < 0) {
            if (statement.path == features)
                return fail(
                    QStringLiteral("features is written on one line (features = …), so the hooks flag "
                                   "cannot be added safely; add codex_hooks = true to it yourself"));
            if (statement.path.value(0) == QLatin1String("features")) {
                lastTopLevelFeatures = k;
                if (statement.path == dottedFlag && topLevelFlag < 0)
                    topLevelFlag = k;
            }
        } else if (currentTable == featuresHeader && statement.path == flag) {
            tableFlags.append(k);
        }
    }
    if (tableFlags.size() > 1)
        return fail(QStringLiteral("[features] sets codex_hooks more than once"));

    const auto replaceStatement = [&](const Statement& statement, const QString& assignment) {
        const Line replacement{indentationOf(lines.at(statement.first).content) + assignment,
                               lines.at(statement.last).terminator};
        lines.remove(statement.first, statement.last - statement.first + 1);
        lines.insert(statement.first, replacement);
    };
    const auto isTrue = [](const Statement& statement) {
        return statement.first == statement.last && statement.value == QLatin1String("true");
    };

    if (featuresHeader >= 0) {
        if (tableFlags.isEmpty()) {
            const qsizetype after = statements.at(featuresHeader).last + 1;
            lines.insert(after, Line{featureLine(), lineBreak});
        } else if (!isTrue(statements.at(tableFlags.first()))) {
            replaceStatement(statements.at(tableFlags.first()), featureLine());
        }
    } else if (lastTopLevelFeatures >= 0) {
        // "features" is already a table made of dotted keys: a "[features]" header would define it
        // a second time, so the flag joins the dotted keys.
        const QString assignment = QStringLiteral("features.") + featureLine();
        if (topLevelFlag < 0)
            lines.insert(statements.at(lastTopLevelFeatures).last + 1, Line{assignment, lineBreak});
        else if (!isTrue(statements.at(topLevelFlag)))
            replaceStatement(statements.at(topLevelFlag), assignment);
    } else {
        const QList<Line> block{{QStringLiteral("[features]"), lineBreak}, {featureLine(), lineBreak}};
        if (lines.isEmpty()) {
            lines = block;
        } else if (firstHeader < 0) {
            lines.last().terminator = lineBreak;
            lines.append(Line{QString(), lineBreak});
            lines += block;
        } else {
            // Before the first table, but above the comment lines that lead into it, so that top-level
            // keys stay top-level and a table keeps its heading comment.
            const qsizetype at = headingCommentsStart(statements, lines, firstHeader);
            QList<Line> inserted = block;
            inserted.append(Line{QString(), lineBreak});
            const qsizetype line = statements.at(at).first;
            for (qsizetype k = inserted.size() - 1; k >= 0; --k)
                lines.insert(line, inserted.at(k));
        }
    }
    for (Line& line : lines) {
        if (line.terminator.isEmpty())
            line.terminator = lineBreak;
    }
    return bom + joinLines(lines);
}
