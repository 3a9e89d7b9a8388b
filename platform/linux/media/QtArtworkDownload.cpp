// The artwork download module: Qt Network lives here and only here.
#include "platform/linux/media/ArtworkDownloadModule.h"

#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace {

// The module's own handle on the platform's logging category: it links nothing of the program.
Q_LOGGING_CATEGORY(lcArtworkDownload, "com.brimlark.app.platform")

QObject* createDownloader(QObject* parent) {
    auto* network = new QNetworkAccessManager(parent);
    network->setProxy(QNetworkProxy::NoProxy);
    return network;
}

void get(QObject* downloader, const QUrl& url, qint64 maxBytes, int deadlineMs,
         std::function<void(const QByteArray&)> done) {
    auto* network = static_cast<QNetworkAccessManager*>(downloader);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    request.setTransferTimeout(deadlineMs);
    QNetworkReply* reply = network->get(request);
    auto received = std::make_shared<QByteArray>();
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [reply, url] {
        qCDebug(lcArtworkDownload, "artwork %s: no answer in time", qUtf8Printable(url.toDisplayString()));
        reply->abort();
    });
    deadline->start(deadlineMs);
    auto tooLarge = [reply, url] {
        qCDebug(lcArtworkDownload, "artwork %s: too large", qUtf8Printable(url.toDisplayString()));
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, maxBytes, tooLarge] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes)
            tooLarge();
    });
    QObject::connect(reply, &QIODevice::readyRead, reply, [reply, received, maxBytes, tooLarge] {
        received->append(reply->read(maxBytes + 1 - received->size()));
        if (received->size() > maxBytes)
            tooLarge();
    });
    QObject::connect(
        reply, &QNetworkReply::finished, network, [reply, received, url, maxBytes, done = std::move(done)] {
            reply->deleteLater();
            const bool ok = reply->error() == QNetworkReply::NoError && received->size() <= maxBytes;
            if (reply->error() != QNetworkReply::NoError &&
                reply->error() != QNetworkReply::OperationCanceledError)
                qCDebug(lcArtworkDownload, "artwork %s: %s", qUtf8Printable(url.toDisplayString()),
                        qUtf8Printable(reply->errorString()));
            done(ok ? *received : QByteArray());
        });
}

} // namespace

extern "C" Q_DECL_EXPORT const ArtworkDownloadModule* brimlarkArtworkDownloadModule() {
    static const ArtworkDownloadModule module{&createDownloader, &get};
    return &module;
}
