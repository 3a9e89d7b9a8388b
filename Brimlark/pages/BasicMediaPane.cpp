#include "Brimlark/pages/BasicMediaPane.h"

#include "Brimlark/controls/MediaService.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/pages/BasicArtworkPlaceholder.h"
#include "Brimlark/pages/BasicTransportButton.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <QVBoxLayout>

namespace {

const QString noTitle = QStringLiteral("no media");
const QString noArtist = QStringLiteral("play something to see it here");

// `text` broken into at most `maxLines` lines of `width`, the last one cut with an ellipsis when
// the text goes on.
QString limitLines(const QString& text, const QFont& font, int width, int maxLines) {
    if (width <= 0)
        return text;
    const QFontMetricsF metrics(font);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            // The last allowed line takes the rest of the text and cuts it.
            lines.append(metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines.join(QLatin1Char('\n'));
}

} // namespace

BasicMediaPane::BasicMediaPane(TimerService& timer, MediaService& media, std::function<void()> onPlayPause,
                               std::function<void()> onNext, std::function<void()> onPrev, Clock* clock,
                               QWidget* parent)
    : QWidget(parent), m_timer(timer), m_media(media), m_clock(clock) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);

    auto* trackRow = new QHBoxLayout();
    trackRow->setSpacing(14);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(5);
    m_titleLabel = plainLabel(QString(), BrimlarkTheme::monoSemibold13(), BrimlarkTheme::textPrimary(), this);
    m_subtitleLabel =
        plainLabel(QString(), BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), this);
    m_timerLabel = plainLabel(QString(), BrimlarkTheme::monoRegular10(), BrimlarkTheme::accent(), this);
    for (QLabel* label : {m_titleLabel, m_subtitleLabel, m_timerLabel}) {
        // The pane gives the labels their width; their text is broken to it by hand.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        texts->addWidget(label);
    }
    texts->addStretch(1);
    trackRow->addLayout(texts, 1);
    m_artworkSquare = new QWidget(this);
    m_artworkSquare->setFixedSize(BasicArtworkPlaceholder::side, BasicArtworkPlaceholder::side);
    m_artworkSquare->installEventFilter(this);
    trackRow->addWidget(m_artworkSquare, 0, Qt::AlignTop);
    column->addLayout(trackRow);
    column->addStretch(1);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(20);
    buttons->addStretch(1);
    m_previous =
        new BasicTransportButton(QStringLiteral("backward.fill"), QStringLiteral("previous track"), this);
    m_playPause = new BasicTransportButton(QStringLiteral("play.fill"), QStringLiteral("play"), this);
    m_next = new BasicTransportButton(QStringLiteral("forward.fill"), QStringLiteral("next track"), this);
    connect(m_previous, &QAbstractButton::clicked, this, [onPrev = std::move(onPrev)] {
        if (onPrev)
            onPrev();
    });
    connect(m_playPause, &QAbstractButton::clicked, this, [onPlayPause = std::move(onPlayPause)] {
        if (onPlayPause)
            onPlayPause();
    });
    connect(m_next, &QAbstractButton::clicked, this, [onNext = std::move(onNext)] {
        if (onNext)
            onNext();
    });
    for (BasicTransportButton* button : {m_previous, m_playPause, m_next})
        buttons->addWidget(button, 0, Qt::AlignVCenter);
    column->addLayout(buttons);

    connect(&m_media, &MediaService::nowPlayingChanged, this, &BasicMediaPane::showTrack);
    connect(&m_timer, &TimerService::activeChanged, this, &BasicMediaPane::showTimer);
    connect(&m_timer, &TimerService::ticked, this, &BasicMediaPane::showTimer);
    showTrack(m_media.nowPlaying());
    showTimer();
}

QString BasicMediaPane::titleText() const {
    return m_title;
}

QString BasicMediaPane::subtitleText() const {
    return m_subtitle;
}

QString BasicMediaPane::timerText() const {
    return m_timerLabel->isHidden() ? QString() : m_timerLabel->text();
}

void BasicMediaPane::showTrack(const std::optional<MediaRemoteBridge::NowPlaying>& nowPlaying) {
    m_title = nowPlaying && nowPlaying->title ? *nowPlaying->title : noTitle;
    m_subtitle = nowPlaying && nowPlaying->artist ? *nowPlaying->artist : noArtist;
    const bool playing = nowPlaying && nowPlaying->isPlaying;
    m_artwork = nowPlaying ? nowPlaying->artwork : QImage();
    if (m_artwork.isNull()) {
        if (!m_placeholder) {
            m_placeholder = new BasicArtworkPlaceholder(playing, m_artworkSquare);
            m_placeholder->show();
        } else {
            m_placeholder->setPlaying(playing);
        }
    } else if (m_placeholder) {
        // A placeholder shown again later starts from a resting disc.
        delete m_placeholder;
        m_placeholder = nullptr;
    }
    m_artworkSquare->update();
    m_playPause->setSymbol(playing ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"),
                           playing ? QStringLiteral("pause") : QStringLiteral("play"));
    layoutTexts();
    // The new lines take their places now, not on a later turn: the pane may be drawn at once.
    layout()->activate();
}

void BasicMediaPane::showTimer() {
    const std::optional<TimerInfo>& active = m_timer.active();
    if (m_timerLabel->isHidden() == active.has_value()) {
        m_timerLabel->setVisible(active.has_value());
        layout()->activate();
    }
    if (!active)
        return;
    const double remaining = std::max(0.0, m_clock->now().msecsTo(active->endsAt) / 1000.0);
    m_timerLabel->setText(formatTimerDuration(remaining));
}

void BasicMediaPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutTexts();
}

void BasicMediaPane::layoutTexts() {
    // The text column's width is the pane's, less the artwork square and the gap beside it.
    const int width = std::max(0, this->width() - BasicArtworkPlaceholder::side - 14);
    m_titleLabel->setText(limitLines(m_title, m_titleLabel->font(), width, 2));
    m_subtitleLabel->setText(limitLines(m_subtitle, m_subtitleLabel->font(), width, 3));
    // The lines are broken only to fit the column: read aloud, each text is one.
    m_titleLabel->setAccessibleName(m_title);
    m_subtitleLabel->setAccessibleName(m_subtitle);
    for (QLabel* label : {m_titleLabel, m_subtitleLabel}) {
        const int lines = int(label->text().count(QLatin1Char('\n'))) + 1;
        label->setFixedHeight(QFontMetrics(label->font()).lineSpacing() * lines);
    }
}

bool BasicMediaPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_artworkSquare && event->type() == QEvent::Paint && !m_artwork.isNull())
        paintArtwork(m_artworkSquare);
    return QWidget::eventFilter(watched, event);
}

void BasicMediaPane::paintArtwork(QWidget* square) {
    QPainter painter(square);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF box = square->rect();
    painter.setClipPath(BasicArtworkPlaceholder::squarePath(box));
    // Filled edge to edge, the aspect kept and the overflow cut off.
    const QSizeF fill = QSizeF(m_artwork.size()).scaled(box.size(), Qt::KeepAspectRatioByExpanding);
    painter.drawImage(QRectF(box.center() - QPointF(fill.width() / 2, fill.height() / 2), fill), m_artwork);
    painter.setClipping(false);
    BasicArtworkPlaceholder::paintOutline(painter, box);
}
