// Window icons, loaded from the program's resources by id.
#pragma once

#include <memory>

namespace quelvane {

class Icon {
 public:
  Icon();
  ~Icon();
  Icon(const Icon&);
  Icon& operator=(const Icon&);

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
