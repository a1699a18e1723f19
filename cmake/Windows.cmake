# Windows build (mingw-w64, i686): the program and the Windows tests.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${PROJECT_SOURCE_DIR}")
set(VELQO_WIN_LIBS comctl32 comdlg32 gdi32 user32 shell32 ole32 uuid advapi32 winmm)
set(VELQO_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

# minizip built by tools/setup.sh from Debian's zlib sources; zlib from libz-mingw-w64-dev.
set(VELQO_MINIZIP_DIR ${PROJECT_SOURCE_DIR}/.deps/minizip-mingw)
add_library(velqo_minizip STATIC IMPORTED)
set_target_properties(velqo_minizip PROPERTIES
  IMPORTED_LOCATION ${VELQO_MINIZIP_DIR}/lib/libminizip.a
  INTERFACE_INCLUDE_DIRECTORIES ${VELQO_MINIZIP_DIR}/include/minizip)
find_library(VELQO_MINGW_ZLIB NAMES libz.a z REQUIRED)

add_library(velqo_core STATIC ${VELQO_CORE_SOURCES}
  ${PROJECT_SOURCE_DIR}/platform/platform_win32.cpp ${PROJECT_SOURCE_DIR}/platform/win_text.cpp)
velqo_target_options(velqo_core)
target_include_directories(velqo_core PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(velqo_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(velqo_core PUBLIC velqo_minizip ${VELQO_MINGW_ZLIB} ${VELQO_WIN_LIBS})

add_library(velqo_ui STATIC ${VELQO_WIN_SOURCES})
velqo_target_options(velqo_ui)
target_link_libraries(velqo_ui PUBLIC velqo_core)

set(VELQO_RC ${PROJECT_SOURCE_DIR}/resources/velqo.rc)
file(GLOB VELQO_RC_DEPENDS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*)
list(APPEND VELQO_RC_DEPENDS ${PROJECT_SOURCE_DIR}/common/command_ids.h)
set_source_files_properties(${VELQO_RC} PROPERTIES OBJECT_DEPENDS "${VELQO_RC_DEPENDS}")

add_executable(velqo WIN32 ${PROJECT_SOURCE_DIR}/shell/winmain_win.cpp ${VELQO_RC})
velqo_target_options(velqo)
target_link_libraries(velqo PRIVATE velqo_ui)
target_link_options(velqo PRIVATE ${VELQO_STATIC_RUNTIME} -municode)

# GoogleTest from the system's sources, built with the cross compiler.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(velqo_wintests ${VELQO_WINTEST_SOURCES} ${VELQO_RC}
  ${PROJECT_SOURCE_DIR}/tools/sample_db/series_digest.cpp ${PROJECT_SOURCE_DIR}/tests/support/global_state.cpp)
velqo_target_options(velqo_wintests)
target_link_libraries(velqo_wintests PRIVATE velqo_ui gtest gtest_main)
target_link_options(velqo_wintests PRIVATE ${VELQO_STATIC_RUNTIME})
add_dependencies(velqo_wintests velqo)
add_test(NAME windows_tests COMMAND velqo_wintests --gtest_brief=1
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(windows_tests PROPERTIES
  ENVIRONMENT "VELQO_EXE=${CMAKE_BINARY_DIR}/velqo.exe;VELQO_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts")

# Paint benchmark (not a test): run it with the generated database folder.
add_executable(velqo_paint_bench ${PROJECT_SOURCE_DIR}/bench/win/paint_bench_win.cpp
  ${PROJECT_SOURCE_DIR}/tools/sample_db/series_digest.cpp)
velqo_target_options(velqo_paint_bench)
target_link_libraries(velqo_paint_bench PRIVATE velqo_ui)
target_link_options(velqo_paint_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Chart picture benchmark (not a test): the charts drawn into a metafile and played at 1920 x 1080, under Wine.
add_executable(velqo_picture_bench ${PROJECT_SOURCE_DIR}/bench/win/chart_picture_bench_win.cpp
  ${PROJECT_SOURCE_DIR}/tools/sample_db/series_digest.cpp)
velqo_target_options(velqo_picture_bench)
target_link_libraries(velqo_picture_bench PRIVATE velqo_ui)
target_link_options(velqo_picture_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Recomputation benchmark (not a test): 5000 stocks in memory, under Wine.
add_executable(velqo_recompute_bench ${PROJECT_SOURCE_DIR}/bench/win/recompute_bench_win.cpp
  ${PROJECT_SOURCE_DIR}/tools/sample_db/sample_analysis.cpp)
velqo_target_options(velqo_recompute_bench)
target_link_libraries(velqo_recompute_bench PRIVATE velqo_ui)
target_link_options(velqo_recompute_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Drag benchmark (not a test): one mouse move of a dragged trend line and its repaint, under Wine.
add_executable(velqo_drag_bench ${PROJECT_SOURCE_DIR}/bench/win/drag_bench_win.cpp ${VELQO_RC}
  ${PROJECT_SOURCE_DIR}/tools/sample_db/series_digest.cpp)
velqo_target_options(velqo_drag_bench)
target_link_libraries(velqo_drag_bench PRIVATE velqo_ui)
target_link_options(velqo_drag_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Price import benchmark (not a test): the progress dialog's cost under Wine.
add_executable(velqo_import_bench ${PROJECT_SOURCE_DIR}/bench/win/price_import_bench_win.cpp)
velqo_target_options(velqo_import_bench)
target_link_libraries(velqo_import_bench PRIVATE velqo_ui)
target_link_options(velqo_import_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Price update benchmark (not a test): the update command for one day into a
# generated database of 5000 stocks on disc, under Wine.
add_executable(velqo_update_bench ${PROJECT_SOURCE_DIR}/bench/win/update_flow_bench_win.cpp
  ${PROJECT_SOURCE_DIR}/tools/sample_db/sample_database.cpp ${PROJECT_SOURCE_DIR}/tools/sample_db/sample_analysis.cpp
  ${PROJECT_SOURCE_DIR}/tools/sample_db/sample_trend_lines.cpp)
velqo_target_options(velqo_update_bench)
target_link_libraries(velqo_update_bench PRIVATE velqo_ui)
target_link_options(velqo_update_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Analysis-parameter sheet benchmark (not a test): the sheet opened on each
# page and closed with OK after a colour change, repaint included, under Wine.
add_executable(velqo_sheet_bench ${PROJECT_SOURCE_DIR}/bench/win/parameter_sheet_bench_win.cpp ${VELQO_RC}
  ${PROJECT_SOURCE_DIR}/tools/sample_db/series_digest.cpp)
velqo_target_options(velqo_sheet_bench)
target_link_libraries(velqo_sheet_bench PRIVATE velqo_ui)
target_link_options(velqo_sheet_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Group settings benchmark (not a test): the page of a 5000-member group in
# the group settings dialog, under Wine.
add_executable(velqo_group_settings_bench ${PROJECT_SOURCE_DIR}/bench/win/group_settings_bench_win.cpp ${VELQO_RC})
velqo_target_options(velqo_group_settings_bench)
target_link_libraries(velqo_group_settings_bench PRIVATE velqo_ui)
target_link_options(velqo_group_settings_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Group move/copy benchmark (not a test): OK of dialog 201 after a move, 5000
# stocks and 124 groups of 20 terms in memory, under Wine.
add_executable(velqo_movecopy_bench ${PROJECT_SOURCE_DIR}/bench/win/group_move_copy_bench_win.cpp ${VELQO_RC})
velqo_target_options(velqo_movecopy_bench)
target_link_libraries(velqo_movecopy_bench PRIVATE velqo_ui)
target_link_options(velqo_movecopy_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Detail benchmark (not a test): the detail window and the detail list per
# cursor move over three charts of twelve panes, under Wine.
add_executable(velqo_detail_bench ${PROJECT_SOURCE_DIR}/bench/win/detail_bench_win.cpp ${VELQO_RC}
  ${PROJECT_SOURCE_DIR}/tools/sample_db/series_digest.cpp)
velqo_target_options(velqo_detail_bench)
target_link_libraries(velqo_detail_bench PRIVATE velqo_ui)
target_link_options(velqo_detail_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Time-back benchmark (not a test): entering, a day step over three charts of
# twelve panes, and leaving, under Wine.
add_executable(velqo_time_back_bench ${PROJECT_SOURCE_DIR}/bench/win/time_back_bench_win.cpp ${VELQO_RC}
  ${PROJECT_SOURCE_DIR}/tools/sample_db/series_digest.cpp)
velqo_target_options(velqo_time_back_bench)
target_link_libraries(velqo_time_back_bench PRIVATE velqo_ui)
target_link_options(velqo_time_back_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Price repair benchmark (not a test): one date deleted from every stock of a
# generated database of 5000 stocks on disc, under Wine.
add_executable(velqo_repair_bench ${PROJECT_SOURCE_DIR}/bench/win/price_repair_bench_win.cpp
  ${PROJECT_SOURCE_DIR}/tools/sample_db/sample_database.cpp)
velqo_target_options(velqo_repair_bench)
target_link_libraries(velqo_repair_bench PRIVATE velqo_ui)
target_link_options(velqo_repair_bench PRIVATE ${VELQO_STATIC_RUNTIME})

# Backup benchmark (not a test): a backup and a restore of 5000 daily files of
# 5120 bars with the pop-up, under Wine.
add_executable(velqo_backup_bench ${PROJECT_SOURCE_DIR}/bench/win/backup_bench_win.cpp ${VELQO_RC})
velqo_target_options(velqo_backup_bench)
target_link_libraries(velqo_backup_bench PRIVATE velqo_ui)
target_link_options(velqo_backup_bench PRIVATE ${VELQO_STATIC_RUNTIME})
