// A note of one very long line (a pasted log line, minified JSON, a base64 blob) on the notes page:
// long_note [keystrokes]
//  - open: from building the page over the store to the end of its first paint;
//  - keystroke: one character typed at the end of the text, through the store, to the end of the
//    next paint (median and p99 of `keystrokes`);
//  - save: the store writing the file.
// For 50 KB, 1 MB and 5 MB on one line, each beside the same number of characters in 80-character
// lines measured in the same run. The anchor, in the same run: a bare QPlainTextEdit holding the
// same 5 MB, opened and typed in the same way (on one line it lays the whole line out at every
// key, so its keystrokes stop after anchorBudgetMs). Targets at 5 MB: the note on one line opens no
// slower than in 80-character lines, and a keystroke's p99 is within one frame (16 ms) or, where
// the bare editor with the text in 80-character lines misses a frame too, within 1.2 x its p99.
// Prints met/MISSED; exits 1 on a miss.
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/organizer/NotesService.h"
#include "Brimlark/organizer/NotesView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double frameMs = 16.0;
constexpr double anchorBudgetMs = 20'000;

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

double elapsedMs(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e6;
}

// `size` characters of base64-like text, on one line or in lines of 80.
QString noteText(qsizetype size, bool oneLine) {
    static const QString alphabet =
        QStringLiteral("eyJhbGciOiJIUzI1NiIsInR5cCI6IkpXVCJ9{\"k\":[1,2,3],\"v\":\"abc\"}+/=");
    QString text;
    text.reserve(size);
    for (qsizetype i = 0; i < size; ++i)
        text.append(!oneLine && i % 81 == 80 ? QChar(u'\n') : alphabet.at(i % alphabet.size()));
    return text;
}

struct Figures {
    double openMs = 0;
    double keyMedianMs = 0;
    double keyP99Ms = 0;
    double saveMs = 0;
    int keystrokes = 0;
};

// The same text in a bare QPlainTextEdit of the page's size and font.
Figures measureBare(const QString& text, int keystrokes) {
    Figures figures;
    QElapsedTimer clock;
    clock.start();
    auto editor = std::make_unique<QPlainTextEdit>();
    editor->setFont(BrimlarkTheme::monoRegular13());
    editor->setPlainText(text);
    editor->resize(544, 284);
    editor->show();
    editor->repaint();
    figures.openMs = elapsedMs(clock);

    editor->setFocus();
    editor->moveCursor(QTextCursor::End);
    std::vector<double> keys;
    QElapsedTimer budget;
    budget.start();
    for (int i = 0; i < keystrokes && (i < 3 || elapsedMs(budget) < anchorBudgetMs); ++i) {
        clock.restart();
        QTest::keyClick(editor.get(), Qt::Key_X);
        editor->viewport()->repaint();
        keys.push_back(elapsedMs(clock));
    }
    figures.keystrokes = int(keys.size());
    figures.keyMedianMs = percentile(keys, 0.5);
    figures.keyP99Ms = percentile(keys, 0.99);
    return figures;
}

Figures measure(const QString& text, int keystrokes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.json"));
    {
        NotesService seed(path);
        seed.updateCurrentNote(text);
        seed.flush();
    }
    Figures figures;
    NotesService service(path);
    QElapsedTimer clock;
    clock.start();
    auto view = std::make_unique<NotesView>(service, nullptr);
    view->resize(560, 300);
    view->show();
    view->repaint();
    figures.openMs = elapsedMs(clock);

    view->editor()->setFocus();
    view->editor()->moveCursor(QTextCursor::End);
    std::vector<double> keys;
    for (int i = 0; i < keystrokes; ++i) {
        clock.restart();
        QTest::keyClick(view->editor(), Qt::Key_X);
        view->editor()->viewport()->repaint();
        keys.push_back(elapsedMs(clock));
    }
    figures.keystrokes = int(keys.size());
    figures.keyMedianMs = percentile(keys, 0.5);
    figures.keyP99Ms = percentile(keys, 0.99);
    if (service.currentNote().body.size() != text.size() + keystrokes)
        std::fprintf(stderr, "the store holds %lld characters, not %lld\n",
                     static_cast<long long>(service.currentNote().body.size()),
                     static_cast<long long>(text.size() + keystrokes));
    clock.restart();
    service.flush();
    figures.saveMs = elapsedMs(clock);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("com.brimlark.*.debug=false"));
    const int keystrokes = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 100;

    std::printf("%-28s %10s %14s %12s %10s\n", "note", "open (ms)", "key p50 (ms)", "key p99 (ms)",
                "save (ms)");
    const auto row = [](const QString& name, const Figures& f, bool saved) {
        std::printf("%-28s %10.1f %14.2f %12.2f ", qPrintable(name), f.openMs, f.keyMedianMs, f.keyP99Ms);
        if (saved)
            std::printf("%10.1f\n", f.saveMs);
        else
            std::printf("%10s  (%d keystrokes)\n", "-", f.keystrokes);
    };
    Figures columns;
    Figures oneLine;
    for (const qsizetype size : {qsizetype(50'000), qsizetype(1'000'000), qsizetype(5'000'000)}) {
        for (const bool isOneLine : {false, true}) {
            const Figures f = measure(noteText(size, isOneLine), keystrokes);
            row(QStringLiteral("%1 KB, %2").arg(size / 1000).arg(isOneLine ? "one line" : "80 col"), f, true);
            if (size == 5'000'000)
                (isOneLine ? oneLine : columns) = f;
        }
    }
    const Figures bareColumns = measureBare(noteText(5'000'000, false), keystrokes);
    row(QStringLiteral("bare editor, 5000 KB, 80 col"), bareColumns, false);
    const Figures bareOneLine = measureBare(noteText(5'000'000, true), keystrokes);
    row(QStringLiteral("bare editor, 5000 KB, one line"), bareOneLine, false);

    const bool openMet = oneLine.openMs <= columns.openMs;
    std::printf("\nopen at 5 MB on one line %.1f ms, in 80-character lines %.1f ms: %s\n", oneLine.openMs,
                columns.openMs, openMet ? "met" : "MISSED");
    // The bare editor with the text in short lines is the stricter of the two anchors.
    const double allowed = bareColumns.keyP99Ms > frameMs ? 1.2 * bareColumns.keyP99Ms : frameMs;
    const bool keyMet = oneLine.keyP99Ms <= allowed;
    std::printf("keystroke p99 at 5 MB on one line %.2f ms (target <= %.1f ms: one frame, or 1.2 x the bare "
                "editor's %.2f ms in 80-character lines where it misses one): %s\n",
                oneLine.keyP99Ms, allowed, bareColumns.keyP99Ms, keyMet ? "met" : "MISSED");
    std::printf("(keystroke p99 at 5 MB in 80-character lines %.2f ms, for comparison)\n", columns.keyP99Ms);
    const bool met = openMet && keyMet;
    std::printf("(%d keystrokes each; offscreen; the 80-column rows and the bare editor are the anchor)\n",
                keystrokes);
    return met ? 0 : 1;
}
