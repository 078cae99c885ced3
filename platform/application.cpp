#include "platform/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <array>
#include <string>

#include "core/os.h"
#include "platform/icon.h"
#include "platform/qt_access.h"

namespace quelvane {

struct Application::Impl {
  explicit Impl(std::string_view programName)
      : name(programName), argv{name.data(), nullptr}, app(argc, argv.data()) {
    QApplication::setApplicationName(QStringLiteral("quelvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.05"));
    // Desktops match the window to quelvane.desktop, for its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quelvane"));
    // The program lives as long as its main window's modal loop, never in an
    // application loop of its own: closing a box shown before that window must
    // not ask for an ending.
    QApplication::setQuitOnLastWindowClosed(false);
    // A run or a profile write ended by a signal leaves no temporary file, and a
    // file-size limit is a write failure the log reports.
    PrepareProcess();
    // Qt's own dialogs and buttons in French; without the translations (not
    // installed) they stay in English, which is no reason not to start.
    if (translator.load(QStringLiteral("qtbase_fr"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QApplication::installTranslator(&translator);
    }
  }

  // QApplication keeps a reference to its arguments for its whole life: they
  // live here, before it, and go after it.
  std::string name;
  int argc = 1;
  std::array<char*, 2> argv;
  QApplication app;
  QTranslator translator;
};

Application::Application(std::string_view programName)
    : impl_(std::make_unique<Impl>(programName)) {}

Application::~Application() = default;

void Application::SetIcon(const Icon& icon) {
  QApplication::setWindowIcon(ToQIcon(icon));
}

std::optional<std::string> SystemCommandLine() {
  return std::nullopt;
}

}  // namespace quelvane
