#pragma once

#include "store/result.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tabrix::image {

class CancelToken;

// The scratch files of the picture window, in the program's directory: the
// downloaded picture and its shrunk copy.
inline QString downloadedFileName() { return QStringLiteral("image_url.jpg"); }
inline QString shrunkFileName() { return QStringLiteral("image2_url.jpg"); }

// The bound of the shrunk picture.
constexpr int shrunkMaxWidth = 800;
constexpr int shrunkMaxHeight = 400;

// The ImageMagick command that shrinks the downloaded picture, started
// without a shell: `magick convert image_url.jpg -resize 800x400
// image2_url.jpg` where ImageMagick 7's `magick` exists, else the same
// arguments to ImageMagick 6's `convert`.
struct ShrinkCommand {
    QString program;
    QStringList arguments;
};

// The command for these tools found on the path (empty when missing).
ShrinkCommand shrinkCommandFor(const QString &magickPath, const QString &convertPath);
// The command with the tools found on the path now; nothing when
// ImageMagick is not installed.
std::optional<ShrinkCommand> findShrinkCommand();

// Runs the command in the program's directory and waits for it (at most
// `timeoutMs`; the tool is stopped after that). Success means the shrunk
// file exists; otherwise the French reason.
Status shrinkPicture(const QString &programDir, int timeoutMs, CancelToken *cancel = nullptr);

} // namespace tabrix::image
