// The vexilor executable: the application object does the work.
#include "shell/KestovaApp.h"

#include "vexilor/Version.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromLatin1(vexilor::build::kProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(vexilor::build::kVersion));

    vexilor::CKestovaApp::Options options;
    options.parameters = QApplication::arguments().mid(1);
    vexilor::CKestovaApp app(std::move(options));
    if (!app.initInstance()) {
        app.exitInstance();
        return 1;
    }
    const int code = QApplication::exec();
    app.exitInstance();
    return code;
}
