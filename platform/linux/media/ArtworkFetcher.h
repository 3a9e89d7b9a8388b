#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUrl>

#include <chrono>

struct ArtworkDownloadModule;

// Track artwork by address, fetched once and kept. file: addresses are read and every image is
// decoded on a worker thread; http: and https: ones are downloaded without proxies, through a
// module loaded at the first download (it alone links Qt Network). A fetch gives
// up past `maxBytes` or, for downloads, past `deadline`; a failed one is kept as a null image, so
// asking again never fetches again. Only the most recent `capacity` addresses are kept.
class ArtworkFetcher : public QObject {
    Q_OBJECT
public:
    struct Limits {
        qint64 maxBytes = 5 * 1024 * 1024;
        std::chrono::milliseconds deadline{2000};
        int capacity = 16;
        // Larger images are scaled down to fit this square when decoded.
        int maxSide = 512;
    };

    explicit ArtworkFetcher(QObject* parent = nullptr);
    ArtworkFetcher(const Limits& limits, QObject* parent = nullptr);
    ~ArtworkFetcher() override;

    // The image at `url` when it has arrived; a null image while it is being fetched (the first
    // ask starts it), after a failure, and for any scheme but file:, http: and https:.
    QImage image(const QUrl& url);
    // Whether a fetch of `url` is under way.
    bool isFetching(const QUrl& url) const { return m_inFlight.contains(url); }

signals:
    // A fetch ended with an image; image(url) returns it from now on.
    void arrived(const QUrl& url);

private:
    // Loads the download module once; false when it cannot be loaded (downloads then fail).
    bool loadDownloader();
    void download(const QUrl& url);
    void readFile(const QUrl& url);
    // Decodes `data` off the main thread, then keeps the outcome.
    void decode(const QUrl& url, const QByteArray& data);
    void keep(const QUrl& url, const QImage& image);

    Limits m_limits;
    const ArtworkDownloadModule* m_downloadModule = nullptr;
    QObject* m_downloader = nullptr;
    bool m_downloadUnavailable = false;
    QHash<QUrl, QImage> m_images;
    // Oldest first.
    QList<QUrl> m_order;
    QSet<QUrl> m_inFlight;
};
