#include "Brimlark/controls/MirrorView.h"

#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/controls/CameraPreview.h"
#include "Brimlark/kit/BrimlarkTheme.h"

#include <QVBoxLayout>

namespace {
constexpr int previewWidth = 180;
constexpr int previewHeight = 110;
// Without a camera the frame holds one line of text.
constexpr int noCameraHeight = 26;
} // namespace

MirrorView::MirrorView(CameraMirrorService& mirror, QWidget* parent) : QWidget(parent), m_mirror(mirror) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(&m_mirror, &CameraMirrorService::isActiveChanged, this, &MirrorView::follow);
    follow(m_mirror.isActive());
}

QSize MirrorView::sizeHint() const {
    return QSize(previewWidth, m_mirror.hasNoCamera() ? noCameraHeight : previewHeight);
}

// The preview is made anew at each start: the camera's picture exists only from the first start on.
void MirrorView::follow(bool active) {
    if (!active) {
        delete m_preview.data();
        return;
    }
    if (m_preview)
        return;
    m_preview = new CameraPreview(m_mirror.camera(), this);
    m_preview->setFixedSize(previewWidth, m_mirror.hasNoCamera() ? noCameraHeight : previewHeight);
    QColor outline = BrimlarkTheme::success();
    outline.setAlphaF(0.6f);
    m_preview->setOutline(outline);
    m_preview->setAccessibleName(QStringLiteral("Live camera preview"));
    static_cast<QVBoxLayout*>(layout())->addWidget(m_preview, 0, Qt::AlignCenter);
}
