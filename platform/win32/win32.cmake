# The Win32 implementation of the desktop framework: dialogs from templates in
# memory, item operations by id, MessageBoxW, GetOpenFileNameW. No Qt.
target_sources(quelvane_platform PRIVATE
  win32/application.cpp win32/dialog.cpp win32/icon.cpp win32/system_file_dialog.cpp
  win32/system_message_box.cpp)
target_link_libraries(quelvane_platform PUBLIC comctl32 comdlg32)
