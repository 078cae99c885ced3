#include "platform/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/icon.h"
#include "platform/qt_access.h"

namespace quelvane {

struct Application::Impl {
  Impl(int& argc, char** argv) : app(argc, argv) {
    QApplication::setApplicationName(QStringLiteral("quelvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.05"));
    // Desktops match the window to quelvane.desktop, for its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quelvane"));
    // The program lives as long as its main window's modal loop, never in an
    // application loop of its own: closing a box shown before that window must
    // not ask for an ending.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own dialogs and buttons in French; without the translations (not
    // installed) they stay in English, which is no reason not to start.
    if (translator.load(QStringLiteral("qtbase_fr"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QApplication::installTranslator(&translator);
    }
  }

  QApplication app;
  QTranslator translator;
};

Application::Application(int& argc, char** argv) : impl_(std::make_unique<Impl>(argc, argv)) {}

Application::~Application() = default;

void Application::SetIcon(const Icon& icon) {
  QApplication::setWindowIcon(ToQIcon(icon));
}

}  // namespace quelvane
