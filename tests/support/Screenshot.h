#pragma once

#include <QString>

class QWidget;
class QImage;

namespace brimlark::test {

// The folder named by BRIMLARK_SCREENSHOT_DIR, or empty when screenshots are off.
QString screenshotDir();

// Renders `widget` offscreen and saves it as <dir>/<name>.png when BRIMLARK_SCREENSHOT_DIR is
// set. Returns the file written, or empty when screenshots are off or the write failed.
QString saveScreenshot(QWidget* widget, const QString& name);
QString saveScreenshot(const QImage& image, const QString& name);

} // namespace brimlark::test
