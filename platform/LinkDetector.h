#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Finds the web links in free text, in text order: addresses with a scheme ("https://…"),
// hosts starting "www." and bare "host.tld/path" forms, the last two read as http. Punctuation
// that ends a sentence is not part of a link. Pure: no I/O, any thread.
namespace LinkDetector {

QList<QUrl> links(const QString& text);

} // namespace LinkDetector
