// Leaks one block from inside a timer firing on a running event loop, where every allocation of the
// sampling, the displays and the dialogs is made. The sanitizer build's leak check must report it: a
// suppression wide enough to hide the event loop's frames hides the program's own leaks too.
#include <QCoreApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTimer::singleShot(0, &application, [] {
        // Through a volatile pointer, so that the compiler can neither drop the allocation nor keep the
        // address anywhere the leak check would find it.
        char* volatile block = new char[800];
        block[0] = 1;
        block = nullptr;
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}
