// Who deletes the Qt objects the program makes. A widget made with a parent, an
// event handed to postEvent, a layout item handed to a layout: Qt deletes them,
// the program never does. A dialog's window is the program's to delete when the
// dialog ends. These two functions are the only places that say new or delete.
#pragma once

#include <QObject>
#include <utility>

namespace quelvane {

// Makes an object whose owner is Qt: its parent, or whatever it is handed to.
template <class T, class... Args>
T* MakeForQt(Args&&... args) {
  return new T(std::forward<Args>(args)...);  // NOLINT(cppcoreguidelines-owning-memory)
}

// Deletes an object now; Qt takes it from its parent's children. Callers hold it
// through a QPointer, which tells when Qt has already deleted it with its parent.
inline void DeleteNow(QObject* object) {
  delete object;  // NOLINT(cppcoreguidelines-owning-memory)
}

}  // namespace quelvane
