#include "tests/support/Screenshot.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace brimlark::test {

QString screenshotDir() {
    return qEnvironmentVariable("BRIMLARK_SCREENSHOT_DIR");
}

QString saveScreenshot(const QImage& image, const QString& name) {
    const QString dir = screenshotDir();
    if (dir.isEmpty())
        return {};
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    return image.save(path) ? path : QString();
}

QString saveScreenshot(QWidget* widget, const QString& name) {
    if (screenshotDir().isEmpty())
        return {};
    widget->ensurePolished();
    if (widget->size().isEmpty())
        widget->resize(widget->sizeHint());
    return saveScreenshot(widget->grab().toImage(), name);
}

} // namespace brimlark::test
