# The Win32 implementation of the desktop framework: dialogs from templates in
# memory, item operations by id, MessageBoxW, GetOpenFileNameW. No Qt.
set(win32_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(quelvane_platform STATIC
  ${win32_dir}/application.cpp ${win32_dir}/dialog.cpp ${win32_dir}/file_dialog.cpp
  ${win32_dir}/icon.cpp ${win32_dir}/message_box.cpp ${win32_dir}/wide_text.cpp
  file_dialog_presenter.cpp message_box_presenter.cpp message_map.cpp selection_buffer.cpp)
target_include_directories(quelvane_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quelvane_platform PUBLIC quelvane_core comctl32 comdlg32
                                        PRIVATE quelvane_warnings)
