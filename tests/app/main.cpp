// Runs every window test class in one application.
#include <QApplication>

int RunWindowTests(int argc, char** argv);
int RunToolTests(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failed = 0;
    failed += RunWindowTests(argc, argv);
    failed += RunToolTests(argc, argv);
    return failed == 0 ? 0 : 1;
}
