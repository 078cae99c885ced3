// The desktop program's process-wide setup on Qt: the application object, Qt's
// own texts in French, the program's name and icon, a held Return key that
// presses a button once, and the command line as the program was given it.
#include "platform/application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QTranslator>
#include <array>
#include <cstdint>
#include <string>

#include "os/os.h"
#include "platform/icon.h"
#include "platform/qt/access.h"

namespace quelvane {
namespace {

// A key held down repeats, and a held Return must press a button once. Its
// repeats would close the box that the first press answered, then press the
// focused button of the window below it: after a run, "Traiter les fichiers",
// which starts the run again, and again, for as long as the key stays down.
// A repeat is what Qt marks as one, or a press that comes at the very time of
// the release before it: the X server repeats a key as such a pair, and Qt
// fails to mark it while the program is busy, as it is after a run.
class OnePressPerReturn final : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
      return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
      return QObject::eventFilter(watched, event);
    }
    const std::uint64_t time = key->timestamp();
    if (event->type() == QEvent::KeyRelease) {
      lastRelease_ = time;
      return key->isAutoRepeat();
    }
    return key->isAutoRepeat() || (time != 0 && time == lastRelease_);
  }

 private:
  std::uint64_t lastRelease_ = 0;
};

}  // namespace

struct Application::Impl {
  explicit Impl(std::string_view programName)
      : name(programName), argv{name.data(), nullptr}, app(argc, argv.data()) {
    QApplication::setApplicationName(QStringLiteral("quelvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUELVANE_VERSION));
    // Desktops match the window to quelvane.desktop, for its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quelvane"));
    // The program lives as long as its main window's modal loop, never in an
    // application loop of its own: closing a box shown before that window must
    // not ask for an ending.
    QApplication::setQuitOnLastWindowClosed(false);
    app.installEventFilter(&onePressPerReturn);
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
  OnePressPerReturn onePressPerReturn;
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
