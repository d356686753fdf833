// The vexilor executable: the application object does the work.
#include "shell/KestovaApp.h"

#include "vexilor/Version.h"

#include <QApplication>

#ifdef Q_OS_WIN
#include <objbase.h>
#endif

int main(int argc, char* argv[])
{
#ifdef Q_OS_WIN
    // The shell objects (desktop shortcuts, file dialogs) need COM on this thread.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
#endif
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
#ifdef Q_OS_WIN
    if (com)
        CoUninitialize();
#endif
    return code;
}
