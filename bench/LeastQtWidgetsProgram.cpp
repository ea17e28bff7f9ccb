// What any Qt Widgets program that shows a window and changes it every 5 seconds costs while it waits: the
// floor under Kelvara's steady share on the same machine. Measure it beside Kelvara in one session:
//   bench/measure-steady.py 300 build/bench/bench_least_qt_widgets_program
#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QLabel reading("42 °C");
    reading.resize(300, 100);
    reading.show();
    int samples = 0;
    QTimer sampling;
    QObject::connect(&sampling, &QTimer::timeout,
        [&] { reading.setText(QString::number(40 + ++samples % 3) + QStringLiteral(" °C")); });
    sampling.start(5000);
    return QApplication::exec();
}
