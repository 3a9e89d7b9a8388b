#pragma once

#include "Brimlark/controls/MediaRemoteBridge.h"
#include "platform/Clock.h"

#include <QWidget>

#include <functional>
#include <optional>

class BasicArtworkPlaceholder;
class BasicTransportButton;
class MediaService;
class QLabel;
class TimerService;

// The media pane of basic mode: the current track's title, artist and artwork (or an empty
// state), the running timer's remaining time, and the previous, play/pause and next buttons. It
// shows what the two services publish and changes nothing itself: each button only calls its
// callback.
class BasicMediaPane : public QWidget {
    Q_OBJECT
public:
    BasicMediaPane(TimerService& timer, MediaService& media, std::function<void()> onPlayPause,
                   std::function<void()> onNext, std::function<void()> onPrev, Clock* clock = Clock::system(),
                   QWidget* parent = nullptr);

    // What is on show, for the panel's tests and accessibility.
    QString titleText() const;
    QString subtitleText() const;
    // Empty while no timer runs.
    QString timerText() const;
    // The placeholder in the artwork square; null while an artwork is shown.
    BasicArtworkPlaceholder* placeholder() const { return m_placeholder; }
    BasicTransportButton* previousButton() const { return m_previous; }
    BasicTransportButton* playPauseButton() const { return m_playPause; }
    BasicTransportButton* nextButton() const { return m_next; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showTrack(const std::optional<MediaRemoteBridge::NowPlaying>& nowPlaying);
    void showTimer();
    void layoutTexts();
    void paintArtwork(QWidget* square);

    TimerService& m_timer;
    MediaService& m_media;
    Clock* m_clock;
    QString m_title;
    QString m_subtitle;
    QImage m_artwork;
    QLabel* m_titleLabel;
    QLabel* m_subtitleLabel;
    QLabel* m_timerLabel;
    QWidget* m_artworkSquare;
    BasicArtworkPlaceholder* m_placeholder = nullptr;
    BasicTransportButton* m_previous;
    BasicTransportButton* m_playPause;
    BasicTransportButton* m_next;
};
