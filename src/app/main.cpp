#include <QApplication>
#include <QTimer>

#include "frm_main.h"
#include "game_folder.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vellum");
    QApplication::setApplicationVersion(
        QString("%1.%2.%3").arg(VELLUM_VERSION_MAJOR).arg(VELLUM_VERSION_MINOR).arg(VELLUM_VERSION_PATCH));
    QApplication::setWindowIcon(QIcon(":/vellum.svg"));
    std::string dataFiles = vellum::app::FindDataFilesFolder(vellum::app::DefaultGameFolderSources());
    vellum::app::FrmMain window(nullptr, dataFiles);
    window.show();
    // vellum [FILE] [--screenshot PNG]: opens FILE as Open would; with --screenshot, saves a picture of the
    // window once it is laid out and quits (used for the README's picture).
    QStringList args = QApplication::arguments();
    QString file, screenshot;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == "--screenshot" && i + 1 < args.size())
            screenshot = args[++i];
        else if (file.isEmpty())
            file = args[i];
    }
    if (!file.isEmpty()) QTimer::singleShot(0, &window, [&window, file] { window.openPath(file); });
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(800, &window, [&window, screenshot] {
            window.grab().save(screenshot);
            QApplication::quit();
        });
    }
    return app.exec();
}
