# The game-folder writer on its own, without GoogleTest: the test helpers and
# the fuzz targets (built without the tests too) both link it.
include_guard(GLOBAL)
add_library(scrivo_test_folder STATIC ${CMAKE_CURRENT_LIST_DIR}/GameFolderWriter.cpp)
target_link_libraries(scrivo_test_folder PUBLIC scrivo_gamefolder scrivo_platform scrivo_flags)
