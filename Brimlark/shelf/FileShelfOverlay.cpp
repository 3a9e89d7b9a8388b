#include "Brimlark/shelf/FileShelfOverlay.h"

#include "Brimlark/kit/BrimlarkCard.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "Brimlark/shelf/ShelfButton.h"

#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

FileShelfOverlay::FileShelfOverlay(FileShelfService& shelf, QWidget* parent)
    : QWidget(parent), m_shelf(shelf) {
    setAttribute(Qt::WA_TranslucentBackground);

    auto* rowContent = new QWidget;
    auto* row = new QHBoxLayout(rowContent);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(8);
    auto* tray = new QLabel(rowContent);
    tray->setPixmap(symbolPixmap(QStringLiteral("tray.full.fill"), BrimlarkTheme::warning(), QSize(13, 13),
                                 devicePixelRatioF()));
    row->addWidget(tray);
    m_count =
        plainLabel(QString(), BrimlarkTheme::monoMedium10(), BrimlarkTheme::textSecondary(), rowContent);
    row->addWidget(m_count);
    row->addStretch(1);
    m_hint = plainLabel(QString(), BrimlarkTheme::monoMedium10(), BrimlarkTheme::textTertiary(), rowContent);
    row->addWidget(m_hint);
    auto* all =
        new ShelfButton(QStringLiteral("airdrop all"),
                        {QString(), BrimlarkTheme::warning(), BrimlarkTheme::monoMedium10(), QColor()},
                        QString(), rowContent);
    connect(all, &QAbstractButton::clicked, this, &FileShelfOverlay::airdropAll);
    row->addWidget(all);

    m_summary = brimlarkCard(rowContent, std::nullopt, 8, true, false, this);
    m_summary->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->setSpacing(0);
    layout->addWidget(m_summary);
    layout->addStretch(1);

    connect(&m_shelf, &FileShelfService::itemsChanged, this, &FileShelfOverlay::refresh);
    refresh();
}

QList<QUrl> FileShelfOverlay::localFiles(const QMimeData* mime) {
    QList<QUrl> files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && QDir::isAbsolutePath(url.toLocalFile()))
            files.append(url);
    }
    return files;
}

bool FileShelfOverlay::handleDrop(const QList<QUrl>& urls) {
    QList<QUrl> files;
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && QDir::isAbsolutePath(url.toLocalFile()))
            files.append(url);
    }
    if (files.isEmpty())
        return false;
    m_shelf.add(files);
    return true;
}

void FileShelfOverlay::airdropAll() {
    m_shelf.airDropAll();
}

void FileShelfOverlay::setTargeted(bool targeted) {
    if (m_isTargeted == targeted)
        return;
    m_isTargeted = targeted;
    refresh();
    update();
}

void FileShelfOverlay::refresh() {
    const int count = m_shelf.items().size();
    m_count->setText(QString::number(count) + QStringLiteral(" on shelf"));
    const auto& hint = m_shelf.lastFavoriteHint();
    m_hint->setVisible(hint.has_value());
    m_hint->setText(hint ? QStringLiteral("last: ") + *hint : QString());
    // The highlight stands alone while files hover over the panel.
    m_summary->setVisible(count > 0 && !m_isTargeted);
    updateHitArea();
}

void FileShelfOverlay::updateHitArea() {
    // Only the summary row takes clicks: the rest of the panel stays basic mode's.
    const bool row = !m_summary->isHidden();
    setAttribute(Qt::WA_TransparentForMouseEvents, !row);
    if (row)
        setMask(QRegion(m_summary->geometry()));
    else
        clearMask();
}

void FileShelfOverlay::resizeEvent(QResizeEvent*) {
    updateHitArea();
}

bool FileShelfOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_summary && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        updateHitArea();
    return QWidget::eventFilter(watched, event);
}

void FileShelfOverlay::paintEvent(QPaintEvent*) {
    if (!m_isTargeted)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Inside the border: the stroke's outer edge meets the view's edge.
    const QRectF bounds = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath shape;
    shape.addRoundedRect(bounds, 32, 32);
    QColor tint = BrimlarkTheme::warning();
    tint.setAlphaF(0.1f);
    QColor veil = BrimlarkTheme::surface();
    veil.setAlphaF(0.55f);
    painter.fillPath(shape, veil);
    painter.fillPath(shape, tint);
    QPen dash(BrimlarkTheme::warning(), 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    dash.setMiterLimit(10);
    dash.setDashPattern({3, 2}); // 6 on, 4 off, in units of the 2-point line width
    dash.setDashOffset(0);
    painter.setPen(dash);
    painter.drawPath(shape);

    const QFont font = BrimlarkTheme::monoSemibold12();
    const QFontMetricsF metrics(font);
    const qreal symbol = 20;
    const qreal height = symbol + 6 + metrics.height();
    const qreal top = (height < bounds.height() ? (bounds.height() - height) / 2 : 0) + bounds.top();
    paintSymbol(painter, QRectF(bounds.center().x() - symbol / 2, top, symbol, symbol),
                QStringLiteral("plus.circle.fill"), BrimlarkTheme::warning());
    painter.setFont(font);
    painter.setPen(BrimlarkTheme::warning());
    painter.drawText(QRectF(bounds.left(), top + symbol + 6, bounds.width(), metrics.height()),
                     Qt::AlignCenter, QStringLiteral("drop to add to shelf"));
}
