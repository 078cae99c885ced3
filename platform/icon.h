// Window icons, loaded from the program's resources by id.
#pragma once

#include <memory>

namespace quelvane {

// Copies share the loaded icon; each toolkit defines Data, and the last copy
// frees it (a shared_ptr needs no complete type to be copied or destroyed).
class Icon {
 public:
  bool IsNull() const;

 private:
  friend struct IconAccess;
  struct Data;
  std::shared_ptr<const Data> data_;
};

// The icon of that resource id in every size the program has; a null icon when
// there is none. Needs the Application to exist.
Icon LoadIcon(int resourceId);

}  // namespace quelvane
