#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace tabrix {

class Services;

// Where the catalogue and every file Tabrix writes beside it live: the
// program's folder when the catalogue is there or when that folder can be
// written (a folder install), otherwise the user's data folder
// (~/.local/share/Tabrix, as with the Debian package in /opt/tabrix).
QString catalogueFolder(const QString &programDir);

// Makes sure `folder` holds a catalogue before start-up. With none, the
// welcome window lets the user make one; an old Access file in its place
// is converted once the user agrees. False when the program is to end
// (the user quit, or a conversion failed), with its exit status.
bool prepareCatalogue(const QString &folder, Services &services, int &status);

// The window shown when there is no catalogue yet: an empty one, the sample
// one, or one converted from an old Access file, made in a click.
class WelcomeWindow : public QDialog {
    Q_OBJECT
public:
    WelcomeWindow(const QString &catalogue, Services &services, QWidget *parent = nullptr);

    QLabel *lbl_emplacement;
    QPushButton *bt_creer;
    QPushButton *bt_demo;
    QPushButton *bt_convertir;
    QPushButton *bt_quitter;

private:
    void convert();
    void finish(const QString &failure, const QString &success);

    QString m_catalogue;
    Services &m_services;
};

} // namespace tabrix
