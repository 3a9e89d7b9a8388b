#include "Brimlark/shelf/FileShelfOverlay.h"

#include "Brimlark/core/SaveFailure.h"
#include "Brimlark/kit/BrimlarkCard.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/shelf/FileShelfDropHighlight.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "Brimlark/shelf/ShelfButton.h"

#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QVBoxLayout>

#include <algorithm>

FileShelfOverlay::FileShelfOverlay(FileShelfService& shelf, QWidget* parent)
    : QWidget(parent), m_shelf(shelf) {
    setAttribute(Qt::WA_TranslucentBackground);

    auto* rowContent = new QWidget;
    auto* lines = new QVBoxLayout(rowContent);
    lines->setContentsMargins(8, 4, 8, 4);
    lines->setSpacing(2);
    m_row = new QWidget(rowContent);
    auto* row = new QHBoxLayout(m_row);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    lines->addWidget(m_row);
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
    auto* all = m_all =
        new ShelfButton(QStringLiteral("airdrop all"),
                        {QString(), BrimlarkTheme::warning(), BrimlarkTheme::monoMedium10(), QColor()},
                        QString(), rowContent);
    connect(all, &QAbstractButton::clicked, this, &FileShelfOverlay::airdropAll);
    row->addWidget(all);
    // Under the row, inside the card: the only part of the area that is shown and takes clicks.
    // What went wrong is one line, cut to the card's width and read whole in its tooltip: the card
    // lies over the panel, and one more line would cover what is below it.
    m_notice = plainLabel(QString(), BrimlarkTheme::monoMedium10(), BrimlarkTheme::warning(), rowContent);
    m_notice->setObjectName(QStringLiteral("saveLine"));
    m_notice->setWordWrap(false);
    m_notice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_notice->setMinimumWidth(0);
    m_notice->installEventFilter(this);
    lines->addWidget(m_notice);

    m_summary = brimlarkCard(rowContent, std::nullopt, 8, true, false, this);
    m_summary->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->setSpacing(0);
    layout->addWidget(m_summary);
    layout->addStretch(1);

    // Over the summary row, not in place of it: the row stays where it was under the frame.
    m_highlight = new FileShelfDropHighlight(this);
    m_highlight->hide();

    connect(&m_shelf, &FileShelfService::itemsChanged, this, &FileShelfOverlay::refresh);
    connect(&m_shelf, &FileShelfService::saveErrorChanged, this, &FileShelfOverlay::refresh);
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
    // The shelf sorts out, and logs, what it refuses; one file it takes is enough to accept.
    const bool anyLocal = std::any_of(urls.begin(), urls.end(), [](const QUrl& url) {
        return url.isLocalFile() && QDir::isAbsolutePath(url.toLocalFile());
    });
    if (!anyLocal)
        return false;
    m_shelf.add(urls);
    // Told until the next drop, or until the panel closes.
    m_refusedText = FileShelfService::refusedLine(urls);
    refresh();
    return std::any_of(urls.begin(), urls.end(),
                       [](const QUrl& url) { return FileShelfService::refusal(url).isEmpty(); });
}

QString FileShelfOverlay::saveLine() const {
    return m_saveText;
}

void FileShelfOverlay::showNotice() {
    QStringList parts;
    for (const QString& part : {m_refusedText, m_saveText}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    m_notice->setVisible(!parts.isEmpty());
    m_notice->setToolTip(parts.join(QLatin1Char('\n')));
    m_notice->setAccessibleName(parts.join(QStringLiteral("; ")));
    m_notice->setText(QFontMetrics(m_notice->font())
                          .elidedText(parts.join(QStringLiteral(" · ")), Qt::ElideRight, m_notice->width()));
}

void FileShelfOverlay::airdropAll() {
    m_shelf.airDropAll();
}

void FileShelfOverlay::setTargeted(bool targeted) {
    if (m_isTargeted == targeted)
        return;
    m_isTargeted = targeted;
    m_highlight->setGeometry(rect());
    m_highlight->setVisible(targeted);
    m_highlight->raise();
    updateHitArea();
}

void FileShelfOverlay::refresh() {
    const int count = m_shelf.items().size();
    m_count->setText(QString::number(count) + QStringLiteral(" on shelf"));
    const auto& hint = m_shelf.lastFavoriteHint();
    m_hint->setVisible(hint.has_value());
    m_hint->setText(hint ? QStringLiteral("last: ") + *hint : QString());
    m_saveText = SaveFailure::line(QStringLiteral("the shelf"), m_shelf.saveError());
    showNotice();
    m_all->setAvailable(m_shelf.canSend(), FileShelfService::noSenderReason());
    // A drop the shelf refused whole shows the card for its line alone.
    m_row->setVisible(count > 0);
    m_summary->setVisible(count > 0 || !m_refusedText.isEmpty());
    updateHitArea();
}

void FileShelfOverlay::updateHitArea() {
    // Only the summary row takes clicks: the rest of the panel stays basic mode's. While files
    // hover, nothing is clicked and the highlight needs the whole area: a mask would cut it.
    const bool row = !m_summary->isHidden() && !m_isTargeted;
    setAttribute(Qt::WA_TransparentForMouseEvents, !row);
    if (row)
        setMask(QRegion(m_summary->geometry()));
    else
        clearMask();
}

void FileShelfOverlay::showEvent(QShowEvent* event) {
    // A sender installed or removed meanwhile counts from the next time the area shows.
    m_all->setAvailable(m_shelf.canSend(), FileShelfService::noSenderReason());
    QWidget::showEvent(event);
}

void FileShelfOverlay::resizeEvent(QResizeEvent*) {
    m_highlight->setGeometry(rect());
    updateHitArea();
}

bool FileShelfOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_summary && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        updateHitArea();
    if (watched == m_notice && event->type() == QEvent::Resize)
        showNotice();
    return QWidget::eventFilter(watched, event);
}
