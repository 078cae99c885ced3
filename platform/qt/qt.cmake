# The Qt stand-ins for the desktop framework: dialogs built from templates, item
# operations by id, message boxes, the file-open dialog, the application object.
# Qt stays a private matter of platform/: the headers ui/ includes name no Qt type.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
target_sources(quelvane_platform PRIVATE
  qt/application.cpp qt/controls.cpp qt/dialog.cpp qt/icon.cpp qt/system_file_dialog.cpp
  qt/system_message_box.cpp)
target_link_libraries(quelvane_platform PRIVATE Qt6::Widgets)
