# The Qt stand-ins for the desktop framework: dialogs built from templates, item
# operations by id, message boxes, the file-open dialog, the application object.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(quelvane_platform STATIC
  application.cpp controls.cpp dialog.cpp file_dialog.cpp icon.cpp message_box.cpp
  file_dialog_presenter.cpp message_box_presenter.cpp message_map.cpp selection_buffer.cpp)
target_include_directories(quelvane_platform PUBLIC ${PROJECT_SOURCE_DIR})
# Qt stays a private matter of platform/: the headers ui/ includes name no Qt type.
target_link_libraries(quelvane_platform PUBLIC quelvane_core PRIVATE Qt6::Widgets quelvane_warnings)
