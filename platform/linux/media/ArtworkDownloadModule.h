#pragma once

#include <QByteArray>
#include <QUrl>

#include <functional>

class QObject;

// The entry points of the artwork download module, the one shared object that links Qt Network.
// ArtworkFetcher loads it at the first http: or https: artwork, so a run that never shows such
// artwork never loads Qt Network or the proxy and Kerberos libraries behind it.
struct ArtworkDownloadModule {
    // Makes the downloader, a child of `parent`.
    QObject* (*create)(QObject* parent);
    // Gets `url` without proxies, following at most three redirects that stay as safe. `done` runs
    // once on the downloader's thread with the body, or with nothing when the download failed, took
    // longer than `deadlineMs` or carried more than `maxBytes`.
    void (*get)(QObject* downloader, const QUrl& url, qint64 maxBytes, int deadlineMs,
                std::function<void(const QByteArray& body)> done);
};

// The name of the module's exported function that answers its entry points: a
// `const ArtworkDownloadModule* (*)()`.
inline constexpr char artworkDownloadModuleEntry[] = "brimlarkArtworkDownloadModule";
