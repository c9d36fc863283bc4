#pragma once

#include "store/result.h"

#include <QString>

class QNetworkAccessManager;

namespace tabrix::image {

class CancelToken;

struct DownloadLimits {
    int timeoutMs = 30'000;                 // the whole transfer, redirects included
    qint64 maxBytes = 50LL * 1024 * 1024;   // the picture's size
};

// Fetches an http or https link into `filePath` and makes sure the file
// holds a JPEG, PNG, BMP or TIFF picture. Waits for the transfer while the
// window keeps being repainted. On failure the file is removed and the
// French reason is returned.
Status downloadPicture(QNetworkAccessManager &network, const QString &link, const QString &filePath,
                       const DownloadLimits &limits, CancelToken *cancel = nullptr);

} // namespace tabrix::image
