// Runs every window test class in one application.
#include <QApplication>
#include <QFileInfo>
#include <cstdio>

int RunWindowTests(int argc, char** argv);
int RunToolTests(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Without the shared plugin the windows would wait on a message box about the missing file.
    const QString fixture = QString(VELLUM_SHARED_FIXTURES) + "/all_types.esp";
    if (!QFileInfo::exists(fixture)) {
        std::fprintf(stderr, "The shared test plugin is missing: %s\n", qPrintable(fixture));
        return 1;
    }
    int failed = 0;
    failed += RunWindowTests(argc, argv);
    failed += RunToolTests(argc, argv);
    return failed == 0 ? 0 : 1;
}
