// The yardstick for start-up, CPU and memory figures: a bare Qt Widgets window, with one
// empty chart when asked ("chart" as the first argument).
#include <QApplication>
#include <QChartView>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("bare"));
    auto* layout = new QVBoxLayout(&w);
    layout->addWidget(new QLabel(QStringLiteral("bare window")));
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == QLatin1String("chart"))
        layout->addWidget(new QChartView(&w));
    w.resize(780, 580);
    w.show();
    return QApplication::exec();
}
