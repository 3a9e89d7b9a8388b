// A window that drags files, as a file manager does, for the live check of the file shelf:
//   shelf_drag_source FILE...
// Pressing anywhere in the window and moving starts a drag of the files given (as file URLs, in
// the order given). It prints "ready" once shown, and "drag ended: <action>" after each drag.
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include <cstdio>

namespace {

class DragSource : public QLabel {
public:
    explicit DragSource(const QList<QUrl>& urls) : m_urls(urls) {
        QStringList names;
        for (const QUrl& url : urls)
            names.append(url.fileName());
        setText(QStringLiteral("drag me:\n") + names.join(QLatin1Char('\n')));
        setAlignment(Qt::AlignCenter);
        setMinimumSize(240, 140);
        setWindowTitle(QStringLiteral("shelf drag source"));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { m_pressedAt = event->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton) ||
            (event->position().toPoint() - m_pressedAt).manhattanLength() < QApplication::startDragDistance())
            return;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls(m_urls);
        drag->setMimeData(mime);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("drag ended: %d\n", int(action));
        std::fflush(stdout);
    }
    void showEvent(QShowEvent* event) override {
        QLabel::showEvent(event);
        std::printf("ready\n");
        std::fflush(stdout);
    }

private:
    QList<QUrl> m_urls;
    QPoint m_pressedAt;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // From the bytes the file system has, as a file manager sends them: a name that is not UTF-8
    // keeps its bytes, percent-encoded, instead of being decoded into text first.
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        QByteArray path(argv[i]);
        if (!path.startsWith('/'))
            path = QFile::encodeName(QDir::currentPath()) + '/' + path;
        urls.append(QUrl::fromEncoded("file://" + path.toPercentEncoding("/")));
    }
    if (urls.isEmpty()) {
        std::fprintf(stderr, "usage: shelf_drag_source FILE...\n");
        return 2;
    }
    DragSource window(urls);
    window.show();
    return app.exec();
}
