// Runs every window test class in one application.
#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

int RunWindowTests(int argc, char** argv);
int RunToolTests(int argc, char** argv);
int RunEditTests(int argc, char** argv);
int RunRecordTests(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true); // settings such as Recent Files stay out of the user's own
    // Without the shared plugin the windows would wait on a message box about the missing file.
    const QString fixture = QString(VELLUM_SHARED_FIXTURES) + "/all_types.esp";
    if (!QFileInfo::exists(fixture)) {
        std::fprintf(stderr, "The shared test plugin is missing: %s\n", qPrintable(fixture));
        return 1;
    }
    int failed = 0;
    for (auto* run : {RunWindowTests, RunToolTests, RunEditTests, RunRecordTests}) failed += run(argc, argv);
    return failed == 0 ? 0 : 1;
}
