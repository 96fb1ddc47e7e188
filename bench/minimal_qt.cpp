// The floor for memory, CPU and start-up: a main window with a table view and a one-second
// timer updating a status label, and nothing else.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    QStandardItemModel model(0, 6);
    auto* view = new QTableView;
    view->setModel(&model);
    window.setCentralWidget(view);
    auto* label = new QLabel;
    window.statusBar()->addWidget(label);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { label->setText(QString::number(++ticks)); });
    timer.start(1000);
    window.resize(613, 353);
    window.show();
    if (qEnvironmentVariableIsSet("KELVORA_BENCH_STARTUP")) {
        QTimer::singleShot(0, [] {
            std::printf("%lld\n", static_cast<long long>(
                                      std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count()));
            std::fflush(stdout);
            std::_Exit(0);
        });
    }
    return app.exec();
}
