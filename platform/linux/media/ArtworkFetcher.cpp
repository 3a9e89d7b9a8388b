#include "platform/linux/media/ArtworkFetcher.h"

#include "platform/PlatformLog.h"
#include "platform/linux/PluginModule.h"
#include "platform/linux/media/ArtworkDownloadModule.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImageReader>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The picture in `data`, scaled down to fit `maxSide` square; null when it is none. Runs on a
// worker thread.
QImage decodeImage(const QByteArray& data, int maxSide) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    // A few bytes can claim a huge picture; no artwork needs more than this.
    constexpr qint64 maxPixels = 8192LL * 8192LL;
    if (size.isValid() && qint64(size.width()) * size.height() > maxPixels)
        return {};
    if (size.isValid() && (size.width() > maxSide || size.height() > maxSide))
        reader.setScaledSize(size.scaled(maxSide, maxSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > maxSide || image.height() > maxSide))
        image = image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// At most `maxBytes` of the regular file at `path`; empty when it is no regular file, is larger
// or cannot be read. Runs on a worker thread.
QByteArray readSmallFile(const QString& path, qint64 maxBytes) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxBytes)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential())
        return {};
    QByteArray data = file.read(maxBytes + 1);
    return data.size() > maxBytes ? QByteArray() : data;
}

} // namespace

ArtworkFetcher::ArtworkFetcher(QObject* parent) : ArtworkFetcher(Limits{}, parent) {}

ArtworkFetcher::ArtworkFetcher(const Limits& limits, QObject* parent) : QObject(parent), m_limits(limits) {}

ArtworkFetcher::~ArtworkFetcher() = default;

QImage ArtworkFetcher::image(const QUrl& url) {
    if (const auto found = m_images.constFind(url); found != m_images.constEnd())
        return *found;
    if (m_inFlight.contains(url))
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        m_inFlight.insert(url);
        download(url);
    } else if (scheme == QLatin1String("file") && !url.toLocalFile().isEmpty()) {
        m_inFlight.insert(url);
        readFile(url);
    }
    return {};
}

bool ArtworkFetcher::loadDownloader() {
    if (m_downloader)
        return true;
    if (m_downloadUnavailable)
        return false;
    // Never unloaded: replies made by its code may still be delivered until the program ends.
    const PluginModuleEntry loaded =
        loadPluginModuleEntry(pluginModuleCandidates(QStringLiteral("libbrimlark_artwork_download.so")),
                              artworkDownloadModuleEntry);
    if (!loaded.function) {
        m_downloadUnavailable = true;
        qCWarning(lcPlatform, "artwork downloads are off: the download module could not be loaded: %s",
                  qUtf8Printable(loaded.error));
        return false;
    }
    using Entry = const ArtworkDownloadModule* (*)();
    m_downloadModule = reinterpret_cast<Entry>(loaded.function)();
    m_downloader = m_downloadModule->create(this);
    return true;
}

void ArtworkFetcher::download(const QUrl& url) {
    if (!loadDownloader()) {
        keep(url, {});
        return;
    }
    QPointer<ArtworkFetcher> self(this);
    m_downloadModule->get(m_downloader, url, m_limits.maxBytes, int(m_limits.deadline.count()),
                          [self, url](const QByteArray& body) {
                              if (self)
                                  self->decode(url, body);
                          });
}

void ArtworkFetcher::readFile(const QUrl& url) {
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, url] {
        watcher->deleteLater();
        keep(url, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(
        [path = url.toLocalFile(), maxBytes = m_limits.maxBytes, maxSide = m_limits.maxSide] {
            return decodeImage(readSmallFile(path, maxBytes), maxSide);
        }));
}

void ArtworkFetcher::decode(const QUrl& url, const QByteArray& data) {
    if (data.isEmpty()) {
        keep(url, {});
        return;
    }
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, url] {
        watcher->deleteLater();
        keep(url, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(decodeImage, data, m_limits.maxSide));
}

void ArtworkFetcher::keep(const QUrl& url, const QImage& image) {
    m_inFlight.remove(url);
    m_order.removeAll(url);
    m_order.append(url);
    m_images.insert(url, image);
    while (m_order.size() > m_limits.capacity)
        m_images.remove(m_order.takeFirst());
    if (!image.isNull())
        emit arrived(url);
}
