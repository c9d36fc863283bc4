#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tabrix::pictures {

// The scratch files of the picture window, in the program's directory: the
// downloaded picture and its shrunk copy.
inline QString downloadedFileName() { return QStringLiteral("image_url.jpg"); }
inline QString shrunkFileName() { return QStringLiteral("image2_url.jpg"); }

// Removes both scratch files, and the numbered copies (image2_url-0.jpg …)
// an older shrink made of a picture of several frames.
void removeScratchFiles(const QString &programDir);

// The bound of the shrunk picture.
constexpr int shrunkMaxWidth = 800;
constexpr int shrunkMaxHeight = 400;

// The ImageMagick command that shrinks a downloaded picture, started without
// a shell in the folder of both files: `magick convert -define
// jpeg:size=800x400 image_url.jpg[0] -resize 800x400> image2_url.jpg` where
// ImageMagick 7's `magick` exists, else the same arguments to ImageMagick 6's
// `convert`. Only the first frame or page is read; a picture already within
// the bound keeps its size. The define, given only for a JPEG at least that
// large (on a smaller one the decoder would enlarge it), lets it be decoded
// at a reduced scale before the resize.
struct ShrinkCommand {
    QString program;
    QStringList arguments;
};

// The command for these tools found on the path (empty when missing).
ShrinkCommand shrinkCommandFor(const QString &magickPath, const QString &convertPath, bool largeJpeg = true,
                               const QString &input = downloadedFileName(), const QString &output = shrunkFileName());
// The command with the tools found on the path now; nothing when
// ImageMagick is not installed.
std::optional<ShrinkCommand> findShrinkCommand(bool largeJpeg, const QString &input, const QString &output);

// Whether these first bytes of a JPEG picture tell, in its frame header, a
// size at least as large as the define's; nothing while they do not reach
// that header yet.
std::optional<bool> largeJpeg(const QByteArray &start);
// The same for a file (false when it cannot tell).
bool isLargeJpeg(const QString &path);

// The name ImageMagick reads a JPEG picture from its standard input by.
inline QString jpegInput() { return QStringLiteral("jpg:-"); }

} // namespace tabrix::pictures
