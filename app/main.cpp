#include "AppState.h"
#include "ApplicationTitle.h"
#include "MainWindow.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The data directory is the folder the program was started in.
    AppState state(QDir::currentPath(), ApplicationTitle(QString::fromLocal8Bit(argv[0])));
    MainWindow window(state);
    window.show();
    return app.exec();
}
