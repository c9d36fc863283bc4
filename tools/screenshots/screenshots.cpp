// Takes the README's pictures from the real windows: the main window on the
// demo catalogue, and the picture window showing an entry's picture served
// from this machine. Run under a real X server (xvfb-run): see
// scripts/screenshots.sh.
#include "app/startup.h"
#include "support/recordingservices.h"
#include "browse/browse.h"
#include "image/imagewindow.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

using namespace tabrix;

namespace {

// A landscape-like picture, to stand for a puzzle's image.
QByteArray samplePicture()
{
    QImage image(1600, 1000, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 600);
    sky.setColorAt(0, QColor(70, 130, 200));
    sky.setColorAt(1, QColor(250, 210, 160));
    p.fillRect(0, 0, 1600, 620, sky);
    p.setBrush(QColor(255, 230, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(1200, 300), 90, 90);
    p.setBrush(QColor(60, 110, 70));
    p.drawPolygon(QPolygon({{0, 620}, {300, 350}, {620, 620}}));
    p.setBrush(QColor(80, 140, 90));
    p.drawPolygon(QPolygon({{400, 620}, {800, 280}, {1250, 620}}));
    p.fillRect(0, 620, 1600, 380, QColor(40, 90, 150));
    p.setPen(QColor(255, 255, 255));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 56, QFont::Bold));
    p.drawText(QRect(0, 700, 1600, 200), Qt::AlignCenter, QStringLiteral("Où est-ce ?"));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes;
}

// Lets the window settle, then saves what the screen shows of it.
bool grab(QWidget *window, const QString &path)
{
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 800)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const QPixmap shot = window->screen()->grabWindow(window->winId());
    return shot.save(path);
}

// Answers every request on loopback with the picture, like a web image link.
bool servePicture(QTcpServer &server, const QByteArray &picture)
{
    if (!server.listen(QHostAddress::LocalHost))
        return false;
    QObject::connect(&server, &QTcpServer::newConnection, [&server, &picture] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &picture] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return;
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nConnection: close\r\nContent-Length: "
                              + QByteArray::number(picture.size()) + "\r\n\r\n" + picture);
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

// The sample catalogue, Zarpo 100 linking to the served picture.
Status makeCatalogue(const QString &catalogue, quint16 port)
{
    if (Status made = createSampleCatalogue(catalogue); !made)
        return made;
    sql::Connection db;
    db.open(catalogue, SQLITE_OPEN_READWRITE);
    sql::Statement link(db.get(), QStringLiteral("UPDATE zarpo SET url = ?1 WHERE ref = '100'"));
    link.bind(1, QStringLiteral("http://127.0.0.1:%1/zarpo/100.jpg").arg(port));
    if (!link.next() && link.failed())
        return Failure{sql::describe(link.code())};
    return success();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTextStream err(stderr);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(outDir);

    const QByteArray picture = samplePicture();
    QTcpServer server;
    if (!servePicture(server, picture)) {
        err << "Serveur local impossible\n";
        return 1;
    }
    QTemporaryDir dir;
    if (Status made = makeCatalogue(QDir(dir.path()).filePath(catalogueFileName()), server.serverPort()); !made) {
        err << made.error() << '\n';
        return 1;
    }
    RecordingServices services;
    auto started = startUp(dir.path(), services);
    if (!started) {
        err << started.error() << '\n';
        return 1;
    }
    MainWindow &window = **started;
    window.show();
    window.activateWindow();
    if (!grab(&window, QDir(outDir).filePath(QStringLiteral("fenetre-principale.png"))))
        return 1;

    // The user ticks "Afficher" and clicks entry 100 of the Zarpo list.
    CategoryTab &tab = *window.form().tabs[0];
    tab.showCheck->setChecked(true);
    tab.grid->setTopRow(90);
    emit tab.grid->cellClicked(100, 1);
    image::ImageWindow *pictureWindow = image::existingImageWindow(&window);
    if (!pictureWindow || !services.messages.isEmpty()) {
        err << "La fenêtre d'image ne s'est pas ouverte : " << services.lastText() << '\n';
        return 1;
    }
    if (!grab(pictureWindow, QDir(outDir).filePath(QStringLiteral("fenetre-image.png"))))
        return 1;
    QTextStream(stdout) << "Captures écrites dans " << QDir::toNativeSeparators(outDir) << '\n';
    return 0;
}
